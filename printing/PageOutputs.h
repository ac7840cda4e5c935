#pragma once

#include "PrintedPage.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// Every output of the printed page is a thin wrapper around one PageDrawer.

// The picture that Copy places on the clipboard and that exports as SVG or PNG: 290 mm by
// 170 mm in units of 0.01 mm. Empty when it could not be made.
// The SVG as Qt writes it, its thinnest lines one pixel wide in any renderer that scales
// strokes as SVG 1.2 allows (Qt's among them): the source of the picture's other forms.
QByteArray PictureSvgSource(const PageDrawer& draw);
// The SVG for other programs: readers that ignore non-scaling strokes (librsvg among them)
// would draw those lines 0.01 mm wide, that is not at all; they get lines one 300 dpi pixel
// wide instead, while readers that know them still draw one screen pixel.
QByteArray SvgForReaders(const QByteArray& source);
QByteArray PicturePdf(const PageDrawer& draw);
// The picture as a 300 dpi image (3425 by 2008 pixels) on white, from the SVG source.
QImage PictureImage(const QByteArray& source);
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
