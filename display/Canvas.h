#pragma once

#include "SchemeColours.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <span>

// Everything the program draws (screen, printer, PDF, SVG, clipboard) goes through this small
// set of device-context operations, so that drawing code is written once and tests can record
// exactly what was drawn.
enum class PenStyle { Solid, Dash, Dot, Null };

struct CanvasPen {
    PenStyle style = PenStyle::Solid;
    int width = 0; // 0: one device pixel whatever the scale
    ColourRef colour = 0;
    bool operator==(const CanvasPen&) const = default;
};

// Text alignment flags: horizontal reference and vertical reference of TextOut's point.
enum TextAlign : int {
    AlignLeft = 0x0,
    AlignRight = 0x1,
    AlignTop = 0x0,
    AlignBottom = 0x2,
};

class Canvas {
  public:
    virtual ~Canvas() = default;
    virtual void SelectPen(const CanvasPen& pen) = 0;
    virtual void SelectFont(const QFont& font) = 0;
    virtual void SetTextColour(ColourRef colour) = 0;
    virtual void SetTextAlign(int align) = 0;
    virtual void SetBkMode(bool bTransparent) = 0;
    virtual void SetBkColour(ColourRef colour) = 0;
    // Drawing is cut at the rectangle; none removes the restriction.
    virtual void SetClipRect(std::optional<QRect> rect) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A line from the current point to (x, y), which becomes the current point.
    virtual void LineTo(int x, int y) = 0;
    virtual void TextOut(int x, int y, const QString& text) = 0;
    // Width of the text in the selected font, in the canvas's units.
    virtual int TextWidth(const QString& text) = 0;
    virtual void FillRect(const QRect& rect, ColourRef colour) = 0;
    // One output pixel at each point, whatever the scale (a printed dot grid's dots).
    virtual void DrawDots(std::span<const QPoint> points, ColourRef colour) = 0;
    // A filled circle of the given diameter centred on each point.
    virtual void FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) = 0;
};
