#pragma once

#include "ArrivalPace.h"
#include "SerialBackend.h"

#include <QTimer>

// A serial device of a POSIX system (a port, a USB adapter, a pseudo-terminal), through the
// terminal interface. The line is not watched: while the owner waits for a number of bytes, it
// is looked at when they should be there (ArrivalPace), and the owner is told once they are.
class TerminalBackend : public SerialBackend {
    Q_OBJECT
  public:
    explicit TerminalBackend(const QString& device, QObject* parent = nullptr);
    ~TerminalBackend() override;
    bool Open(const PortSettings& settings, QString* error) override;
    void Close() override;
    bool IsOpen() const override { return m_fd >= 0; }
    bool Write(const QByteArray& bytes) override;
    qint64 BytesWaiting() const override;
    QByteArray ReadAll() override;
    void SetReceiveThreshold(int bytes) override;

  private:
    void Look();
    void LookAgain();
    void Fail(const QString& reason);

    QString m_strDevice;
    int m_fd = -1;
    int m_nThreshold = 0;
    QTimer m_timer;
    ArrivalPace m_pace;
};
