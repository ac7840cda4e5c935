#pragma once

#include "SerialBackend.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// The serial control: the port number, line settings and receive threshold, then an open line
// to write commands to and read the stream from. OnComm is raised with CommEvent 2 whenever at
// least RThreshold bytes wait.
class CMSComm : public QObject {
    Q_OBJECT
  public:
    static constexpr short kEventReceive = 2;

    // Port numbers reach the lines of `lines`.
    explicit CMSComm(LineFactory lines, QObject* parent = nullptr);
    ~CMSComm() override;

    void SetCommPort(short port) { m_nCommPort = port; }
    short GetCommPort() const { return m_nCommPort; }
    // False when the text is not a setting such as "19200,N,8,1".
    bool SetSettings(const QString& settings);
    QString GetSettings() const { return m_strSettings; }
    void SetInputMode(int mode) { m_nInputMode = mode; }
    void SetRThreshold(short threshold);
    // Opens or closes the line; false (see LastError) when it cannot be opened.
    bool SetPortOpen(bool bOpen);
    bool GetPortOpen() const;
    bool SetOutput(const QByteArray& bytes);
    short GetInBufferCount() const;
    QByteArray GetInput();
    short GetCommEvent() const { return m_nCommEvent; }
    QString LastError() const { return m_strLastError; }

  signals:
    void OnComm();
    // The open line failed (unplugged, hung up); the port is closed.
    void lineFailed(const QString& message);

  private:
    void OnDataReady();

    LineFactory m_lines;
    std::unique_ptr<SerialBackend> m_backend;
    short m_nCommPort = 1;
    QString m_strSettings = QStringLiteral("9600,N,8,1");
    PortSettings m_settings;
    int m_nInputMode = 0;
    short m_nRThreshold = 0;
    short m_nCommEvent = 0;
    QString m_strLastError;
};
