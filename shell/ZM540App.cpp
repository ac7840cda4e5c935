#include "ZM540App.h"

#include "AboutDlg.h"
#include "Commands.h"
#include "EcgFiles.h"
#include "Leads.h"
#include "MainFrame.h"
#include "PortDirectory.h"
#include "QtPrompter.h"
#include "ScriptedRun.h"
#include "SplashWnd.h"
#include "SystemColours.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
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
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Record from the built-in emulated recorder (as port COM1) in this run."));
    const QCommandLineOption animal(
        QStringLiteral("demo-animal"),
        QStringLiteral("The emulated recorder's patient: dog (the default) or cat."),
        QStringLiteral("animal"));
    const QCommandLineOption device(
        QStringLiteral("serial-device"),
        QStringLiteral("Record from the serial device <path> in this run."),
        QStringLiteral("path"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("12lead or monitor."),
                                  QStringLiteral("mode"));
    const QCommandLineOption lead(
        QStringLiteral("lead"),
        QStringLiteral("Rhythm or monitored lead: I, II, III, aVR, aVL or aVF."),
        QStringLiteral("lead"));
    const QCommandLineOption filter(QStringLiteral("filter"),
                                    QStringLiteral("Filter class: Unfiltered, 100Hz or 40Hz."),
                                    QStringLiteral("class"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Record for <seconds> as the Record button does, save to the --save file "
                       "and exit. Messages go to standard error."),
        QStringLiteral("seconds"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Where --record saves the recording."),
                                  QStringLiteral("file"));
    const QCommandLineOption firstPaint(
        QStringLiteral("time-first-paint"),
        QStringLiteral("Print the time of the first paint of the ECG (milliseconds since 1970) and "
                       "exit; for measuring start-up."));
    const QCommandLineOption timeSession(
        QStringLiteral("time-session"),
        QStringLiteral("With --record: print the processor time the session used, from its start "
                       "to its stop; for measuring."));
    parser.addOption(settings);
    parser.addOption(splash);
    parser.addOption(firstPaint);
    parser.addOption(timeSession);
    parser.addOptions({demo, animal, device, mode, lead, filter, record, save});
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
    auto fail = [&cmd](const QString& message) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage = message;
        return cmd;
    };
    if (parser.isSet(mode)) {
        const QString m = parser.value(mode);
        if (m != QLatin1String("12lead") && m != QLatin1String("monitor"))
            return fail(QStringLiteral("--mode must be 12lead or monitor."));
        cmd.nMode = m == QLatin1String("12lead") ? 1 : 0;
    }
    if (parser.isSet(lead)) {
        for (int i = 0; i < kLimbLeadCount; ++i)
            if (parser.value(lead) == QLatin1String(kLeadNames[std::size_t(i)]))
                cmd.nLead = i;
        if (cmd.nLead < 0)
            return fail(QStringLiteral("--lead must be I, II, III, aVR, aVL or aVF."));
    }
    if (parser.isSet(filter)) {
        for (int i = 0; i < int(kFilterClasses.size()); ++i)
            if (parser.value(filter) == QLatin1String(kFilterClasses[std::size_t(i)].label))
                cmd.nFilter = i;
        if (cmd.nFilter < 0)
            return fail(QStringLiteral("--filter must be Unfiltered, 100Hz or 40Hz."));
    }
    if (parser.isSet(record) != parser.isSet(save))
        return fail(QStringLiteral("--record and --save go together."));
    if (parser.isSet(record)) {
        bool ok = false;
        cmd.dRecordSeconds = parser.value(record).toDouble(&ok);
        if (!ok || !(cmd.dRecordSeconds > 0.0) || cmd.dRecordSeconds > 3600.0)
            return fail(QStringLiteral("--record needs a number of seconds above 0."));
        cmd.strSavePath = parser.value(save);
    }
    const QString patient = parser.value(animal);
    if (parser.isSet(animal) && patient != QLatin1String("dog") && patient != QLatin1String("cat"))
        return fail(QStringLiteral("--demo-animal must be dog or cat."));
    cmd.bDemoCat = patient == QLatin1String("cat");
    cmd.bDemo = parser.isSet(demo);
    cmd.strSerialDevice = parser.value(device);
    cmd.strSettingsFile = parser.value(settings);
    cmd.strFileName = files.value(0);
    cmd.bSplash = parser.isSet(splash);
    cmd.bTimeFirstPaint = parser.isSet(firstPaint);
    cmd.bTimeSession = parser.isSet(timeSession);
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

    if (cmd.dRecordSeconds > 0.0) {
        m_pScriptPrompter = std::make_unique<StderrPrompter>();
        m_pPrompter = m_pScriptPrompter.get();
    }
    m_pDoc = std::make_unique<CZM540Doc>(m_settings, *m_pPrompter);
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc, m_settings, *m_pPrompter, RunLines(cmd));
    m_pFrame->SetApplication(this);
    if (m_pOwnPrompter)
        m_pOwnPrompter->SetOwner(m_pFrame.get());
    m_pFrame->LoadRecentFiles(*m_pProfile);
    // However the program ends, the settings are saved.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CZM540App::ExitInstance);

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
    if (cmd.bDemo || !cmd.strSerialDevice.isEmpty())
        m_pFrame->GetView()->Session().SetSessionPortOverride(1);

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
