#pragma once

#include "Canvas.h"

#include <QPainter>
#include <QPolygon>

// The canvas over a QPainter: screen images, printers, PDF and SVG. Consecutive lines are
// collected into one polyline and drawn together, which is far faster than single lines.
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
    QPainter& m_p;
    QPolygon m_line;
    QPoint m_current;
    int m_nAlign = AlignLeft | AlignTop;
    bool m_bTransparent = false;
    bool m_bPixelRects = false; // lines of the current pen may be drawn as one-pixel rectangles
    ColourRef m_crText = 0;
    ColourRef m_crBk = 0xFFFFFF;
};
