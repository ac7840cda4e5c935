#include "TerminalBackend.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

std::optional<speed_t> SpeedOf(int baud) {
    struct Rate {
        int baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {110, B110},     {300, B300},     {600, B600},       {1200, B1200},
        {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    for (const Rate& r : kRates)
        if (r.baud == baud)
            return r.speed;
    return std::nullopt;
}

// Raw bytes with the given framing, no flow control, reads that never block.
bool Configure(int fd, const PortSettings& s, QString* error) {
    const std::optional<speed_t> speed = SpeedOf(s.baud);
    if (!speed) {
        *error = QStringLiteral("%1 baud is not supported").arg(s.baud);
        return false;
    }
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        *error = SystemError(errno);
        return false;
    }
    cfmakeraw(&t);
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY | INPCK);
    t.c_cflag &= ~tcflag_t(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
#ifdef CMSPAR
    t.c_cflag &= ~tcflag_t(CMSPAR);
#endif
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= s.dataBits == 5 ? CS5 : s.dataBits == 6 ? CS6 : s.dataBits == 7 ? CS7 : CS8;
    if (s.stopBits == 2)
        t.c_cflag |= CSTOPB;
    if (s.parity != 'N') {
        t.c_cflag |= PARENB;
        if (s.parity == 'O' || s.parity == 'M')
            t.c_cflag |= PARODD;
        if (s.parity == 'M' || s.parity == 'S') {
#ifdef CMSPAR
            t.c_cflag |= CMSPAR;
#else
            *error = QStringLiteral("Mark and space parity are not supported");
            return false;
#endif
        }
    }
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, *speed) != 0 || cfsetospeed(&t, *speed) != 0 ||
        tcsetattr(fd, TCSANOW, &t) != 0) {
        *error = SystemError(errno);
        return false;
    }
    // Nothing received before the opening. Output is left alone: on a pseudo-terminal,
    // flushing it discards what the other side has not yet read, such as a command written
    // just before the line was reopened at another speed.
    tcflush(fd, TCIFLUSH);
    return true;
}

} // namespace

TerminalBackend::TerminalBackend(const QString& device, QObject* parent)
    : SerialBackend(parent), m_strDevice(device) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TerminalBackend::Look);
}

TerminalBackend::~TerminalBackend() {
    Close();
}

bool TerminalBackend::Open(const PortSettings& settings, QString* error) {
    QString reason;
    const QByteArray path = m_strDevice.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = SystemError(errno);
    } else if (!isatty(fd)) {
        reason = QStringLiteral("not a serial device");
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        reason = errno == EWOULDBLOCK ? QStringLiteral("the port is in use by another program")
                                      : SystemError(errno);
    } else {
        Configure(fd, settings, &reason);
    }
    if (!reason.isEmpty()) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = QStringLiteral("%1: %2").arg(m_strDevice, reason);
        return false;
    }
    m_fd = fd;
    m_pace.Restart();
    LookAgain();
    return true;
}

void TerminalBackend::Close() {
    m_timer.stop();
    if (m_fd >= 0) {
        tcdrain(m_fd); // what was written goes out first, a closing command included
        ::close(m_fd);
    }
    m_fd = -1;
}

bool TerminalBackend::Write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            // The output queue is full: the commands are tiny, so this is brief.
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, 100) <= 0)
                return false;
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return m_fd >= 0;
}

qint64 TerminalBackend::BytesWaiting() const {
    int n = 0;
    return m_fd >= 0 && ioctl(m_fd, FIONREAD, &n) == 0 ? n : 0;
}

QByteArray TerminalBackend::ReadAll() {
    QByteArray bytes;
    char chunk[4096];
    while (m_fd >= 0) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0)
            bytes.append(chunk, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break; // nothing more now (EAGAIN); a hang-up is noticed by the next look
    }
    m_pace.Took(bytes.size());
    LookAgain();
    return bytes;
}

void TerminalBackend::SetReceiveThreshold(int bytes) {
    m_nThreshold = bytes;
    LookAgain();
}

void TerminalBackend::Look() {
    if (m_fd < 0)
        return;
    pollfd p{m_fd, POLLIN, 0};
    const bool bGone = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    const qint64 waiting = BytesWaiting();
    if (m_nThreshold > 0 && waiting >= m_nThreshold) {
        // The owner reads now, which plans the next look.
        const qint64 taken = m_pace.Taken();
        emit dataReady();
        if (m_fd >= 0 && m_pace.Taken() == taken && !bGone) {
            // Not read: no use telling again at once.
            m_timer.start(ArrivalPace::kLongestWaitMs);
            return;
        }
    }
    if (bGone)
        Fail(QStringLiteral("the device hung up"));
    else if (m_fd >= 0 && !m_timer.isActive())
        LookAgain();
}

void TerminalBackend::LookAgain() {
    m_timer.stop();
    if (m_fd >= 0 && m_nThreshold > 0)
        m_timer.start(m_pace.NextWaitMs(m_nThreshold, BytesWaiting()));
}

void TerminalBackend::Fail(const QString& reason) {
    Close();
    emit lineFailed(QStringLiteral("%1: %2").arg(m_strDevice, reason));
}
