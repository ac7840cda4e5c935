#include "PictureMimeData.h"

#include "PageOutputs.h"

namespace {
const QString kSvg = QStringLiteral("image/svg+xml");
const QString kPdf = QStringLiteral("application/pdf");
const QString kPng = QStringLiteral("image/png");
} // namespace

PictureMimeData::PictureMimeData(QByteArray svg, QByteArray pdf, QPicture picture)
    : m_svg(std::move(svg)), m_pdf(std::move(pdf)), m_picture(std::move(picture)) {}

QStringList PictureMimeData::formats() const {
    return {kSvg, kPdf, kPng};
}

bool PictureMimeData::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QVariant PictureMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType == kSvg)
        return m_svg;
    if (mimeType == kPdf)
        return m_pdf;
    if (mimeType == kPng) {
        if (m_png.isEmpty())
            m_png = PngOf(PictureImage(m_picture));
        return m_png;
    }
    return QVariant();
}
