#include "ZM540App.h"

#include "AboutDlg.h"
#include "Commands.h"
#include "EcgFiles.h"
#include "MainFrame.h"
#include "QtPrompter.h"
#include "SplashWnd.h"
#include "SystemColours.h"
#include "ZM540Doc.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>

#include <cstdio>

void InitShellResources() {
    static const bool bDone = [] {
        Q_INIT_RESOURCE(zm540vet);
        return true;
    }();
    (void)bDone;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZM540 Vet: veterinary electrocardiography "
                                                    "with the KS770Vet recorder."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Keep the settings in the INI file <file> instead of the user profile."),
        QStringLiteral("file"));
    const QCommandLineOption splash(QStringLiteral("splash"),
                                    QStringLiteral("Show the start-up picture."));
    parser.addOption(settings);
    parser.addOption(splash);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A .vecg recording to open."),
                                 QStringLiteral("[file]"));

    CommandLine cmd;
    if (!parser.parse(arguments)) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage = parser.errorText();
        return cmd;
    }
    if (parser.isSet(help)) {
        cmd.action = CommandLine::Action::Help;
        cmd.strMessage = parser.helpText();
        return cmd;
    }
    if (parser.isSet(version)) {
        cmd.action = CommandLine::Action::Version;
        cmd.strMessage = QStringLiteral("zm540vet ") + QCoreApplication::applicationVersion();
        return cmd;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage =
            QStringLiteral("Only one file can be opened; %1 were given.").arg(files.size());
        return cmd;
    }
    cmd.strSettingsFile = parser.value(settings);
    cmd.strFileName = files.value(0);
    cmd.bSplash = parser.isSet(splash);
    return cmd;
}

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

    m_pDoc = std::make_unique<CZM540Doc>(m_settings, *m_pPrompter);
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, m_settings, *m_pPrompter);
    if (m_pOwnPrompter)
        m_pOwnPrompter->SetOwner(m_pFrame.get());
    m_pFrame->LoadRecentFiles(*m_pProfile);
    connect(m_pFrame->Action(ID_FILE_OPEN), &QAction::triggered, this, &CZM540App::OnFileOpen);
    connect(m_pFrame->Action(ID_APP_ABOUT), &QAction::triggered, this, &CZM540App::OnAppAbout);
    // However the program ends, the settings are saved.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CZM540App::ExitInstance);

    // A file that cannot be opened has said why; the program goes on with a new recording.
    if (cmd.strFileName.isEmpty() || !m_pFrame->OpenDocumentFile(cmd.strFileName)) {
        m_pDoc->OnNewDocument();
        m_pDoc->UpdateAllViews();
    }
    m_pFrame->show();
    return true;
}

void CZM540App::ExitInstance() {
    if (m_bExited || !m_pProfile)
        return;
    m_bExited = true;
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
