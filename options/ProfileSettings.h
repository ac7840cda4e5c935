#pragma once

#include "SchemeColours.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class QSettings;

std::array<QString, 4> DefaultPortDevices();

// Monochrome and colour members of the print option pairs.
constexpr int kMono = 0;
constexpr int kColour = 1;
using PrintPair = std::array<std::int32_t, 2>;

// Every user option of the program, held for the whole run. Read from the profile at
// start-up and written back at exit. The user colours of the "View" section live in the
// user row of the scheme table, which is why the table is part of the block.
struct ProfileSettings {
    // Every setting at its first-run value: the defaults of ProfileTextEntries and
    // ProfileEntries, the rest of the scheme table as DefaultSchemeTable gives it.
    ProfileSettings();

    QString InitDir;
    // The serial device of each port number 1 to 4 (COM1 to COM4 where the platform names them).
    std::array<QString, 4> PortDevice;
    std::int32_t Scheme;
    std::int32_t Speed; // mm/s of the drawing and the page
    std::int32_t Gain;  // mm/mV likewise
    std::int32_t COMS;
    std::int32_t InitDirSel;
    std::int32_t RealTimeFilter;
    std::int32_t Background;
    std::int32_t MajorGrid;
    std::int32_t MinorGrid;
    std::int32_t Trace;
    std::int32_t EllipseForDots;
    std::int32_t PrintInColour;
    PrintPair GridSelect;
    PrintPair MajorStyle;
    PrintPair MajorSize;
    PrintPair MinorStyle;
    PrintPair MinorSize;
    PrintPair TraceStyle;
    PrintPair TraceSize;
    SchemeTable schemes = DefaultSchemeTable();

    SchemeColours& UserScheme() { return schemes[kUserScheme]; }
};

// ECG directory rule values of InitDirSel.
enum InitDirRule : std::int32_t { kDirSystemDefault = 0, kDirLastAccessed = 1, kDirSetBelow = 2 };

// One integer setting of the profile: where it lives, its key and its default.
struct ProfileEntry {
    const char* section;
    const char* key;
    std::int32_t* value;
    std::int32_t defaultValue;
};

// The integer settings of `settings`, in load and save order, after the text settings.
std::vector<ProfileEntry> ProfileEntries(ProfileSettings& settings);

// One text setting of the profile: its "Section/Key" path and its default.
struct ProfileTextEntry {
    QString path;
    QString* value;
    QString defaultValue;
};

// The text settings of `settings` (the ECG directory, the port devices), in load and save order.
std::vector<ProfileTextEntry> ProfileTextEntries(ProfileSettings& settings);

// Reads every setting; absent or unreadable keys take their defaults.
void LoadSettings(QSettings& profile, ProfileSettings& settings);
// Writes every setting, changed or not.
void SaveSettings(QSettings& profile, ProfileSettings& settings);

// The organisation and application names of the user profile.
constexpr const char* kProfileCompany = "Tallowin";
constexpr const char* kProfileApplication = "ZM540 Vet";
