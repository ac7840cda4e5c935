#include "PrintRun.h"

#include "QPainterCanvas.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>

namespace {

const QString kNoPrint = QStringLiteral("The ECG could not be printed on \"%1\".");

void MakeLandscape(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(false);
    printer.setFromTo(1, 1);
}

} // namespace

std::unique_ptr<QPrinter> MakePrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    MakeLandscape(*printer);
    return printer;
}

int PrintShift(const PageGeometry& g, int printableWidth) {
    // One millimetre to spare beyond the grid's right edge, for the pens' width.
    return std::clamp(g.grid.right + g.cx(0.1) - printableWidth, 0, g.grid.left);
}

bool PrintPage(QPrinter& printer, bool bPreview, const PageDrawer& draw) {
    MakeLandscape(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const PrintInfo info{printer.logicalDpiX(), printer.logicalDpiY(), bPreview};
    const PageGeometry g(PrinterUnits(info.nLogPixelsX, info.nLogPixelsY));
    painter.translate(-PrintShift(g, printer.width()), 0);
    {
        QPainterCanvas dc(painter);
        draw(dc, &info);
    }
    return painter.end();
}

std::unique_ptr<QPrintDialog> MakePrintDialog(QPrinter& printer, QWidget* parent) {
    MakeLandscape(printer);
    auto dialog = std::make_unique<QPrintDialog>(&printer, parent);
    dialog->setMinMax(1, 1);
    dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog;
}

bool OnFilePrint(QPrinter& printer, const PageDrawer& draw, QWidget* parent, QString* error) {
    const auto dialog = MakePrintDialog(printer, parent);
    if (dialog->exec() != QDialog::Accepted)
        return true;
    return OnFilePrintDirect(printer, draw, error);
}

bool OnFilePrintDirect(QPrinter& printer, const PageDrawer& draw, QString* error) {
    if (PrintPage(printer, false, draw))
        return true;
    *error = kNoPrint.arg(printer.printerName().isEmpty() ? printer.outputFileName()
                                                          : printer.printerName());
    return false;
}

void OnFilePrintPreview(QPrinter& printer, const PageDrawer& draw, QWidget* parent) {
    MakeLandscape(printer);
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&draw](QPrinter* p) { PrintPage(*p, true, draw); });
    preview.exec();
}

void OnFilePrintSetup(QPrinter& printer, QWidget* parent) {
    const auto dialog = MakePrintDialog(printer, parent);
    dialog->setWindowTitle(QStringLiteral("Print Setup"));
    // The same choices as the print dialog, kept for the prints that follow.
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    dialog->exec();
}
