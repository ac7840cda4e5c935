#pragma once

#include "Prompter.h"

#include <QString>

#include <optional>
#include <utility>

// Where nobody is there to read a message box (the command-line tool, a scripted recording):
// each message goes to standard error as one line,
//   "<prefix>: [<context>: ][<caption>: ]<text>", line breaks of caption and text as spaces,
// and marks the run failed. Every question gets the answer that changes nothing: Ok to a
// message, No to a Yes/No question, Cancel to a Yes/No/Cancel question.
class StderrPrompter : public Prompter {
  public:
    explicit StderrPrompter(QString prefix) : m_prefix(std::move(prefix)) {}
    // Every later line names `context` (the file being read or written), even an empty one.
    void SetContext(const QString& context) { m_context = context; }
    void ClearContext() { m_context.reset(); }
    Answer Ask(const QString& text, Buttons buttons, Icon icon, const QString& caption) override;
    bool Failed() const { return m_bFailed; }

  private:
    QString m_prefix;
    std::optional<QString> m_context;
    bool m_bFailed = false;
};

// Runs without a display (the command-line tool, a print from a script) keep standard error
// for their own lines: Qt's note that the session has no runtime directory is dropped, and
// everything else Qt says goes there as usual. Call before the application object is made.
void DropRuntimeDirNote();
