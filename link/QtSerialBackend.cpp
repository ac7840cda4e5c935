#include "QtSerialBackend.h"

QtSerialBackend::QtSerialBackend(const QString& device, QObject* parent) : SerialBackend(parent) {
    m_port.setPortName(device);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialBackend::dataReady);
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
    m_port.clear(QSerialPort::Input);
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
    return m_port.readAll();
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
