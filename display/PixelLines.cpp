#include "PixelLines.h"

#include <QImage>
#include <QPaintEngine>

#include <cmath>

std::optional<PixelTarget> PixelTargetOf(QPainter& painter) {
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
