// The application: start-up from the command line with a private settings file, File Open with
// the directory rule, settings kept at exit, the splash and the about box.
#include "TestSupport.h"

#include "AboutDlg.h"
#include "Commands.h"
#include "MainFrame.h"
#include "SplashWnd.h"
#include "ZM540App.h"
#include "ZM540Doc.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolBar>

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

TEST(Embedding, UpdateWritesTheHeldFileAsASaveWould) {
    AppFixture f;
    const QString held = f.SavedRecording("held.vecg");
    ASSERT_TRUE(f.Start({"--embedding", held}));
    CMainFrame* frame = f.app->GetMainFrame();
    EXPECT_EQ(frame->windowTitle(), "held.vecg (embedded) - ZM540 Vet");
    EXPECT_EQ(frame->Action(ID_FILE_UPDATE)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QStringList fileMenu;
    for (const QAction* a : frame->menuBar()->actions().first()->menu()->actions())
        fileMenu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(fileMenu,
              QStringList({"&Update\tCtrl+S", "Save Copy &As...", "Recording &Details...", "-", "&Print...\tCtrl+P",
                           "Print Pre&view", "P&rint Setup...", "-", "E&xit"}));

    // A change: another filter class. Save Copy As writes it elsewhere and leaves the held
    // file, the document's name and its modified state alone.
    CZM540Doc& doc = *f.app->GetDocument();
    doc.OnFilterSelect(2);
    ASSERT_TRUE(doc.IsModified());
    const QByteArray before = ReadAll(held);
    f.prompter.fileNames.push_back(f.Path("copy.vecg"));
    frame->OnFileSaveCopyAs();
    EXPECT_EQ(ReadAll(held), before);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(frame->windowTitle(), "held.vecg (embedded) - ZM540 Vet");

    // Update writes exactly what a Save of the same document writes.
    ASSERT_TRUE(frame->OnFileUpdate());
    EXPECT_EQ(ReadAll(held), ReadAll(f.Path("copy.vecg")));
    EXPECT_NE(ReadAll(held), before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(f.app->ExitStatus(0), 0);
    // The held file is not one of the recent files.
    f.app->ExitInstance();
    QSettings profile(f.ini, QSettings::IniFormat);
    EXPECT_FALSE(profile.contains(QStringLiteral("Recent File List/File1")));
}

TEST(Embedding, ClosingWithChangesAsksWhetherToUpdate) {
    struct Case {
        Prompter::Answer answer;
        bool bClosed;
        bool bWritten;
        int status;
    };
    for (const Case& c :
         {Case{Prompter::Answer::Yes, true, true, 0}, Case{Prompter::Answer::No, true, false, 3},
          Case{Prompter::Answer::Cancel, false, false, 3}}) {
        AppFixture f;
        const QString held = f.SavedRecording("rex.vecg");
        const QByteArray before = ReadAll(held);
        ASSERT_TRUE(f.Start({"--embedding", held}));
        f.app->GetDocument()->OnFilterSelect(0);
        f.prompter.answers.push_back(c.answer);
        EXPECT_EQ(f.app->GetMainFrame()->close(), c.bClosed);
        EXPECT_EQ(f.prompter.asked,
                  QStringList({"Update the recording in rex.vecg before closing?"}));
        EXPECT_EQ(ReadAll(held) != before, c.bWritten);
        EXPECT_EQ(f.app->ExitStatus(0), c.status);
    }
}

TEST(Embedding, AMissingFileIsANewRecordingAndADamagedOneIsLeftAlone) {
    AppFixture f;
    const QString fresh = f.Path("new.vecg");
    ASSERT_TRUE(f.Start({"--embedding", fresh}));
    EXPECT_EQ(f.app->GetDocument()->m_nSamples, 0);
    EXPECT_TRUE(f.prompter.asked.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(fresh));
    ASSERT_TRUE(f.app->GetMainFrame()->OnFileUpdate());
    EXPECT_TRUE(QFileInfo::exists(fresh));

    AppFixture damaged;
    const QString bad = damaged.Path("bad.vecg");
    WriteAll(bad, QByteArrayLiteral("not a recording at all"));
    EXPECT_FALSE(damaged.Start({"--embedding", bad}));
    EXPECT_EQ(damaged.app->ExitCode(), 1);
    EXPECT_EQ(damaged.prompter.asked.size(), 1);
    EXPECT_EQ(ReadAll(bad), QByteArrayLiteral("not a recording at all"));
}
