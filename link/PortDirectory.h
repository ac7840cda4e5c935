#pragma once

#include "Ks770Device.h"
#include "SerialBackend.h"

#include <QString>
#include <QStringList>

struct ProfileSettings;

// Where this run's serial ports lead.
struct PortChoice {
    bool bDemo = false;   // port 1 is the built-in emulated recorder
    QString serialDevice; // port 1 is this device (takes precedence over the demo)
    Ks770Options demoOptions;
};

// Port n reaches the n-th device of the settings, unless this run chose otherwise for port 1.
LineFactory MakeLineFactory(const ProfileSettings& settings, const PortChoice& choice);
// `lines`, except that port `port` reaches `device`.
LineFactory WithPortDevice(LineFactory lines, int port, const QString& device);
// The serial devices present on this machine, for choosing a port's device: adapters by their
// stable names first (/dev/serial/by-id), then USB and ACM adapters and the built-in ports.
QStringList SerialDevicesPresent(const QString& devRoot = QStringLiteral("/dev"));
