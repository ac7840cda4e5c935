// The recording inside another program: a small container of our own stores and loads the
// embedded object, asks its extent and picture, and edits it in place with the in-place frame's
// bars, keys and menus in its own frame window.
#include "TestSupport.h"

#include "AboutDlg.h"
#include "Commands.h"
#include "InPlaceFrame.h"
#include "SrvrItem.h"
#include "ZM540App.h"
#include "ZM540View.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// The other program's document window; it takes drops itself and counts what reaches it.
class DocumentWindow : public QWidget {
  public:
    DocumentWindow() { setAcceptDrops(true); }
    int nDragEnters = 0;
    int nDrops = 0;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        ++nDragEnters;
        event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        ++nDrops;
        event->acceptProposedAction();
    }
};

// A container of our own: the other program's frame window, its document window, and the
// storage of the one object it holds.
class TestContainer {
  public:
    QMainWindow frame;
    DocumentWindow* pDocWindow = new DocumentWindow;
    QPushButton* pOwnButton = new QPushButton(QStringLiteral("Own"), pDocWindow);
    QByteArray storage;
    std::unique_ptr<CZM540SrvrItem> pItem;
    QPointer<CInPlaceFrame> pInPlace;
    int nEnded = 0;
    bool bBarsLeftAtEnd = false;

    TestContainer() {
        frame.setCentralWidget(pDocWindow);
        frame.resize(640, 480);
        pOwnButton->setGeometry(420, 320, 120, 24);
    }

    // Inserts the document as an embedded object and stores it.
    bool Insert(CZM540Doc& doc) {
        pItem = CZM540SrvrItem::OnGetEmbeddedItem(doc);
        return Store();
    }
    bool Store() {
        storage.clear();
        QBuffer buffer(&storage);
        buffer.open(QIODevice::WriteOnly);
        return pItem->Serialize(buffer, CZM540Doc::Archive::Store);
    }
    // Loads the stored object into `doc`.
    bool LoadInto(CZM540Doc& doc) {
        pItem = CZM540SrvrItem::OnGetEmbeddedItem(doc);
        QBuffer buffer(&storage);
        buffer.open(QIODevice::ReadOnly);
        return pItem->Serialize(buffer, CZM540Doc::Archive::Load);
    }

    // Edits the document in place in the document window; when editing ends, the frame goes.
    bool Activate(CZM540Doc& doc, ProfileSettings& settings,
                  std::span<const int> toolbar = ToolBarLayoutOf(FrameMode::InPlace)) {
        pInPlace = new CInPlaceFrame(doc, settings, pDocWindow);
        pInPlace->setGeometry(40, 30, 320, 240);
        QObject::connect(pInPlace, &CInPlaceFrame::inPlaceEnded, &frame, [this] {
            ++nEnded;
            bBarsLeftAtEnd = !frame.findChildren<QToolBar*>().isEmpty();
            pInPlace->RemoveControlBars();
            pInPlace->deleteLater();
        });
        return pInPlace->OnCreateControlBars(&frame, toolbar);
    }
    // Shows the frame window and makes it the active one.
    bool ShowActive() {
        frame.show();
        frame.activateWindow();
        return QTest::qWaitForWindowActive(&frame);
    }
};

QStringList ToolTips(const QToolBar* bar) {
    QStringList tips;
    for (const QAction* a : bar->actions())
        tips << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    return tips;
}

QMimeData* FileDrop(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

struct EmbedFixture : DocFixture {
    EmbedFixture() { InitShellResources(); }
    TestContainer container;
};

} // namespace

TEST(EmbeddedObject, StoresTheWholeDocumentAsItsFileAndLoadsItBack) {
    struct Case {
        const char* name;
        bool bTwelveLead;
        int nSamples;
    };
    const Case cases[] = {{"12-lead", true, 900}, {"monitoring", false, 4500}, {"empty", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EmbedFixture f;
        if (c.nSamples > 0)
            f.Record(c.bTwelveLead, c.nSamples);
        ASSERT_TRUE(f.container.Insert(*f.doc));
        ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("saved.vecg")));
        const QByteArray file = ReadAll(f.Path("saved.vecg"));
        ASSERT_FALSE(file.isEmpty());
        EXPECT_EQ(f.container.storage, file);

        DocFixture other;
        ASSERT_TRUE(f.container.LoadInto(*other.doc));
        EXPECT_EQ(other.doc->m_nSamples, c.nSamples);
        EXPECT_EQ(other.doc->m_bTwelveLead, c.bTwelveLead ? 1 : 0);
        EXPECT_EQ(other.doc->m_leadRecord, f.doc->m_leadRecord);
        EXPECT_EQ(other.doc->m_monitorRecord, f.doc->m_monitorRecord);
        const QByteArray first = f.container.storage;
        ASSERT_TRUE(f.container.Store());
        EXPECT_EQ(f.container.storage, first);
        EXPECT_TRUE(other.prompter.asked.isEmpty());
    }
}

TEST(EmbeddedObject, LoadingStorageThatIsNoRecordingFails) {
    EmbedFixture f;
    f.container.storage = QByteArray("not a recording at all");
    EXPECT_FALSE(f.container.LoadInto(*f.doc));
    EXPECT_EQ(f.prompter.asked.size(), 1);
}

TEST(ServerItem, LinkedItemStoresAndLoadsNothing) {
    EmbedFixture f;
    f.Record(true, 900);
    CZM540SrvrItem linked(*f.doc, CZM540SrvrItem::Kind::Linked);
    EXPECT_TRUE(linked.IsLinkedItem());
    EXPECT_FALSE(CZM540SrvrItem::OnGetEmbeddedItem(*f.doc)->IsLinkedItem());

    QByteArray stored;
    QBuffer out(&stored);
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(linked.Serialize(out, CZM540Doc::Archive::Store));
    EXPECT_TRUE(stored.isEmpty());

    // A whole recording of another document lies in the storage: nothing of it is read.
    DocFixture other;
    other.Record(false, 300);
    ASSERT_TRUE(other.doc->OnSaveDocument(other.Path("other.vecg")));
    QByteArray file = ReadAll(other.Path("other.vecg"));
    QBuffer in(&file);
    in.open(QIODevice::ReadOnly);
    EXPECT_TRUE(linked.Serialize(in, CZM540Doc::Archive::Load));
    EXPECT_EQ(in.pos(), 0);
    EXPECT_EQ(f.doc->m_nSamples, 900);
    EXPECT_EQ(f.doc->m_bTwelveLead, 1);
}

TEST(ServerItem, OnlyTheContentHasAnExtentAThirtyMillimetreSquare) {
    using Aspect = CZM540SrvrItem::Aspect;
    struct Case {
        const char* name;
        int nSamples; // 0: empty
        bool bTwelveLead;
    };
    const Case docs[] = {{"empty", 0, true},
                         {"full 12-lead", kLeadCapacity, true},
                         {"full monitoring", kMonitorCapacity, false}};
    for (const Case& c : docs) {
        SCOPED_TRACE(c.name);
        DocFixture f;
        if (c.nSamples > 0)
            f.Record(c.bTwelveLead, c.nSamples);
        const auto item = CZM540SrvrItem::OnGetEmbeddedItem(*f.doc);
        EXPECT_EQ(item->OnGetExtent(Aspect::Content), std::optional<QSize>(QSize(3000, 3000)));
        for (Aspect other : {Aspect::Thumbnail, Aspect::Icon, Aspect::DocPrint})
            EXPECT_EQ(item->OnGetExtent(other), std::nullopt) << int(other);
    }
}

TEST(ServerItem, DrawMapsTheSquareOntoThePictureAndPaintsNothing) {
    DocFixture f;
    f.Record(true, kLeadCapacity);
    const auto item = CZM540SrvrItem::OnGetEmbeddedItem(*f.doc);
    QImage picture(60, 40, QImage::Format_ARGB32);
    picture.fill(QColor(10, 200, 30));
    const QImage before = picture;
    QPainter painter(&picture);
    ASSERT_TRUE(item->OnDraw(painter, QSize(3000, 3000)));
    EXPECT_EQ(painter.window(), QRect(0, 0, 3000, 3000));
    EXPECT_EQ(painter.viewport(), QRect(0, 0, 60, 40));
    // 3000 x 3000 onto 60 x 40 pixels: 50 and 75 units a pixel.
    EXPECT_EQ(painter.combinedTransform().map(QPointF(1500, 750)), QPointF(30, 10));
    painter.end();
    EXPECT_EQ(picture, before);
}

TEST(InPlace, ActivationPutsTheBarsIntoTheContainersFrame) {
    EmbedFixture f;
    TestContainer& c = f.container;
    ASSERT_TRUE(c.Activate(*f.doc, f.settings));
    ASSERT_TRUE(c.ShowActive());

    const QList<QToolBar*> bars = c.frame.findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(bars.size(), 1);
    QToolBar* rebar = bars.front();
    EXPECT_EQ(rebar->objectName(), "59396");
    EXPECT_EQ(c.frame.toolBarArea(rebar), Qt::TopToolBarArea);
    EXPECT_TRUE(rebar->isVisible());
    // The toolbar is the bar's one band.
    ASSERT_EQ(rebar->actions().size(), 1);
    auto* toolbar = qobject_cast<QToolBar*>(rebar->widgetForAction(rebar->actions().front()));
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(toolbar->objectName(), "59392");
    EXPECT_EQ(toolbar, c.pInPlace->ToolBar());
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(ToolTips(toolbar), QStringList({"Copy", "|", "About"}));
    for (int id : {ID_EDIT_COPY, ID_APP_ABOUT}) {
        QAction* action = c.pInPlace->Action(id);
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->autoRaise()) << id;
        EXPECT_FALSE(button->icon().isNull()) << id;
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(FindCommand(id)->toolTip));
    }

    // The frame sits in the document window, the view filling it, the grip at its corner.
    EXPECT_EQ(c.pInPlace->parentWidget(), c.pDocWindow);
    EXPECT_EQ(c.pInPlace->window(), &c.frame);
    EXPECT_TRUE(c.pInPlace->isVisible());
    EXPECT_EQ(c.pInPlace->GetView()->parentWidget(), c.pInPlace.data());
    EXPECT_EQ(c.pInPlace->GetView()->geometry(), c.pInPlace->rect());
    auto* grip = c.pInPlace->findChild<QSizeGrip*>(QStringLiteral("59395"));
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(319, 239));

    // Building again replaces the bars; removing them leaves the frame window as it was.
    ASSERT_TRUE(c.pInPlace->OnCreateControlBars(&c.frame));
    EXPECT_EQ(c.frame.findChildren<QToolBar*>().size(), 2); // one bar, one band
    c.pInPlace->RemoveControlBars();
    EXPECT_TRUE(c.frame.findChildren<QToolBar*>().isEmpty());
    EXPECT_EQ(c.pInPlace->ToolBar(), nullptr);
    EXPECT_EQ(c.pInPlace->ReBar(), nullptr);
}

TEST(InPlace, ControlBarsFailLeavingNothingBehind) {
    const int copyThenUnknown[] = {ID_EDIT_COPY, kSeparator, 12345};
    const int unknownOnly[] = {12345};
    const int notInPlace[] = {ID_EDIT_COPY, ID_FILE_NEW}; // in the table, not in place
    struct Case {
        const char* name;
        std::span<const int> toolbar;
        bool bFrame;
    };
    const Case cases[] = {{"unknown after Copy", copyThenUnknown, true},
                          {"unknown only", unknownOnly, true},
                          {"main window command", notInPlace, true},
                          {"no frame window", ToolBarLayoutOf(FrameMode::InPlace), false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EmbedFixture f;
        TestContainer& c = f.container;
        c.pInPlace = new CInPlaceFrame(*f.doc, f.settings, c.pDocWindow);
        EXPECT_FALSE(c.pInPlace->OnCreateControlBars(k.bFrame ? &c.frame : nullptr, k.toolbar));
        EXPECT_TRUE(c.frame.findChildren<QToolBar*>().isEmpty());
        EXPECT_TRUE(c.pInPlace->findChildren<QToolBar*>().isEmpty());
        EXPECT_EQ(c.pInPlace->ToolBar(), nullptr);
        EXPECT_EQ(c.pInPlace->ReBar(), nullptr);
        // A good layout afterwards still works.
        EXPECT_TRUE(c.pInPlace->OnCreateControlBars(&c.frame));
    }
}

TEST(InPlace, MenusAndKeysAreTheInPlaceOnes) {
    EmbedFixture f;
    CInPlaceFrame frame(*f.doc, f.settings);
    const QList<QMenu*>& menus = frame.Menus();
    ASSERT_EQ(menus.size(), 5);
    // The two null entries are where the other program's menus go.
    EXPECT_EQ(menus[2], nullptr);
    EXPECT_EQ(menus[3], nullptr);
    struct MenuCase {
        int index;
        const char* title;
        QStringList items;
    };
    const MenuCase menuCases[] = {
        {0, "&Edit", {"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}},
        {1, "&View", {"&Toolbar"}},
        {4, "&Help", {"&About ZM540..."}},
    };
    for (const MenuCase& m : menuCases) {
        ASSERT_NE(menus[m.index], nullptr) << m.title;
        EXPECT_EQ(menus[m.index]->title(), m.title);
        QStringList items;
        for (const QAction* a : menus[m.index]->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        EXPECT_EQ(items, m.items) << m.title;
    }

    struct KeyCase {
        int id;
        QList<QKeySequence> keys;
        bool bEnabled;
    };
    const KeyCase keyCases[] = {
        {ID_EDIT_UNDO, {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}, false},
        {ID_EDIT_CUT, {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}, false},
        {ID_EDIT_COPY, {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}, true},
        {ID_EDIT_PASTE, {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}, false},
        {ID_CANCEL_EDIT_INPLACE, {QKeySequence(Qt::Key_Escape)}, true},
        {ID_VIEW_TOOLBAR, {}, true},
        {ID_APP_ABOUT, {}, true},
    };
    for (const KeyCase& k : keyCases) {
        QAction* action = frame.Action(k.id);
        ASSERT_NE(action, nullptr) << k.id;
        EXPECT_EQ(action->shortcuts(), k.keys) << k.id;
        EXPECT_EQ(action->isEnabled(), k.bEnabled) << k.id;
        EXPECT_TRUE(frame.actions().contains(action)) << k.id;
    }
    // Only the in-place commands are here.
    EXPECT_EQ(frame.actions().size(), 7);
    EXPECT_EQ(frame.Action(ID_FILE_NEW), nullptr);
}

TEST(InPlace, EscInTheFrameEndsEditingInPlace) {
    EmbedFixture f;
    TestContainer& c = f.container;
    ASSERT_TRUE(c.Activate(*f.doc, f.settings));
    ASSERT_TRUE(c.ShowActive());
    QSignalSpy ended(c.pInPlace.data(), &CInPlaceFrame::inPlaceEnded);

    // Esc on the container's own button is the container's.
    c.pOwnButton->setFocus();
    ASSERT_TRUE(c.pOwnButton->hasFocus());
    QTest::keyClick(c.pOwnButton, Qt::Key_Escape);
    EXPECT_EQ(ended.count(), 0);
    ASSERT_FALSE(c.frame.findChildren<QToolBar*>().isEmpty());

    c.pInPlace->GetView()->setFocus();
    ASSERT_TRUE(c.pInPlace->GetView()->hasFocus());
    QTest::keyClick(c.pInPlace->GetView(), Qt::Key_Escape);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(c.nEnded, 1);
    // The frame took its bars out before it said so.
    EXPECT_FALSE(c.bBarsLeftAtEnd);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(c.pInPlace.isNull());
    EXPECT_TRUE(c.pDocWindow->findChildren<CInPlaceFrame*>().isEmpty());
    EXPECT_TRUE(c.frame.findChildren<QToolBar*>().isEmpty());
}

TEST(InPlace, DropsOnTheFrameAreRefusedAndGoNoFurther) {
    EmbedFixture f;
    TestContainer& c = f.container;
    ASSERT_TRUE(c.Activate(*f.doc, f.settings));
    ASSERT_TRUE(c.ShowActive());
    std::unique_ptr<QMimeData> data(FileDrop(f.Path("dropped.vecg")));
    // What a drag needs to go ahead: an accepted event with an action (Qt's own rule for the
    // enter).
    auto takes = [](const QDropEvent& e) {
        return e.isAccepted() && e.dropAction() != Qt::IgnoreAction;
    };

    // Straight to the frame: an enter nobody takes would go on to the document window.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(c.pInPlace, &enter);
    EXPECT_FALSE(takes(enter));
    QDragMoveEvent move(QPoint(110, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(c.pInPlace, &move);
    EXPECT_FALSE(move.isAccepted());
    QDropEvent drop(QPointF(110, 100), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.pInPlace, &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(c.pDocWindow->nDragEnters, 0);
    EXPECT_EQ(c.pDocWindow->nDrops, 0);

    // Through the window, as a drag from elsewhere arrives, at points of the document window:
    // over the view, over the grip, and outside the frame, where the document window takes it.
    QWindow* window = c.frame.windowHandle();
    ASSERT_NE(window, nullptr);
    struct Case {
        const char* name;
        QPoint at;
        bool bTaken;
        int nDocEnters, nDocDrops;
    };
    const Case cases[] = {{"over the view", QPoint(200, 150), false, 0, 0},
                          {"over the grip", QPoint(355, 265), false, 0, 0},
                          {"outside the frame", QPoint(500, 100), true, 1, 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const QPoint at = c.pDocWindow->mapTo(&c.frame, k.at);
        QDragEnterEvent windowEnter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &windowEnter);
        EXPECT_EQ(takes(windowEnter), k.bTaken);
        QDragMoveEvent windowMove(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &windowMove);
        EXPECT_EQ(takes(windowMove), k.bTaken);
        QDropEvent windowDrop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &windowDrop);
        EXPECT_EQ(windowDrop.isAccepted(), k.bTaken);
        EXPECT_EQ(c.pDocWindow->nDragEnters, k.nDocEnters);
        EXPECT_EQ(c.pDocWindow->nDrops, k.nDocDrops);
    }
}

TEST(InPlace, CopyToolbarAboutAndTheGrip) {
    EmbedFixture f;
    f.Record(true, 900);
    TestContainer& c = f.container;
    ASSERT_TRUE(c.Activate(*f.doc, f.settings));
    ASSERT_TRUE(c.ShowActive());

    // Copy by its key: the page as a picture.
    QGuiApplication::clipboard()->clear();
    c.pInPlace->GetView()->setFocus();
    QTest::keyClick(c.pInPlace->GetView(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasFormat("image/svg+xml"));
    EXPECT_TRUE(copied->data("image/svg+xml").contains(">Rhythm II</text>"));
    EXPECT_TRUE(f.prompter.asked.isEmpty());

    // Toolbar hides and shows the bar; bars built while it is off come hidden.
    QAction* toolbar = c.pInPlace->Action(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(toolbar->isChecked());
    toolbar->trigger();
    EXPECT_TRUE(c.pInPlace->ReBar()->isHidden());
    ASSERT_TRUE(c.pInPlace->OnCreateControlBars(&c.frame));
    EXPECT_TRUE(c.pInPlace->ReBar()->isHidden());
    toolbar->trigger();
    EXPECT_TRUE(c.pInPlace->ReBar()->isVisible());

    // About opens the program's about box over the frame without waiting for it.
    c.pInPlace->Action(ID_APP_ABOUT)->trigger();
    auto* about = c.pInPlace->findChild<CAboutDlg*>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    about->close();

    // The grip resizes the frame, not the container's window.
    auto* grip = c.pInPlace->ResizeGrip();
    const QSize frameSize = c.frame.size();
    const QPoint from = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, from);
    QTest::mouseMove(grip, from + QPoint(40, 30));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, from + QPoint(40, 30));
    EXPECT_EQ(c.pInPlace->geometry(), QRect(40, 30, 360, 270));
    EXPECT_EQ(c.frame.size(), frameSize);
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(359, 269));
}
