#pragma once

#include "Canvas.h"

#include <QPainter>
#include <QPolygon>

#include <optional>

// The canvas over a QPainter: screen images, printers, PDF and SVG. Consecutive lines are
// collected into one polyline and drawn together. Solid one-pixel lines on a 32-bit raster
// target (an image, or the window's back buffer) are written straight into its pixels as they
// come, which is several times faster than Qt's line rasteriser; everything else goes through
// QPainter.
class QPainterCanvas : public Canvas {
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
    void SetPixel(int x, int y, ColourRef colour) override;
    void FillRect(const QRect& rect, ColourRef colour) override;
    void FillCircle(int x, int y, int diameter, ColourRef colour) override;

    // Draws the lines collected so far.
    void Flush();

  private:
    // Where solid one-pixel lines are written directly, in the target's own pixels.
    struct PixelTarget {
        quint32* bits = nullptr;
        qsizetype stride = 0; // pixels from one row to the next
        QPoint offset;        // logical to device
        QRect clip;           // device pixels that may be written
        quint32 pixel = 0;
    };
    void FindPixelTarget();

    QPainter& m_p;
    CanvasPen m_pen;
    std::optional<PixelTarget> m_direct;
    QPolygon m_line;
    QPoint m_current;
    int m_nAlign = AlignLeft | AlignTop;
    bool m_bTransparent = false;
    ColourRef m_crText = 0;
    ColourRef m_crBk = 0xFFFFFF;
};
