// The main window offscreen: its menus and bars, the choosers' notifications, the mode command,
// the update pass and the file commands.
#include "TestSupport.h"

#include "ChooserBox.h"
#include "Commands.h"
#include "DetailsDlg.h"
#include "EcgFileFormat.h"
#include "EmulatorBackend.h"
#include "LinkCheckDlg.h"
#include "MainFrame.h"
#include "ZM540View.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPalette>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Port 1 of the window's sessions is an emulated recorder.
struct FrameFixture : DocFixture {
    std::shared_ptr<EmulatedUnit> unit = std::make_shared<EmulatedUnit>();
    LineFactory Lines() {
        return [this](int port) -> std::unique_ptr<SerialBackend> {
            return port == 1 ? std::make_unique<EmulatorBackend>(unit) : nullptr;
        };
    }
    CMainFrame frame{*doc, settings, prompter, Lines()};

    // Lets the coalesced update pass and queued notifications run.
    void Settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    // Saves a 12-lead recording of `n` samples under `name` with a document of its own.
    QString SavedRecording(const QString& name, int n = 900) {
        DocFixture other;
        other.Record(true, n);
        const QString path = Path(name);
        EXPECT_TRUE(other.doc->OnSaveDocument(path));
        return path;
    }
};

// The texts of a menu's items, separators as "-", hidden items left out.
QStringList MenuItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions())
        if (a->isVisible())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

// Opens the chooser's list, moves to `index` and presses Return, as a user would.
void ChooseFromList(CChooserBox* box, int index) {
    box->showPopup();
    ASSERT_TRUE(box->view()->isVisible());
    box->view()->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
}

// Restores the current directory when it goes.
struct CurrentDirGuard {
    QString saved = QDir::currentPath();
    ~CurrentDirGuard() { QDir::setCurrent(saved); }
};

} // namespace

TEST(MainFrame, MenusToolbarAndBarHoldTheirCommandsInOrder) {
    FrameFixture f;
    QStringList titles;
    QList<QMenu*> menus;
    for (QAction* a : f.frame.menuBar()->actions()) {
        titles << a->text();
        menus << a->menu();
    }
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Help"}));
    EXPECT_EQ(MenuItems(menus[0]),
              QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...",
                           "Recording &Details...", "&Export Page...", "Export &Recording...", "-",
                           "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup...", "-",
                           "Recent File", "-", "E&xit"}));
    EXPECT_EQ(MenuItems(menus[1]),
              QStringList({"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                           "-", "&Options..."}));
    EXPECT_EQ(MenuItems(menus[2]),
              QStringList({"&Toolbar", "&Status Bar", "-", "25 mm/&s", "50 mm/s", "-", "5 mm/mV",
                           "10 mm/m&V", "20 mm/mV"}));
    EXPECT_EQ(MenuItems(menus[3]), QStringList({"&About ZM540..."}));

    QStringList tips;
    for (QAction* a : f.frame.ToolBar()->actions()) {
        tips << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
        EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << a->toolTip().toStdString();
    }
    EXPECT_EQ(tips, QStringList({"New ECG", "Open", "Save", "|", "Setup", "12 Lead/Monitor", "|",
                                 "Copy", "|", "Print Preview", "Print", "|", "About"}));

    EXPECT_EQ(f.frame.Action(ID_EDIT_UNDO)->shortcuts(),
              QList<QKeySequence>({QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
    EXPECT_EQ(f.frame.Action(ID_FILE_NEW)->statusTip(),
              "Clears all memory and ready for a new ECG");
    EXPECT_EQ(f.frame.LeadChooser()->toolTip(), "Lead Select");
    EXPECT_EQ(f.frame.FilterChooser()->statusTip(), "Select filter class");
    EXPECT_EQ(f.frame.LeadChooser()->count(), 6);
    EXPECT_EQ(f.frame.FilterChooser()->itemText(2), "40Hz");
    EXPECT_EQ(f.frame.StatusText(), "Ready");
    EXPECT_EQ(f.frame.windowTitle(), "Untitled - ZM540 Vet");
}

TEST(MainFrame, UpdatePassAppliesTheStatesToActionsAndBarControls) {
    FrameFixture f;
    f.frame.OpenDocumentFile(f.SavedRecording("dog.vecg"));
    f.Settle();
    EXPECT_FALSE(f.frame.Action(ID_RECORD)->isEnabled());
    EXPECT_FALSE(f.frame.Control(ID_RECORD)->isEnabled());
    EXPECT_FALSE(f.frame.LeadChooser()->isEnabled());
    EXPECT_TRUE(f.frame.FilterChooser()->isEnabled());
    EXPECT_FALSE(f.frame.Action(ID_FILE_SAVE)->isEnabled());
    EXPECT_TRUE(f.frame.Action(ID_FILE_MRU_FILE1)->isEnabled());

    // A monitoring session: the button reads "Monitor" and stays pressed, the rest waits.
    f.frame.OnFileNew();
    f.Settle();
    f.frame.Action(ID_TWELVE_LEAD_MONITOR)->trigger();
    f.settings.COMS = 0;
    f.Settle();
    f.frame.Action(ID_RECORD)->trigger();
    ASSERT_TRUE(f.frame.GetView()->IsAcquiring());
    f.Settle();
    EXPECT_EQ(f.frame.Action(ID_RECORD)->text(), "Monitor");
    EXPECT_TRUE(f.frame.Action(ID_RECORD)->isChecked());
    EXPECT_EQ(qobject_cast<QLabel*>(f.frame.Control(IDC_LEAD_LABEL))->text(), "Lead Select");
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_MRU_FILE1, ID_TWELVE_LEAD_MONITOR})
        EXPECT_FALSE(f.frame.Action(id)->isEnabled()) << id;
    EXPECT_FALSE(f.frame.FilterChooser()->isEnabled());
    f.frame.Action(ID_RECORD)->trigger();
    f.Settle();
    EXPECT_FALSE(f.frame.GetView()->IsAcquiring());
    EXPECT_TRUE(f.frame.Action(ID_FILE_NEW)->isEnabled());
}

TEST(MainFrame, TheLeadChooserNeverThrowsARecordingAway) {
    // Escape closes the list without a choice: nothing changes.
    enum class How { List, Keyboard, ListEscaped };
    const struct {
        How how;
        int expectedLead;
        bool bModified;
    } cases[] = {{How::List, 3, true}, {How::Keyboard, 2, true}, {How::ListEscaped, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.how));
        FrameFixture f;
        f.frame.show();
        f.Record(true, 600);
        f.doc->SetModifiedFlag(false);
        CChooserBox* box = f.frame.LeadChooser();
        ASSERT_EQ(box->currentIndex(), 1);
        if (c.how == How::List)
            ChooseFromList(box, 3);
        else if (c.how == How::Keyboard)
            QTest::keyClick(box, Qt::Key_Down);
        else {
            box->showPopup();
            QTest::keyClick(box->view(), Qt::Key_Escape);
        }
        f.Settle();
        EXPECT_EQ(f.doc->m_nRhythmLead, c.expectedLead);
        EXPECT_EQ(f.doc->m_nSamples, 600);
        EXPECT_EQ(f.doc->IsModified(), c.bModified);
        EXPECT_TRUE(f.prompter.asked.isEmpty());
    }
    // A monitored recording kept after "No": the chooser shows the recorded lead again.
    FrameFixture f;
    f.frame.show();
    f.Record(false, 600);
    f.Settle();
    f.prompter.answers.push_back(Prompter::Answer::No);
    ChooseFromList(f.frame.LeadChooser(), 4);
    f.Settle();
    EXPECT_EQ(f.prompter.asked, QStringList({"Discard current data?"}));
    EXPECT_EQ(f.doc->m_nSamples, 600);
    EXPECT_EQ(f.frame.LeadChooser()->currentIndex(), 1);
}

TEST(MainFrame, SettingTheChoosersOrDisablingThemTellsTheDocumentNothing) {
    FrameFixture f;
    f.frame.show();
    f.Record(true, 600);
    f.frame.SetLeadIndex(4);
    f.frame.SetFilterIndex(0);
    f.frame.LeadChooser()->setEnabled(false); // Qt closes the (unopened) list here
    f.frame.FilterChooser()->hide();
    f.Settle();
    EXPECT_EQ(f.doc->m_nRhythmLead, 1);
    EXPECT_EQ(f.doc->m_dCutoff, 100.0);
    EXPECT_EQ(f.doc->m_nSamples, 600);

    f.frame.SelectFilterCutoff(40.0);
    EXPECT_EQ(f.frame.GetFilterIndex(), 2);
    f.frame.SelectFilterCutoff(55.0); // no class has it: the choice stays
    EXPECT_EQ(f.frame.GetFilterIndex(), 2);
    EXPECT_EQ(f.frame.GetFilterCutoff(), 40.0);
    f.frame.SetFilterIndex(-1);
    EXPECT_EQ(f.frame.GetFilterCutoff(), 0.0);
}

TEST(MainFrame, ModeCommandAsksToDiscardOnlyAModifiedRecording) {
    const struct {
        bool bModified;
        Prompter::Answer answer;
        bool bAsked, bSwitched;
    } cases[] = {
        {false, Prompter::Answer::No, false, true},
        {true, Prompter::Answer::No, true, false},
        {true, Prompter::Answer::Yes, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bModified << int(c.answer));
        FrameFixture f;
        f.Record(true, 600);
        f.doc->SetModifiedFlag(c.bModified);
        f.prompter.answers = {c.answer};
        f.frame.Action(ID_TWELVE_LEAD_MONITOR)->trigger();
        f.Settle();
        EXPECT_EQ(f.prompter.asked,
                  c.bAsked ? QStringList({"Discard current data?"}) : QStringList());
        EXPECT_EQ(f.doc->m_bTwelveLead, c.bSwitched ? 0 : 1);
        EXPECT_EQ(f.doc->m_nSamples, c.bSwitched ? 0 : 600);
        // The check mark shows the document's mode, not the click.
        EXPECT_EQ(f.frame.Action(ID_TWELVE_LEAD_MONITOR)->isChecked(), f.doc->m_bTwelveLead != 0);
        EXPECT_EQ(f.frame.Action(ID_RECORD)->text(), c.bSwitched ? "Monitor" : "Record");
    }
}

TEST(MainFrame, FilterChangeOfALoadedRecordingMarksItModified) {
    FrameFixture f;
    f.frame.show();
    const QString path = f.SavedRecording("cat.vecg");
    ASSERT_TRUE(f.frame.OpenDocumentFile(path));
    f.Settle();
    ASSERT_EQ(f.doc->m_bNewRecord, 0);
    ASSERT_FALSE(f.frame.Action(ID_FILE_SAVE)->isEnabled());

    ChooseFromList(f.frame.FilterChooser(), 2);
    f.Settle();
    EXPECT_EQ(f.doc->m_dCutoff, 40.0);
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(f.doc->m_nSamples, 900);
    EXPECT_TRUE(f.frame.Action(ID_FILE_SAVE)->isEnabled());
    EXPECT_EQ(f.frame.windowTitle(), "cat.vecg - ZM540 Vet");

    // Save writes back to the file it came from without asking.
    EXPECT_TRUE(f.frame.OnFileSave());
    EXPECT_TRUE(f.prompter.fileDialogs.isEmpty());
    EXPECT_FALSE(f.doc->IsModified());
}

TEST(MainFrame, SaveOfANeverSavedRecordingAsksForANameEvenWhenUntitledExists) {
    CurrentDirGuard guard;
    FrameFixture f;
    ASSERT_TRUE(QDir::setCurrent(f.dir.path()));
    WriteAll(f.Path("Untitled"), "someone else's file");
    f.frame.OnFileNew();
    f.Record(true, 600);

    // Cancelled: nothing written, still modified.
    EXPECT_FALSE(f.frame.OnFileSave());
    EXPECT_TRUE(f.doc->IsModified());

    f.prompter.fileNames = {f.Path("rex")};
    EXPECT_TRUE(f.frame.OnFileSave());
    const QString dialog =
        QStringLiteral("save|%1|Untitled.vecg|Vet ECG files (*.vecg)").arg(QDir::currentPath());
    EXPECT_EQ(f.prompter.fileDialogs, QStringList({dialog, dialog}));
    EXPECT_EQ(ReadAll(f.Path("Untitled")), "someone else's file");
    EXPECT_TRUE(ReadAll(f.Path("rex.vecg")).startsWith(QByteArray(kEcgSignature)));
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.frame.windowTitle(), "rex.vecg - ZM540 Vet");
    EXPECT_EQ(f.frame.RecentFiles(), QStringList({f.Path("rex.vecg")}));
}

TEST(MainFrame, NewOffersToSaveAModifiedRecordingFirst) {
    const struct {
        std::deque<Prompter::Answer> answers;
        bool bSaveDialog; // the Save As dialog is then cancelled
        bool bCleared;
    } cases[] = {
        {{Prompter::Answer::Cancel}, false, false},
        {{Prompter::Answer::No}, false, true},
        {{Prompter::Answer::Yes}, true, false}, // a cancelled save cancels the New
    };
    for (const auto& c : cases) {
        FrameFixture f;
        f.Record(true, 600);
        f.prompter.answers = c.answers;
        f.frame.Action(ID_FILE_NEW)->trigger();
        EXPECT_EQ(f.prompter.asked, QStringList({"Save changes to Untitled?"}));
        EXPECT_EQ(f.prompter.fileDialogs.size(), c.bSaveDialog ? 1 : 0);
        EXPECT_EQ(f.doc->m_nSamples, c.bCleared ? 0 : 600);
        EXPECT_EQ(f.doc->IsModified(), !c.bCleared);
    }
}

TEST(MainFrame, DroppedRecordingOpensOthersAreIgnored) {
    // Without a drag in progress Qt delivers no drop events, so the handlers are called here.
    struct DropFrame : CMainFrame {
        using CMainFrame::CMainFrame;
        using CMainFrame::dragEnterEvent;
        using CMainFrame::dropEvent;
    };
    FrameFixture f;
    DropFrame frame(*f.doc, f.settings, f.prompter, f.Lines());
    EXPECT_TRUE(frame.acceptDrops());
    const QString path = f.SavedRecording("pup.vecg");
    WriteAll(f.Path("notes.txt"), "x");
    for (const bool bWithRecording : {false, true}) {
        SCOPED_TRACE(bWithRecording);
        QMimeData data;
        QList<QUrl> urls = {QUrl::fromLocalFile(f.Path("notes.txt"))};
        if (bWithRecording)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        enter.ignore();
        frame.dragEnterEvent(&enter);
        EXPECT_EQ(enter.isAccepted(), bWithRecording);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        frame.dropEvent(&drop);
        f.Settle();
        EXPECT_EQ(f.doc->GetTitle(), bWithRecording ? "pup.vecg" : "Untitled");
    }
    // A file manager proposing a move gets a copy; one offering only a move gets nothing, so
    // that it never deletes the source.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent moveOrCopy(QPoint(10, 10), Qt::MoveAction | Qt::CopyAction, &data,
                               Qt::LeftButton, Qt::ShiftModifier);
    moveOrCopy.setDropAction(Qt::MoveAction);
    moveOrCopy.ignore();
    frame.dragEnterEvent(&moveOrCopy);
    EXPECT_TRUE(moveOrCopy.isAccepted());
    EXPECT_EQ(moveOrCopy.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(10, 10), Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton,
                    Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    frame.dropEvent(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    moveOnly.ignore();
    frame.dragEnterEvent(&moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(MainFrame, ModifierKeysAndAltCombinationsLetASessionRun) {
    FrameFixture f;
    f.settings.COMS = 0;
    f.frame.show();
    CZM540View* view = f.frame.GetView();
    view->OnRecord();
    ASSERT_TRUE(view->IsAcquiring());
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Alt, Qt::AltModifier}, std::pair{Qt::Key_AltGr, Qt::NoModifier},
          std::pair{Qt::Key_Shift, Qt::ShiftModifier},
          std::pair{Qt::Key_Control, Qt::ControlModifier},
          std::pair{Qt::Key_Meta, Qt::MetaModifier}, std::pair{Qt::Key_F, Qt::AltModifier}}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(view, &press);
        EXPECT_TRUE(view->IsAcquiring()) << key;
    }
    // Any other key stops it, as before.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &space);
    EXPECT_FALSE(view->IsAcquiring());
}

TEST(MainFrame, TheSessionsStatusTextComesBackAfterAHoverPrompt) {
    FrameFixture f;
    f.settings.COMS = 0;
    f.frame.show();
    f.frame.GetView()->OnRecord();
    ASSERT_TRUE(f.frame.GetView()->IsAcquiring());
    const QString sessionText = f.frame.StatusText();
    EXPECT_EQ(sessionText, QStringLiteral("Click any mouse button or press any key to stop"));
    QWidget* record = f.frame.Control(ID_RECORD);
    QStatusTipEvent hover(QStringLiteral("Starting and stopping recording"));
    QCoreApplication::sendEvent(record, &hover);
    EXPECT_EQ(f.frame.statusBar()->currentMessage(),
              QStringLiteral("Starting and stopping recording"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(record, &leave);
    EXPECT_TRUE(f.frame.statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(f.frame.StatusText(), sessionText);
    f.frame.GetView()->OnRecord();
}

TEST(MainFrame, TheRecordingBarCannotBePutAway) {
    FrameFixture f;
    const std::unique_ptr<QMenu> menu(f.frame.createPopupMenu());
    ASSERT_NE(menu, nullptr);
    // The bars' context menu offers the toolbar only.
    QStringList offered;
    for (const QAction* a : menu->actions())
        if (a->isVisible())
            offered << a->text();
    EXPECT_EQ(offered, QStringList({f.frame.ToolBar()->toggleViewAction()->text()}));
}

TEST(MainFrame, MissingRecentFileIsReportedAndDropped) {
    FrameFixture f;
    const QString path = f.SavedRecording("gone.vecg");
    ASSERT_TRUE(f.frame.OpenDocumentFile(path));
    f.frame.OnFileNew();
    QFile::remove(path);
    f.Settle();
    f.frame.Action(ID_FILE_MRU_FILE1)->trigger();
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked[0].contains("gone.vecg"));
    EXPECT_TRUE(f.frame.RecentFiles().isEmpty());
    f.Settle();
    EXPECT_EQ(f.frame.Action(ID_FILE_MRU_FILE1)->text(), "Recent File");
    EXPECT_FALSE(f.frame.Action(ID_FILE_MRU_FILE1)->isEnabled());
}

TEST(MainFrame, DesktopColourChangeReachesTheSystemScheme) {
    FrameFixture f;
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Base, QColor(10, 20, 30));
    QApplication::setPalette(changed);
    f.Settle();
    EXPECT_EQ(f.settings.schemes[kSystemScheme].crBackground, MakeColourRef(10, 20, 30));
    QApplication::setPalette(saved);
}

TEST(MainFrame, RecordingDetailsGoToTheDocumentAndTheCaption) {
    FrameFixture f;
    EXPECT_EQ(f.frame.windowTitle(), QStringLiteral("Untitled - ZM540 Vet"));
    f.frame.OnFileDetails();
    CDetailsDlg* dlg = f.frame.DetailsDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Recording details"));
    dlg->m_pName->setText(QStringLiteral("  Rex "));
    dlg->m_pSpecies->setCurrentIndex(dlg->m_pSpecies->findText(QStringLiteral("Dog")));
    dlg->m_pWeight->setValue(12.5);

    // A birth date that is not one keeps the dialog open and says so.
    dlg->m_pBorn->setText(QStringLiteral("2019-02-30"));
    dlg->accept();
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked[0].startsWith(QStringLiteral("\"2019-02-30\" is not a date")));
    EXPECT_EQ(f.prompter.icons.back(), Prompter::Icon::Warning);
    EXPECT_TRUE(f.doc->m_details.IsEmpty());

    dlg->m_pBorn->setText(QStringLiteral("2019-02-28"));
    dlg->accept();
    f.Settle();
    EXPECT_EQ(f.doc->m_details.name, QStringLiteral("Rex"));
    EXPECT_EQ(f.doc->m_details.species, Species::Dog);
    EXPECT_EQ(f.doc->m_details.born, QDate(2019, 2, 28));
    EXPECT_EQ(f.doc->m_details.weightKg, std::optional<double>(12.5));
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(f.frame.windowTitle(), QStringLiteral("Rex - Untitled - ZM540 Vet"));

    // Cancel changes nothing; the dialog shows what the document holds.
    f.frame.OnFileDetails();
    dlg = f.frame.DetailsDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->m_pName->text(), QStringLiteral("Rex"));
    dlg->m_pName->setText(QStringLiteral("Max"));
    dlg->reject();
    f.Settle();
    EXPECT_EQ(f.doc->m_details.name, QStringLiteral("Rex"));
}

TEST(MainFrame, TheStatusBarGivesTheRecordingsHeartRateAndAxis) {
    FrameFixture f;
    EXPECT_TRUE(f.frame.MeasurementText().isEmpty());
    ASSERT_TRUE(f.frame.OpenDocumentFile(QStringLiteral(ZM540_SAMPLES "/dog-12lead.vecg")));
    f.Settle();
    // The emulated dog: 120 beats a minute, axis near +70 degrees.
    const QString plain = f.frame.MeasurementText();
    EXPECT_TRUE(plain.startsWith(QStringLiteral("Heart rate: 120 bpm   Axis: +")))
        << plain.toStdString();
    EXPECT_FALSE(plain.contains(QLatin1Char('('))) << plain.toStdString();
    RecordingDetails dog;
    dog.species = Species::Dog;
    f.doc->SetDetails(dog);
    const QString withRanges = f.frame.MeasurementText();
    EXPECT_TRUE(withRanges.startsWith(QStringLiteral("Heart rate: 120 bpm (60–160 bpm)   Axis: +")))
        << withRanges.toStdString();
    EXPECT_TRUE(withRanges.endsWith(QStringLiteral("° (+40° to +100°)")))
        << withRanges.toStdString();
    f.doc->SetModifiedFlag(false);
    f.frame.OnFileNew();
    f.Settle();
    EXPECT_TRUE(f.frame.MeasurementText().isEmpty());
}

// After a new recording stops, the window offers the details dialog when it was told to (the
// program's own window), and a session only ever shows a live rate.
TEST(MainFrame, ANewRecordingOffersTheDetailsWhenTheWindowIsToldTo) {
    for (const bool bOffer : {false, true}) {
        SCOPED_TRACE(bOffer);
        FrameFixture f;
        f.settings.COMS = 0;
        f.frame.SetOfferDetails(bOffer);
        f.frame.show();
        CZM540View* view = f.frame.GetView();
        view->OnRecord();
        ASSERT_TRUE(view->IsAcquiring());
        f.unit->Skip(12000);
        WaitWithoutInput(ArrivalPace::kLongestWaitMs + 1100);
        const QString live = f.frame.MeasurementText();
        // The last 10 s of the emulated dog, taken in by the once-a-second update.
        EXPECT_EQ(live, QStringLiteral("Heart rate: 120 bpm"));
        EXPECT_FALSE(live.contains(QStringLiteral("Axis"))) << live.toStdString();
        EXPECT_EQ(f.frame.DetailsDialog(), nullptr);
        view->OnRecord();
        ASSERT_FALSE(view->IsAcquiring());
        ASSERT_GT(f.doc->m_nSamples, 0);
        f.Settle();
        EXPECT_EQ(f.frame.DetailsDialog() != nullptr, bOffer);
        EXPECT_TRUE(f.frame.MeasurementText().contains(QStringLiteral("Axis: ")));
    }
}

// The View menu's speed and gain: one of each checked, kept in the settings, and the view's
// page drawn at them; they wait for a session's end like the file commands.
TEST(MainFrame, SpeedAndGainAreViewChoicesKeptInTheSettings) {
    FrameFixture f;
    f.Settle();
    EXPECT_TRUE(f.frame.Action(ID_VIEW_SPEED_25)->isChecked());
    EXPECT_FALSE(f.frame.Action(ID_VIEW_SPEED_50)->isChecked());
    EXPECT_TRUE(f.frame.Action(ID_VIEW_GAIN_10)->isChecked());
    f.frame.Action(ID_VIEW_SPEED_50)->trigger();
    f.frame.Action(ID_VIEW_GAIN_20)->trigger();
    f.Settle();
    EXPECT_EQ(f.settings.Speed, 50);
    EXPECT_EQ(f.settings.Gain, 20);
    for (const auto& [id, bChecked] :
         {std::pair{ID_VIEW_SPEED_25, false}, std::pair{ID_VIEW_SPEED_50, true},
          std::pair{ID_VIEW_GAIN_5, false}, std::pair{ID_VIEW_GAIN_10, false},
          std::pair{ID_VIEW_GAIN_20, true}})
        EXPECT_EQ(f.frame.Action(id)->isChecked(), bChecked) << id;

    f.settings.COMS = 0;
    f.frame.GetView()->OnRecord();
    ASSERT_TRUE(f.frame.GetView()->IsAcquiring());
    f.Settle();
    EXPECT_FALSE(f.frame.Action(ID_VIEW_GAIN_5)->isEnabled());
    f.frame.OnChartScale(ID_VIEW_GAIN_5);
    EXPECT_EQ(f.settings.Gain, 20);
    f.frame.GetView()->OnRecord();
}

// Export Recording writes EDF+ or CSV by the name's extension, through the same writers as the
// command-line tool, and says why for any other name or an empty recording.
TEST(MainFrame, ExportRecordingWritesEdfOrCsvByTheExtension) {
    FrameFixture f;
    f.doc->SetModifiedFlag(false);
    f.frame.OnFileExportRecording(); // the file dialog cancelled
    EXPECT_TRUE(f.prompter.asked.isEmpty());
    f.prompter.fileNames = {f.Path("none.edf")}; // nothing recorded yet
    f.frame.OnFileExportRecording();
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked[0].contains(QStringLiteral("none.edf")))
        << f.prompter.asked[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(f.Path("none.edf")));

    f.Record(true, 600);
    f.prompter.fileNames = {f.Path("rex.edf"), f.Path("rex.csv"), f.Path("rex.txt")};
    f.frame.OnFileExportRecording();
    f.frame.OnFileExportRecording();
    f.frame.OnFileExportRecording();
    const QByteArray edf = ReadAll(f.Path("rex.edf"));
    EXPECT_TRUE(edf.startsWith("0       ")) << edf.left(16).toStdString();
    EXPECT_EQ(edf.mid(236, 8), QByteArray("2       ")); // two data records of 1 s
    EXPECT_TRUE(ReadAll(f.Path("rex.csv")).startsWith("time_s,I,II,III,aVR,aVL,aVF"));
    ASSERT_EQ(f.prompter.asked.size(), 2);
    EXPECT_TRUE(f.prompter.asked[1].contains(QStringLiteral("\"rex.txt\"")));
    EXPECT_FALSE(QFileInfo::exists(f.Path("rex.txt")));
}
