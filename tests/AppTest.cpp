// The application: start-up from the command line with a private settings file, File Open with
// the directory rule, settings kept at exit, the splash and the about box.
#include "TestSupport.h"

#include "AboutDlg.h"
#include "Commands.h"
#include "MainFrame.h"
#include "SplashWnd.h"
#include "ZM540App.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct AppFixture {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    QString ini = dir.filePath(QStringLiteral("profile.ini"));
    std::unique_ptr<CZM540App> app = std::make_unique<CZM540App>(&prompter);

    QString Path(const QString& name) const { return dir.filePath(name); }
    bool Start(const QStringList& extra = {}) {
        return app->InitInstance(QStringList({"zm540vet", "--settings", ini}) + extra);
    }
    QString SavedRecording(const QString& name) {
        DocFixture other;
        other.Record(false, 3000);
        EXPECT_TRUE(other.doc->OnSaveDocument(Path(name)));
        return Path(name);
    }
};

} // namespace

TEST(App, StartsWithANewRecordingOrTheFileOnTheCommandLine) {
    AppFixture f;
    const QString path = f.SavedRecording("tom.vecg");
    ASSERT_TRUE(f.Start({path}));
    EXPECT_EQ(f.app->GetMainFrame()->windowTitle(), "tom.vecg - ZM540 Vet");
    EXPECT_EQ(f.app->GetDocument()->m_bTwelveLead, 0);
    EXPECT_EQ(f.app->GetDocument()->m_nSamples, 3000);
    EXPECT_TRUE(f.app->GetMainFrame()->isVisible());

    AppFixture plain;
    ASSERT_TRUE(plain.Start());
    EXPECT_EQ(plain.app->GetMainFrame()->windowTitle(), "Untitled - ZM540 Vet");
    EXPECT_TRUE(plain.prompter.asked.isEmpty());
}

TEST(App, BadCommandLineStopsBeforeAnyWindow) {
    AppFixture f;
    EXPECT_FALSE(f.Start({"--no-such-option"}));
    EXPECT_EQ(f.app->ExitCode(), 2);
    EXPECT_EQ(f.app->GetMainFrame(), nullptr);
}

TEST(App, FileWithAWrongSignatureLeavesAnEmptyUntitledRecording) {
    for (const bool bFromCommandLine : {true, false}) {
        SCOPED_TRACE(bFromCommandLine);
        AppFixture f;
        const QString bad = f.Path("bad.vecg");
        WriteAll(bad, QByteArray("ZM540Vet(c)QRB(a)0+2\x1A", 22) + QByteArray(60, '\x01'));
        if (bFromCommandLine) {
            ASSERT_TRUE(f.Start({bad}));
        } else {
            ASSERT_TRUE(f.Start());
            f.prompter.fileNames = {bad};
            f.app->OnFileOpen();
        }
        EXPECT_EQ(f.prompter.asked, QStringList({"The is not a valid ZM540Vet ECG file"}));
        EXPECT_EQ(f.app->GetDocument()->GetTitle(), "Untitled");
        EXPECT_EQ(f.app->GetDocument()->m_nSamples, 0);
        EXPECT_FALSE(f.app->GetDocument()->IsModified());
        EXPECT_EQ(f.app->GetMainFrame()->windowTitle(), "Untitled - ZM540 Vet");
        EXPECT_TRUE(f.app->GetMainFrame()->RecentFiles().isEmpty());
    }
}

TEST(App, OpenDialogStartsWhereTheDirectoryRuleSays) {
    const struct {
        std::int32_t rule;
        const char* expected;
    } cases[] = {
        {kDirSystemDefault, ""}, {kDirLastAccessed, "/ecg/last/"}, {kDirSetBelow, "/ecg/last/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        AppFixture f;
        ASSERT_TRUE(f.Start());
        f.app->Settings().InitDirSel = c.rule;
        f.app->Settings().InitDir = QStringLiteral("/ecg/last/");
        f.app->GetMainFrame()->Action(ID_FILE_OPEN)->trigger(); // cancelled
        EXPECT_EQ(f.prompter.fileDialogs,
                  QStringList({QStringLiteral("open|%1||Vet ECG files (*.vecg)").arg(c.expected)}));
        EXPECT_EQ(f.app->GetDocument()->GetTitle(), "Untitled");
    }
}

TEST(App, SettingsAndRecentFilesAreKeptAtExitAndReadAtStart) {
    AppFixture f;
    const QString path = f.SavedRecording("max.vecg");
    ASSERT_TRUE(f.Start());
    f.app->Settings().COMS = 2;
    f.app->Settings().InitDirSel = kDirLastAccessed;
    f.prompter.fileNames = {path};
    f.app->OnFileOpen();
    // Exit closes the window; the program's loop then ends, as it does after the last window.
    f.app->GetMainFrame()->Action(ID_APP_EXIT)->trigger();
    EXPECT_FALSE(f.app->GetMainFrame()->isVisible());
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    f.app.reset();

    EXPECT_EQ(QSettings(f.ini, QSettings::IniFormat).value("General/COMS").toInt(), 2);
    auto again = std::make_unique<CZM540App>(&f.prompter);
    ASSERT_TRUE(again->InitInstance({"zm540vet", "--settings", f.ini}));
    EXPECT_EQ(again->Settings().COMS, 2);
    EXPECT_EQ(QDir::fromNativeSeparators(again->Settings().InitDir), f.dir.path() + "/");
    EXPECT_EQ(again->GetMainFrame()->RecentFiles(), QStringList({path}));
}

TEST(Splash, KeyOrClickHidesItAndGoesNoFurther) {
    for (const bool bKey : {false, true}) {
        SCOPED_TRACE(bKey);
        ScriptedPrompter prompter;
        QPushButton below(QStringLiteral("below"));
        below.show();
        int clicks = 0;
        QObject::connect(&below, &QPushButton::clicked, [&] { ++clicks; });

        CSplashWnd::m_bSplashAllowed = 1;
        ASSERT_TRUE(CSplashWnd::ShowSplash(&below, prompter));
        CSplashWnd* splash = CSplashWnd::m_pSplashWnd;
        ASSERT_NE(splash, nullptr);
        EXPECT_EQ(splash->size(), QSize(446, 335));
        EXPECT_FALSE(CSplashWnd::ShowSplash(&below, prompter)); // one at a time
        EXPECT_EQ(CSplashWnd::m_pSplashWnd, splash);
        EXPECT_TRUE(prompter.asked.isEmpty()); // the picture loaded

        if (bKey)
            QTest::keyClick(&below, Qt::Key_Space);
        else
            QTest::mouseClick(&below, Qt::LeftButton);
        EXPECT_EQ(CSplashWnd::m_pSplashWnd, nullptr);
        EXPECT_EQ(clicks, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // With the splash gone the same input works.
        QTest::mouseClick(&below, Qt::LeftButton);
        EXPECT_EQ(clicks, 1);
        CSplashWnd::m_bSplashAllowed = 0;
    }
}

TEST(Splash, NotShownUnlessAllowed) {
    ScriptedPrompter prompter;
    QWidget owner;
    EXPECT_FALSE(CSplashWnd::ShowSplash(&owner, prompter));
    EXPECT_EQ(CSplashWnd::m_pSplashWnd, nullptr);
}

TEST(AboutBox, ShowsTheRecorderLineAndClosesOnOk) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About ZM540");
    QStringList texts;
    for (const QLabel* label : about.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("KS770 Real Time Recording V2.37"));
    EXPECT_TRUE(texts.filter("Version ").size() == 1);
    about.show();
    QPushButton* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}
