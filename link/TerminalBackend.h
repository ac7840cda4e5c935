#pragma once

#include "SerialBackend.h"

#include <QElapsedTimer>
#include <QTimer>

// A serial device of a POSIX system (a port, a USB adapter, a pseudo-terminal), through the
// terminal interface. The line is not watched: a device such as the recorder writes every few
// milliseconds, and waking up for each write costs far more than the bytes are worth. Instead,
// while the owner waits for a number of bytes, the line is looked at when they should be there
// at the rate they have been arriving, and the owner is told once they are.
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

    // The longest and shortest time between two looks at the line while bytes are awaited.
    static constexpr int kLongestWaitMs = 100;
    static constexpr int kShortestWaitMs = 5;
    static constexpr int kFirstWaitMs = 20; // before the rate is known

  private:
    void Look();
    void LookAgain();
    void Fail(const QString& reason);

    QString m_strDevice;
    int m_fd = -1;
    int m_nThreshold = 0;
    QTimer m_timer;
    // The arrival rate: bytes counted from the start of the current window.
    QElapsedTimer m_clock;
    qint64 m_nArrived = 0; // bytes taken and waiting when the window started
    qint64 m_nTaken = 0;   // bytes read by the owner since the opening
    double m_dRate = 0;    // bytes per millisecond; 0 until measured
};
