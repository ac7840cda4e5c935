#include "TraceFootprint.h"

#include "PixelLines.h"
#include "QPainterCanvas.h"

#include <algorithm>
#include <cstring>

void TraceFootprint::ShowBackground(QPainter& painter, const QImage& background,
                                    bool bUnderTracesOnly) const {
    const std::optional<PixelTarget> t = bUnderTracesOnly && m_bValid &&
                                                 background.format() == QImage::Format_RGB32 &&
                                                 background.cacheKey() == m_nBackgroundKey
                                             ? PixelTargetOf(painter)
                                             : std::nullopt;
    if (t && t->bits == m_pTarget && t->size == m_targetSize) {
        const QRect under = t->clip & QRect(t->offset, background.size());
        for (const QRect& box : m_boxes) {
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

FootprintCanvas::FootprintCanvas(QPainterCanvas& dc, QPainter& painter, const QImage& background,
                                 TraceFootprint& footprint)
    : m_dc(dc), m_footprint(footprint) {
    const std::optional<PixelTarget> t = PixelTargetOf(painter);
    footprint.m_boxes.clear();
    footprint.m_pTarget = t ? t->bits : nullptr;
    footprint.m_targetSize = t ? t->size : QSize();
    footprint.m_nBackgroundKey = background.cacheKey();
    footprint.m_bValid = t.has_value();
    m_offset = t ? t->offset : QPoint();
}

FootprintCanvas::~FootprintCanvas() {
    CloseBox();
}

void FootprintCanvas::SelectPen(const CanvasPen& pen) {
    m_dc.SelectPen(pen);
}
void FootprintCanvas::SelectFont(const QFont& font) {
    m_dc.SelectFont(font);
}
void FootprintCanvas::SetTextColour(ColourRef colour) {
    m_dc.SetTextColour(colour);
}
void FootprintCanvas::SetTextAlign(int align) {
    m_dc.SetTextAlign(align);
}
void FootprintCanvas::SetBkMode(bool bTransparent) {
    m_dc.SetBkMode(bTransparent);
}
void FootprintCanvas::SetBkColour(ColourRef colour) {
    m_dc.SetBkColour(colour);
}
void FootprintCanvas::SetClipRect(std::optional<QRect> rect) {
    m_dc.SetClipRect(rect);
}
int FootprintCanvas::TextWidth(const QString& text) {
    return m_dc.TextWidth(text);
}

void FootprintCanvas::MoveTo(int x, int y) {
    m_dc.MoveTo(x, y);
    m_current = QPoint(x, y);
    CloseBox();
}

void FootprintCanvas::LineTo(int x, int y) {
    m_dc.LineTo(x, y);
    const QPoint to(x, y);
    if (m_dc.WritesPixels())
        Note(m_current + m_offset, to + m_offset);
    else
        m_footprint.Void();
    m_current = to;
}

void FootprintCanvas::TextOut(int x, int y, const QString& text) {
    m_footprint.Void();
    m_dc.TextOut(x, y, text);
}
void FootprintCanvas::FillRect(const QRect& rect, ColourRef colour) {
    m_footprint.Void();
    m_dc.FillRect(rect, colour);
}
void FootprintCanvas::DrawDots(std::span<const QPoint> points, ColourRef colour) {
    m_footprint.Void();
    m_dc.DrawDots(points, colour);
}
void FootprintCanvas::FillCircles(std::span<const QPoint> points, int diameter, ColourRef colour) {
    m_footprint.Void();
    m_dc.FillCircles(points, diameter, colour);
}

// Called for every line of a trace, so kept to a few comparisons.
void FootprintCanvas::Note(QPoint a, QPoint b) {
    const auto [left, right] = std::minmax({a.x(), b.x()});
    const auto [top, bottom] = std::minmax({a.y(), b.y()});
    if (m_nBoxRight >= m_nBoxLeft &&
        std::max(right, m_nBoxRight) - std::min(left, m_nBoxLeft) < TraceFootprint::kBoxWidth) {
        m_nBoxLeft = std::min(left, m_nBoxLeft);
        m_nBoxRight = std::max(right, m_nBoxRight);
        m_nBoxTop = std::min(top, m_nBoxTop);
        m_nBoxBottom = std::max(bottom, m_nBoxBottom);
        return;
    }
    CloseBox();
    m_nBoxLeft = left;
    m_nBoxRight = right;
    m_nBoxTop = top;
    m_nBoxBottom = bottom;
}

void FootprintCanvas::CloseBox() {
    if (m_nBoxRight >= m_nBoxLeft)
        m_footprint.m_boxes.emplace_back(QPoint(m_nBoxLeft, m_nBoxTop),
                                         QPoint(m_nBoxRight, m_nBoxBottom));
    m_nBoxRight = m_nBoxLeft - 1;
}
