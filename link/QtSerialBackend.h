#pragma once

#include "SerialBackend.h"

#include <QSerialPort>

// A real serial device through QSerialPort.
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
    void SetReceiveThreshold(int bytes) override;

  private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void UpdateWakeLevel();

    QSerialPort m_port;
    int m_nThreshold = 0;
    int m_nWakeLevel = -1; // the terminal's VMIN as last set; -1 after opening
};
