#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "SchemeColours.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

class CZM540Doc;
struct ProfileSettings;

// The ECG view: the grid fitted into the window, the 12-lead or monitoring background, and the
// recording drawn over it. The background is rebuilt at the first showing, at every size change
// and after every document update; paints draw on a copy of it.
class CZM540View : public QWidget {
    Q_OBJECT
  public:
    CZM540View(CZM540Doc& doc, ProfileSettings& settings, QWidget* parent = nullptr);

    CZM540Doc& GetDocument() const { return m_doc; }

    // The document changed: the bar's choosers follow it (choosersNeedUpdate), the view takes
    // its mode, and the background is rebuilt before the next paint.
    void OnUpdate();
    // Rebuilds the background picture for the current size, mode and colour scheme.
    void RebuildBackground();
    // Draws the document's recording in the view's layout.
    void OnDraw(Canvas& dc);
    void DrawTwelveLeadRecord(Canvas& dc);
    void DrawMonitorRecord(Canvas& dc);

    const QImage& Background() const { return m_background; }
    const GridLayout& Grid() const { return m_grid; }

    std::int32_t m_bAcquiring = 0;
    std::int32_t m_bViewTwelveLead = 1;
    std::int32_t m_bPainting = 0;
    SchemeColours m_colours{};
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;

  signals:
    // Emitted first by OnUpdate: the filter chooser should show `cutoff`, the lead chooser `lead`.
    void choosersNeedUpdate(double cutoff, int lead);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    CZM540Doc& m_doc;
    ProfileSettings& m_settings;
    GridLayout m_grid;
    QImage m_background;
    QImage m_frame; // the copy of the background that each paint draws on
    bool m_bBackgroundStale = true;
};
