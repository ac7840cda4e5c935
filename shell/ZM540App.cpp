#include "ZM540App.h"

#include "AboutDlg.h"
#include "CommandLine.h"
#include "EcgFiles.h"
#include "MainFrame.h"
#include "PortDirectory.h"
#include "QtPrompter.h"
#include "ScriptedRun.h"
#include "SplashWnd.h"
#include "SystemColours.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <cstdio>

void InitShellResources() {
    static const bool bDone = [] {
        Q_INIT_RESOURCE(zm540vet);
        return true;
    }();
    (void)bDone;
}

namespace {

// Notes the moment the view has painted for the first time, then ends the program.
class FirstPaintTimer : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_bSeen) {
            m_bSeen = true;
            // Once the paint in progress has finished.
            QTimer::singleShot(0, this, [] {
                std::printf("first-paint-ms-since-epoch %lld\n",
                            QDateTime::currentMSecsSinceEpoch());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

  private:
    bool m_bSeen = false;
};

} // namespace

CZM540App::CZM540App(Prompter* prompter, QObject* parent) : QObject(parent) {
    if (!prompter) {
        m_pOwnPrompter = std::make_unique<QtPrompter>();
        prompter = m_pOwnPrompter.get();
    }
    m_pPrompter = prompter;
    InitShellResources();
}

CZM540App::~CZM540App() = default;

bool CZM540App::InitInstance(const QStringList& arguments) {
    const CommandLine cmd = ParseCommandLine(arguments);
    if (cmd.action != CommandLine::Action::Run) {
        std::fprintf(cmd.action == CommandLine::Action::Error ? stderr : stdout, "%s\n",
                     qPrintable(cmd.strMessage));
        m_nExitCode = cmd.action == CommandLine::Action::Error ? 2 : 0;
        return false;
    }
    CSplashWnd::m_bSplashAllowed = cmd.bSplash ? 1 : 0;

    if (cmd.strSettingsFile.isEmpty())
        m_pProfile = std::make_unique<QSettings>(QString::fromLatin1(kProfileCompany),
                                                 QString::fromLatin1(kProfileApplication));
    else
        m_pProfile = std::make_unique<QSettings>(cmd.strSettingsFile, QSettings::IniFormat);
    LoadSettings(*m_pProfile, m_settings);
    LoadSystemColours(m_settings.schemes);

    if (cmd.dRecordSeconds > 0.0) {
        m_pScriptPrompter = std::make_unique<StderrPrompter>(QStringLiteral("zm540vet"));
        m_pPrompter = m_pScriptPrompter.get();
    }
    m_pDoc = std::make_unique<CZM540Doc>(m_settings, *m_pPrompter);
    // However the program ends, the settings are saved.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CZM540App::ExitInstance);
    if (!cmd.strEmbeddingFile.isEmpty()) {
        // Started for another program: its recording's window is the only one.
        m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, m_settings, *m_pPrompter, RunLines(cmd),
                                                nullptr, FrameMode::Opened, cmd.strEmbeddingFile);
        m_pFrame->SetApplication(this);
        if (m_pOwnPrompter)
            m_pOwnPrompter->SetOwner(m_pFrame.get());
        if (!OpenEmbedded(cmd.strEmbeddingFile)) {
            m_nExitCode = 1;
            return false;
        }
        ApplyRunChoices(cmd);
        m_pFrame->show();
        return true;
    }
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, m_settings, *m_pPrompter, RunLines(cmd));
    m_pFrame->SetApplication(this);
    if (m_pOwnPrompter)
        m_pOwnPrompter->SetOwner(m_pFrame.get());
    m_pFrame->LoadRecentFiles(*m_pProfile);
    // A vet at the window is asked who a new recording is of; a scripted run never is.
    m_pFrame->SetOfferDetails(cmd.dRecordSeconds <= 0.0);

    // A file that cannot be opened has said why; the program goes on with a new recording.
    if (cmd.strFileName.isEmpty() || !m_pFrame->OpenDocumentFile(cmd.strFileName)) {
        m_pDoc->OnNewDocument();
        m_pDoc->UpdateAllViews();
    }
    ApplyRunChoices(cmd);
    if (cmd.bTimeFirstPaint)
        m_pFrame->GetView()->installEventFilter(new FirstPaintTimer(this));
    m_pFrame->show();
    if (cmd.dRecordSeconds > 0.0)
        QTimer::singleShot(0, this, [this, cmd] {
            RunScriptedRecording(*m_pFrame, *m_pDoc, *m_pScriptPrompter, cmd.dRecordSeconds,
                                 cmd.strSavePath, cmd.bTimeSession);
        });
    return true;
}

LineFactory CZM540App::RunLines(const CommandLine& cmd) const {
    // The ports of this run; the saved settings stay as they are.
    PortChoice choice;
    choice.bDemo = cmd.bDemo;
    choice.serialDevice = cmd.strSerialDevice;
    choice.demoOptions.ecg.animal = cmd.bDemoCat ? Animal::Cat : Animal::Dog;
    choice.demoOptions.ecg.bNoise = true;
    choice.demoOptions.ecg.bWander = true;
    choice.demoOptions.ecg.nSeed = quint64(QDateTime::currentMSecsSinceEpoch());
    return MakeLineFactory(m_settings, choice);
}

void CZM540App::ApplyRunChoices(const CommandLine& cmd) {
    if (!cmd.strSerialDevice.isEmpty())
        m_pFrame->GetView()->Session().SetSessionPortOverride(
            1, QStringLiteral("%1 (--serial-device)").arg(cmd.strSerialDevice));
    else if (cmd.bDemo)
        m_pFrame->GetView()->Session().SetSessionPortOverride(
            1, QStringLiteral("the built-in emulated recorder (--demo)"));

    // Mode, lead and filter class as the bar's controls would set them.
    if (cmd.nMode >= 0 && cmd.nMode != m_pDoc->m_bTwelveLead && m_pDoc->m_bNewRecord)
        m_pDoc->OnTwelveLeadMonitor();
    if (cmd.nLead >= 0 && m_pDoc->m_bNewRecord)
        m_pDoc->OnLeadSelect(cmd.nLead);
    if (cmd.nFilter >= 0) {
        m_pDoc->OnFilterSelect(cmd.nFilter);
        // An empty new recording has nothing that a session start would need to ask about.
        if (m_pDoc->m_bNewRecord && m_pDoc->m_nSamples == 0)
            m_pDoc->SetModifiedFlag(false);
    }
}

bool CZM540App::OpenEmbedded(const QString& path) {
    const QFileInfo file(path);
    // No file yet, or an empty one: a new recording, which Update will write there.
    if (!file.exists() || (file.isFile() && file.size() == 0)) {
        m_pDoc->OnNewDocument();
        m_pDoc->UpdateAllViews();
        return true;
    }
    // A file that cannot be read, or is refused, has said why; it is left as it is.
    if (!m_pDoc->OnOpenDocument(path) || !m_pDoc->HasFileName())
        return false;
    m_pDoc->UpdateAllViews();
    return true;
}

int CZM540App::ExitStatus(int loopStatus) const {
    if (loopStatus != 0 || !m_pFrame || m_pFrame->Mode() != FrameMode::Opened)
        return loopStatus;
    return m_pFrame->Updated() ? 0 : 3;
}

void CZM540App::ExitInstance() {
    if (m_bExited || !m_pProfile)
        return;
    m_bExited = true;
    // The held recording is not one of the user's recent files.
    if (m_pFrame && m_pFrame->Mode() == FrameMode::Main)
        m_pFrame->SaveRecentFiles(*m_pProfile);
    SaveSettings(*m_pProfile, m_settings);
    if (m_pProfile->status() != QSettings::NoError)
        m_pPrompter->Tell(QStringLiteral("Could not save the settings to \"%1\".")
                              .arg(QDir::toNativeSeparators(m_pProfile->fileName())));
}

void CZM540App::OnFileOpen() {
    const QString path = m_pPrompter->AskFileName(
        Prompter::FileDialog::Open, OpenDialogDirectory(m_settings), QString(), EcgFileFilter());
    if (!path.isEmpty())
        m_pFrame->OpenDocumentFile(path);
}

void CZM540App::OnAppAbout() {
    CAboutDlg about(m_pFrame.get());
    about.exec();
}
