#pragma once

#include "Calipers.h"
#include "Canvas.h"
#include "DisplayLayout.h"
#include "RecordingSession.h"
#include "SchemeColours.h"
#include "TraceFootprint.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

class CZM540Doc;
struct PrintInfo;
struct ProfileSettings;

// The ECG view: the grid fitted into the window, the 12-lead or monitoring background, the live
// traces of its recording session and the recording drawn over it. The background is rebuilt
// at the first showing, at every size change and after every document update; paints draw on
// it.
class CZM540View : public QWidget {
    Q_OBJECT
  public:
    // Sessions reach the recorder through the lines of `lines`.
    CZM540View(CZM540Doc& doc, ProfileSettings& settings, LineFactory lines,
               QWidget* parent = nullptr);
    ~CZM540View() override;

    CZM540Doc& GetDocument() const { return m_doc; }
    CRecordingSession& Session() { return m_session; }
    const CRecordingSession& Session() const { return m_session; }
    bool IsAcquiring() const { return m_session.IsAcquiring(); }
    // Whether the view shows the 12-lead layout (the mode it last took from the document).
    bool ViewTwelveLead() const { return m_session.State().m_bViewTwelveLead != 0; }
    void SetFrameControls(FrameControls* pFrame) { m_session.SetFrameControls(pFrame); }

    // The document changed: the bar's choosers follow it (choosersNeedUpdate), the view takes
    // its mode, and the background is rebuilt before the next paint.
    void OnUpdate();
    // Rebuilds the background picture for the current size, mode and colour scheme.
    void RebuildBackground();
    // Draws the document's recording in the view's layout.
    void OnDraw(Canvas& dc);
    void DrawTwelveLeadRecord(Canvas& dc);
    void DrawMonitorRecord(Canvas& dc);

    // Sessions: Record starts one when none runs and stops it otherwise.
    void OnRecord() { m_session.OnRecord(); }
    // A key or a left or right click in the view: while a session runs it stops it, keeping the
    // recording, and the input goes no further (true).
    bool OnStopInput();
    // The window is going away: a running session is stopped and nothing is kept.
    void OnDestroy() { m_session.OnDestroy(); }
    void OnCommEvent() { m_session.OnCommEvent(); }

    // Printing and the picture copy, defined with the printed page. OnPrint draws the page of
    // the view's layout for a printer run (pInfo) or for the picture (none).
    void OnBeginPrinting(const PrintInfo& info);
    void OnPrint(Canvas& dc, const PrintInfo* pInfo);
    // The page as a print run draws it: the run begins, then OnPrint.
    std::function<void(Canvas&, const PrintInfo*)> PrintedPage();
    // Copy: the page as a picture on the clipboard.
    void OnCopyPicture();
    // Esc in place: editing in place ends.
    void OnCancelInPlace() { emit deactivateUI(); }

    const QImage& Background() const { return m_background; }
    const GridLayout& Grid() const { return m_grid; }
    // What a receive event of a 12-lead session repaints: the traces are cut at the grid.
    QRect TraceRect() const {
        return QRect(QPoint(m_grid.rc.left, m_grid.rc.top),
                     QPoint(m_grid.rc.right, m_grid.rc.bottom));
    }

    // The caliper dragged on the recording, while one is shown. With no session running a left
    // drag draws one (a second replaces it); a click, Esc, a resize, a new document and a
    // session's start clear it.
    std::optional<CaliperReading> CurrentCaliper() const;
    // Where the caliper runs, from the press to the release.
    std::optional<QLine> CaliperLine() const { return m_caliper; }

    SchemeColours m_colours{};
    // The page's device units per centimetre, as the last page drawn had them.
    double m_dUnitsPerCmX = 0.0;
    double m_dUnitsPerCmY = 0.0;
    // Whether the last print run was a preview (its dot grids show single pixels).
    std::int32_t m_bPrintPreview = 0;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;

  signals:
    // Emitted first by OnUpdate: the filter chooser should show `cutoff`, the lead chooser `lead`.
    void choosersNeedUpdate(double cutoff, int lead);
    // Editing in place is over: the other program takes its window back.
    void deactivateUI();
    // A caliper was drawn, replaced or cleared.
    void caliperChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // The grid at the view's size and the chosen speed and gain.
    GridLayout LayoutNow() const;
    void OnSessionStateChanged();
    void OnSamplesArrived();
    void PaintMonitorSweep();
    void PaintOnBackground(const QRegion& region);
    void BeginCaliper(QPoint at);
    void ClearCaliper();
    void SetCaliper(std::optional<QLine> line);
    QRect CaliperLabelRect(const QLine& line, const QString& label) const;
    QRect CaliperRect() const;
    void PaintCaliper(QPainter& painter) const;

    CZM540Doc& m_doc;
    ProfileSettings& m_settings;
    CRecordingSession m_session;
    GridLayout m_grid;
    QImage m_background;
    QImage m_window;             // what the monitoring sweep has drawn on the window so far
    TraceFootprint m_lastTraces; // where the window shows the 12-lead traces now
    bool m_bBackgroundStale = true;
    std::optional<QPoint> m_caliperPress; // where a left drag began with no session running
    bool m_bCaliperDragged = false;       // whether that drag has gone further than a click
    std::optional<QLine> m_caliper;
};
