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

bool Inside(const QRect& r, int x, int y) {
    return x >= r.left() && x <= r.right() && y >= r.top() && y <= r.bottom();
}

// The pixels of a line: one per step along its longer axis, from `a` up to, not including,
// `b`; across, the pixel nearest the exact line, a tie going away from `a`. `put(x, y)` is
// called for each of them inside `clip`.
template <bool Steep, typename Put>
void StepLine(QPoint a, int n, int mainSign, int across, int crossSign, const QRect& clip,
              bool whole, Put put) {
    int x = a.x(), y = a.y();
    int error = n; // the position across, in units of 1/2n, offset by a half for rounding
    for (int i = 0; i < n; ++i) {
        if (whole || Inside(clip, x, y))
            put(x, y);
        (Steep ? y : x) += mainSign;
        error += 2 * across;
        if (error >= 2 * n) {
            error -= 2 * n;
            (Steep ? x : y) += crossSign;
        }
    }
}

template <typename Put> void ForEachLinePixel(QPoint a, QPoint b, const QRect& clip, Put put) {
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const bool whole = Inside(clip, a.x(), a.y()) && Inside(clip, b.x(), b.y());
    if (std::abs(dy) >= std::abs(dx))
        StepLine<true>(a, std::abs(dy), sy, std::abs(dx), sx, clip, whole, put);
    else
        StepLine<false>(a, std::abs(dx), sx, std::abs(dy), sy, clip, whole, put);
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
        m_p.drawPolyline(m_line);
        VoidInk();
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

std::optional<QPainterCanvas::PixelTarget> QPainterCanvas::PixelTargetOf(QPainter& painter) {
    // The engine's device is the image really written, also when the painter was opened on a
    // widget; one logical unit must be one of its pixels.
    const QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    const QTransform t = painter.deviceTransform();
    if (!device || device->devType() != QInternal::Image || t.type() > QTransform::TxTranslate ||
        t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy()) || painter.opacity() != 1.0 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver)
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
                       clip.boundingRect()};
}

void QPainterCanvas::FindPixelTarget() {
    m_direct.reset();
    if (m_pen.style == PenStyle::Solid && m_pen.width == 0)
        m_direct = PixelTargetOf(m_p);
    m_nPixel = ToQColor(m_pen.colour).rgba();
}

void QPainterCanvas::KeepInk(InkLog& log) {
    Flush();
    log.target = nullptr;
    log.lines.clear(); // the room stays for the next paint
    log.bVoid = false;
    m_pInk = &log;
}

void QPainterCanvas::VoidInk() {
    if (m_pInk)
        m_pInk->bVoid = true;
}

bool QPainterCanvas::EraseInk(QPainter& painter, const InkLog& log, const QImage& under) {
    const std::optional<PixelTarget> target = PixelTargetOf(painter);
    if (log.bVoid || !log.target || !target || target->bits != log.target ||
        under.format() != QImage::Format_RGB32 || under.devicePixelRatio() != 1.0)
        return false;
    // Only pixels that are both in the target now and have a pixel of `under` to come from.
    const QRect area = target->clip & under.rect().translated(target->offset);
    const auto* source = reinterpret_cast<const quint32*>(under.constBits());
    const qsizetype sourceStride = under.bytesPerLine() / qsizetype(sizeof(quint32));
    const qsizetype shift = -target->offset.y() * sourceStride - target->offset.x();
    for (const InkLog::Line& line : log.lines)
        ForEachLinePixel(line.from, line.to, line.clip & area, [&](int x, int y) {
            target->bits[y * target->stride + x] = source[y * sourceStride + x + shift];
        });
    return true;
}

void QPainterCanvas::ShowBackground(QPainter& painter, const QImage& background,
                                    const InkLog* ink) {
    if (ink && EraseInk(painter, *ink, background))
        return;
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
}

void QPainterCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    if (m_direct) {
        const PixelTarget& t = *m_direct;
        const QPoint a = m_current + t.offset, b = to + t.offset;
        ForEachLinePixel(a, b, t.clip,
                         [&](int px, int py) { t.bits[py * t.stride + px] = m_nPixel; });
        if (m_pInk) {
            if (m_pInk->target && m_pInk->target != t.bits)
                m_pInk->bVoid = true;
            m_pInk->target = t.bits;
            m_pInk->lines.push_back(InkLog::Line{a, b, t.clip});
        }
    } else {
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
