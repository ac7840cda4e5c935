#include "SerialBackend.h"

#include <QStringList>

#ifdef Q_OS_UNIX
#include "TerminalBackend.h"
#else
#include "QtSerialBackend.h"
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

std::unique_ptr<SerialBackend> MakeDeviceLine(const QString& device) {
#ifdef Q_OS_UNIX
    return std::make_unique<TerminalBackend>(device);
#else
    return std::make_unique<QtSerialBackend>(device);
#endif
}
