#include "ProfileSettings.h"

#include <QSettings>

namespace {

// The scheme words are unsigned; the profile stores them as 32-bit integers. A signed and an
// unsigned integer of the same width may alias each other.
std::int32_t* AsProfileInt(ColourRef& colour) {
    return reinterpret_cast<std::int32_t*>(&colour);
}

QString KeyPath(const ProfileEntry& e) {
    return QString::fromLatin1(e.section) + QLatin1Char('/') + QString::fromLatin1(e.key);
}

} // namespace

std::array<QString, 4> DefaultPortDevices() {
    std::array<QString, 4> devices;
    for (int i = 0; i < 4; ++i) {
#ifdef Q_OS_WIN
        devices[std::size_t(i)] = QStringLiteral("COM%1").arg(i + 1);
#else
        devices[std::size_t(i)] = QStringLiteral("/dev/ttyS%1").arg(i);
#endif
    }
    return devices;
}

ProfileSettings::ProfileSettings() {
    for (const ProfileTextEntry& e : ProfileTextEntries(*this))
        *e.value = e.defaultValue;
    for (const ProfileEntry& e : ProfileEntries(*this))
        *e.value = e.defaultValue;
}

std::vector<ProfileTextEntry> ProfileTextEntries(ProfileSettings& s) {
    std::vector<ProfileTextEntry> entries{
        {QStringLiteral("General/InitDir"), &s.InitDir, QStringLiteral(".")}};
    const std::array<QString, 4> devices = DefaultPortDevices();
    for (std::size_t i = 0; i < devices.size(); ++i)
        entries.push_back(
            {QStringLiteral("General/Port%1Device").arg(i + 1), &s.PortDevice[i], devices[i]});
    return entries;
}

std::vector<ProfileEntry> ProfileEntries(ProfileSettings& s) {
    SchemeColours& user = s.UserScheme();
    const SchemeColours initial = DefaultSchemeTable()[kUserScheme]; // the built-in user row
    return {
        {"View", "Scheme", &s.Scheme, 0},
        {"View", "Speed", &s.Speed, 25},
        {"View", "Gain", &s.Gain, 10},
        {"View", "UserBkGround", AsProfileInt(user.crBackground),
         std::int32_t(initial.crBackground)},
        {"View", "UserMajor", AsProfileInt(user.crMajorGrid), std::int32_t(initial.crMajorGrid)},
        {"View", "UserMinor", AsProfileInt(user.crMinorGrid), std::int32_t(initial.crMinorGrid)},
        {"View", "UserColour1", AsProfileInt(user.crChannel1), std::int32_t(initial.crChannel1)},
        {"View", "UserColour2", AsProfileInt(user.crChannel2), std::int32_t(initial.crChannel2)},
        {"View", "UserColour3", AsProfileInt(user.crChannel3), std::int32_t(initial.crChannel3)},
        {"View", "UserLabel", AsProfileInt(user.crLabel), std::int32_t(initial.crLabel)},
        {"General", "COMS", &s.COMS, -1},
        {"General", "InitDirSel", &s.InitDirSel, 0},
        {"Advance", "RealTimeFilter", &s.RealTimeFilter, 0},
        {"Print", "Background", &s.Background, 0xFFFFFF},
        {"Print", "MajorGrid", &s.MajorGrid, 0x0080FF},
        {"Print", "MinorGrid", &s.MinorGrid, 0xCECEFF},
        {"Print", "Trace", &s.Trace, 0x000000},
        {"Print", "EllipseForDots", &s.EllipseForDots, 0},
        {"Print", "PrintInColour", &s.PrintInColour, 1},
        {"Print", "MonoGridSelect", &s.GridSelect[kMono], 0},
        {"Print", "MonoMajorStyle", &s.MajorStyle[kMono], 0},
        {"Print", "MonoMajorSize", &s.MajorSize[kMono], 2},
        {"Print", "MonoMinorStyle", &s.MinorStyle[kMono], 2},
        {"Print", "MonoMinorSize", &s.MinorSize[kMono], 1},
        {"Print", "MonoTraceStyle", &s.TraceStyle[kMono], 0},
        {"Print", "MonoTraceSize", &s.TraceSize[kMono], 2},
        {"Print", "ColorGridSelect", &s.GridSelect[kColour], 1},
        {"Print", "ColorMajorStyle", &s.MajorStyle[kColour], 0},
        {"Print", "ColorMajorSize", &s.MajorSize[kColour], 2},
        {"Print", "ColorMinorStyle", &s.MinorStyle[kColour], 0},
        {"Print", "ColorMinorSize", &s.MinorSize[kColour], 1},
        {"Print", "ColorTraceStyle", &s.TraceStyle[kColour], 0},
        {"Print", "ColorTraceSize", &s.TraceSize[kColour], 2},
    };
}

void LoadSettings(QSettings& profile, ProfileSettings& settings) {
    for (const ProfileTextEntry& e : ProfileTextEntries(settings))
        *e.value = profile.value(e.path, e.defaultValue).toString();
    for (const ProfileEntry& e : ProfileEntries(settings)) {
        bool ok = false;
        const qlonglong v = profile.value(KeyPath(e)).toLongLong(&ok);
        // A value that is not a 32-bit integer counts as absent.
        *e.value = (ok && v >= INT32_MIN && v <= UINT32_MAX) ? std::int32_t(std::uint32_t(v))
                                                             : e.defaultValue;
    }
}

void SaveSettings(QSettings& profile, ProfileSettings& settings) {
    for (const ProfileTextEntry& e : ProfileTextEntries(settings))
        profile.setValue(e.path, *e.value);
    for (const ProfileEntry& e : ProfileEntries(settings))
        profile.setValue(KeyPath(e), *e.value);
    profile.sync();
}
