#pragma once

#include "ProfileSettings.h"
#include "SerialBackend.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CMainFrame;
class CZM540Doc;
class Prompter;
class QSettings;
class QtPrompter;
class StderrPrompter;

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString strMessage;      // the help, version or error text
    QString strSettingsFile; // an INI file in place of the user profile; empty: the profile
    QString strFileName;     // a recording to open; empty: a new one
    bool bSplash = false;
    bool bTimeFirstPaint = false; // print when the ECG was first painted, then end
    bool bTimeSession = false;    // with a scripted recording: print its processor time
    // This run's port and recording choices.
    bool bDemo = false;          // port 1 is the built-in emulated recorder
    bool bDemoCat = false;       // the emulated recorder is on a cat
    QString strSerialDevice;     // port 1 is this serial device
    int nMode = -1;              // 1 12-lead, 0 monitoring, -1 as it is
    int nLead = -1;              // lead chooser entry, -1 as it is
    int nFilter = -1;            // filter chooser entry, -1 as it is
    double dRecordSeconds = 0.0; // > 0: record this long, save to strSavePath and end
    QString strSavePath;
};
CommandLine ParseCommandLine(const QStringList& arguments);

// The application: owns the settings, the document and the main window, and runs the start-up,
// the Open and About commands and the saving of the settings at the end.
class CZM540App : public QObject {
    Q_OBJECT
  public:
    // Questions go to `prompter`, or to dialogs when it is null.
    explicit CZM540App(Prompter* prompter = nullptr, QObject* parent = nullptr);
    ~CZM540App() override;

    // Loads the settings, builds the document and the main window, opens the recording named
    // on the command line (or starts a new one) and shows the window. False when the program
    // should not go on (help, version or a bad command line, printed); ExitCode() then says
    // with which status the process ends.
    bool InitInstance(const QStringList& arguments);
    int ExitCode() const { return m_nExitCode; }
    // Saves the settings and the recent files; runs once, however often it is called.
    void ExitInstance();
    void OnFileOpen();
    void OnAppAbout();

    ProfileSettings& Settings() { return m_settings; }
    CZM540Doc* GetDocument() const { return m_pDoc.get(); }
    CMainFrame* GetMainFrame() const { return m_pFrame.get(); }

  private:
    // Where this run's ports lead.
    LineFactory RunLines(const CommandLine& cmd) const;
    void ApplyRunChoices(const CommandLine& cmd);

    ProfileSettings m_settings;

    std::unique_ptr<QtPrompter> m_pOwnPrompter;
    std::unique_ptr<StderrPrompter> m_pScriptPrompter;
    Prompter* m_pPrompter;
    std::unique_ptr<QSettings> m_pProfile;
    std::unique_ptr<CZM540Doc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    bool m_bExited = false;
    int m_nExitCode = 0;
};

// Makes the pictures and icons available; safe to call more than once.
void InitShellResources();
