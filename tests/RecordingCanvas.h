#pragma once

#include "Canvas.h"

#include <QPoint>

#include <vector>

// A canvas that remembers what was drawn, for checking exact coordinates.
class RecordingCanvas : public Canvas {
  public:
    struct Polyline {
        CanvasPen pen;
        std::vector<QPoint> points; // the move's point, then each line's end
    };
    struct Text {
        QPoint at;
        QString text;
        ColourRef colour;
        int align;
    };

    void SelectPen(const CanvasPen& pen) override { m_pen = pen; }
    void SelectFont(const QFont&) override {}
    void SetTextColour(ColourRef colour) override { m_text = colour; }
    void SetTextAlign(int align) override { m_align = align; }
    void SetBkMode(bool) override {}
    void SetBkColour(ColourRef) override {}
    void SetClipRect(std::optional<QRect> rect) override { clips.push_back(rect); }
    void MoveTo(int x, int y) override { polylines.push_back({m_pen, {QPoint(x, y)}}); }
    void LineTo(int x, int y) override {
        if (polylines.empty())
            polylines.push_back({m_pen, {QPoint(0, 0)}});
        polylines.back().points.push_back(QPoint(x, y));
    }
    void TextOut(int x, int y, const QString& text) override {
        texts.push_back({QPoint(x, y), text, m_text, m_align});
    }
    // Five units a character: narrow enough that the caption keeps its usual places.
    int TextWidth(const QString& text) override { return 5 * int(text.size()); }
    void FillRect(const QRect& rect, ColourRef) override { fills.push_back(rect); }
    void DrawDots(std::span<const QPoint> points, ColourRef colour) override {
        dots.push_back({colour, 0, {points.begin(), points.end()}});
    }
    void FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) override {
        dots.push_back({colour, diameter, {points.begin(), points.end()}});
    }

    // A batch of dots: one-pixel dots (diameter 0) or filled circles.
    struct Dots {
        ColourRef colour;
        int diameter;
        std::vector<QPoint> points;
    };

    std::vector<Polyline> polylines;
    std::vector<Dots> dots;
    std::vector<Text> texts;
    std::vector<QRect> fills;
    std::vector<std::optional<QRect>> clips;

  private:
    CanvasPen m_pen;
    ColourRef m_text = 0;
    int m_align = 0;
};
