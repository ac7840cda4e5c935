#include "PortDirectory.h"

#include "EmulatorBackend.h"
#include "ProfileSettings.h"

#include <QDir>

#include <algorithm>
#include <utility>

LineFactory MakeLineFactory(const ProfileSettings& settings, const PortChoice& choice) {
    auto unit = choice.bDemo ? std::make_shared<EmulatedUnit>(choice.demoOptions) : nullptr;
    const QString device = choice.serialDevice;
    return [&settings, unit, device](int port) -> std::unique_ptr<SerialBackend> {
        if (port == 1 && !device.isEmpty())
            return MakeDeviceLine(device);
        if (port == 1 && unit)
            return std::make_unique<EmulatorBackend>(unit);
        if (port < 1 || port > int(settings.PortDevice.size()))
            return nullptr;
        return MakeDeviceLine(settings.PortDevice[std::size_t(port - 1)]);
    };
}

LineFactory WithPortDevice(LineFactory lines, int port, const QString& device) {
    return [lines = std::move(lines), port, device](int n) -> std::unique_ptr<SerialBackend> {
        if (n == port)
            return MakeDeviceLine(device);
        return lines ? lines(n) : nullptr;
    };
}

namespace {

// ttyS2 before ttyS10: names compare by their text, then by the number they end with.
bool DeviceOrder(const QString& a, const QString& b) {
    const auto split = [](const QString& name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit())
            --digits;
        return std::pair(name.left(digits), name.mid(digits).toLongLong());
    };
    return split(a) < split(b);
}

} // namespace

QStringList SerialDevicesPresent(const QString& devRoot) {
    QStringList devices;
    const auto add = [&](const QString& folder, const QStringList& patterns) {
        const QDir dir(devRoot + folder);
        QStringList names =
            dir.entryList(patterns, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        std::sort(names.begin(), names.end(), DeviceOrder);
        for (const QString& name : names)
            devices << dir.filePath(name);
    };
    add(QStringLiteral("/serial/by-id"), {QStringLiteral("*")});
    add(QString(), {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")});
    add(QString(), {QStringLiteral("ttyS*")});
    return devices;
}
