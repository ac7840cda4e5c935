#pragma once

#include <QString>
#include <QStringList>

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
    QString strPrintFile;     // print this recording's page without a dialog and end
    QString strPrinter;       // on this printer; empty: the default one
    QString strEmbeddingFile; // edit the recording another program holds in this file
};
CommandLine ParseCommandLine(const QStringList& arguments);
// Whether the arguments ask for a print without a display (--print); looked at before the
// application object exists, so that such a run needs no display.
bool AsksForPrint(int argc, const char* const* argv);
