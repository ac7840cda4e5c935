#pragma once

#include "QPainterCanvas.h"

#include <QImage>
#include <QPainter>

// What every paint of the view does: the background shown on `frame`, then `draw` on it. With
// `ink`, as during a 12-lead session: only the boxes under the last paint's lines are put back,
// and the lines drawn now are kept for the next paint.
template <typename Draw>
void PaintOnCopy(QImage& frame, const QImage& background, Draw draw,
                 QPainterCanvas::InkLog* ink = nullptr) {
    QPainter painter(&frame);
    QPainterCanvas::ShowBackground(painter, background, ink);
    QPainterCanvas dc(painter);
    if (ink)
        dc.KeepInk(*ink);
    draw(dc);
}
