#pragma once

#include "SerialBackend.h"

#include <QSerialPort>

// A real serial device through QSerialPort (Windows).
class QtSerialBackend : public SerialBackend {
    Q_OBJECT
  public:
    explicit QtSerialBackend(const QString& device, QObject* parent = nullptr);
    bool Open(const PortSettings& settings, QString* error) override;
    void Close() override;
    bool IsOpen() const override { return m_port.isOpen(); }
    bool Write(const QByteArray& bytes) override;
    qint64 BytesWaiting() const override { return m_port.bytesAvailable(); }
    QByteArray ReadAll() override;

  private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
};
