// The main window's print and export commands: the view's page on the run's printer or in a
// file, and the recording's export.
#include "MainFrame.h"

#include "CsvExport.h"
#include "EdfExport.h"
#include "PageOutputs.h"
#include "PrintRun.h"
#include "Prompter.h"
#include "SafeWrite.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

QPrinter& CMainFrame::Printer() {
    if (!m_pPrinter)
        m_pPrinter = MakePrinter();
    return *m_pPrinter;
}

void CMainFrame::OnFilePrint() {
    if (IsAcquiring())
        return;
    QString error;
    if (!::OnFilePrint(Printer(), m_pView->PrintedPage(), this, &error))
        m_prompter.Tell(error);
}

void CMainFrame::OnFilePrintDirect() {
    if (IsAcquiring())
        return;
    QString error;
    if (!::OnFilePrintDirect(Printer(), m_pView->PrintedPage(), &error))
        m_prompter.Tell(error);
}

void CMainFrame::OnFilePrintPreview() {
    if (!IsAcquiring())
        ::OnFilePrintPreview(Printer(), m_pView->PrintedPage(), this);
}

void CMainFrame::OnFilePrintSetup() {
    if (!IsAcquiring())
        ::OnFilePrintSetup(Printer(), this);
}

namespace {

// Where an export goes: asked for beside the recording's file, named after it.
QString AskExportPath(Prompter& prompter, const CZM540Doc& doc, const char* suffix,
                      const char* filter) {
    const QFileInfo current(doc.GetPathName());
    const QString directory = doc.HasFileName() ? current.absolutePath() : QDir::currentPath();
    return prompter.AskFileName(Prompter::FileDialog::Save, directory,
                                current.completeBaseName() + QLatin1String(suffix),
                                QLatin1String(filter));
}

} // namespace

void CMainFrame::OnFileExportPage() {
    if (IsAcquiring())
        return;
    const QString path =
        AskExportPath(m_prompter, m_doc, ".pdf",
                      "PDF documents (*.pdf);;SVG pictures (*.svg);;PNG images (*.png)");
    if (path.isEmpty())
        return;
    PageFormat format;
    if (!FormatOfPath(path, &format)) {
        m_prompter.Tell(QStringLiteral("A page is exported as .pdf, .svg or .png; \"%1\" is none "
                                       "of them.")
                            .arg(QFileInfo(path).fileName()));
        return;
    }
    const auto page = [this](Canvas& dc, const PrintInfo* pInfo) { m_pView->OnPrint(dc, pInfo); };
    const QByteArray bytes = PageFile(page, format, Paper::A4);
    QString error = QStringLiteral("it could not be drawn");
    if (bytes.isEmpty() || !WriteFileSafely(path, bytes, &error))
        m_prompter.Tell(QStringLiteral("The page could not be saved to \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), error));
}

void CMainFrame::OnFileExportRecording() {
    if (IsAcquiring())
        return;
    const QString path =
        AskExportPath(m_prompter, m_doc, ".edf", "EDF+ files (*.edf);;CSV files (*.csv)");
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString error;
    QByteArray bytes;
    if (suffix == QLatin1String("edf"))
        bytes = DocumentAsEdf(m_doc, false, &error);
    else if (suffix == QLatin1String("csv"))
        bytes = TracesAsCsv(m_doc, false);
    else {
        m_prompter.Tell(QStringLiteral("A recording is exported as .edf or .csv; \"%1\" is "
                                       "neither of them.")
                            .arg(QFileInfo(path).fileName()));
        return;
    }
    if (bytes.isEmpty() || !WriteFileSafely(path, bytes, &error))
        m_prompter.Tell(QStringLiteral("The recording could not be exported to \"%1\": %2")
                            .arg(QDir::toNativeSeparators(path), error));
}
