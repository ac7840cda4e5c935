#include "Commands.h"

#include "ChartScale.h"
#include "ZM540Doc.h"

#include <algorithm>
#include <array>

namespace {

// clang-format off
constexpr std::array<CommandInfo, 37> kCommands = {{
    {ID_FILE_NEW, "&New\tCtrl+N", "Ctrl+N",
     "Clears all memory and ready for a new ECG", "New ECG", ":/icons/new.svg", false},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Ctrl+O",
     "Open an existing ECG file", "Open", ":/icons/open.svg", false},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Ctrl+S",
     "Save the ECG file", "Save", ":/icons/save.svg", false},
    {ID_FILE_SAVE_AS, "Save &As...", "",
     "Save the ECG to a new file", "Save As", nullptr, false},
    {ID_FILE_DETAILS, "Recording &Details...", "",
     "Enter the animal, its owner and the case the recording is of", "Recording Details",
     nullptr, false},
    {ID_FILE_EXPORT_PAGE, "&Export Page...", "",
     "Save the printed page as a PDF, SVG or PNG file", "Export Page", nullptr, false},
    {ID_FILE_EXPORT_RECORDING, "Export &Recording...", "",
     "Save the traces as EDF+ for other biosignal programs, or as CSV", "Export Recording",
     nullptr, false},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", "Ctrl+P",
     "Print the ECG", "Print", ":/icons/print.svg", false},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "",
     "Display full pages", "Print Preview", ":/icons/preview.svg", false},
    // Prints on the current printer without asking; on no menu or bar.
    {ID_FILE_PRINT_DIRECT, nullptr, "", "", nullptr, nullptr, false},
    {ID_FILE_PRINT_SETUP, "P&rint Setup...", "",
     "Change the printer and printing options", "Print Setup", nullptr, false},
    {ID_FILE_UPDATE, "&Update\tCtrl+S", "",
     "Update the container to show any changes", "Update", ":/icons/save.svg", false},
    {ID_FILE_SAVE_COPY_AS, "Save Copy &As...", "",
     "Save a copy of the active document with a new name", "Save Copy", nullptr, false},
    {ID_CANCEL_EDIT_INPLACE, nullptr, "", "Cancel in-place editing", nullptr, nullptr, false},
    {ID_NEXT_PANE, nullptr, "", "Switch to the next window pane", "Next Pane", nullptr, false},
    {ID_PREV_PANE, nullptr, "", "Switch back to the previous window pane", "Previous Pane",
     nullptr, false},
    {ID_APP_EXIT, "E&xit", "",
     "Quit the application; prompts to save documents", "Exit", nullptr, false},
    {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Ctrl+Z;Alt+Backspace",
     "Undo the last action", "Undo", nullptr, false},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Ctrl+X;Shift+Del",
     "Cut the selection and put it on the Clipboard", "Cut", nullptr, false},
    {ID_EDIT_COPY, "&Copy\tCtrl+C", "Ctrl+C;Ctrl+Ins",
     "Copy the selection and put it on the Clipboard", "Copy", ":/icons/copy.svg", false},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Ctrl+V;Shift+Ins",
     "Insert Clipboard contents", "Paste", nullptr, false},
    {ID_OPTIONS, "&Options...", "",
     "Setup and options for ZM540", "Setup", ":/icons/options.svg", false},
    {ID_VIEW_TOOLBAR, "&Toolbar", "",
     "Show or hide the toolbar", "Toggle ToolBar", nullptr, true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "",
     "Show or hide the status bar", "Toggle StatusBar", nullptr, true},
    {ID_VIEW_SPEED_25, "25 mm/&s", "", "Draw and print at 25 mm/s", "25 mm/s", nullptr, true},
    {ID_VIEW_SPEED_50, "50 mm/s", "",
     "Draw and print at 50 mm/s, for narrow complexes and fast rates", "50 mm/s", nullptr, true},
    {ID_VIEW_GAIN_5, "5 mm/mV", "", "Draw and print 1 mV 5 mm high, for very large complexes",
     "5 mm/mV", nullptr, true},
    {ID_VIEW_GAIN_10, "10 mm/m&V", "", "Draw and print 1 mV 10 mm high", "10 mm/mV", nullptr,
     true},
    {ID_VIEW_GAIN_20, "20 mm/mV", "", "Draw and print 1 mV 20 mm high, for small complexes",
     "20 mm/mV", nullptr, true},
    {ID_APP_ABOUT, "&About ZM540...", "",
     "Display program information, version number and copyright", "About",
     ":/icons/about.svg", false},
    {ID_TWELVE_LEAD_MONITOR, nullptr, "",
     "Selects full 12 leads system or single rhythm lead monitoring", "12 Lead/Monitor",
     ":/icons/twelvelead.svg", true},
    {ID_RECORD, nullptr, "",
     "Starting and stopping recording", "Record", nullptr, true},
    {IDC_LEAD_SELECT, nullptr, "",
     "Rhythm lead selection", "Lead Select", nullptr, false, true},
    {IDC_FILTER_SELECT, nullptr, "",
     "Select filter class", "Filter", nullptr, false, true},
    {ID_FILE_MRU_FILE1, nullptr, "", "Open this document", nullptr, nullptr, false},
    {CommandId(ID_FILE_MRU_FILE1 + 1), nullptr, "", "Open this document", nullptr, nullptr, false},
    {CommandId(ID_FILE_MRU_FILE1 + 2), nullptr, "", "Open this document", nullptr, nullptr, false},
}};
// clang-format on

static_assert(kRecentFileCount == 3, "the table holds three recent-file entries");

const MenuLayout kMainMenu[] = {
    {"&File",
     {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_DETAILS,
      ID_FILE_EXPORT_PAGE, ID_FILE_EXPORT_RECORDING, kSeparator, ID_FILE_PRINT,
      ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, kSeparator, ID_FILE_MRU_FILE1, kSeparator,
      ID_APP_EXIT}},
    {"&Edit",
     {ID_EDIT_UNDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, kSeparator, ID_OPTIONS}},
    {"&View",
     {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, kSeparator, ID_VIEW_SPEED_25, ID_VIEW_SPEED_50,
      kSeparator, ID_VIEW_GAIN_5, ID_VIEW_GAIN_10, ID_VIEW_GAIN_20}},
    {"&Help", {ID_APP_ABOUT}},
};
// In place, merged with the other program's menus, which go in the empty groups.
const MenuLayout kInPlaceMenu[] = {
    {"&Edit", {ID_EDIT_UNDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}},
    {"&View", {ID_VIEW_TOOLBAR}},
    {nullptr, {}},
    {nullptr, {}},
    {"&Help", {ID_APP_ABOUT}},
};
const MenuLayout kOpenedMenu[] = {
    {"&File",
     {ID_FILE_UPDATE, ID_FILE_SAVE_COPY_AS, ID_FILE_DETAILS, kSeparator, ID_FILE_PRINT,
      ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, kSeparator, ID_APP_EXIT}},
    {"&Edit", {ID_EDIT_UNDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}},
    {"&View", {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}},
    {"&Help", {ID_APP_ABOUT}},
};

constexpr int kMainToolBar[] = {
    ID_FILE_NEW,  ID_FILE_OPEN,           ID_FILE_SAVE,  kSeparator,
    ID_OPTIONS,   ID_TWELVE_LEAD_MONITOR, kSeparator,    ID_EDIT_COPY,
    kSeparator,   ID_FILE_PRINT_PREVIEW,  ID_FILE_PRINT, kSeparator,
    ID_APP_ABOUT,
};
constexpr int kInPlaceToolBar[] = {ID_EDIT_COPY, kSeparator, ID_APP_ABOUT};
// Opened for another program: Update in place of the file commands, which would replace or
// rename the recording that program holds.
constexpr int kOpenedToolBar[] = {
    ID_FILE_UPDATE, kSeparator,   ID_OPTIONS,   ID_TWELVE_LEAD_MONITOR,
    kSeparator,     ID_EDIT_COPY, kSeparator,   ID_FILE_PRINT_PREVIEW,
    ID_FILE_PRINT,  kSeparator,   ID_APP_ABOUT,
};

// The edit keys both embedded modes have.
#define ZM540_EDIT_KEYS                                                                            \
    {"Ctrl+Z", ID_EDIT_UNDO}, {"Alt+Backspace", ID_EDIT_UNDO}, {"Ctrl+X", ID_EDIT_CUT},            \
        {"Shift+Del", ID_EDIT_CUT}, {"Ctrl+C", ID_EDIT_COPY}, {"Ctrl+Ins", ID_EDIT_COPY},          \
        {"Ctrl+V", ID_EDIT_PASTE}, {                                                               \
        "Shift+Ins", ID_EDIT_PASTE                                                                 \
    }
constexpr Accelerator kInPlaceKeys[] = {ZM540_EDIT_KEYS, {"Esc", ID_CANCEL_EDIT_INPLACE}};
constexpr Accelerator kOpenedKeys[] = {{"Ctrl+S", ID_FILE_UPDATE},
                                       {"Ctrl+P", ID_FILE_PRINT},
                                       ZM540_EDIT_KEYS,
                                       {"F6", ID_NEXT_PANE},
                                       {"Shift+F6", ID_PREV_PANE}};
#undef ZM540_EDIT_KEYS

} // namespace

std::span<const MenuLayout> MenuLayoutOf(FrameMode mode) {
    switch (mode) {
    case FrameMode::InPlace:
        return kInPlaceMenu;
    case FrameMode::Opened:
        return kOpenedMenu;
    case FrameMode::Main:
        break;
    }
    return kMainMenu;
}

std::span<const int> ToolBarLayoutOf(FrameMode mode) {
    switch (mode) {
    case FrameMode::InPlace:
        return kInPlaceToolBar;
    case FrameMode::Opened:
        return kOpenedToolBar;
    case FrameMode::Main:
        break;
    }
    return kMainToolBar;
}

std::span<const Accelerator> AcceleratorsOf(FrameMode mode) {
    switch (mode) {
    case FrameMode::InPlace:
        return kInPlaceKeys;
    case FrameMode::Opened:
        return kOpenedKeys;
    case FrameMode::Main:
        break;
    }
    return {};
}

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [id](const CommandInfo& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::vector<CommandState> ComputeCommandStates(const CZM540Doc& doc, bool bAcquiring,
                                               int nRecentFiles) {
    const bool bNewRecord = doc.m_bNewRecord != 0;
    const bool bTwelveLead = doc.m_bTwelveLead != 0;
    const bool bIdle = !bAcquiring;

    std::vector<CommandState> states = {
        {ID_RECORD, bNewRecord, bAcquiring,
         bTwelveLead ? QStringLiteral("Record") : QStringLiteral("Monitor")},
        {IDC_LEAD_SELECT, bNewRecord && bIdle, false, {}},
        {IDC_LEAD_LABEL, true, false, doc.LeadLabelText()},
        {ID_TWELVE_LEAD_MONITOR, bNewRecord && bIdle, bTwelveLead, {}},
        {ID_FILE_SAVE, bIdle && doc.IsModified(), false, {}},
        // Nothing in the program edits, so these are never available.
        {ID_EDIT_UNDO, false, false, {}},
        {ID_EDIT_CUT, false, false, {}},
        {ID_EDIT_PASTE, false, false, {}},
    };
    // Everything that would read, replace or print the document waits for the session's end;
    // the recent files open a document just as Open does, each one while it names a file.
    for (int id :
         {int(IDC_FILTER_SELECT), int(ID_FILE_NEW), int(ID_FILE_OPEN), int(ID_FILE_SAVE_AS),
          int(ID_FILE_PRINT_SETUP), int(ID_FILE_PRINT), int(ID_FILE_PRINT_DIRECT),
          int(ID_FILE_PRINT_PREVIEW), int(ID_FILE_EXPORT_PAGE), int(ID_FILE_DETAILS),
          int(ID_FILE_EXPORT_RECORDING), int(ID_EDIT_COPY), int(ID_OPTIONS)})
        states.push_back({id, bIdle, false, {}});
    for (int i = 0; i < kRecentFileCount; ++i)
        states.push_back({ID_FILE_MRU_FILE1 + i, bIdle && i < nRecentFiles, false, {}});
    return states;
}

namespace {

struct ScaleCommand {
    int id;
    int nSpeed;
    int nGain;
};
constexpr std::array<ScaleCommand, 5> kScaleCommands = {{
    {ID_VIEW_SPEED_25, 25, 0},
    {ID_VIEW_SPEED_50, 50, 0},
    {ID_VIEW_GAIN_5, 0, 5},
    {ID_VIEW_GAIN_10, 0, 10},
    {ID_VIEW_GAIN_20, 0, 20},
}};

} // namespace

std::vector<CommandState> ScaleCommandStates(const ChartScale& scale, bool bAcquiring) {
    std::vector<CommandState> states;
    for (const ScaleCommand& c : kScaleCommands)
        states.push_back(
            {c.id, !bAcquiring, c.nSpeed == scale.nSpeed || c.nGain == scale.nGain, {}});
    return states;
}

int SpeedOfCommand(int id) {
    for (const ScaleCommand& c : kScaleCommands)
        if (c.id == id)
            return c.nSpeed;
    return 0;
}

int GainOfCommand(int id) {
    for (const ScaleCommand& c : kScaleCommands)
        if (c.id == id)
            return c.nGain;
    return 0;
}

const CommandState* FindState(const std::vector<CommandState>& states, int id) {
    const auto it = std::find_if(states.begin(), states.end(),
                                 [id](const CommandState& s) { return s.id == id; });
    return it == states.end() ? nullptr : &*it;
}
