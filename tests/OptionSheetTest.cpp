// The option sheet: its pages, what OK stores and Cancel keeps, the General page's rules and
// link check, and what the rest of the program takes from the settings afterwards.
#include "OptionSheet.h"
#include "AdvancePage.h"
#include "EmulatorBackend.h"
#include "GeneralPage.h"
#include "MainFrame.h"
#include "PortDirectory.h"
#include "PrintOption.h"
#include "PrintStyle.h"
#include "TestSupport.h"
#include "ViewOption.h"
#include "ZM540View.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

// Port 1 and port 3 reach a KS770Vet; port 2 opens but its unit never answers; port 4 has no
// line at all.
struct SheetFixture : DocFixture {
    std::shared_ptr<EmulatedUnit> unit = std::make_shared<EmulatedUnit>();
    std::shared_ptr<EmulatedUnit> mute = [] {
        Ks770Options o;
        o.bNoAnswer = true;
        return std::make_shared<EmulatedUnit>(o);
    }();
    LineFactory Lines() {
        return [this](int port) -> std::unique_ptr<SerialBackend> {
            if (port == 1 || port == 3)
                return std::make_unique<EmulatorBackend>(unit);
            if (port == 2)
                return std::make_unique<EmulatorBackend>(mute);
            return nullptr;
        };
    }
};

// Every setting of the profile as "Section/Key=value" lines, and the scheme table.
QStringList Everything(ProfileSettings& s) {
    QStringList lines;
    for (const ProfileTextEntry& e : ProfileTextEntries(s))
        lines << e.path + QLatin1Char('=') + *e.value;
    for (const ProfileEntry& e : ProfileEntries(s))
        lines << QStringLiteral("%1/%2=%3").arg(e.section, e.key).arg(*e.value);
    for (const SchemeColours& row : s.schemes)
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                     .arg(row.crBackground)
                     .arg(row.crMajorGrid)
                     .arg(row.crMinorGrid)
                     .arg(row.crChannel1)
                     .arg(row.crChannel2)
                     .arg(row.crChannel3)
                     .arg(row.crLabel)
                     .arg(row.nSpare);
    return lines;
}

// Settings that differ from the defaults everywhere the sheet looks.
void MakeUnusual(ProfileSettings& s) {
    s.COMS = 2;
    s.InitDirSel = kDirSetBelow;
    s.InitDir = QStringLiteral("/srv/ecg");
    s.PortDevice[2] = QStringLiteral("/dev/ttyUSB7");
    s.RealTimeFilter = 1;
    s.Scheme = 6;
    s.UserScheme().crBackground = 0x112233;
    s.PrintInColour = 0;
    s.EllipseForDots = 1;
    s.Trace = 0x445566;
    s.GridSelect = {1, 0};
    s.MajorStyle = {1, 2};
    s.MajorSize = {5, 6};
    s.MinorStyle = {0, 1};
    s.MinorSize = {0, 3};
    s.TraceStyle = {2, 1};
    s.TraceSize = {4, 5};
}

} // namespace

TEST(OptionSheet, FourTabsOpeningOnGeneral) {
    SheetFixture f;
    f.settings.COMS = 2;
    COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString());
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("ZM540Vet Setup options"));
    QStringList tabs;
    for (int i = 0; i < sheet.Tabs()->count(); ++i)
        tabs << sheet.Tabs()->tabText(i);
    EXPECT_EQ(tabs, QStringList({"General", "Advance", "Display/View", "Print/Export"}));
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 0);
    EXPECT_EQ(sheet.General()->m_pPorts->checkedId(), 2); // the General page is loaded: COM3
}

TEST(OptionSheet, OkWithNothingChangedStoresEveryValueAsItWas) {
    for (const bool bUnusual : {false, true}) {
        SCOPED_TRACE(bUnusual);
        SheetFixture f;
        if (bUnusual)
            MakeUnusual(f.settings);
        const QStringList before = Everything(f.settings);
        COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString());
        // Every page shown once, as a user looking through the sheet would.
        for (int i : {1, 2, 3, 0})
            sheet.Tabs()->setCurrentIndex(i);
        sheet.accept();
        EXPECT_EQ(Everything(f.settings), before);
    }
}

TEST(OptionSheet, CancelKeepsNoEdit) {
    SheetFixture f;
    const QStringList before = Everything(f.settings);
    COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString());
    sheet.General()->m_pPorts->button(3)->click();
    sheet.Tabs()->setCurrentIndex(1);
    sheet.Advance()->m_pRealTime->setChecked(true);
    sheet.Tabs()->setCurrentIndex(0); // the Advance page took its box's value
    sheet.reject();
    EXPECT_EQ(Everything(f.settings), before);
}

TEST(OptionSheet, TheAdvanceBoxTurnsOnTheRealTimeFilterForTheNextSession) {
    SheetFixture f;
    f.settings.COMS = 0; // port 1: the emulated unit
    CMainFrame frame(*f.doc, f.settings, f.prompter, f.Lines());
    {
        COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString(), &frame);
        sheet.Tabs()->setCurrentIndex(1);
        sheet.Advance()->m_pRealTime->setChecked(true);
        sheet.accept(); // on the Advance page: the shown page gives up its value first
    }
    EXPECT_EQ(f.settings.RealTimeFilter, 1);
    f.doc->m_dCutoff = 40.0;
    frame.GetView()->OnRecord();
    ASSERT_TRUE(frame.GetView()->IsAcquiring());
    EXPECT_EQ(frame.GetView()->Session().State().m_bRealTimeFilter, 1);
    frame.GetView()->OnRecord();
}

TEST(GeneralPage, TheDirectoryFieldAndBrowseFollowTheRule) {
    SheetFixture f;
    CGeneralPage page(f.settings, f.prompter, f.Lines());
    page.OnSetActive();
    for (const auto& [rule, bEnabled] :
         {std::pair{kDirSystemDefault, false}, std::pair{kDirLastAccessed, false},
          std::pair{kDirSetBelow, true}}) {
        page.m_pDirRules->button(rule)->click();
        EXPECT_EQ(page.m_editDir->isEnabled(), bEnabled) << rule;
        EXPECT_EQ(page.m_btnBrowse->isEnabled(), bEnabled) << rule;
    }
    // Browse starts at the current directory and puts the chosen folder in the field.
    f.prompter.directories.push_back(QStringLiteral("/srv/ecg"));
    page.OnBrowse();
    EXPECT_EQ(f.prompter.fileDialogs.last(),
              QStringLiteral("folder|Select the initial directory|") + QDir::currentPath());
    EXPECT_EQ(page.m_editDir->text(), QDir::toNativeSeparators("/srv/ecg"));
    page.OnBrowse(); // cancelled: the field stays
    EXPECT_EQ(page.m_editDir->text(), QDir::toNativeSeparators("/srv/ecg"));
    page.OnKillActive();
    ProfileSettings out;
    page.StoreInto(out);
    EXPECT_EQ(out.InitDir, QDir::toNativeSeparators("/srv/ecg"));
    EXPECT_EQ(out.InitDirSel, kDirSetBelow);
}

TEST(GeneralPage, LinkCheckOnThePortShown) {
    struct Case {
        const char* name;
        int port; // -1: no port chosen
        const char* caption;
        const char* text;
    };
    for (const Case& c : {
             Case{"no port", -1, "Comms unselected", "Please select a port first."},
             Case{"COM3, a unit", 2, "Links check OK", "A KS770Vet is found on this port."},
             Case{"COM2, no answer", 1, "Links check failed",
                  "A KS770Vet is NOT found on this port."},
             Case{"COM4, no line", 3, "Links check failed",
                  "A KS770Vet is NOT found on this port."},
         }) {
        SCOPED_TRACE(c.name);
        SheetFixture f;
        f.settings.COMS = c.port;
        CGeneralPage page(f.settings, f.prompter, f.Lines());
        page.OnSetActive();
        page.OnLinkCheck();
        EXPECT_EQ(f.prompter.captions, QStringList({c.caption}));
        EXPECT_EQ(f.prompter.asked, QStringList({c.text}));
    }
}

TEST(GeneralPage, LinkCheckUsesTheDeviceShownAndThisRunsPort) {
    SheetFixture f;
    f.settings.COMS = 2;
    {
        // COM3 reaches a unit, but the page shows another device for it: that one is checked.
        CGeneralPage page(f.settings, f.prompter, f.Lines());
        page.OnSetActive();
        page.m_pDevice->setEditText(f.Path("no-such-device"));
        page.OnLinkCheck();
        EXPECT_EQ(f.prompter.captions.last(), QStringLiteral("Links check failed"));
        page.OnKillActive();
        ProfileSettings out;
        page.StoreInto(out);
        EXPECT_EQ(out.PortDevice[2], f.Path("no-such-device"));
        EXPECT_EQ(out.PortDevice[0], f.settings.PortDevice[0]);
    }
    {
        // This run records from port 1 whatever is chosen: the page says so, and checks it even
        // with no port chosen.
        f.settings.COMS = -1;
        CGeneralPage page(f.settings, f.prompter, f.Lines(), 1, QStringLiteral("the demo unit"));
        page.OnSetActive();
        EXPECT_FALSE(page.m_pRunNote->isHidden());
        EXPECT_TRUE(page.m_pRunNote->text().contains(QStringLiteral("the demo unit")));
        page.OnLinkCheck();
        EXPECT_EQ(f.prompter.captions.last(), QStringLiteral("Links check OK"));
    }
}

TEST(GeneralPage, AnEditIsLostOnComingBackAndKeptByOk) {
    SheetFixture f;
    f.settings.COMS = 0;
    {
        COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString());
        sheet.General()->m_pPorts->button(3)->click();
        sheet.Tabs()->setCurrentIndex(1);
        sheet.Tabs()->setCurrentIndex(0);
        EXPECT_EQ(sheet.General()->m_pPorts->checkedId(), 0);
        sheet.General()->m_pPorts->button(2)->click();
        sheet.Tabs()->setCurrentIndex(1); // left, and OK without coming back
        sheet.accept();
    }
    EXPECT_EQ(f.settings.COMS, 2);
}

TEST(PortDirectory, SerialDevicesByStableNameThenAdaptersThenBuiltInPorts) {
    QTemporaryDir dev;
    QDir(dev.path()).mkpath(QStringLiteral("serial/by-id"));
    for (const char* name : {"serial/by-id/usb-FTDI_FT232R-if00-port0", "ttyUSB1", "ttyUSB0",
                             "ttyACM0", "ttyS10", "ttyS2", "tty", "ttyX", "null"}) {
        QFile file(dev.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString d = dev.path();
    EXPECT_EQ(SerialDevicesPresent(d),
              QStringList({d + "/serial/by-id/usb-FTDI_FT232R-if00-port0", d + "/ttyACM0",
                           d + "/ttyUSB0", d + "/ttyUSB1", d + "/ttyS2", d + "/ttyS10"}));
}

TEST(OptionSheet, WhatOkStoresIsWhatTheViewAndThePageUseNext) {
    SheetFixture f;
    CMainFrame frame(*f.doc, f.settings, f.prompter, f.Lines());
    frame.resize(800, 600);
    {
        COptionSheet sheet(f.settings, f.prompter, f.Lines(), 0, QString(), &frame);
        sheet.Tabs()->setCurrentIndex(2);
        QComboBox* schemes = sheet.ViewPage()->SchemeChooser();
        schemes->setCurrentIndex(2); // "Dark", as the user picks it
        emit schemes->activated(2);
        sheet.Tabs()->setCurrentIndex(3);
        sheet.PrintPage()->m_monoRadio->click();
        sheet.accept();
    }
    frame.GetDocument().UpdateAllViews();
    frame.GetView()->RebuildBackground();
    const SchemeColours& c = frame.GetView()->m_colours;
    // Black background, grey grid lines (90 and 50), green, cyan and yellow traces, white labels.
    EXPECT_EQ(c.crBackground, MakeColourRef(0, 0, 0));
    EXPECT_EQ(c.crMajorGrid, MakeColourRef(90, 90, 90));
    EXPECT_EQ(c.crMinorGrid, MakeColourRef(50, 50, 50));
    EXPECT_EQ(c.crChannel1, MakeColourRef(0, 255, 0));
    EXPECT_EQ(c.crChannel2, MakeColourRef(0, 255, 255));
    EXPECT_EQ(c.crChannel3, MakeColourRef(255, 255, 0));
    EXPECT_EQ(c.crLabel, MakeColourRef(255, 255, 255));
    EXPECT_EQ(frame.GetView()->Background().pixelColor(0, 0), QColor(0, 0, 0));
    // The next page is monochrome: its grid is drawn in black.
    EXPECT_EQ(f.settings.PrintInColour, 0);
    EXPECT_FALSE(ReadPrintStyle(f.settings).bColour);
}
