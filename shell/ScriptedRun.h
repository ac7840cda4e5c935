#pragma once

#include "Prompter.h"

#include <QString>

class CMainFrame;
class CZM540Doc;

// In a scripted run nobody is there to read a message box: messages go to standard error and
// mark the run as failed; questions are answered No, so nothing is discarded.
class StderrPrompter : public Prompter {
  public:
    Answer Ask(const QString& text, Buttons buttons, Icon icon, const QString& caption) override;
    bool Failed() const { return m_bFailed; }

  private:
    bool m_bFailed = false;
};

// Starts a session as the Record button does, stops it after `seconds` as the button does,
// saves the recording to `path` and ends the program: status 0 when the session ran and the
// file was written without any message, 1 otherwise. With `bTimeSession`, prints the processor
// time the program used from the session's start to its stop on standard output.
void RunScriptedRecording(CMainFrame& frame, CZM540Doc& doc, StderrPrompter& prompter,
                          double seconds, const QString& path, bool bTimeSession = false);
