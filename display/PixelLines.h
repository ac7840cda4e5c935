#pragma once

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdlib>
#include <optional>

// Solid one-pixel lines written straight into the pixels of a 32-bit raster target (an image,
// or a window's back buffer), which is several times faster than Qt's line rasteriser.
struct PixelTarget {
    quint32* bits = nullptr;
    qsizetype stride = 0; // pixels from one row to the next
    QPoint offset;        // logical to device
    QRect clip;           // device pixels that may be written
    QSize size;           // of the target, in pixels
};

// The pixels `painter` writes, if its target is a 32-bit image one logical unit to a pixel and
// what it may write there is one rectangle.
std::optional<PixelTarget> PixelTargetOf(QPainter& painter);

namespace pixel_lines_detail {
inline bool Inside(const QRect& r, QPoint p) {
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}
} // namespace pixel_lines_detail

// Writes a line from device pixel `a` up to, not including, `b`: one pixel per step along its
// longer axis; across, the pixel nearest the exact line, a tie going away from `a`. Only pixels
// inside the target's clip are written. Inline: a trace is thousands of short lines.
Q_ALWAYS_INLINE void WritePixelLine(const PixelTarget& t, quint32 pixel, QPoint a, QPoint b) {
    using pixel_lines_detail::Inside;
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const bool steep = std::abs(dy) >= std::abs(dx);
    const int n = steep ? std::abs(dy) : std::abs(dx); // steps
    const int across = steep ? std::abs(dx) : std::abs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int error = n; // the position across, in units of 1/2n, offset by a half for rounding
    if (Inside(t.clip, a) && Inside(t.clip, b)) {
        // All of it is inside: no test per pixel.
        const qsizetype along = steep ? sy * t.stride : sx;
        const qsizetype sideways = steep ? sx : sy * t.stride;
        quint32* p = t.bits + a.y() * t.stride + a.x();
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
        if (Inside(t.clip, p))
            t.bits[p.y() * t.stride + p.x()] = pixel;
        p += along;
        error += 2 * across;
        if (error >= 2 * n) {
            error -= 2 * n;
            p += sideways;
        }
    }
}
