#pragma once

#include "Canvas.h"

#include <QImage>
#include <QPainter>

#include <vector>

class QPainterCanvas;

// Where the live 12-lead traces of the last paint lie on the window's back buffer: boxes a few
// pixels wide along each line written straight into its pixels. Between two receive events
// nothing else draws on the grid, so the next paint of the grid can put back the background
// under those boxes alone instead of copying all of it.
class TraceFootprint {
  public:
    // The widest box, in pixels: narrow boxes hug a trace between its spikes.
    static constexpr int kBoxWidth = 32;

    // Something else was drawn on the window, or not all of the traces were: the record no
    // longer says what the window shows.
    void Void() { m_bValid = false; }
    bool IsValid() const { return m_bValid; }
    const std::vector<QRect>& Boxes() const { return m_boxes; }

    // Shows `background` (an opaque RGB32 picture aligned with the painter's origin) on the
    // painter's target. With `bUnderTracesOnly`, and a record of traces drawn on that same
    // target over that same picture, only the boxes under them are put back; otherwise the
    // whole picture is copied.
    void ShowBackground(QPainter& painter, const QImage& background, bool bUnderTracesOnly) const;

  private:
    friend class FootprintCanvas;

    const quint32* m_pTarget = nullptr; // the pixels written
    QSize m_targetSize;
    qint64 m_nBackgroundKey = 0; // the picture they were drawn over
    std::vector<QRect> m_boxes;  // in the target's pixels
    bool m_bValid = false;
};

// Draws through `dc` and records in `footprint` where its lines went, starting a new record.
// The record holds only lines written straight into the target's pixels: anything else drawn
// (text, fills, lines drawn by Qt) voids it.
class FootprintCanvas final : public Canvas {
  public:
    FootprintCanvas(QPainterCanvas& dc, QPainter& painter, const QImage& background,
                    TraceFootprint& footprint);
    ~FootprintCanvas() override;
    FootprintCanvas(const FootprintCanvas&) = delete;
    FootprintCanvas& operator=(const FootprintCanvas&) = delete;

    void SelectPen(const CanvasPen& pen) override;
    void SelectFont(const QFont& font) override;
    void SetTextColour(ColourRef colour) override;
    void SetTextAlign(int align) override;
    void SetBkMode(bool bTransparent) override;
    void SetBkColour(ColourRef colour) override;
    void SetClipRect(std::optional<QRect> rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    void FillRect(const QRect& rect, ColourRef colour) override;
    void DrawDots(std::span<const QPoint> points, ColourRef colour) override;
    void FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) override;

  private:
    void Note(QPoint a, QPoint b);
    void CloseBox();

    QPainterCanvas& m_dc;
    TraceFootprint& m_footprint;
    QPoint m_offset; // logical to the target's pixels
    QPoint m_current;
    // The box being noted, in the target's pixels; empty when right < left.
    int m_nBoxLeft = 0, m_nBoxTop = 0, m_nBoxRight = -1, m_nBoxBottom = 0;
};
