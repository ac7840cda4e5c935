#include "ProfileSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProfileFixture {
    QTemporaryDir dir;
    QString Path() const { return dir.filePath(QStringLiteral("profile.ini")); }
    std::unique_ptr<QSettings> Open() const {
        return std::make_unique<QSettings>(Path(), QSettings::IniFormat);
    }
};

struct Expected {
    const char* key;
    qint64 value;
};

// Every key the program keeps, with its first-run value.
const Expected kDefaults[] = {
    {"View/Scheme", 0},
    {"View/Speed", 25},
    {"View/Gain", 10},
    {"View/UserBkGround", 0xFFFFFF},
    {"View/UserMajor", 0x0080FF},
    {"View/UserMinor", 0xCECEFF},
    {"View/UserColour1", 0x800000},
    {"View/UserColour2", 0x000000},
    {"View/UserColour3", 0x008000},
    {"View/UserLabel", 0xFF0000},
    {"General/COMS", -1},
    {"General/InitDirSel", 0},
    {"Advance/RealTimeFilter", 0},
    {"Print/Background", 0xFFFFFF},
    {"Print/MajorGrid", 0x0080FF},
    {"Print/MinorGrid", 0xCECEFF},
    {"Print/Trace", 0x000000},
    {"Print/EllipseForDots", 0},
    {"Print/PrintInColour", 1},
    {"Print/MonoGridSelect", 0},
    {"Print/MonoMajorStyle", 0},
    {"Print/MonoMajorSize", 2},
    {"Print/MonoMinorStyle", 2},
    {"Print/MonoMinorSize", 1},
    {"Print/MonoTraceStyle", 0},
    {"Print/MonoTraceSize", 2},
    {"Print/ColorGridSelect", 1},
    {"Print/ColorMajorStyle", 0},
    {"Print/ColorMajorSize", 2},
    {"Print/ColorMinorStyle", 0},
    {"Print/ColorMinorSize", 1},
    {"Print/ColorTraceStyle", 0},
    {"Print/ColorTraceSize", 2},
};

struct ExpectedText {
    const char* key;
    const char* value;
};

// The text settings with their first-run values.
const ExpectedText kTextDefaults[] = {
    {"General/InitDir", "."},
#ifdef Q_OS_WIN
    {"General/Port1Device", "COM1"}, {"General/Port2Device", "COM2"},
    {"General/Port3Device", "COM3"}, {"General/Port4Device", "COM4"},
#else
    {"General/Port1Device", "/dev/ttyS0"},
    {"General/Port2Device", "/dev/ttyS1"},
    {"General/Port3Device", "/dev/ttyS2"},
    {"General/Port4Device", "/dev/ttyS3"},
#endif
};

} // namespace

TEST(Settings, NewSettingsHoldTheFirstRunValues) {
    const ProfileSettings s;
    const SchemeColours& user = s.schemes[kUserScheme];
    // The fields in the order of kDefaults.
    const qint64 fields[] = {
        s.Scheme,
        s.Speed,
        s.Gain,
        user.crBackground,
        user.crMajorGrid,
        user.crMinorGrid,
        user.crChannel1,
        user.crChannel2,
        user.crChannel3,
        user.crLabel,
        s.COMS,
        s.InitDirSel,
        s.RealTimeFilter,
        s.Background,
        s.MajorGrid,
        s.MinorGrid,
        s.Trace,
        s.EllipseForDots,
        s.PrintInColour,
        s.GridSelect[kMono],
        s.MajorStyle[kMono],
        s.MajorSize[kMono],
        s.MinorStyle[kMono],
        s.MinorSize[kMono],
        s.TraceStyle[kMono],
        s.TraceSize[kMono],
        s.GridSelect[kColour],
        s.MajorStyle[kColour],
        s.MajorSize[kColour],
        s.MinorStyle[kColour],
        s.MinorSize[kColour],
        s.TraceStyle[kColour],
        s.TraceSize[kColour],
    };
    ASSERT_EQ(std::size(fields), std::size(kDefaults));
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i], kDefaults[i].value) << kDefaults[i].key;

    const QString texts[] = {s.InitDir, s.PortDevice[0], s.PortDevice[1], s.PortDevice[2],
                             s.PortDevice[3]};
    ASSERT_EQ(std::size(texts), std::size(kTextDefaults));
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(texts[i], kTextDefaults[i].value) << kTextDefaults[i].key;

    // The rest of the scheme table is the built-in one.
    EXPECT_EQ(user.nSpare, 6u);
    EXPECT_EQ(s.schemes[2].crBackground, 0x000000u);
    EXPECT_EQ(s.schemes[5].crMajorGrid, 0xB469FFu);
}

TEST(Settings, EmptyProfileGivesDefaultsAndASaveWritesEveryKey) {
    ProfileFixture p;
    ProfileSettings s;
    s.COMS = 3;
    s.InitDir = "elsewhere";
    s.PortDevice[3] = "/dev/ttyUSB9";
    s.UserScheme().crLabel = 0x123456;
    LoadSettings(*p.Open(), s);
    EXPECT_EQ(s.InitDir, ".");
    EXPECT_EQ(s.PortDevice[3], kTextDefaults[4].value);
    EXPECT_EQ(s.COMS, -1);
    EXPECT_EQ(s.UserScheme().crLabel, 0xFF0000u);

    SaveSettings(*p.Open(), s);
    auto profile = p.Open();
    EXPECT_EQ(profile->allKeys().size(), std::size(kDefaults) + std::size(kTextDefaults));
    for (const ExpectedText& e : kTextDefaults)
        EXPECT_EQ(profile->value(e.key).toString(), e.value) << e.key;
    for (const Expected& e : kDefaults)
        EXPECT_EQ(profile->value(e.key).toLongLong(), e.value) << e.key;

    // The table holds exactly these keys, in this order (the order of loading and saving).
    const std::vector<ProfileEntry> entries = ProfileEntries(s);
    ASSERT_EQ(entries.size(), std::size(kDefaults));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(QString("%1/%2").arg(entries[i].section, entries[i].key), kDefaults[i].key);
        EXPECT_EQ(entries[i].defaultValue, kDefaults[i].value) << kDefaults[i].key;
    }
    const std::vector<ProfileTextEntry> texts = ProfileTextEntries(s);
    ASSERT_EQ(texts.size(), std::size(kTextDefaults));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].path, kTextDefaults[i].key);
        EXPECT_EQ(texts[i].defaultValue, kTextDefaults[i].value) << kTextDefaults[i].key;
    }
}

TEST(Settings, SaveLoadRoundTrip) {
    ProfileFixture p;
    ProfileSettings s;
    s.InitDir = "/srv/ecg/";
    s.Scheme = 2;
    s.COMS = -1;
    s.InitDirSel = 1;
    s.RealTimeFilter = 1;
    s.Trace = 0x00ABCDEF;
    s.PrintInColour = 0;
    s.GridSelect = {1, 0};
    s.TraceSize = {-7, 5};
    s.UserScheme().crBackground = 0x0000FF;
    s.PortDevice[2] = "/dev/ttyUSB0";
    SaveSettings(*p.Open(), s);

    ProfileSettings t;
    t.COMS = 2; // the stored -1 must come back
    LoadSettings(*p.Open(), t);
    EXPECT_EQ(t.InitDir, "/srv/ecg/");
    EXPECT_EQ(t.Scheme, 2);
    EXPECT_EQ(t.COMS, -1);
    EXPECT_EQ(t.InitDirSel, 1);
    EXPECT_EQ(t.RealTimeFilter, 1);
    EXPECT_EQ(t.Trace, 0x00ABCDEF);
    EXPECT_EQ(t.PrintInColour, 0);
    EXPECT_EQ(t.GridSelect, (PrintPair{1, 0}));
    EXPECT_EQ(t.TraceSize, (PrintPair{-7, 5}));
    EXPECT_EQ(t.UserScheme().crBackground, 0x0000FFu);
    EXPECT_EQ(t.PortDevice[2], "/dev/ttyUSB0");
}

TEST(Settings, UserColoursAreTheUserSchemeRow) {
    ProfileFixture p;
    {
        auto profile = p.Open();
        profile->setValue("View/Scheme", 3);
        profile->setValue("View/UserBkGround", 0x112233);
        profile->setValue("View/UserLabel", 0x445566);
        profile->setValue("General/COMS", "not a number"); // an edited profile
    }
    ProfileSettings s;
    LoadSettings(*p.Open(), s);
    EXPECT_EQ(GetSchemeColours(s.schemes, 6).crBackground, 0x112233u);
    EXPECT_EQ(GetSchemeColours(s.schemes, 6).crLabel, 0x445566u);
    EXPECT_EQ(s.COMS, -1);
    // Another scheme being current does not stop the user row from being saved.
    EXPECT_EQ(s.Scheme, 3);
    s.UserScheme().crMinorGrid = 0x0A0B0C;
    SaveSettings(*p.Open(), s);
    EXPECT_EQ(p.Open()->value("View/UserMinor").toInt(), 0x0A0B0C);
    EXPECT_EQ(p.Open()->value("View/UserBkGround").toInt(), 0x112233);
}
