// The main window's construction: actions from the command table, menus, the toolbar, the bar
// of recording controls and the status bar.
#include "MainFrame.h"

#include "ChooserBox.h"
#include "CommandRoutes.h"
#include "Commands.h"
#include "DetailsDlg.h"
#include "Leads.h"
#include "Measurements.h"
#include "SplashWnd.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QList<QKeySequence> Shortcuts(const char* text) {
    QList<QKeySequence> keys;
    for (const QString& key : QString::fromLatin1(text).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        keys << QKeySequence(key, QKeySequence::PortableText);
    return keys;
}

// A static text of the bar, right-aligned and wide enough for each of `texts`.
QLabel* BarLabel(const QString& text, std::initializer_list<const char*> texts) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    int width = 0;
    for (const char* t : texts)
        width = std::max(width, label->fontMetrics().horizontalAdvance(QString::fromLatin1(t)));
    label->setMinimumWidth(width + 8);
    label->setContentsMargins(4, 0, 4, 0);
    return label;
}

} // namespace

QRect InitialFrameGeometry(const QRect& available, const QMargins& frame) {
    constexpr int kWidth = 800;
    constexpr int kHeight = 600;
    const QRect inside = available.marginsRemoved(frame);
    if (available.width() <= kWidth)
        return inside;
    const int w = std::min(kWidth, inside.width());
    const int h = std::min(kHeight, inside.height());
    const int outerW = w + frame.left() + frame.right();
    const int outerH = h + frame.top() + frame.bottom();
    return QRect(available.x() + (available.width() - outerW) / 2 + frame.left(),
                 available.y() + (available.height() - outerH) / 2 + frame.top(), w, h);
}

namespace {

// A title bar and borders as window managers commonly draw them, until the real ones are known.
constexpr QMargins kUsualFrame(4, 28, 4, 4);

} // namespace

CMainFrame::CMainFrame(CZM540Doc& doc, ProfileSettings& settings, Prompter& prompter,
                       LineFactory lines, QWidget* parent, FrameMode mode, const QString& heldFile)
    : QMainWindow(parent), m_doc(doc), m_settings(settings), m_prompter(prompter),
      m_recentFiles(kRecentFileCount), m_lines(lines), m_mode(mode), m_strHeldFile(heldFile) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(InitialFrameGeometry(screen->availableGeometry(), kUsualFrame));

    // The start-up picture, when allowed, stays up a moment while the window is built.
    if (CSplashWnd::ShowSplash(this, prompter)) {
        QEventLoop pause;
        QTimer::singleShot(500, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
    }

    m_pView = new CZM540View(doc, settings, lines, this);
    m_pView->SetFrameControls(this);
    setCentralWidget(m_pView);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateRecordBar();
    CreateStatusBar();
    // Another program's recording is not replaced by a dropped one.
    setAcceptDrops(m_mode == FrameMode::Main);

    m_updateTimer.setSingleShot(true);
    m_updateTimer.setInterval(0);
    connect(&m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_pScratch = std::make_unique<MeasurementScratch>();
    m_liveRateTimer.setInterval(1000);
    connect(&m_liveRateTimer, &QTimer::timeout, this, &CMainFrame::UpdateMeasurements);
    ConnectDocument();

    // The first update brings the choosers in line with the document.
    m_pView->OnUpdate();
    UpdateCaption();
    UpdateRecentFileMenu();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The view outlives this part of the window: stop a session while the bars still exist.
    m_pView->OnDestroy();
    m_pView->SetFrameControls(nullptr);
}

void CMainFrame::CreateActions() {
    for (const CommandInfo& c : CommandTable()) {
        if (c.bBarControl)
            continue;
        auto* action = new QAction(this);
        action->setText(QString::fromLatin1(c.menuText ? c.menuText : c.toolTip ? c.toolTip : ""));
        action->setStatusTip(QString::fromLatin1(c.prompt));
        if (c.toolTip)
            action->setToolTip(QString::fromLatin1(c.toolTip));
        if (c.icon)
            action->setIcon(QIcon(QString::fromLatin1(c.icon)));
        if (m_mode == FrameMode::Main)
            action->setShortcuts(Shortcuts(c.shortcuts));
        action->setCheckable(c.bCheckable);
        action->setData(int(c.id));
        m_actions.insert(c.id, action);
    }
    for (const CommandRoute& route : CommandRoutes())
        connect(Action(route.id), &QAction::triggered, this, [this, handler = route.handler] {
            handler(CommandTargets{*this, m_pApp});
        });
    // Any command can change what the others may do.
    for (QAction* action : std::as_const(m_actions))
        connect(action, &QAction::triggered, this, &CMainFrame::RequestCommandUpdate);
    for (const Accelerator& key : AcceleratorsOf(m_mode))
        if (QAction* action = Action(key.id))
            action->setShortcuts(action->shortcuts() << QKeySequence(QString::fromLatin1(key.key),
                                                                     QKeySequence::PortableText));
    // The mode command's check mark and the bars' visibility come from the update pass.
    Action(ID_APP_ABOUT)->setMenuRole(QAction::AboutRole);
    Action(ID_APP_EXIT)->setMenuRole(QAction::QuitRole);
}

void CMainFrame::CreateMenus() {
    for (const MenuLayout& layout : MenuLayoutOf(m_mode)) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(layout.title));
        for (int id : layout.items) {
            if (id == kSeparator) {
                menu->addSeparator();
            } else if (id == ID_FILE_MRU_FILE1) {
                for (int i = 0; i < kRecentFileCount; ++i)
                    menu->addAction(Action(ID_FILE_MRU_FILE1 + i));
            } else {
                menu->addAction(Action(id));
            }
        }
    }
}

void CMainFrame::CreateToolBar() {
    m_pToolBar = addToolBar(QStringLiteral("Toolbar"));
    m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    for (int id : ToolBarLayoutOf(m_mode)) {
        if (id == kSeparator)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(Action(id));
    }
}

void CMainFrame::CreateRecordBar() {
    m_pRecordBar = addToolBar(QStringLiteral("Recording controls"));
    m_pRecordBar->setObjectName(QStringLiteral("RecordBar"));

    auto* record = new QToolButton;
    record->setDefaultAction(Action(ID_RECORD));
    record->setToolButtonStyle(Qt::ToolButtonTextOnly);
    record->setMinimumWidth(record->fontMetrics().horizontalAdvance(QStringLiteral("Monitor")) +
                            28);
    m_pRecordBar->addWidget(record);
    // A push button's frame, not a flat tool button's (the bar makes its buttons flat).
    record->setAutoRaise(false);
    m_pRecordBar->addSeparator();

    m_pLeadLabel = BarLabel(m_doc.LeadLabelText(), {"Rhythm lead", "Lead Select"});
    m_pRecordBar->addWidget(m_pLeadLabel);
    m_pLeadBox = new CChooserBox;
    for (int lead = 0; lead < kLimbLeadCount; ++lead)
        m_pLeadBox->addItem(QString::fromLatin1(kLeadNames[lead]));
    m_pRecordBar->addWidget(m_pLeadBox);
    m_pRecordBar->addSeparator();

    m_pRecordBar->addWidget(BarLabel(QStringLiteral("Filter class"), {"Filter class"}));
    m_pFilterBox = new CChooserBox;
    for (const FilterClass& c : kFilterClasses)
        m_pFilterBox->addItem(QString::fromLatin1(c.label));
    m_pRecordBar->addWidget(m_pFilterBox);

    // The recording controls cannot be put away: nothing else starts a session.
    m_pRecordBar->toggleViewAction()->setVisible(false);
    for (QToolBar* bar : {m_pToolBar, m_pRecordBar})
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->installEventFilter(this);

    m_controls.insert(ID_RECORD, record);
    m_controls.insert(IDC_LEAD_LABEL, m_pLeadLabel);
    m_controls.insert(IDC_LEAD_SELECT, m_pLeadBox);
    m_controls.insert(IDC_FILTER_SELECT, m_pFilterBox);
    for (int id : {IDC_LEAD_SELECT, IDC_FILTER_SELECT}) {
        const CommandInfo* c = FindCommand(id);
        QWidget* w = Control(id);
        w->setToolTip(QString::fromLatin1(c->toolTip));
        w->setStatusTip(QString::fromLatin1(c->prompt));
    }
    record->setStatusTip(Action(ID_RECORD)->statusTip());

    // The document hears of a choice when the list closes, and of a choice made with the
    // keyboard on the closed box.
    auto leadSelect = [this] { m_doc.OnLeadSelect(GetLeadIndex()); };
    auto filterSelect = [this] { m_doc.OnFilterSelect(GetFilterIndex()); };
    connect(m_pLeadBox, &CChooserBox::closedUp, this, leadSelect);
    connect(m_pLeadBox, &QComboBox::activated, this, leadSelect);
    connect(m_pFilterBox, &CChooserBox::closedUp, this, filterSelect);
    connect(m_pFilterBox, &QComboBox::activated, this, filterSelect);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_bShown)
        return;
    m_bShown = true;
    // Once the window manager has framed the window, its real frame is known: the whole
    // window must be on the screen.
    QTimer::singleShot(0, this, [this] {
        const QScreen* s = screen();
        if (!s || isMaximized() || isFullScreen())
            return;
        const QRect available = s->availableGeometry();
        if (available.contains(frameGeometry()))
            return;
        const QMargins frame(geometry().left() - frameGeometry().left(),
                             geometry().top() - frameGeometry().top(),
                             frameGeometry().right() - geometry().right(),
                             frameGeometry().bottom() - geometry().bottom());
        setGeometry(InitialFrameGeometry(available, frame));
    });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // A bar button's prompt would stay after the pointer has left it; the session's own text
    // comes back instead.
    if (event->type() == QEvent::Leave && qobject_cast<QToolButton*>(watched))
        statusBar()->clearMessage();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::CreateStatusBar() {
    m_pMessagePane = new QLabel(QStringLiteral("Ready"));
    m_pMessagePane->setContentsMargins(2, 0, 2, 0);
    statusBar()->addWidget(m_pMessagePane, 1);
    m_pMeasurePane = new QLabel;
    m_pMeasurePane->setContentsMargins(2, 0, 2, 0);
    statusBar()->addPermanentWidget(m_pMeasurePane);
}

void CMainFrame::ConnectDocument() {
    connect(&m_doc, &CZM540Doc::updated, m_pView, &CZM540View::OnUpdate);
    connect(&m_doc, &CZM540Doc::updated, this, &CMainFrame::RequestCommandUpdate);
    connect(&m_doc, &CZM540Doc::modifiedChanged, this, &CMainFrame::RequestCommandUpdate);
    connect(&m_doc, &CZM540Doc::pathChanged, this, &CMainFrame::UpdateCaption);
    connect(&m_doc, &CZM540Doc::pathChanged, this, &CMainFrame::RequestCommandUpdate);
    connect(&m_doc, &CZM540Doc::updated, this, &CMainFrame::UpdateCaption);
    connect(&m_doc, &CZM540Doc::updated, this, &CMainFrame::UpdateMeasurements);
    connect(&m_pView->Session(), &CRecordingSession::stateChanged, this,
            &CMainFrame::RequestCommandUpdate);
    connect(&m_pView->Session(), &CRecordingSession::stateChanged, this,
            &CMainFrame::OnSessionStateChanged);
    connect(m_pView, &CZM540View::choosersNeedUpdate, this, [this](double cutoff, int lead) {
        SelectFilterCutoff(cutoff);
        SetLeadIndex(lead);
    });
}

void CMainFrame::UpdateCaption() {
    QString title = m_mode == FrameMode::Opened
                        ? QFileInfo(m_strHeldFile).fileName() + QStringLiteral(" (embedded)")
                        : m_doc.GetTitle();
    if (!m_doc.m_details.name.isEmpty())
        title = m_doc.m_details.name + QStringLiteral(" - ") + title;
    setWindowTitle(title + QStringLiteral(" - ZM540 Vet"));
}

QString CMainFrame::MeasurementText() const {
    return m_pMeasurePane->text();
}

void CMainFrame::UpdateMeasurements() {
    // A running session shows the rate of its last 10 s; a recording its rate and axis; an
    // empty window nothing.
    const bool bLive = IsAcquiring();
    if (!bLive && m_doc.m_nSamples == 0) {
        m_pMeasurePane->clear();
        return;
    }
    EcgMeasurements m;
    if (bLive) {
        const AcquisitionState& state = m_pView->Session().State();
        m.rateBpm = LiveHeartRate(m_doc, state.m_nHead, state.m_nFill, *m_pScratch);
    } else {
        m = MeasureRecording(m_doc, *m_pScratch);
    }
    const Species species = m_doc.m_details.species;
    const auto withRange = [](QString text, const QString& range) {
        return range.isEmpty() ? text : text + QStringLiteral(" (%1)").arg(range);
    };
    QString text =
        QStringLiteral("Heart rate: ") + withRange(RateText(m.rateBpm), RateRangeText(species));
    if (m_doc.m_bTwelveLead && !bLive)
        text +=
            QStringLiteral("   Axis: ") + withRange(AxisText(m.axisDeg), AxisRangeText(species));
    m_pMeasurePane->setText(text);
}

void CMainFrame::OnSessionStateChanged() {
    const bool bAcquiring = IsAcquiring();
    if (bAcquiring == m_bWasAcquiring)
        return;
    m_bWasAcquiring = bAcquiring;
    if (bAcquiring) {
        m_liveRateTimer.start();
        UpdateMeasurements();
        return;
    }
    m_liveRateTimer.stop();
    UpdateMeasurements();
    // A new recording: who is it of? The dialog is offered, and the vet may close it.
    if (m_bOfferDetails && m_doc.m_nSamples > 0 && !m_pDetailsDlg)
        OnFileDetails();
}

void CMainFrame::OnFileDetails() {
    if (IsAcquiring())
        return;
    if (m_pDetailsDlg) {
        m_pDetailsDlg->raise();
        m_pDetailsDlg->activateWindow();
        return;
    }
    m_pDetailsDlg = new CDetailsDlg(m_doc.m_details, m_prompter, this);
    m_pDetailsDlg->setAttribute(Qt::WA_DeleteOnClose);
    CDetailsDlg* dlg = m_pDetailsDlg;
    connect(dlg, &QDialog::accepted, this, [this, dlg] { m_doc.SetDetails(dlg->Details()); });
    // Window-modal, and the event loop goes on: the window stays painted behind it.
    m_pDetailsDlg->open();
}
