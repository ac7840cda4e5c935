#pragma once

#include "QPainterCanvas.h"
#include "TraceFootprint.h"

#include <QImage>
#include <QPainter>

// What every paint of the view does: the background shown on `frame`, then `draw` on it. With
// `traces`, as during a 12-lead session: only the boxes under the last paint's lines are put
// back, and the lines drawn now are recorded for the next paint.
template <typename Draw>
void PaintOnCopy(QImage& frame, const QImage& background, Draw draw,
                 TraceFootprint* traces = nullptr) {
    QPainter painter(&frame);
    TraceFootprint none;
    TraceFootprint& record = traces ? *traces : none;
    record.ShowBackground(painter, background, traces != nullptr);
    QPainterCanvas dc(painter);
    if (traces) {
        FootprintCanvas traced(dc, painter, background, record);
        draw(traced);
    } else {
        draw(dc);
    }
}
