#include "SerialBackend.h"
#include "QtSerialBackend.h"

#include <QStringList>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

std::optional<PortSettings> PortSettings::Parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    PortSettings s;
    bool okBaud = false, okData = false, okStop = false;
    s.baud = parts[0].trimmed().toInt(&okBaud);
    const QString parity = parts[1].trimmed().toUpper();
    s.dataBits = parts[2].trimmed().toInt(&okData);
    s.stopBits = parts[3].trimmed().toInt(&okStop);
    if (!okBaud || !okData || !okStop || s.baud <= 0 || parity.size() != 1 ||
        !QStringLiteral("NOEMS").contains(parity) || s.dataBits < 5 || s.dataBits > 8 ||
        (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    s.parity = parity[0].toLatin1();
    return s;
}

QtSerialBackend::QtSerialBackend(const QString& device, QObject* parent) : SerialBackend(parent) {
    m_port.setPortName(device);
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialBackend::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialBackend::OnError);
}

bool QtSerialBackend::Open(const PortSettings& s, QString* error) {
    const QSerialPort::Parity parity = s.parity == 'E'   ? QSerialPort::EvenParity
                                       : s.parity == 'O' ? QSerialPort::OddParity
                                       : s.parity == 'M' ? QSerialPort::MarkParity
                                       : s.parity == 'S' ? QSerialPort::SpaceParity
                                                         : QSerialPort::NoParity;
    m_port.setBaudRate(s.baud);
    m_port.setParity(parity);
    m_port.setDataBits(QSerialPort::DataBits(s.dataBits));
    m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(m_port.portName(), m_port.errorString());
        return false;
    }
    m_port.clear();
    m_nWakeLevel = -1;
    UpdateWakeLevel();
    return true;
}

void QtSerialBackend::Close() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialBackend::Write(const QByteArray& bytes) {
    if (m_port.write(bytes) != bytes.size())
        return false;
    // The commands are tiny; push them out now so that the waits that follow count from here.
    m_port.waitForBytesWritten(100);
    return true;
}

QByteArray QtSerialBackend::ReadAll() {
    QByteArray bytes = m_port.readAll();
    UpdateWakeLevel();
    return bytes;
}

void QtSerialBackend::SetReceiveThreshold(int bytes) {
    m_nThreshold = bytes;
    UpdateWakeLevel();
}

void QtSerialBackend::OnReadyRead() {
    UpdateWakeLevel();
    emit dataReady();
}

void QtSerialBackend::UpdateWakeLevel() {
#ifdef Q_OS_UNIX
    // The terminal driver reports the line readable only once VMIN bytes wait (VTIME 0; the
    // port is non-blocking, so a read still takes whatever is there). VMIN is kept at what the
    // threshold still lacks, so a session wakes a few times per receive event instead of at
    // every few bytes the device or adapter delivers, and never sleeps past the threshold.
    // Linux hands out at most 64 bytes per read while VMIN is above 64, so it stays at or below.
    constexpr qint64 kMaxWakeBytes = 64;
    const int fd = int(m_port.handle());
    if (!m_port.isOpen() || fd < 0)
        return;
    const int level = m_nThreshold <= 0 ? 0
                                        : int(std::clamp(m_nThreshold - m_port.bytesAvailable(),
                                                         qint64(1), kMaxWakeBytes));
    termios t{};
    if (level == m_nWakeLevel || tcgetattr(fd, &t) != 0)
        return;
    t.c_cc[VMIN] = cc_t(level);
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) == 0)
        m_nWakeLevel = level;
#endif
}

void QtSerialBackend::OnError(QSerialPort::SerialPortError error) {
    // A pseudo-terminal has no modem lines; those requests fail harmlessly.
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError ||
        error == QSerialPort::TimeoutError || !m_port.isOpen())
        return;
    // A device that went away reports a resource error; a terminal whose far end hung up
    // reads nothing, which comes as a read error. Either way the line is gone.
    if (error == QSerialPort::ResourceError || error == QSerialPort::PermissionError ||
        error == QSerialPort::DeviceNotFoundError || error == QSerialPort::ReadError ||
        error == QSerialPort::WriteError) {
        const QString message = m_port.errorString();
        m_port.close(); // an open port in this state reports errors in a loop
        emit lineFailed(message);
    }
}
