#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Line settings as the control takes them: "19200,N,8,1".
struct PortSettings {
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    static std::optional<PortSettings> Parse(const QString& text);
    bool operator==(const PortSettings&) const = default;
};

// One serial line: a real port, or the built-in recorder emulator.
class SerialBackend : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // False with a reason when the line cannot be opened with these settings.
    virtual bool Open(const PortSettings& settings, QString* error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool Write(const QByteArray& bytes) = 0;
    virtual qint64 BytesWaiting() const = 0;
    // Takes every waiting byte, in arrival order.
    virtual QByteArray ReadAll() = 0;
    // How many bytes the owner waits for before it reads; a line may use this to stay asleep
    // until then instead of reporting every byte. 0: every byte counts.
    virtual void SetReceiveThreshold(int bytes) { (void)bytes; }

  signals:
    void dataReady();
    // The line failed while open (cable pulled, adapter unplugged); it has been closed.
    void lineFailed(const QString& message);
};

// The line of a serial device of this system ("/dev/ttyS0", "COM1").
std::unique_ptr<SerialBackend> MakeDeviceLine(const QString& device);

// Which line a port number (1 to 4) reaches: a new, closed line, or null when there is no such
// port. Handed to whoever opens ports; an empty factory has no ports at all.
using LineFactory = std::function<std::unique_ptr<SerialBackend>(int port)>;
