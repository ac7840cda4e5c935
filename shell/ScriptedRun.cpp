#include "ScriptedRun.h"

#include "MainFrame.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

Prompter::Answer StderrPrompter::Ask(const QString& text, Buttons buttons, Icon,
                                     const QString& caption) {
    const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
    std::fprintf(stderr, "zm540vet: %s\n",
                 qPrintable(QString(line).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    std::fflush(stderr);
    m_bFailed = true;
    return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

void RunScriptedRecording(CMainFrame& frame, CZM540Doc& doc, StderrPrompter& prompter,
                          double seconds, const QString& path) {
    CZM540View* view = frame.GetView();
    view->OnRecord();
    if (!view->m_bAcquiring) {
        QCoreApplication::exit(1);
        return;
    }
    QTimer::singleShot(int(seconds * 1000.0), view, [view, &doc, &prompter, path] {
        // A session that ended on its own (the line failed) has kept its samples already.
        if (view->m_bAcquiring)
            view->OnRecord();
        const bool bSaved = doc.OnSaveDocument(path);
        QCoreApplication::exit(bSaved && !prompter.Failed() ? 0 : 1);
    });
}
