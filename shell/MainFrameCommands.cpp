// The main window's commands: the file commands, the chooser and status accessors, the update
// pass, and the window events that reach the document.
#include "MainFrame.h"

#include "ChartScale.h"
#include "ChooserBox.h"
#include "Commands.h"
#include "EcgFiles.h"
#include "Leads.h"
#include "OptionSheet.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "SystemColours.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

int CMainFrame::GetLeadIndex() const {
    return m_pLeadBox->currentIndex();
}

void CMainFrame::SetLeadIndex(int index) {
    m_pLeadBox->setCurrentIndex(index);
}

int CMainFrame::GetFilterIndex() const {
    return m_pFilterBox->currentIndex();
}

void CMainFrame::SetFilterIndex(int index) {
    m_pFilterBox->setCurrentIndex(index);
}

double CMainFrame::GetFilterCutoff() const {
    return CutoffOfClass(GetFilterIndex());
}

void CMainFrame::SelectFilterCutoff(double cutoff) {
    const int index = ClassOfCutoff(cutoff);
    if (index >= 0)
        SetFilterIndex(index);
}

void CMainFrame::SetStatusText(const QString& text) {
    statusBar()->clearMessage();
    m_pMessagePane->setText(text);
}

QString CMainFrame::StatusText() const {
    return m_pMessagePane->text();
}

void CMainFrame::SetTopMost(bool bTopMost) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == bTopMost)
        return;
    const Qt::WindowFlags flags = windowFlags() ^ Qt::WindowStaysOnTopHint;
    QWindow* window = windowHandle();
    if (window && isVisible()) {
        // Change the shown window's stacking in place: setWindowFlags would hide it and show
        // it again, activated.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

bool CMainFrame::IsAcquiring() const {
    return m_pView->IsAcquiring();
}

bool CMainFrame::SaveModified() {
    if (!m_doc.IsModified())
        return true;
    switch (m_prompter.Ask(QStringLiteral("Save changes to %1?").arg(m_doc.GetTitle()),
                           Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning)) {
    case Prompter::Answer::Yes:
        return OnFileSave();
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnFileNew() {
    if (IsAcquiring() || !SaveModified())
        return;
    m_doc.OnNewDocument();
    m_doc.UpdateAllViews();
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    if (IsAcquiring() || !SaveModified())
        return false;
    if (!m_doc.OnOpenDocument(path))
        return false;
    // A refused file leaves an empty "Untitled" document, which is not worth remembering.
    if (m_doc.HasFileName())
        RememberFile(m_doc.GetPathName());
    m_doc.UpdateAllViews();
    return true;
}

void CMainFrame::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.Files().size())
        return;
    const QString path = m_recentFiles.Files()[index];
    if (!QFileInfo::exists(path)) {
        m_prompter.Tell(QStringLiteral("Cannot open \"%1\": the file no longer exists.")
                            .arg(QDir::toNativeSeparators(path)));
        m_recentFiles.Remove(index);
        UpdateRecentFileMenu();
        return;
    }
    OpenDocumentFile(path);
}

bool CMainFrame::OnFileSave() {
    if (IsAcquiring())
        return false;
    // A recording that was never saved or opened has no file of its own, whatever lies in
    // the current directory under its title: ask for one.
    if (!m_doc.HasFileName())
        return OnFileSaveAs();
    return DoSave(m_doc.GetPathName());
}

bool CMainFrame::OnFileSaveAs() {
    if (IsAcquiring())
        return false;
    QString directory = SaveDialogDirectory(m_settings);
    QString proposed = QStringLiteral("Untitled.") + EcgSuffix();
    if (m_doc.HasFileName()) {
        const QFileInfo current(m_doc.GetPathName());
        directory = current.absolutePath();
        proposed = current.fileName();
    }
    const QString chosen =
        m_prompter.AskFileName(Prompter::FileDialog::Save, directory, proposed, EcgFileFilter());
    if (chosen.isEmpty())
        return false;
    return DoSave(WithEcgSuffix(chosen));
}

bool CMainFrame::DoSave(const QString& path) {
    if (!m_doc.OnSaveDocument(path))
        return false;
    RememberFile(m_doc.GetPathName());
    return true;
}

void CMainFrame::RememberFile(const QString& path) {
    m_recentFiles.Add(path);
    UpdateRecentFileMenu();
}

void CMainFrame::LoadRecentFiles(QSettings& profile) {
    m_recentFiles.Load(profile);
    UpdateRecentFileMenu();
}

void CMainFrame::UpdateRecentFileMenu() {
    const QStringList& files = m_recentFiles.Files();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = Action(ID_FILE_MRU_FILE1 + i);
        if (i < files.size()) {
            action->setText(CRecentFileList::MenuText(i, files[i]));
            action->setVisible(true);
        } else {
            // An empty list shows one disabled entry in its place.
            action->setText(QStringLiteral("Recent File"));
            action->setVisible(i == 0);
        }
    }
    RequestCommandUpdate();
}

void CMainFrame::RequestCommandUpdate() {
    if (!m_updateTimer.isActive())
        m_updateTimer.start();
}

void CMainFrame::UpdateCommandUI() {
    m_updateTimer.stop();
    for (const CommandState& s :
         ComputeCommandStates(m_doc, IsAcquiring(), int(m_recentFiles.Files().size()))) {
        if (QAction* action = Action(s.id)) {
            action->setEnabled(s.bEnabled);
            if (action->isCheckable())
                action->setChecked(s.bChecked);
            if (!s.strText.isEmpty())
                action->setText(s.strText);
        } else if (QWidget* control = Control(s.id)) {
            control->setEnabled(s.bEnabled);
            if (auto* label = qobject_cast<QLabel*>(control); label && !s.strText.isEmpty())
                label->setText(s.strText);
        }
    }
    for (const CommandState& s :
         ScaleCommandStates(ChartScaleOf(m_settings.Speed, m_settings.Gain), IsAcquiring()))
        if (QAction* action = Action(s.id)) {
            action->setEnabled(s.bEnabled);
            action->setChecked(s.bChecked);
        }
    Action(ID_VIEW_TOOLBAR)->setChecked(!m_pToolBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
}

bool CMainFrame::OnFileUpdate() {
    if (IsAcquiring() || !m_doc.OnSaveDocument(m_strHeldFile))
        return false;
    m_bUpdated = true;
    return true;
}

void CMainFrame::OnFileSaveCopyAs() {
    if (IsAcquiring())
        return;
    const QFileInfo held(m_strHeldFile);
    const QString chosen = m_prompter.AskFileName(Prompter::FileDialog::Save, held.absolutePath(),
                                                  held.fileName(), EcgFileFilter());
    if (!chosen.isEmpty())
        m_doc.SaveCopy(WithEcgSuffix(chosen));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_mode == FrameMode::Opened && m_doc.IsModified()) {
        const Prompter::Answer answer =
            m_prompter.Ask(QStringLiteral("Update the recording in %1 before closing?")
                               .arg(QFileInfo(m_strHeldFile).fileName()),
                           Prompter::Buttons::YesNoCancel, Prompter::Icon::Question);
        if (answer == Prompter::Answer::Cancel ||
            (answer == Prompter::Answer::Yes && !OnFileUpdate())) {
            event->ignore();
            return;
        }
    } else if (m_mode == FrameMode::Main && !SaveModified()) {
        event->ignore();
        return;
    }
    // A session still running stops here, keeping nothing.
    m_pView->OnDestroy();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event) {
    if (m_pView && (event->type() == QEvent::ApplicationPaletteChange ||
                    event->type() == QEvent::PaletteChange)) {
        // The desktop's colours changed: the system scheme follows at the next rebuild, at
        // once when no session is drawing (a session's choosers must stay as they are).
        LoadSystemColours(m_settings.schemes);
        if (!IsAcquiring())
            m_pView->OnUpdate();
    }
    QMainWindow::changeEvent(event);
}

QString CMainFrame::DroppedEcgFile(const QMimeData* data) const {
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && IsEcgFileName(url.toLocalFile()))
            return url.toLocalFile();
    return QString();
}

// A dropped file is taken as a copy, never moved: a file manager may delete the source of a move.
void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!IsAcquiring() && (event->possibleActions() & Qt::CopyAction) &&
        !DroppedEcgFile(event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedEcgFile(event->mimeData());
    if (IsAcquiring() || path.isEmpty() || !(event->possibleActions() & Qt::CopyAction))
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    activateWindow();
    // Open once the drop is over, so that a question about saving does not hold up the
    // program the file came from.
    QTimer::singleShot(0, this, [this, path] { OpenDocumentFile(path); });
}

void CMainFrame::OnChartScale(int id) {
    if (IsAcquiring())
        return;
    if (const int nSpeed = SpeedOfCommand(id))
        m_settings.Speed = nSpeed;
    if (const int nGain = GainOfCommand(id))
        m_settings.Gain = nGain;
    m_doc.UpdateAllViews();
}

void CMainFrame::DoOptionsSheet() {
    if (IsAcquiring())
        return;
    const CRecordingSession& session = m_pView->Session();
    COptionSheet sheet(m_settings, m_prompter, m_lines, session.SessionPortOverride(),
                       session.SessionPortWhat(), this);
    if (sheet.exec() == QDialog::Accepted)
        m_doc.UpdateAllViews();
}
