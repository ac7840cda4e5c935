#include "StderrPrompter.h"

#include <QtGlobal>

#include <cstdio>

namespace {

QtMessageHandler qtHandler = nullptr;

void WithoutRuntimeDirNote(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    qtHandler(type, context, text);
}

} // namespace

void DropRuntimeDirNote() {
    if (!qtHandler)
        qtHandler = qInstallMessageHandler(WithoutRuntimeDirNote);
}

Prompter::Answer StderrPrompter::Ask(const QString& text, Buttons buttons, Icon,
                                     const QString& caption) {
    QString message = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
    message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString line = m_prefix + QStringLiteral(": ");
    if (m_context)
        line += *m_context + QStringLiteral(": ");
    line += message + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_bFailed = true;
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::YesNoCancel:
        break;
    }
    return Answer::Cancel;
}
