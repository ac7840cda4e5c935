#pragma once

#include "Canvas.h"

#include <QPoint>

// Draws one row of a trace: a move to the first sample's point, then a line to each sample's
// point that differs from the last point drawn (the first sample included).
template <typename PointOf> void DrawTrace(Canvas& dc, int count, PointOf pointOf) {
    QPoint last = pointOf(0);
    dc.MoveTo(last.x(), last.y());
    for (int k = 0; k < count; ++k) {
        const QPoint p = pointOf(k);
        if (p != last) {
            dc.LineTo(p.x(), p.y());
            last = p;
        }
    }
}

inline CanvasPen SolidPen(ColourRef colour) {
    return CanvasPen{PenStyle::Solid, 0, colour};
}

// The scheme's colour of pen channel 1, 2 or 3.
inline ColourRef ChannelColour(const SchemeColours& c, int channel) {
    return channel == 1 ? c.crChannel1 : channel == 2 ? c.crChannel2 : c.crChannel3;
}
