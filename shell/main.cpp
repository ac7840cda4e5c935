#include "BuildInfo.h"
#include "CommandLine.h"
#include "ScriptedRun.h"
#include "StderrPrompter.h"
#include "ZM540App.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv) {
    if (AsksForPrint(argc, argv)) {
        // A print from a script or another program: no window, so no display either.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        DropRuntimeDirNote();
        QGuiApplication app(argc, argv);
        QGuiApplication::setApplicationName(QStringLiteral("zm540vet"));
        QGuiApplication::setApplicationVersion(QStringLiteral(ZM540_VERSION));
        const CommandLine cmd = ParseCommandLine(QGuiApplication::arguments());
        if (cmd.action != CommandLine::Action::Run) {
            std::fprintf(stderr, "%s\n", qPrintable(cmd.strMessage));
            return cmd.action == CommandLine::Action::Error ? 2 : 0;
        }
        return RunPrintCommand(cmd);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zm540vet"));
    QApplication::setApplicationVersion(QStringLiteral(ZM540_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zm540vet"));

    CZM540App theApp;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zm540vet.svg")));
    if (!theApp.InitInstance(QApplication::arguments()))
        return theApp.ExitCode();
    return theApp.ExitStatus(QApplication::exec());
}
