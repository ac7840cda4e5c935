#pragma once

#include "Canvas.h"
#include "PixelLines.h"

#include <QPainter>
#include <QPolygon>

#include <optional>

// The canvas over a QPainter, on any paint device: screen images, widgets, printers, PDF and
// SVG. Consecutive lines are collected into one polyline and drawn together. Solid one-pixel
// lines on a 32-bit raster target (an image, or the window's back buffer) are written straight
// into its pixels as they come (PixelLines.h); everything else goes through QPainter.
class QPainterCanvas final : public Canvas {
  public:
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;

    void SelectPen(const CanvasPen& pen) override;
    void SelectFont(const QFont& font) override;
    void SetTextColour(ColourRef colour) override { m_crText = colour; }
    void SetTextAlign(int align) override { m_nAlign = align; }
    void SetBkMode(bool bTransparent) override { m_bTransparent = bTransparent; }
    void SetBkColour(ColourRef colour) override { m_crBk = colour; }
    void SetClipRect(std::optional<QRect> rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    void FillRect(const QRect& rect, ColourRef colour) override;
    void DrawDots(std::span<const QPoint> points, ColourRef colour) override;
    void FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) override;

    // Draws the lines collected so far.
    void Flush();
    // Whether lines drawn now with the selected pen go straight into the target's pixels.
    bool WritesPixels() const { return m_direct.has_value(); }

  private:
    void FindPixelTarget();

    QPainter& m_p;
    CanvasPen m_pen;
    std::optional<PixelTarget> m_direct;
    quint32 m_nPixel = 0; // the pen's colour as the target's pixel
    QPolygon m_line;
    QPoint m_current;
    int m_nAlign = AlignLeft | AlignTop;
    bool m_bTransparent = false;
    ColourRef m_crText = 0;
    ColourRef m_crBk = 0xFFFFFF;
};

// Inline: a trace is thousands of short lines, and a canvas that wraps this one calls it
// directly.
inline void QPainterCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    if (m_direct) {
        WritePixelLine(*m_direct, m_nPixel, m_current + m_direct->offset, to + m_direct->offset);
    } else {
        if (m_line.isEmpty())
            m_line.append(m_current);
        m_line.append(to);
    }
    m_current = to;
}
