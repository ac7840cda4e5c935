#include "QPainterCanvas.h"

#include "SystemColours.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainterPath>

namespace {

Qt::PenStyle ToQtStyle(PenStyle style) {
    switch (style) {
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::Null:
        return Qt::NoPen;
    case PenStyle::Solid:
        break;
    }
    return Qt::SolidLine;
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : m_p(painter) {
    m_line.reserve(4096);
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setBrush(Qt::NoBrush);
}

QPainterCanvas::~QPainterCanvas() {
    Flush();
}

void QPainterCanvas::Flush() {
    if (m_line.size() >= 2)
        m_p.drawPolyline(m_line);
    m_line.resize(0);
}

void QPainterCanvas::SelectPen(const CanvasPen& pen) {
    Flush();
    QPen qpen(ToQColor(pen.colour), pen.width, ToQtStyle(pen.style));
    qpen.setCosmetic(pen.width == 0);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    m_p.setPen(qpen);
    m_pen = pen;
    FindPixelTarget();
}

void QPainterCanvas::FindPixelTarget() {
    m_direct.reset();
    if (m_pen.style != PenStyle::Solid || m_pen.width != 0 || m_p.opacity() != 1.0 ||
        m_p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return;
    m_direct = PixelTargetOf(m_p);
    if (m_direct)
        m_nPixel = ToQColor(m_pen.colour).rgba();
}

void QPainterCanvas::SelectFont(const QFont& font) {
    Flush();
    m_p.setFont(font);
}

void QPainterCanvas::SetClipRect(std::optional<QRect> rect) {
    Flush();
    if (rect)
        m_p.setClipRect(*rect, Qt::IntersectClip);
    else
        m_p.setClipping(false);
    FindPixelTarget();
}

void QPainterCanvas::MoveTo(int x, int y) {
    Flush();
    m_current = QPoint(x, y);
}

void QPainterCanvas::TextOut(int x, int y, const QString& text) {
    Flush();
    const QFontMetrics fm(m_p.font(), m_p.device());
    const int width = fm.horizontalAdvance(text);
    const int left = (m_nAlign & AlignRight) ? x - width : x;
    const int top = (m_nAlign & AlignBottom) ? y - fm.height() : y;
    if (!m_bTransparent)
        m_p.fillRect(QRect(left, top, width, fm.height()), ToQColor(m_crBk));
    const QPen pen = m_p.pen();
    m_p.setPen(ToQColor(m_crText));
    m_p.drawText(left, top + fm.ascent(), text);
    m_p.setPen(pen);
}

int QPainterCanvas::TextWidth(const QString& text) {
    return QFontMetrics(m_p.font(), m_p.device()).horizontalAdvance(text);
}

void QPainterCanvas::FillRect(const QRect& rect, ColourRef colour) {
    Flush();
    m_p.fillRect(rect, ToQColor(colour));
}

void QPainterCanvas::DrawDots(std::span<const QPoint> points, ColourRef colour) {
    Flush();
    const QPen pen = m_p.pen();
    QPen dot(ToQColor(colour), 0);
    dot.setCosmetic(true);
    m_p.setPen(dot);
    const QPaintEngine::Type engine = m_p.paintEngine()->type();
    if (engine == QPaintEngine::Raster || engine == QPaintEngine::Picture) {
        // A raster target draws a cosmetic point as exactly one pixel; so does a recorded
        // picture when it is played back onto an image.
        m_p.drawPoints(points.data(), int(points.size()));
    } else {
        // Vector outputs would make each point a square of one unit, too small to see in a
        // finely divided picture; a stroke one unit long with the thinnest pen shows as a dot.
        QPainterPath path;
        for (const QPoint& p : points) {
            path.moveTo(p);
            path.lineTo(p.x() + 1, p.y());
        }
        m_p.drawPath(path);
    }
    m_p.setPen(pen);
}

void QPainterCanvas::FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) {
    Flush();
    // Each dot is a stroke with a round cap as wide as the dot: a few bytes of a PDF or SVG
    // path rather than four curves. Qt drops strokes of no length, so each is 0.01 unit long.
    const QPen pen = m_p.pen();
    QPen dot(ToQColor(colour), diameter, Qt::SolidLine, Qt::RoundCap);
    QPainterPath path;
    for (const QPoint& p : points) {
        path.moveTo(p);
        path.lineTo(p.x() + 0.01, p.y());
    }
    m_p.setRenderHint(QPainter::Antialiasing, true);
    m_p.strokePath(path, dot);
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setPen(pen);
}
