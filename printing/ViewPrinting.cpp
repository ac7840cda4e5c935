// The view's print operations, kept with the page they draw.
#include "PageOutputs.h"
#include "PictureMimeData.h"
#include "Prompter.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QClipboard>
#include <QGuiApplication>

void CZM540View::OnBeginPrinting(const PrintInfo& info) {
    m_bPrintPreview = info.bPreview ? 1 : 0;
}

void CZM540View::OnPrint(Canvas& dc, const PrintInfo* pInfo) {
    const PageUnits units =
        pInfo ? PrinterUnits(pInfo->nLogPixelsX, pInfo->nLogPixelsY) : PictureUnits();
    m_dUnitsPerCmX = units.dUnitsPerCmX;
    m_dUnitsPerCmY = units.dUnitsPerCmY;
    DrawPage(dc, {m_doc, ReadPrintStyle(m_settings), units, m_bPrintPreview != 0},
             ViewTwelveLead());
}

PageDrawer CZM540View::PrintedPage() {
    return [this](Canvas& dc, const PrintInfo* pInfo) {
        if (pInfo)
            OnBeginPrinting(*pInfo);
        OnPrint(dc, pInfo);
    };
}

void CZM540View::OnCopyPicture() {
    const PageDrawer page = [this](Canvas& dc, const PrintInfo*) { OnPrint(dc, nullptr); };
    QByteArray svg = PictureSvg(page);
    QByteArray pdf = svg.isEmpty() ? QByteArray() : PicturePdf(page);
    QPicture picture = pdf.isEmpty() ? QPicture() : PictureRecording(page);
    if (picture.isNull()) {
        m_doc.GetPrompter().Ask(QStringLiteral("Can't create metafile!!!"), Prompter::Buttons::Ok,
                                Prompter::Icon::None);
        return;
    }
    QGuiApplication::clipboard()->setMimeData(
        new PictureMimeData(std::move(svg), std::move(pdf), std::move(picture)));
}
