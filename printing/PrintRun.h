#pragma once

#include "PrintedPage.h"

#include <QString>

#include <memory>

class QPrintDialog;
class QPrinter;
class QWidget;

// The printer the program prints to: the system's default at first, then whatever Print
// Setup or the print dialog chose, for the rest of the run. Printed at the printer's
// resolution.
std::unique_ptr<QPrinter> MakePrinter();

// How far the page is moved left on a printer whose printable area is `printableWidth` units
// wide, so that the grid's right edge stays printable: never scaled, never further than the
// grid's left edge goes.
int PrintShift(const PageGeometry& g, int printableWidth);

// Prints one landscape page on `printer` as it is set up, with the page's origin at the
// printable area (moved left as PrintShift says). False when the printer could not start.
bool PrintPage(QPrinter& printer, bool bPreview, const PageDrawer& draw);

// The print dialog, offering exactly one page.
std::unique_ptr<QPrintDialog> MakePrintDialog(QPrinter& printer, QWidget* parent);
// The print commands; false, with the reason in `error`, when the page could not be printed.
// Print: the dialog, then the page. Print without dialog: the page on the current printer.
bool OnFilePrint(QPrinter& printer, const PageDrawer& draw, QWidget* parent, QString* error);
bool OnFilePrintDirect(QPrinter& printer, const PageDrawer& draw, QString* error);
// Print preview: the page as the printer would print it, its dot grid in single pixels.
void OnFilePrintPreview(QPrinter& printer, const PageDrawer& draw, QWidget* parent);
// Print setup: chooses the printer and its settings without printing.
void OnFilePrintSetup(QPrinter& printer, QWidget* parent);
