#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "MSComm.h"
#include "QPainterCanvas.h"
#include "SchemeColours.h"
#include "StreamDecoder.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

class CZM540Doc;
struct ProfileSettings;

// What the view asks of the main window during a session: the bar's choosers (set without
// notifying the document), the status text and the window's stacking.
class FrameControls {
  public:
    virtual ~FrameControls() = default;
    virtual int GetFilterIndex() const = 0;
    virtual void SetFilterIndex(int nIndex) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SetTopMost(bool bTopMost) = 0;
};

// The ECG view: the grid fitted into the window, the 12-lead or monitoring background, the live
// traces of a session and the recording drawn over it. The background is rebuilt at the first
// showing, at every size change and after every document update; paints draw on a copy of it.
// The session and stream handling live in link/ViewSession.cpp.
class CZM540View : public QWidget, public AcquisitionState {
    Q_OBJECT
  public:
    CZM540View(CZM540Doc& doc, ProfileSettings& settings, QWidget* parent = nullptr);
    ~CZM540View() override;

    CZM540Doc& GetDocument() const { return m_doc; }
    void SetFrameControls(FrameControls* pFrame) { m_pFrame = pFrame; }

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
    void OnRecord();
    // The window is going away: a running session is stopped and nothing is kept.
    void OnDestroy();
    void OnCommEvent();
    // The port number a session uses: the settings' choice, unless this run names another.
    int SessionPort() const;
    void SetSessionPortOverride(int nPort) { m_nSessionPortOverride = nPort; }

    const QImage& Background() const { return m_background; }
    const GridLayout& Grid() const { return m_grid; }
    // What a receive event of a 12-lead session repaints: the traces are cut at the grid.
    QRect TraceRect() const {
        return QRect(QPoint(m_grid.rc.left, m_grid.rc.top),
                     QPoint(m_grid.rc.right, m_grid.rc.bottom));
    }

    CMSComm m_comm;
    std::int32_t m_bAcquiring = 0;
    std::int32_t m_nSavedFilterSel = -1;
    SchemeColours m_colours{};
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;

  signals:
    // Emitted first by OnUpdate: the filter chooser should show `cutoff`, the lead chooser `lead`.
    void choosersNeedUpdate(double cutoff, int lead);
    // A session started or stopped: command states change.
    void sessionStateChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void StartSession();
    void StopSession(bool bKeep);
    void OnLineFailed(const QString& message);
    bool OpenStreamPort(const QString& settings, short threshold);
    void AbortStart();

    CZM540Doc& m_doc;
    ProfileSettings& m_settings;
    FrameControls* m_pFrame = nullptr;
    int m_nSessionPortOverride = 0;
    GridLayout m_grid;
    QImage m_background;
    QImage m_window;              // what the monitoring sweep has drawn on the window so far
    QPainterCanvas::InkLog m_ink; // where the window shows the 12-lead traces now
    bool m_bBackgroundStale = true;
};
