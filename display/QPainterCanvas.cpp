#include "QPainterCanvas.h"

#include "SystemColours.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

// Writes the lines of a polyline into 32-bit pixels. Each line has one pixel per step along its
// longer axis, from its first point up to, not including, its last; across, the pixel nearest
// the exact line is taken, a tie going away from the first point.
template <typename Target> void DrawPixelPolyline(const Target& target, const QPolygon& line) {
    const QRect& clip = target.clip;
    const qsizetype stride = target.bytesPerLine / qsizetype(sizeof(quint32));
    auto* const origin = reinterpret_cast<quint32*>(target.bits);
    for (qsizetype k = 1; k < line.size(); ++k) {
        const QPoint a = line[k - 1] + target.offset, b = line[k] + target.offset;
        const int dx = b.x() - a.x(), dy = b.y() - a.y();
        const int n = std::max(std::abs(dx), std::abs(dy));
        if (n == 0)
            continue;
        // Per step: one pixel along the long axis, and one across each time the error
        // passes 2n.
        const bool steep = std::abs(dy) >= std::abs(dx);
        const int across = steep ? std::abs(dx) : std::abs(dy);
        const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
        int error = n;
        if (clip.contains(a) && clip.contains(b)) {
            // The whole line is inside: no test per pixel.
            const qsizetype mainStep = steep ? sy * stride : sx;
            const qsizetype crossStep = steep ? sx : sy * stride;
            quint32* p = origin + a.y() * stride + a.x();
            for (int i = 0; i < n; ++i) {
                *p = target.pixel;
                p += mainStep;
                error += 2 * across;
                if (error >= 2 * n) {
                    error -= 2 * n;
                    p += crossStep;
                }
            }
            continue;
        }
        int x = a.x(), y = a.y();
        int& main = steep ? y : x;
        int& cross = steep ? x : y;
        const int mainSign = steep ? sy : sx, crossSign = steep ? sx : sy;
        for (int i = 0; i < n; ++i) {
            if (clip.contains(x, y))
                origin[y * stride + x] = target.pixel;
            main += mainSign;
            error += 2 * across;
            if (error >= 2 * n) {
                error -= 2 * n;
                cross += crossSign;
            }
        }
    }
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
    if (m_line.size() >= 2) {
        if (m_direct)
            DrawPixelPolyline(*m_direct, m_line);
        else
            m_p.drawPolyline(m_line);
    }
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
    // The engine's device is the image really written, also when the painter was opened on a
    // widget; one logical unit must be one of its pixels.
    const QPaintEngine* engine = m_p.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    const QTransform t = m_p.deviceTransform();
    if (!device || device->devType() != QInternal::Image || t.type() > QTransform::TxTranslate ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied &&
        image->format() != QImage::Format_ARGB32)
        return;
    const QPoint offset(int(t.dx()), int(t.dy()));
    QRegion clip(image->rect());
    if (m_p.hasClipping())
        clip &= m_p.clipRegion().translated(offset);
    if (const QRegion system = engine->systemClip(); !system.isEmpty())
        clip &= system;
    if (clip.rectCount() > 1)
        return;
    m_direct = PixelTarget{image->bits(), image->bytesPerLine(), offset, clip.boundingRect(),
                           ToQColor(m_pen.colour).rgba()};
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

void QPainterCanvas::LineTo(int x, int y) {
    if (m_line.isEmpty())
        m_line.append(m_current);
    m_current = QPoint(x, y);
    m_line.append(m_current);
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

void QPainterCanvas::SetPixel(int x, int y, ColourRef colour) {
    Flush();
    m_p.fillRect(QRect(x, y, 1, 1), ToQColor(colour));
}

void QPainterCanvas::FillRect(const QRect& rect, ColourRef colour) {
    Flush();
    m_p.fillRect(rect, ToQColor(colour));
}

void QPainterCanvas::FillCircle(int x, int y, int diameter, ColourRef colour) {
    Flush();
    const QPen pen = m_p.pen();
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(ToQColor(colour));
    m_p.setRenderHint(QPainter::Antialiasing, true);
    m_p.drawEllipse(QRectF(x - diameter / 2.0, y - diameter / 2.0, diameter, diameter));
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setBrush(Qt::NoBrush);
    m_p.setPen(pen);
}
