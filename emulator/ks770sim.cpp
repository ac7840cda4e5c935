// ks770sim: the emulated KS770Vet recorder unit on a pseudo-terminal.
//
// Prints the path of the terminal's device on its first line, then serves the unit there until
// it is interrupted (SIGINT, SIGTERM) or, with --disconnect-after, until the line goes. The host
// may close and reopen the device between commands; while it has the device closed the unit's
// bytes are lost, as on a real line.
#include "Ks770Device.h"

#include <QByteArray>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kStepMs = 5;
constexpr const char* kLeadNames[6] = {"I", "II", "III", "aVR", "aVL", "aVF"};

volatile std::sig_atomic_t g_bStop = 0;

void OnSignal(int) {
    g_bStop = 1;
}

struct SimOptions {
    Ks770Options device;
    std::string logPath;
    bool bStrictSpeed = false;
    bool bHelp = false;
};

void PrintUsage(std::FILE* to) {
    std::fputs(
        "Usage: ks770sim [options]\n"
        "Emulates a KS770Vet recorder unit on a pseudo-terminal. The first line of output is\n"
        "the terminal's device path; point the program's serial port at it.\n"
        "\n"
        "ECG:\n"
        "  --cat                   a cat (about 180 beats a minute); a dog by default (120)\n"
        "  --noise                 white noise on every electrode\n"
        "  --hum                   50 Hz mains hum\n"
        "  --wander                baseline wander\n"
        "  --seed N                random seed (default 1); the same seed gives the same ECG\n"
        "Faults:\n"
        "  --no-answer             no answer to the identification command\n"
        "  --version-text TEXT     answer TEXT in place of \"KS770Vet V2.35\"\n"
        "  --trailing-cr           a carriage return after the identifier\n"
        "  --drop-every N          lose every Nth byte of the stream\n"
        "  --wrong-sync            12-lead frames start with 0xFE in place of 0xFF\n"
        "  --disconnect-after S    the line goes after S seconds of streaming; then exits\n"
        "Other:\n"
        "  --strict-speed          take the host's bytes only when its port is at the unit's\n"
        "                          speed at the moment they are read (a host that changes\n"
        "                          speed right after writing may then lose its command)\n"
        "  --log FILE              write every sample instant sent to FILE, one line each\n"
        "  --help                  show this text\n",
        to);
}

bool ParseInt(const char* text, long long lo, long long hi, long long* out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

// Fills `o` from the command line; on failure `error` says why.
bool ParseArgs(int argc, char** argv, SimOptions* o, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool bHasValue = i + 1 < argc;
        auto needValue = [&]() {
            if (!bHasValue)
                *error = "option '" + a + "' needs a value";
            return bHasValue;
        };
        long long n = 0;
        if (a == "--help" || a == "-h") {
            o->bHelp = true;
        } else if (a == "--cat") {
            o->device.ecg.animal = Animal::Cat;
        } else if (a == "--noise") {
            o->device.ecg.bNoise = true;
        } else if (a == "--hum") {
            o->device.ecg.bHum = true;
        } else if (a == "--wander") {
            o->device.ecg.bWander = true;
        } else if (a == "--no-answer") {
            o->device.bNoAnswer = true;
        } else if (a == "--trailing-cr") {
            o->device.bTrailingCr = true;
        } else if (a == "--wrong-sync") {
            o->device.bWrongSync = true;
        } else if (a == "--strict-speed") {
            o->bStrictSpeed = true;
        } else if (a == "--seed") {
            if (!needValue())
                return false;
            char* end = nullptr;
            errno = 0;
            const unsigned long long seed = std::strtoull(argv[++i], &end, 10);
            if (errno != 0 || end == argv[i] || *end != '\0' || argv[i][0] == '-') {
                *error = "--seed needs a whole number, not '" + std::string(argv[i]) + "'";
                return false;
            }
            o->device.ecg.nSeed = seed;
        } else if (a == "--drop-every") {
            if (!needValue())
                return false;
            if (!ParseInt(argv[++i], 1, 1000000000, &n)) {
                *error = "--drop-every needs a whole number of 1 or more, not '" +
                         std::string(argv[i]) + "'";
                return false;
            }
            o->device.nDropEvery = int(n);
        } else if (a == "--disconnect-after") {
            if (!needValue())
                return false;
            char* end = nullptr;
            const double s = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(s > 0.0) || s > 1e6) {
                *error = "--disconnect-after needs a number of seconds above 0, not '" +
                         std::string(argv[i]) + "'";
                return false;
            }
            o->device.dDisconnectAfterSeconds = s;
        } else if (a == "--version-text") {
            if (!needValue())
                return false;
            o->device.versionText = QByteArray(argv[++i]);
        } else if (a == "--log") {
            if (!needValue())
                return false;
            o->logPath = argv[++i];
        } else {
            *error = "unknown option '" + a + "'";
            return false;
        }
    }
    return true;
}

// The speed the host set on its side of the terminal, in baud; 0 when unknown.
int HostBaud(int master) {
    termios t{};
    if (::tcgetattr(master, &t) != 0)
        return 0;
    struct Speed {
        speed_t code;
        int baud;
    };
    static const Speed kSpeeds[] = {
        {B1200, 1200},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},
        {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    const speed_t code = ::cfgetospeed(&t);
    for (const Speed& s : kSpeeds)
        if (s.code == code)
            return s.baud;
    return 0;
}

// Whether the host has its side of the terminal open: with no slave open, the master reports
// a hang-up.
bool HostOpen(int master) {
    pollfd p{master, 0, 0};
    return !(::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP));
}

// Bytes the host left unread when it closed the device would wait in the terminal for its next
// open; a real port starts empty. Opens the device for a moment and discards them.
void DiscardStaleInput(const char* slavePath) {
    const int fd = ::open(slavePath, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    ::tcflush(fd, TCIFLUSH);
    ::close(fd);
}

QByteArray ReadHost(int master) {
    QByteArray bytes;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0) {
            bytes.append(buf, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: nothing more; EIO: the host has closed
    }
    return bytes;
}

// Writes what the unit sent; what does not fit (a host that does not read) is lost.
void WriteHost(int master, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
}

void LogEvent(std::FILE* log, const Ks770Event& e) {
    switch (e.kind) {
    case Ks770Event::Kind::StartTwelveLead:
        std::fputs("# start 12lead\n", log);
        break;
    case Ks770Event::Kind::StartMonitor:
        std::fprintf(log, "# start monitor %s\n",
                     e.nLead >= 0 && e.nLead < 6 ? kLeadNames[e.nLead] : "?");
        break;
    case Ks770Event::Kind::Stop:
        std::fputs("# stop\n", log);
        break;
    case Ks770Event::Kind::Sample:
        for (int i = 0; i < e.nCount; ++i)
            std::fprintf(log, i == 0 ? "%d" : ",%d", e.values[i]);
        std::fputc('\n', log);
        break;
    }
}

int OpenTerminal(std::string* slavePath) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0)
        return -1;
    const char* name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(name = ::ptsname(master))) {
        ::close(master);
        return -1;
    }
    *slavePath = name;
    // Raw from the start, so that nothing the unit writes is echoed back or held for a line
    // end before the host has set the port up.
    termios t{};
    if (::tcgetattr(master, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
    }
    return master;
}

} // namespace

int main(int argc, char** argv) {
    SimOptions options;
    std::string error;
    if (!ParseArgs(argc, argv, &options, &error)) {
        std::fprintf(stderr, "ks770sim: %s\nTry 'ks770sim --help'.\n", error.c_str());
        return 2;
    }
    if (options.bHelp) {
        PrintUsage(stdout);
        return 0;
    }

    std::FILE* log = nullptr;
    if (!options.logPath.empty()) {
        log = std::fopen(options.logPath.c_str(), "w");
        if (!log) {
            std::fprintf(stderr, "ks770sim: cannot write the log '%s': %s\n",
                         options.logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }

    std::string slavePath;
    int master = OpenTerminal(&slavePath);
    if (master < 0) {
        std::fprintf(stderr, "ks770sim: cannot create a pseudo-terminal: %s\n",
                     std::strerror(errno));
        if (log)
            std::fclose(log);
        return 1;
    }
    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Ks770Device device(options.device);
    if (log)
        device.SetListener([log](const Ks770Event& e) { LogEvent(log, e); });

    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    bool bStaleDiscarded = true;
    while (!g_bStop) {
        QByteArray fromHost;
        const bool bOpen = HostOpen(master);
        if (bOpen) {
            bStaleDiscarded = false;
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, kStepMs) > 0 && (p.revents & (POLLIN | POLLHUP)))
                fromHost = ReadHost(master);
        } else {
            // Commands written just before the close still wait in the terminal.
            fromHost = ReadHost(master);
            if (!bStaleDiscarded) {
                DiscardStaleInput(slavePath.c_str());
                bStaleDiscarded = true;
            }
            ::poll(nullptr, 0, kStepMs);
        }

        // Time first, up to now; then the commands that came in meanwhile.
        const int hostBaud = bOpen ? HostBaud(master) : 0;
        const Clock::time_point now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - last);
        last += elapsed;
        device.SetLineSpeed(hostBaud);
        const QByteArray toHost = device.Advance(elapsed.count());
        if (!toHost.isEmpty() && bOpen)
            WriteHost(master, toHost);
        if (!fromHost.isEmpty()) {
            // The terminal cannot tell at which speed a byte was written, and a host may change
            // speed right after writing; unless told to be strict, take it as the right one.
            device.SetLineSpeed(options.bStrictSpeed ? HostBaud(master) : device.DeviceSpeed());
            device.Receive(fromHost);
            device.SetLineSpeed(hostBaud);
        }
        if (log)
            std::fflush(log);
        if (device.Disconnected()) {
            if (log)
                std::fputs("# disconnect\n", log);
            break;
        }
    }

    ::close(master);
    if (log)
        std::fclose(log);
    return 0;
}
