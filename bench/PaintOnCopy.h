#pragma once

#include "QPainterCanvas.h"

#include <QImage>
#include <QPainter>

// What every paint of the view does: a fresh copy of the background, then `draw` on it.
template <typename Draw> void PaintOnCopy(QImage& frame, const QImage& background, Draw draw) {
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, background);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QPainterCanvas dc(painter);
    draw(dc);
}
