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
    QString InitDir = ".";
    // The serial device of each port number 1 to 4 (COM1 to COM4 where the platform names them).
    std::array<QString, 4> PortDevice = DefaultPortDevices();
    std::int32_t Scheme = 0;
    std::int32_t COMS = -1;
    std::int32_t InitDirSel = 0;
    std::int32_t RealTimeFilter = 0;
    std::int32_t Background = 0xFFFFFF;
    std::int32_t MajorGrid = 0x0080FF;
    std::int32_t MinorGrid = 0xCECEFF;
    std::int32_t Trace = 0x000000;
    std::int32_t EllipseForDots = 0;
    std::int32_t PrintInColour = 1;
    PrintPair GridSelect = {0, 1};
    PrintPair MajorStyle = {0, 0};
    PrintPair MajorSize = {2, 2};
    PrintPair MinorStyle = {2, 0};
    PrintPair MinorSize = {1, 1};
    PrintPair TraceStyle = {0, 0};
    PrintPair TraceSize = {2, 2};
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

// The integer settings of `settings`, in load and save order. InitDir is handled on its own.
std::vector<ProfileEntry> ProfileEntries(ProfileSettings& settings);

// Reads every setting; absent or unreadable keys take their defaults.
void LoadSettings(QSettings& profile, ProfileSettings& settings);
// Writes every setting, changed or not.
void SaveSettings(QSettings& profile, ProfileSettings& settings);

// The organisation and application names of the user profile.
constexpr const char* kProfileCompany = "Tallowin";
constexpr const char* kProfileApplication = "ZM540 Vet";
