// ks770sim on a real pseudo-terminal, driven the way the program drives a serial port.
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray kIdentify("\x1b\x56", 2);
const QByteArray kStartTwelveLead("\x1b\x41", 2);
const QByteArray kStop("\x1b\x1b", 2);

// The host's end of the line: the terminal's device, raw, at a chosen speed.
class HostPort {
  public:
    ~HostPort() { Close(); }
    bool Open(const QByteArray& path, speed_t speed) {
        Close();
        m_fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return m_fd >= 0 && SetSpeed(speed);
    }
    bool SetSpeed(speed_t speed) {
        termios t{};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }
    bool Write(const QByteArray& bytes) {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Reads until `n` bytes have come, `ms` have passed or the line hangs up.
    QByteArray Read(qsizetype n, int ms, bool* hungUp = nullptr) {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        if (hungUp)
            *hungUp = false;
        while (got.size() < n && timer.elapsed() < ms) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buf[4096];
            const ssize_t r = ::read(m_fd, buf, size_t(std::min<qsizetype>(n - got.size(), 4096)));
            if (r > 0) {
                got.append(buf, r);
            } else if (p.revents & POLLHUP) {
                if (hungUp)
                    *hungUp = true;
                break;
            }
        }
        return got;
    }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

  private:
    int m_fd = -1;
};

// ks770sim running with the given options; `path` is the device it serves.
struct Sim {
    ~Sim() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
            process.waitForFinished(5000);
        }
    }
    bool Start(const QStringList& args) {
        process.start(QStringLiteral(KS770SIM), args);
        if (!process.waitForStarted(10000))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!process.canReadLine() && timer.elapsed() < 10000)
            process.waitForReadyRead(100);
        path = process.readLine().trimmed();
        return path.startsWith("/dev/");
    }
    // Ends it with SIGTERM; true when it then exits normally with 0.
    bool Stop() {
        process.terminate();
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QProcess process;
    QByteArray path;
};

using Frame = std::array<int, 8>;

// Complete frames of a 12-lead stream that may begin mid-frame; every frame must begin with
// the sync byte.
std::vector<Frame> Frames(const QByteArray& stream) {
    std::vector<Frame> frames;
    qsizetype i = stream.indexOf(char(0xFF));
    for (; i >= 0 && i + 9 <= stream.size(); i += 9) {
        EXPECT_EQ(stream[i], char(0xFF)) << "at byte " << i;
        Frame f{};
        for (int k = 0; k < 8; ++k)
            f[k] = quint8(stream[i + 1 + k]) - 126;
        frames.push_back(f);
    }
    return frames;
}

} // namespace

TEST(Ks770Sim, IdentifiesStreamsAndSurvivesTheHostClosingThePort) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("sent.log"));
    Sim sim;
    ASSERT_TRUE(sim.Start({"--seed", "3", "--log", logPath}));

    HostPort port;
    ASSERT_TRUE(port.Open(sim.path, B19200)) << sim.path.constData();
    ASSERT_TRUE(port.Write(kIdentify));
    EXPECT_EQ(port.Read(14, 3000), "KS770Vet V2.35");
    EXPECT_EQ(port.Read(1, 200), "");

    // Start 12-lead at 19200, then listen at 115200 as the program does.
    ASSERT_TRUE(port.Write(kStartTwelveLead));
    ASSERT_TRUE(port.SetSpeed(B115200));
    const QByteArray stream = port.Read(9 * 150, 10000);
    const std::vector<Frame> frames = Frames(stream);
    ASSERT_GE(frames.size(), 100u);

    // Stop and close at once, leaving some frames unread, then come back at 19200: the unit
    // answers as if the line were fresh.
    QThread::msleep(50);
    ASSERT_TRUE(port.Write(kStop));
    port.Close();
    QThread::msleep(200);
    ASSERT_TRUE(port.Open(sim.path, B19200));
    ASSERT_TRUE(port.Write(kIdentify));
    QByteArray answer = port.Read(14, 3000);
    answer += port.Read(100, 200);
    EXPECT_EQ(answer, "KS770Vet V2.35");
    port.Close();
    EXPECT_TRUE(sim.Stop());

    // The log: the start, the instants sent, the stop; what was received is a run of them.
    const QStringList lines = QString::fromLatin1(ReadAll(logPath)).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.first(), "# start 12lead");
    EXPECT_EQ(lines.last(), "# stop");
    std::vector<Frame> logged;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QStringList cells = lines[i].split(',');
        ASSERT_EQ(cells.size(), 8) << lines[i].toStdString();
        Frame f{};
        for (int k = 0; k < 8; ++k) {
            bool ok = false;
            f[k] = cells[k].toInt(&ok);
            ASSERT_TRUE(ok) << lines[i].toStdString();
            EXPECT_GE(f[k], -126);
            EXPECT_LE(f[k], 127);
        }
        logged.push_back(f);
    }
    bool bFound = false;
    for (size_t j = 0; !bFound && j + frames.size() <= logged.size(); ++j)
        bFound = std::equal(frames.begin(), frames.end(), logged.begin() + qsizetype(j));
    EXPECT_TRUE(bFound) << "the received frames are not a run of the logged ones";
}

TEST(Ks770Sim, MonitorsUntilTheLineGoes) {
    Sim sim;
    ASSERT_TRUE(sim.Start({"--cat", "--disconnect-after", "0.5"}));
    HostPort port;
    ASSERT_TRUE(port.Open(sim.path, B19200));
    ASSERT_TRUE(port.Write(QByteArray("\x1b\x62", 2))); // monitor lead II
    bool bHungUp = false;
    const QByteArray stream = port.Read(100000, 10000, &bHungUp);
    EXPECT_TRUE(bHungUp);
    // 0.5 s of 300 samples a second, less what left before the read began.
    EXPECT_GT(stream.size(), 50);
    EXPECT_LE(stream.size(), 150);
    ASSERT_TRUE(sim.process.waitForFinished(10000));
    EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.process.exitCode(), 0);
}

TEST(Ks770Sim, CommandLine) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* text; // in stdout or stderr
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: ks770sim"},
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"--drop-every", "0"}, 2, "--drop-every needs a whole number of 1 or more"},
        {{"--disconnect-after", "soon"}, 2, "--disconnect-after needs a number of seconds"},
        {{"--seed"}, 2, "option '--seed' needs a value"},
        {{"--log", "/nonexistent-folder/sent.log"}, 1, "cannot write the log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(QStringLiteral(KS770SIM), c.args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), c.exitCode);
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        EXPECT_TRUE(out.contains(QLatin1String(c.text))) << out.toStdString();
    }
}
