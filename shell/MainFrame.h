#pragma once

#include "Commands.h"
#include "DetailsDlg.h"
#include "RecentFileList.h"
#include "ZM540View.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>

class CChooserBox;
class CZM540App;
class CZM540Doc;
class Prompter;
class QLabel;
class QMimeData;
class QPrinter;
class QSettings;
class QToolBar;
struct MeasurementScratch;
struct ProfileSettings;

// Where the main window's client area goes on a screen whose available area is `available`,
// for a window frame of `frame`: 800 x 600 centred on a screen wider than 800 pixels, otherwise
// the whole area; never so large that any of the frame leaves the area.
QRect InitialFrameGeometry(const QRect& available, const QMargins& frame);

// The main window: menus, toolbar, the bar of recording controls, the ECG view and the status
// bar. Every command is one QAction; an update pass after each change of the document or the
// session sets what is enabled, checked and labelled.
class CMainFrame : public QMainWindow, public FrameControls {
    Q_OBJECT
  public:
    // The view's sessions reach the recorder through the lines of `lines`. A window in the
    // opened mode edits the recording that another program holds in `heldFile`, with the
    // opened mode's menus and keys.
    CMainFrame(CZM540Doc& doc, ProfileSettings& settings, Prompter& prompter, LineFactory lines,
               QWidget* parent = nullptr, FrameMode mode = FrameMode::Main,
               const QString& heldFile = QString());
    ~CMainFrame() override;

    // The application carries out the commands that are its own (Open, About).
    void SetApplication(CZM540App* pApp) { m_pApp = pApp; }

    CZM540View* GetView() const { return m_pView; }
    CZM540Doc& GetDocument() const { return m_doc; }
    // The action of a command, or null.
    QAction* Action(int id) const { return m_actions.value(id); }
    // The bar's chooser, label or button of a control identifier, or null.
    QWidget* Control(int id) const { return m_controls.value(id); }
    CChooserBox* LeadChooser() const { return m_pLeadBox; }
    CChooserBox* FilterChooser() const { return m_pFilterBox; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    QToolBar* RecordBar() const { return m_pRecordBar; }

    // The bar's choosers, the status bar and the window's stacking, for the document and the
    // view. Selecting through these never tells the document.
    int GetLeadIndex() const;
    void SetLeadIndex(int index);
    int GetFilterIndex() const override;
    void SetFilterIndex(int index) override;
    double GetFilterCutoff() const;
    void SelectFilterCutoff(double cutoff);
    void SetStatusText(const QString& text) override;
    QString StatusText() const;
    // Keeps the window above all others (or lets it go back among them) without moving,
    // resizing or activating it.
    void SetTopMost(bool bTopMost) override;

    // File commands. Each one that replaces the document first offers to save a modified one.
    void OnFileNew();
    bool OnFileSave();
    bool OnFileSaveAs();
    // Opens `path` into the document; false when it was not opened (cancelled or unreadable).
    bool OpenDocumentFile(const QString& path);
    void OnOpenRecentFile(int index);
    // The opened mode: Update writes the recording back into the file the other program holds;
    // Save Copy As writes it elsewhere and leaves that file as it is.
    bool OnFileUpdate();
    void OnFileSaveCopyAs();
    FrameMode Mode() const { return m_mode; }
    // Whether Update has written the held file in this run.
    bool Updated() const { return m_bUpdated; }

    // Print commands: the page of the view's layout on the run's printer.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    // Saves the printed page as PDF, SVG or PNG, chosen by the file name's extension.
    void OnFileExportPage();
    // Saves the traces as EDF+ or CSV, chosen by the file name's extension.
    void OnFileExportRecording();
    // "Recording details": opens the dialog over the window; OK gives the document what was
    // entered. The dialog, while it is open, or null.
    void OnFileDetails();
    CDetailsDlg* DetailsDialog() const { return m_pDetailsDlg; }
    // Whether the dialog is offered when a new recording stops (not in scripted runs).
    void SetOfferDetails(bool bOffer) { m_bOfferDetails = bOffer; }
    // The heart rate and axis pane's text.
    QString MeasurementText() const;
    // View > speed or gain: kept in the settings, drawn and printed from then on.
    void OnChartScale(int id);
    // Options: the option sheet, then every view takes what it changed.
    void DoOptionsSheet();
    // The printer of this run, made at the first print command.
    QPrinter& Printer();

    // Asks "Save changes to ...?" for a modified document; false when the user cancels or
    // the save fails.
    bool SaveModified();

    void LoadRecentFiles(QSettings& profile);
    void SaveRecentFiles(QSettings& profile) const { m_recentFiles.Save(profile); }
    const QStringList& RecentFiles() const { return m_recentFiles.Files(); }

    // Runs the update pass once the current event is done; many requests make one pass.
    void RequestCommandUpdate();
    void UpdateCommandUI();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateRecordBar();
    void CreateStatusBar();
    void ConnectDocument();
    void UpdateCaption();
    void UpdateMeasurements();
    void OnSessionStateChanged();
    void UpdateRecentFileMenu();
    void RememberFile(const QString& path);
    bool DoSave(const QString& path);
    QString DroppedEcgFile(const QMimeData* data) const;
    bool IsAcquiring() const;

    CZM540Doc& m_doc;
    CZM540App* m_pApp = nullptr;
    ProfileSettings& m_settings;
    Prompter& m_prompter;
    CZM540View* m_pView = nullptr;
    QToolBar* m_pToolBar = nullptr;
    QToolBar* m_pRecordBar = nullptr;
    CChooserBox* m_pLeadBox = nullptr;
    CChooserBox* m_pFilterBox = nullptr;
    QLabel* m_pLeadLabel = nullptr;
    QLabel* m_pMessagePane = nullptr;
    QHash<int, QAction*> m_actions;
    QHash<int, QWidget*> m_controls;
    CRecentFileList m_recentFiles;
    QTimer m_updateTimer;
    std::unique_ptr<QPrinter> m_pPrinter;
    LineFactory m_lines; // the view's, for the option sheet's link check
    FrameMode m_mode;
    QString m_strHeldFile;
    bool m_bUpdated = false;
    bool m_bShown = false;
    QLabel* m_pMeasurePane = nullptr;
    std::unique_ptr<MeasurementScratch> m_pScratch;
    QTimer m_liveRateTimer; // a running session's rate, once a second
    QPointer<CDetailsDlg> m_pDetailsDlg;
    bool m_bWasAcquiring = false;
    bool m_bOfferDetails = false;
};
