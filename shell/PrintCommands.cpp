// The main window's print and export commands: the view's page on the run's printer or in a
// file.
#include "MainFrame.h"

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

void CMainFrame::OnFileExportPage() {
    if (IsAcquiring())
        return;
    const QFileInfo current(m_doc.GetPathName());
    const QString directory = m_doc.HasFileName() ? current.absolutePath() : QDir::currentPath();
    const QString path = m_prompter.AskFileName(
        Prompter::FileDialog::Save, directory, current.completeBaseName() + QStringLiteral(".pdf"),
        QStringLiteral("PDF documents (*.pdf);;SVG pictures (*.svg);;PNG images (*.png)"));
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
