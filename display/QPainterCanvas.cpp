#include "QPainterCanvas.h"

#include "SystemColours.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

bool Inside(const QRect& r, QPoint p) {
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

// Writes a line into 32-bit pixels: one pixel per step along its longer axis, from `a` up to,
// not including, `b`; across, the pixel nearest the exact line, a tie going away from `a`.
// Only pixels inside `clip` are written.
void DrawPixelLine(quint32* bits, qsizetype stride, const QRect& clip, quint32 pixel, QPoint a,
                   QPoint b) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const bool steep = std::abs(dy) >= std::abs(dx);
    const int n = steep ? std::abs(dy) : std::abs(dx); // steps
    const int across = steep ? std::abs(dx) : std::abs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int error = n; // the position across, in units of 1/2n, offset by a half for rounding
    if (Inside(clip, a) && Inside(clip, b)) {
        // All of it is inside: no test per pixel.
        const qsizetype along = steep ? sy * stride : sx, sideways = steep ? sx : sy * stride;
        quint32* p = bits + a.y() * stride + a.x();
        for (int i = 0; i < n; ++i) {
            *p = pixel;
            p += along;
            error += 2 * across;
            if (error >= 2 * n) {
                error -= 2 * n;
                p += sideways;
            }
        }
        return;
    }
    QPoint p = a;
    const QPoint along = steep ? QPoint(0, sy) : QPoint(sx, 0);
    const QPoint sideways = steep ? QPoint(sx, 0) : QPoint(0, sy);
    for (int i = 0; i < n; ++i) {
        if (Inside(clip, p))
            bits[p.y() * stride + p.x()] = pixel;
        p += along;
        error += 2 * across;
        if (error >= 2 * n) {
            error -= 2 * n;
            p += sideways;
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
    CloseInkBox();
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

std::optional<QPainterCanvas::PixelTarget> QPainterCanvas::PixelTargetOf(QPainter& painter) {
    // The engine's device is the image really written, also when the painter was opened on a
    // widget; one logical unit must be one of its pixels.
    const QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    const QTransform t = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image || t.type() > QTransform::TxTranslate ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()))
        return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_RGB32 &&
        image->format() != QImage::Format_ARGB32_Premultiplied &&
        image->format() != QImage::Format_ARGB32)
        return std::nullopt;
    const QPoint offset(int(t.dx()), int(t.dy()));
    QRegion clip(image->rect());
    if (painter.hasClipping())
        clip &= painter.clipRegion().translated(offset);
    if (const QRegion system = engine->systemClip(); !system.isEmpty())
        clip &= system;
    if (clip.rectCount() > 1)
        return std::nullopt;
    return PixelTarget{reinterpret_cast<quint32*>(image->bits()),
                       image->bytesPerLine() / qsizetype(sizeof(quint32)), offset,
                       clip.boundingRect(), image->size()};
}

void QPainterCanvas::FindPixelTarget() {
    m_direct.reset();
    if (m_pen.style != PenStyle::Solid || m_pen.width != 0 || m_p.opacity() != 1.0 ||
        m_p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return;
    m_direct = PixelTargetOf(m_p);
    if (m_direct)
        m_direct->pixel = ToQColor(m_pen.colour).rgba();
}

void QPainterCanvas::KeepInk(InkLog& log) {
    CloseInkBox();
    m_pInk = &log;
    log.boxes.clear();
    const std::optional<PixelTarget> t = PixelTargetOf(m_p);
    log.target = t ? t->bits : nullptr;
    log.size = t ? t->size : QSize();
    log.bVoid = !t;
}

// Called for every line of a trace, so kept to a few comparisons.
void QPainterCanvas::LogInk(QPoint a, QPoint b) {
    const auto [left, right] = std::minmax({a.x(), b.x()});
    const auto [top, bottom] = std::minmax({a.y(), b.y()});
    if (m_nBoxRight >= m_nBoxLeft &&
        std::max(right, m_nBoxRight) - std::min(left, m_nBoxLeft) < kInkBoxWidth) {
        m_nBoxLeft = std::min(left, m_nBoxLeft);
        m_nBoxRight = std::max(right, m_nBoxRight);
        m_nBoxTop = std::min(top, m_nBoxTop);
        m_nBoxBottom = std::max(bottom, m_nBoxBottom);
        return;
    }
    CloseInkBox();
    m_nBoxLeft = left;
    m_nBoxRight = right;
    m_nBoxTop = top;
    m_nBoxBottom = bottom;
}

void QPainterCanvas::CloseInkBox() {
    if (m_pInk && m_nBoxRight >= m_nBoxLeft)
        m_pInk->boxes.emplace_back(QPoint(m_nBoxLeft, m_nBoxTop),
                                   QPoint(m_nBoxRight, m_nBoxBottom));
    m_nBoxRight = m_nBoxLeft - 1;
}

void QPainterCanvas::VoidInk() {
    if (m_pInk)
        m_pInk->bVoid = true;
}

void QPainterCanvas::ShowBackground(QPainter& painter, const QImage& background,
                                    const InkLog* ink) {
    const std::optional<PixelTarget> t =
        ink && !ink->bVoid && background.format() == QImage::Format_RGB32 ? PixelTargetOf(painter)
                                                                          : std::nullopt;
    if (t && t->bits == ink->target && t->size == ink->size) {
        const QRect under = t->clip & QRect(t->offset, background.size());
        for (const QRect& box : ink->boxes) {
            const QRect r = box & under;
            if (r.isEmpty())
                continue;
            const std::size_t bytes = std::size_t(r.width()) * sizeof(quint32);
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(t->bits + y * t->stride + r.left(),
                            background.constScanLine(y - t->offset.y()) +
                                qsizetype(r.left() - t->offset.x()) * qsizetype(sizeof(quint32)),
                            bytes);
        }
        return;
    }
    // The background is opaque: a plain copy, no blending.
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, background);
    painter.setCompositionMode(mode);
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
    CloseInkBox();
}

void QPainterCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    if (m_direct) {
        const PixelTarget& t = *m_direct;
        DrawPixelLine(t.bits, t.stride, t.clip, t.pixel, m_current + t.offset, to + t.offset);
        if (m_pInk)
            LogInk(m_current + t.offset, to + t.offset);
    } else {
        VoidInk();
        if (m_line.isEmpty())
            m_line.append(m_current);
        m_line.append(to);
    }
    m_current = to;
}

void QPainterCanvas::TextOut(int x, int y, const QString& text) {
    Flush();
    VoidInk();
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
    VoidInk();
    m_p.fillRect(QRect(x, y, 1, 1), ToQColor(colour));
}

void QPainterCanvas::FillRect(const QRect& rect, ColourRef colour) {
    Flush();
    VoidInk();
    m_p.fillRect(rect, ToQColor(colour));
}

void QPainterCanvas::FillCircle(int x, int y, int diameter, ColourRef colour) {
    Flush();
    VoidInk();
    const QPen pen = m_p.pen();
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(ToQColor(colour));
    m_p.setRenderHint(QPainter::Antialiasing, true);
    m_p.drawEllipse(QRectF(x - diameter / 2.0, y - diameter / 2.0, diameter, diameter));
    m_p.setRenderHint(QPainter::Antialiasing, false);
    m_p.setBrush(Qt::NoBrush);
    m_p.setPen(pen);
}
