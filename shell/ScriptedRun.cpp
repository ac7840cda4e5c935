#include "ScriptedRun.h"

#include "CommandLine.h"
#include "MainFrame.h"
#include "PrintRun.h"
#include "ProfileSettings.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

void RunScriptedRecording(CMainFrame& frame, CZM540Doc& doc, StderrPrompter& prompter,
                          double seconds, const QString& path, bool bTimeSession) {
    CZM540View* view = frame.GetView();
    view->OnRecord();
    if (!view->IsAcquiring()) {
        QCoreApplication::exit(1);
        return;
    }
    QElapsedTimer wall;
    wall.start();
    const std::clock_t processor = std::clock(); // every thread of the process
    QTimer::singleShot(int(seconds * 1000.0), view, [=, &doc, &prompter] {
        if (bTimeSession) {
            const double used = double(std::clock() - processor) / CLOCKS_PER_SEC;
            const double elapsed = double(wall.nsecsElapsed()) / 1e9;
            std::printf("session: %.3f s of processor time over %.3f s, %.2f %% of one core\n",
                        used, elapsed, 100.0 * used / elapsed);
            std::fflush(stdout);
        }
        // A session that ended on its own (the line failed) has kept its samples already.
        if (view->IsAcquiring())
            view->OnRecord();
        const bool bSaved = doc.OnSaveDocument(path);
        QCoreApplication::exit(bSaved && !prompter.Failed() ? 0 : 1);
    });
}

int RunPrintCommand(const CommandLine& cmd) {
    StderrPrompter prompter(QStringLiteral("zm540vet"));
    const auto fail = [&prompter](const QString& text) {
        prompter.Tell(text);
        return 1;
    };
    std::unique_ptr<QSettings> profile;
    if (cmd.strSettingsFile.isEmpty())
        profile = std::make_unique<QSettings>(QString::fromLatin1(kProfileCompany),
                                              QString::fromLatin1(kProfileApplication));
    else
        profile = std::make_unique<QSettings>(cmd.strSettingsFile, QSettings::IniFormat);
    ProfileSettings settings;
    LoadSettings(*profile, settings);

    prompter.SetContext(cmd.strPrintFile);
    auto doc = std::make_unique<CZM540Doc>(settings, prompter);
    if (!QFileInfo(cmd.strPrintFile).isFile())
        return fail(QStringLiteral("no such file"));
    if (!doc->OnOpenDocument(cmd.strPrintFile) || prompter.Failed())
        return 1;

    prompter.ClearContext();
    QString name = cmd.strPrinter;
    if (name.isEmpty()) {
        name = QPrinterInfo::defaultPrinterName();
        if (name.isEmpty())
            return fail(QStringLiteral("There is no default printer; name one with --printer."));
    } else if (!QPrinterInfo::availablePrinterNames().contains(name)) {
        return fail(QStringLiteral("There is no printer named \"%1\".").arg(name));
    }
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    printer->setPrinterName(name);
    printer->setDocName(QFileInfo(cmd.strPrintFile).fileName());
    QString error;
    if (!OnFilePrintDirect(*printer, DocumentPage(*doc, ReadPrintStyle(settings)), &error))
        return fail(error);
    return 0;
}
