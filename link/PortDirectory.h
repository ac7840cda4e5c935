#pragma once

#include "Ks770Device.h"
#include "SerialBackend.h"

#include <QString>

struct ProfileSettings;

// Where this run's serial ports lead.
struct PortChoice {
    bool bDemo = false;   // port 1 is the built-in emulated recorder
    QString serialDevice; // port 1 is this device (takes precedence over the demo)
    Ks770Options demoOptions;
};

// Port n reaches the n-th device of the settings, unless this run chose otherwise for port 1.
LineFactory MakeLineFactory(const ProfileSettings& settings, const PortChoice& choice);
