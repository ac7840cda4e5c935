#include "PortDirectory.h"

#include "EmulatorBackend.h"
#include "ProfileSettings.h"

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
