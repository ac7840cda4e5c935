#pragma once

#include "StderrPrompter.h"

#include <QString>

class CMainFrame;
class CZM540Doc;

// Starts a session as the Record button does, stops it after `seconds` as the button does,
// saves the recording to `path` and ends the program: status 0 when the session ran and the
// file was written without any message, 1 otherwise. With `bTimeSession`, prints the processor
// time the program used from the session's start to its stop on standard output.
void RunScriptedRecording(CMainFrame& frame, CZM540Doc& doc, StderrPrompter& prompter,
                          double seconds, const QString& path, bool bTimeSession = false);

struct CommandLine;
// Prints the page of the recording named by --print on the --printer or default printer,
// reading the settings without writing them: status 0 when it was handed to the printer, 1
// (with the reason on stderr) otherwise.
int RunPrintCommand(const CommandLine& cmd);
