#pragma once

#include <QString>

#include <initializer_list>
#include <span>
#include <vector>

class CZM540Doc;
struct ChartScale;

// Command and control identifiers of the main window. The numbers are the program's own and
// stay as they are.
enum CommandId : int {
    kSeparator = 0, // in menu and toolbar layouts
    ID_RECORD = 1000,
    IDC_LEAD_SELECT = 1001,
    IDC_LEAD_LABEL = 1010,
    IDC_FILTER_SELECT = 1013,
    ID_CANCEL_EDIT_INPLACE = 32769,
    ID_OPTIONS = 32772,
    ID_TWELVE_LEAD_MONITOR = 32774,
    ID_FILE_EXPORT_PAGE = 32790,
    ID_FILE_DETAILS = 32791,
    ID_FILE_EXPORT_RECORDING = 32792,
    ID_VIEW_SPEED_25 = 32793,
    ID_VIEW_SPEED_50 = 32794,
    ID_VIEW_GAIN_5 = 32795,
    ID_VIEW_GAIN_10 = 32796,
    ID_VIEW_GAIN_20 = 32797,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_UPDATE = 57610,
    ID_FILE_SAVE_COPY_AS = 57611,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// Entries of the recent-file list on the File menu.
constexpr int kRecentFileCount = 3;

// One command of the main window: what its menu item, shortcuts, status prompt, tool tip and
// toolbar icon are. A command without menu text lives on a bar only.
struct CommandInfo {
    CommandId id;
    const char* menuText;  // "\t" separates the shortcut shown at the right
    const char* shortcuts; // ';'-separated key sequences, the first one shown in the menu
    const char* prompt;    // status-bar prompt
    const char* toolTip;
    const char* icon; // resource path, or null
    bool bCheckable;
    bool bBarControl = false; // a chooser of the bar rather than an action
};

std::span<const CommandInfo> CommandTable();

// The three ways the program shows a recording: its own main window, in place inside another
// program's window, and opened for editing from another program in a window of its own.
enum class FrameMode { Main, InPlace, Opened };

// One menu of a menu bar: its title and its items (kSeparator for a separator; the recent
// files stand where ID_FILE_MRU_FILE1 is).
struct MenuLayout {
    const char* title; // null: an empty group where another program's menus go
    std::initializer_list<int> items;
};
std::span<const MenuLayout> MenuLayoutOf(FrameMode mode);
// The toolbar's buttons from left to right.
std::span<const int> ToolBarLayoutOf(FrameMode mode);
// A key of a window's accelerator table and the command it gives.
struct Accelerator {
    const char* key; // a key sequence in portable text
    CommandId id;
};
// The keys of the embedded modes; the main window's keys are the command table's shortcuts.
std::span<const Accelerator> AcceleratorsOf(FrameMode mode);
// The table's entry for `id`, or null.
const CommandInfo* FindCommand(int id);

// What the update pass gives a command or control: enabled, checked, and a text when the
// text follows the document (an empty text leaves it as it is).
struct CommandState {
    int id;
    bool bEnabled = true;
    bool bChecked = false;
    QString strText;
};

// The states of every command and bar control that depends on the document, on a running
// session or on the recent-file list, which holds `nRecentFiles` entries. The session disables
// whatever could disturb it; a recording loaded from a file keeps its mode and rhythm lead.
// The paper speed and gain choices: the one in use checked, all of them waiting for a session's
// end.
std::vector<CommandState> ScaleCommandStates(const ChartScale& scale, bool bAcquiring);
// The speed (mm/s) or gain (mm/mV) a scale command chooses; 0 for any other command.
int SpeedOfCommand(int id);
int GainOfCommand(int id);

std::vector<CommandState> ComputeCommandStates(const CZM540Doc& doc, bool bAcquiring,
                                               int nRecentFiles);
// The entry for `id` in `states`, or null.
const CommandState* FindState(const std::vector<CommandState>& states, int id);
