#include "PageOutputs.h"

#include "QPainterCanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cmath>

namespace {

// The picture: 290 mm by 170 mm, 0.01 mm a unit.
constexpr int kPictureWidth = 29000;
constexpr int kPictureHeight = 17000;
constexpr int kPictureDpi = 2540;
constexpr int kRasterDpi = 300;
constexpr int kPageDpi = 1200;

QPageLayout PictureLayout() {
    return QPageLayout(
        QPageSize(QSizeF(290.0, 170.0), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF());
}

QByteArray PdfOf(const QPageLayout& layout, int dpi, const PageDrawer& draw,
                 const PrintInfo* pInfo) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("ZM540 Vet"));
        pdf.setResolution(dpi);
        pdf.setPageLayout(layout);
        QPainter painter;
        if (!painter.begin(&pdf))
            return QByteArray();
        QPainterCanvas dc(painter);
        draw(dc, pInfo);
    }
    return buffer.data();
}

// Readers that ignore non-scaling strokes get lines one 300 dpi pixel wide; a style rule
// gives the others back their one-pixel lines.
QByteArray ForEveryReader(const QByteArray& source) {
    static const QByteArray kNonScaling = QByteArrayLiteral("vector-effect=\"non-scaling-stroke\"");
    static const QByteArray kDefs = QByteArrayLiteral("<defs>\n</defs>");
    const qsizetype defs = source.indexOf(kDefs);
    if (defs < 0)
        return source;
    QByteArray svg = source;
    svg.replace(defs, kDefs.size(),
                QByteArrayLiteral("<defs>\n<style>@supports (vector-effect: non-scaling-stroke) { "
                                  ".hairline { vector-effect: non-scaling-stroke; stroke-width: "
                                  "1px } }</style>\n</defs>"));
    svg.replace(kNonScaling, QByteArrayLiteral("class=\"hairline\" stroke-width=\"8.5\""));
    return svg;
}

} // namespace

QByteArray PictureSvg(const PageDrawer& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(kPictureWidth, kPictureHeight));
    svg.setViewBox(QRect(0, 0, kPictureWidth, kPictureHeight));
    svg.setResolution(kPictureDpi);
    svg.setTitle(QStringLiteral("ECG"));
    svg.setDescription(QStringLiteral("ZM540 Vet"));
    QPainter painter;
    if (!painter.begin(&svg))
        return QByteArray();
    {
        QPainterCanvas dc(painter);
        draw(dc, nullptr);
    }
    painter.end();
    return ForEveryReader(buffer.data());
}

QByteArray PicturePdf(const PageDrawer& draw) {
    return PdfOf(PictureLayout(), kPictureDpi, draw, nullptr);
}

QPicture PictureRecording(const PageDrawer& draw) {
    QPicture picture;
    QPainter painter;
    if (painter.begin(&picture)) {
        {
            QPainterCanvas dc(painter);
            draw(dc, nullptr);
        }
        painter.end();
    }
    return picture;
}

QImage PictureImage(const QPicture& picture) {
    // Each side at 300 dpi, rounded to the nearest pixel.
    const int w = int(std::lround(kPictureWidth / 2540.0 * kRasterDpi));
    const int h = int(std::lround(kPictureHeight / 2540.0 * kRasterDpi));
    if (picture.isNull())
        return QImage();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(double(w) / kPictureWidth, double(h) / kPictureHeight);
        painter.drawPicture(0, 0, picture);
    }
    // Only now: a picture is played back scaled to the resolution of the image it lands on.
    const int dotsPerMetre = int(std::lround(kRasterDpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}

QByteArray PngOf(const QImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return QByteArray();
    return buffer.data();
}

QByteArray PagePdf(const PageDrawer& draw, Paper paper) {
    const QPageLayout layout(QPageSize(paper == Paper::A4 ? QPageSize::A4 : QPageSize::Letter),
                             QPageLayout::Landscape, QMarginsF());
    const PrintInfo info{kPageDpi, kPageDpi, false};
    return PdfOf(layout, kPageDpi, draw, &info);
}

bool FormatOfPath(const QString& path, PageFormat* format) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        *format = PageFormat::Pdf;
    else if (suffix == QLatin1String("svg"))
        *format = PageFormat::Svg;
    else if (suffix == QLatin1String("png"))
        *format = PageFormat::Png;
    else
        return false;
    return true;
}

QByteArray PageFile(const PageDrawer& draw, PageFormat format, Paper paper) {
    switch (format) {
    case PageFormat::Pdf:
        return PagePdf(draw, paper);
    case PageFormat::Svg:
        return PictureSvg(draw);
    case PageFormat::Png:
        return PngOf(PictureImage(PictureRecording(draw)));
    }
    return QByteArray();
}
