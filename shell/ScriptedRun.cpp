#include "ScriptedRun.h"

#include "MainFrame.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <ctime>

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
