#pragma once

#include "PrintedPage.h"

#include <QByteArray>
#include <QImage>
#include <QPicture>
#include <QString>

// Every output of the printed page is a thin wrapper around one PageDrawer.

// The picture that Copy places on the clipboard and that exports as SVG or PNG: 290 mm by
// 170 mm in units of 0.01 mm. Empty when it could not be made.
// Its thinnest lines are one pixel wide in readers that know SVG's non-scaling strokes; the
// others (librsvg among them) would draw them 0.01 mm wide, that is not at all, and draw them
// one 300 dpi pixel wide instead.
QByteArray PictureSvg(const PageDrawer& draw);
QByteArray PicturePdf(const PageDrawer& draw);
// The picture kept as drawing commands, to be made into an image later.
QPicture PictureRecording(const PageDrawer& draw);
// The picture as a 300 dpi image (3425 by 2008 pixels) on white, every thin line one pixel.
QImage PictureImage(const QPicture& picture);
QByteArray PngOf(const QImage& image);

enum class Paper { A4, Letter };
// The page as a printer draws it, on a landscape sheet at 1200 units per inch, with the page's
// origin at the sheet's top-left corner. Empty when it could not be made.
QByteArray PagePdf(const PageDrawer& draw, Paper paper);

enum class PageFormat { Pdf, Svg, Png };
// The format a file name's extension stands for; false when it names none of them.
bool FormatOfPath(const QString& path, PageFormat* format);
// The page in `format`: PDF as printed on `paper`, SVG and PNG as the picture. Empty when it
// could not be made.
QByteArray PageFile(const PageDrawer& draw, PageFormat format, Paper paper);
