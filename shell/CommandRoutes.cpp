#include "CommandRoutes.h"

#include "MainFrame.h"
#include "ZM540App.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>

#include <array>

namespace {

using T = const CommandTargets&;

// clang-format off
constexpr std::array<CommandRoute, 29> kRoutes = {{
    {ID_FILE_NEW,            [](T t) { t.frame.OnFileNew(); }},
    {ID_FILE_OPEN,           [](T t) { if (t.pApp) t.pApp->OnFileOpen(); }},
    {ID_FILE_SAVE,           [](T t) { t.frame.OnFileSave(); }},
    {ID_FILE_SAVE_AS,        [](T t) { t.frame.OnFileSaveAs(); }},
    {ID_FILE_MRU_FILE1,      [](T t) { t.frame.OnOpenRecentFile(0); }},
    {CommandId(ID_FILE_MRU_FILE1 + 1), [](T t) { t.frame.OnOpenRecentFile(1); }},
    {CommandId(ID_FILE_MRU_FILE1 + 2), [](T t) { t.frame.OnOpenRecentFile(2); }},
    {ID_FILE_UPDATE,         [](T t) { t.frame.OnFileUpdate(); }},
    {ID_FILE_SAVE_COPY_AS,   [](T t) { t.frame.OnFileSaveCopyAs(); }},
    {ID_FILE_DETAILS,        [](T t) { t.frame.OnFileDetails(); }},
    {ID_FILE_EXPORT_PAGE,    [](T t) { t.frame.OnFileExportPage(); }},
    {ID_FILE_EXPORT_RECORDING, [](T t) { t.frame.OnFileExportRecording(); }},
    {ID_FILE_PRINT,          [](T t) { t.frame.OnFilePrint(); }},
    {ID_FILE_PRINT_DIRECT,   [](T t) { t.frame.OnFilePrintDirect(); }},
    {ID_FILE_PRINT_PREVIEW,  [](T t) { t.frame.OnFilePrintPreview(); }},
    {ID_FILE_PRINT_SETUP,    [](T t) { t.frame.OnFilePrintSetup(); }},
    {ID_EDIT_COPY,           [](T t) { t.frame.GetView()->OnCopyPicture(); }},
    {ID_APP_EXIT,            [](T t) { t.frame.close(); }},
    {ID_VIEW_TOOLBAR,        [](T t) { t.frame.ToolBar()->setVisible(t.frame.Action(ID_VIEW_TOOLBAR)->isChecked()); }},
    {ID_VIEW_STATUS_BAR,     [](T t) { t.frame.statusBar()->setVisible(t.frame.Action(ID_VIEW_STATUS_BAR)->isChecked()); }},
    {ID_OPTIONS,             [](T t) { t.frame.DoOptionsSheet(); }},
    {ID_VIEW_SPEED_25,       [](T t) { t.frame.OnChartScale(ID_VIEW_SPEED_25); }},
    {ID_VIEW_SPEED_50,       [](T t) { t.frame.OnChartScale(ID_VIEW_SPEED_50); }},
    {ID_VIEW_GAIN_5,         [](T t) { t.frame.OnChartScale(ID_VIEW_GAIN_5); }},
    {ID_VIEW_GAIN_10,        [](T t) { t.frame.OnChartScale(ID_VIEW_GAIN_10); }},
    {ID_VIEW_GAIN_20,        [](T t) { t.frame.OnChartScale(ID_VIEW_GAIN_20); }},
    {ID_APP_ABOUT,           [](T t) { if (t.pApp) t.pApp->OnAppAbout(); }},
    {ID_TWELVE_LEAD_MONITOR, [](T t) { t.frame.GetDocument().OnTwelveLeadMonitor(); }},
    {ID_RECORD,              [](T t) { t.frame.GetView()->OnRecord(); }},
}};
// clang-format on

static_assert(kRecentFileCount == 3, "the list routes three recent-file entries");

} // namespace

std::span<const CommandRoute> CommandRoutes() {
    return kRoutes;
}
