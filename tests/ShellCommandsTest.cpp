// The plain rules of the shell: command states, file directories, window size, command line and
// the recent-file list.
#include "TestSupport.h"

#include "CommandLine.h"
#include "CommandRoutes.h"
#include "Commands.h"
#include "EcgFiles.h"
#include "MainFrame.h"
#include "RecentFileList.h"

#include <QDir>
#include <QRect>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

struct Expect {
    bool bEnabled;
    bool bChecked;
};

void ExpectState(const std::vector<CommandState>& states, int id, Expect e) {
    const CommandState* s = FindState(states, id);
    ASSERT_NE(s, nullptr) << id;
    EXPECT_EQ(s->bEnabled, e.bEnabled) << "enabled " << id;
    EXPECT_EQ(s->bChecked, e.bChecked) << "checked " << id;
}

} // namespace

TEST(CommandStates, FollowTheDocumentAndTheSession) {
    struct Case {
        const char* name;
        bool bNewRecord, bTwelveLead, bModified, bAcquiring;
        // expected
        bool bRecord, bLeadAndMode, bSave, bIdleCommands;
        const char* recordText;
        const char* leadLabel;
    };
    const Case cases[] = {
        {"empty 12-lead", true, true, false, false, true, true, false, true, "Record",
         "Rhythm lead"},
        {"new 12-lead recording", true, true, true, false, true, true, true, true, "Record",
         "Rhythm lead"},
        {"empty monitoring", true, false, false, false, true, true, false, true, "Monitor",
         "Lead Select"},
        {"loaded from a file", false, true, false, false, false, false, false, true, "Record",
         "Rhythm lead"},
        {"loaded, filter changed", false, false, true, false, false, false, true, true, "Monitor",
         "Lead Select"},
        {"12-lead session", true, true, false, true, true, false, false, false, "Record",
         "Rhythm lead"},
        {"monitoring session, modified", true, false, true, true, true, false, false, false,
         "Monitor", "Lead Select"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocFixture f;
        f.doc->m_bNewRecord = c.bNewRecord;
        f.doc->m_bTwelveLead = c.bTwelveLead;
        f.doc->SetModifiedFlag(c.bModified);
        const std::vector<CommandState> states =
            ComputeCommandStates(*f.doc, c.bAcquiring, kRecentFileCount);

        ExpectState(states, ID_RECORD, {c.bRecord, c.bAcquiring});
        EXPECT_EQ(FindState(states, ID_RECORD)->strText, QString::fromLatin1(c.recordText));
        ExpectState(states, IDC_LEAD_SELECT, {c.bLeadAndMode, false});
        ExpectState(states, ID_TWELVE_LEAD_MONITOR, {c.bLeadAndMode, c.bTwelveLead});
        EXPECT_EQ(FindState(states, IDC_LEAD_LABEL)->strText, QString::fromLatin1(c.leadLabel));
        ExpectState(states, ID_FILE_SAVE, {c.bSave, false});
        for (int id :
             {IDC_FILTER_SELECT, ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_FILE_PRINT_SETUP,
              ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_FILE_EXPORT_PAGE,
              ID_FILE_DETAILS, ID_FILE_EXPORT_RECORDING, ID_EDIT_COPY, ID_OPTIONS, ID_FILE_MRU_FILE1})
            ExpectState(states, id, {c.bIdleCommands, false});
        for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_PASTE})
            ExpectState(states, id, {false, false});
    }
}

TEST(CommandStates, RecentFileEntriesNameAFile) {
    DocFixture f;
    struct Case {
        int nFiles;
        bool bAcquiring;
        bool enabled[kRecentFileCount];
    };
    for (const Case& c :
         {Case{0, false, {false, false, false}}, Case{2, false, {true, true, false}},
          Case{3, false, {true, true, true}}, Case{3, true, {false, false, false}}}) {
        SCOPED_TRACE(c.nFiles);
        const std::vector<CommandState> states =
            ComputeCommandStates(*f.doc, c.bAcquiring, c.nFiles);
        for (int i = 0; i < kRecentFileCount; ++i)
            EXPECT_EQ(FindState(states, ID_FILE_MRU_FILE1 + i)->bEnabled, c.enabled[i]) << i;
    }
}

TEST(CommandRoutes, EachRoutedCommandIsInTheTableOnce) {
    QList<int> seen;
    for (const CommandRoute& r : CommandRoutes()) {
        EXPECT_NE(FindCommand(r.id), nullptr) << r.id;
        EXPECT_FALSE(seen.contains(r.id)) << r.id;
        EXPECT_NE(r.handler, nullptr) << r.id;
        seen << r.id;
    }
}

TEST(CommandTable, EveryCommandHasOneEntryWithAPrompt) {
    QList<int> seen;
    for (const CommandInfo& c : CommandTable()) {
        EXPECT_FALSE(seen.contains(c.id)) << c.id;
        seen << c.id;
        EXPECT_NE(c.prompt, nullptr) << c.id;
    }
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(EcgFiles, DialogDirectoriesFollowTheDirectoryRule) {
    struct Case {
        std::int32_t rule;
        QString open, save;
    };
    const QString dir = QStringLiteral("/srv/ecg/");
    const Case cases[] = {
        {kDirSystemDefault, QString(), QDir::currentPath()},
        {kDirLastAccessed, dir, dir},
        {kDirSetBelow, dir, dir},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        ProfileSettings settings;
        settings.InitDirSel = c.rule;
        settings.InitDir = dir;
        EXPECT_EQ(OpenDialogDirectory(settings), c.open);
        EXPECT_EQ(SaveDialogDirectory(settings), c.save);
    }
}

TEST(EcgFiles, SuffixIsAddedOnlyWhenMissing) {
    EXPECT_EQ(WithEcgSuffix("/a/dog"), "/a/dog.vecg");
    EXPECT_EQ(WithEcgSuffix("/a/dog."), "/a/dog.vecg");
    EXPECT_EQ(WithEcgSuffix("/a/dog.vecg"), "/a/dog.vecg");
    EXPECT_EQ(WithEcgSuffix("/a.b/dog.ecg"), "/a.b/dog.ecg");
    EXPECT_EQ(WithEcgSuffix("/a.b/dog"), "/a.b/dog.vecg");
    EXPECT_TRUE(IsEcgFileName("/a/DOG.VECG"));
    EXPECT_FALSE(IsEcgFileName("/a/dog.vecg.txt"));
}

TEST(MainFrameGeometry, TheWholeWindowFitsTheScreensAvailableArea) {
    // A frame of 4 pixels each side and a 24-pixel title bar: 8 wider and 28 higher.
    const QMargins frame(4, 24, 4, 4);
    struct Case {
        const char* name;
        QRect available, expected; // the client area
    };
    const Case cases[] = {
        // The 808 x 628 window centred: (1280 - 808) / 2 = 236, (1024 - 628) / 2 = 198.
        {"1280 x 1024", QRect(0, 0, 1280, 1024), QRect(240, 222, 800, 600)},
        // 800 wide or less: the whole area, less the frame.
        {"800 x 600", QRect(0, 0, 800, 600), QRect(4, 24, 792, 572)},
        {"640 x 480", QRect(0, 0, 640, 480), QRect(4, 24, 632, 452)},
        // 1920 x 1080 at 200 %: 960 x 540 leaves 512 of height; (960 - 808) / 2 = 76.
        {"960 x 540", QRect(0, 0, 960, 540), QRect(80, 24, 800, 512)},
        // A panel at the top of a second screen: centred in what is left of it.
        {"second screen", QRect(1920, 30, 1920, 1050), QRect(2480, 265, 800, 600)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect client = InitialFrameGeometry(c.available, frame);
        EXPECT_EQ(client, c.expected);
        EXPECT_TRUE(c.available.contains(client.marginsAdded(frame)));
    }
}

TEST(CommandLine, OptionsAndFile) {
    struct Case {
        QStringList args;
        CommandLine::Action action;
        QString settingsFile, fileName;
        bool bSplash;
    };
    const Case cases[] = {
        {{"zm540vet"}, CommandLine::Action::Run, {}, {}, false},
        {{"zm540vet", "dog.vecg"}, CommandLine::Action::Run, {}, "dog.vecg", false},
        {{"zm540vet", "--splash", "--settings", "/tmp/s.ini", "dog.vecg"},
         CommandLine::Action::Run,
         "/tmp/s.ini",
         "dog.vecg",
         true},
        {{"zm540vet", "--settings"}, CommandLine::Action::Error, {}, {}, false},
        {{"zm540vet", "--colour"}, CommandLine::Action::Error, {}, {}, false},
        {{"zm540vet", "a.vecg", "b.vecg"}, CommandLine::Action::Error, {}, {}, false},
        {{"zm540vet", "--help"}, CommandLine::Action::Help, {}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine cmd = ParseCommandLine(c.args);
        EXPECT_EQ(cmd.action, c.action);
        if (c.action != CommandLine::Action::Run) {
            EXPECT_FALSE(cmd.strMessage.isEmpty());
            continue;
        }
        EXPECT_EQ(cmd.strSettingsFile, c.settingsFile);
        EXPECT_EQ(cmd.strFileName, c.fileName);
        EXPECT_EQ(cmd.bSplash, c.bSplash);
    }
}

TEST(CommandLine, LeadAndFilterNames) {
    struct Case {
        QStringList args;
        int nLead, nFilter;
        const char* error; // null: accepted
    };
    const Case cases[] = {
        {{"--lead", "I"}, 0, -1, nullptr},
        {{"--lead", "aVF", "--filter", "40Hz"}, 5, 2, nullptr},
        {{"--filter", "Unfiltered"}, -1, 0, nullptr},
        {{"--lead", "V1"}, -1, -1, "--lead must be I, II, III, aVR, aVL or aVF."},
        {{"--lead", "avf"}, -1, -1, "--lead must be I, II, III, aVR, aVL or aVF."},
        {{"--filter", "50Hz"}, -1, -1, "--filter must be Unfiltered, 100Hz or 40Hz."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine cmd = ParseCommandLine(QStringList{"zm540vet"} + c.args);
        if (c.error) {
            EXPECT_EQ(cmd.action, CommandLine::Action::Error);
            EXPECT_EQ(cmd.strMessage, c.error);
            continue;
        }
        EXPECT_EQ(cmd.action, CommandLine::Action::Run);
        EXPECT_EQ(cmd.nLead, c.nLead);
        EXPECT_EQ(cmd.nFilter, c.nFilter);
    }
    // The help names the same choices (its lines are wrapped).
    const QString help = ParseCommandLine({"zm540vet", "--help"}).strMessage.simplified();
    EXPECT_TRUE(
        help.contains("--lead <lead> Rhythm or monitored lead: I, II, III, aVR, aVL or aVF."))
        << help.toStdString();
    EXPECT_TRUE(help.contains("--filter <class> Filter class: Unfiltered, 100Hz or 40Hz."))
        << help.toStdString();
}

TEST(RecentFileList, NewestFirstWithoutDuplicatesAndKeptInTheProfile) {
    QTemporaryDir dir;
    CRecentFileList list(3);
    for (const char* name : {"a.vecg", "b.vecg", "c.vecg", "b.vecg", "d.vecg"})
        list.Add(dir.filePath(QString::fromLatin1(name)));
    EXPECT_EQ(list.Files(), QStringList({dir.filePath("d.vecg"), dir.filePath("b.vecg"),
                                         dir.filePath("c.vecg")}));

    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    list.Save(profile);
    CRecentFileList shorter(3);
    shorter.Add(dir.filePath("x.vecg"));
    shorter.Save(profile); // entries beyond the list go from the profile
    CRecentFileList loaded(3);
    loaded.Load(profile);
    EXPECT_EQ(loaded.Files(), QStringList({dir.filePath("x.vecg")}));

    EXPECT_EQ(CRecentFileList::MenuText(1, "/ecg/R&D.vecg"), "&2 /ecg/R&&D.vecg");
    const QString longPath = QStringLiteral("/") + QString(80, QLatin1Char('x')) + ".vecg";
    EXPECT_LE(CRecentFileList::MenuText(0, longPath).size(), 3 + 48);
    EXPECT_TRUE(CRecentFileList::MenuText(0, longPath).endsWith("xx.vecg"));
}
