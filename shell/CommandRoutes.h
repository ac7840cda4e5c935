#pragma once

#include "Commands.h"

#include <span>

class CMainFrame;
class CZM540App;

// Who carries out the main window's commands: the window itself, its view and document, and
// the application (absent when a window runs on its own, as in tests).
struct CommandTargets {
    CMainFrame& frame;
    CZM540App* pApp;
};

// The handler of one command, whether it comes from a menu, the toolbar or a shortcut.
struct CommandRoute {
    CommandId id;
    void (*handler)(const CommandTargets& targets);
};

// Every command that does something, with its handler. A command of the table that is not
// listed here does nothing yet.
std::span<const CommandRoute> CommandRoutes();
