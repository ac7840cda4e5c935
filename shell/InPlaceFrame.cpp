#include "InPlaceFrame.h"

#include "AboutDlg.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QMenu>
#include <QSizeGrip>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The object names of the in-place toolbar, the grip and the bar of bands: the program's own
// control identifiers.
const QString kToolBarName = QStringLiteral("59392");
const QString kResizeGripName = QStringLiteral("59395");
const QString kReBarName = QStringLiteral("59396");

} // namespace

CInPlaceFrame::CInPlaceFrame(CZM540Doc& doc, ProfileSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::SubWindow) {
    m_pView = new CZM540View(doc, settings, LineFactory(), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pView);
    // As a sub-window this frame is what the grip resizes, not the other program's window.
    m_pGrip = new QSizeGrip(this);
    m_pGrip->setObjectName(kResizeGripName);
    m_pGrip->resize(m_pGrip->sizeHint());

    // Drags over the frame stop here and are refused, so that none reaches the other
    // program's window below.
    setAcceptDrops(true);
    CreateActions();
    CreateMenus();

    connect(&doc, &CZM540Doc::updated, m_pView, &CZM540View::OnUpdate);
    connect(m_pView, &CZM540View::deactivateUI, this, [this] {
        RemoveControlBars();
        emit inPlaceEnded();
    });
    m_pView->OnUpdate();
    setFocusProxy(m_pView);
}

CInPlaceFrame::~CInPlaceFrame() {
    RemoveControlBars();
}

void CInPlaceFrame::CreateActions() {
    auto make = [this](int id) -> QAction* {
        if (QAction* existing = Action(id))
            return existing;
        const CommandInfo* c = FindCommand(id);
        if (!c)
            return nullptr;
        auto* action = new QAction(this);
        action->setText(QString::fromLatin1(c->menuText  ? c->menuText
                                            : c->toolTip ? c->toolTip
                                                         : c->prompt));
        action->setStatusTip(QString::fromLatin1(c->prompt));
        if (c->toolTip)
            action->setToolTip(QString::fromLatin1(c->toolTip));
        if (c->icon)
            action->setIcon(QIcon(QString::fromLatin1(c->icon)));
        action->setCheckable(c->bCheckable);
        action->setData(id);
        // The keys work while the frame or the view has the focus.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        m_actions.insert(id, action);
        return action;
    };
    for (const MenuLayout& menu : MenuLayoutOf(FrameMode::InPlace))
        for (int id : menu.items)
            if (id != kSeparator)
                make(id);
    for (int id : ToolBarLayoutOf(FrameMode::InPlace))
        if (id != kSeparator)
            make(id);
    for (const Accelerator& key : AcceleratorsOf(FrameMode::InPlace))
        if (QAction* action = make(key.id))
            action->setShortcuts(action->shortcuts() << QKeySequence(QString::fromLatin1(key.key),
                                                                     QKeySequence::PortableText));

    // Nothing in place edits.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_PASTE})
        Action(id)->setEnabled(false);
    connect(Action(ID_EDIT_COPY), &QAction::triggered, m_pView, &CZM540View::OnCopyPicture);
    connect(Action(ID_APP_ABOUT), &QAction::triggered, this, &CInPlaceFrame::OnAppAbout);
    connect(Action(ID_CANCEL_EDIT_INPLACE), &QAction::triggered, m_pView,
            &CZM540View::OnCancelInPlace);
    QAction* toolbar = Action(ID_VIEW_TOOLBAR);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::toggled, this, [this](bool bShown) {
        if (m_pReBar)
            m_pReBar->setVisible(bShown);
    });
}

void CInPlaceFrame::CreateMenus() {
    for (const MenuLayout& layout : MenuLayoutOf(FrameMode::InPlace)) {
        if (!layout.title) {
            m_menus << nullptr;
            continue;
        }
        auto* menu = new QMenu(QString::fromLatin1(layout.title), this);
        for (int id : layout.items) {
            if (id == kSeparator)
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
        m_menus << menu;
    }
}

bool CInPlaceFrame::OnCreateControlBars(QMainWindow* pContainerFrame,
                                        std::span<const int> toolbar) {
    RemoveControlBars();
    auto fail = [this] {
        RemoveControlBars();
        return false;
    };

    // The toolbar, its buttons this frame's actions.
    if (!pContainerFrame)
        return fail();
    m_pToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_pToolBar->setObjectName(kToolBarName);
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setMovable(false);
    for (int id : toolbar) {
        if (id == kSeparator) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        if (!action)
            return fail();
        m_pToolBar->addAction(action);
    }

    // The bar of bands in the frame window's top area, the toolbar its one band.
    m_pReBar = new QToolBar(QStringLiteral("In-place bars"), pContainerFrame);
    m_pReBar->setObjectName(kReBarName);
    m_pReBar->addWidget(m_pToolBar);
    pContainerFrame->addToolBar(Qt::TopToolBarArea, m_pReBar);
    m_pReBar->setVisible(Action(ID_VIEW_TOOLBAR)->isChecked());

    // There is no dialog bar: the only bar it would have held was an empty placeholder.
    return true;
}

void CInPlaceFrame::RemoveControlBars() {
    if (m_pReBar) {
        if (auto* frame = qobject_cast<QMainWindow*>(m_pReBar->parentWidget()))
            frame->removeToolBar(m_pReBar);
        delete m_pReBar.data();
    }
    delete m_pToolBar.data();
}

void CInPlaceFrame::OnAppAbout() {
    auto* about = new CAboutDlg(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void CInPlaceFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pGrip->move(width() - m_pGrip->width(), height() - m_pGrip->height());
    m_pGrip->raise();
}

void CInPlaceFrame::dragEnterEvent(QDragEnterEvent* event) {
    // Taken with no action: an enter that nobody takes goes on to the widgets below, and the
    // other program's window would then get the drop.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
}

void CInPlaceFrame::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
}

void CInPlaceFrame::dropEvent(QDropEvent* event) {
    event->ignore();
}
