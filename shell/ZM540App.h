#pragma once

#include "ProfileSettings.h"
#include "SerialBackend.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CMainFrame;
class CZM540Doc;
struct CommandLine;
class Prompter;
class QSettings;
class QtPrompter;
class StderrPrompter;

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
    // The process's status once the event loop has ended with `loopStatus`: for a recording
    // held by another program, 0 when it was updated and 3 when it was not.
    int ExitStatus(int loopStatus) const;
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
    // Opens the recording another program holds in `path` in a window of the opened mode;
    // false (with the reason shown) when the file cannot be read.
    bool OpenEmbedded(const QString& path);

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
