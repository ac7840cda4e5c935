#include "SrvrItem.h"

#include <QPainter>

CZM540SrvrItem::CZM540SrvrItem(CZM540Doc& doc, Kind kind) : m_doc(doc), m_kind(kind) {}

std::unique_ptr<CZM540SrvrItem> CZM540SrvrItem::OnGetEmbeddedItem(CZM540Doc& doc) {
    return std::make_unique<CZM540SrvrItem>(doc, Kind::Embedded);
}

bool CZM540SrvrItem::Serialize(QIODevice& ar, CZM540Doc::Archive mode) {
    if (IsLinkedItem())
        return true;
    return m_doc.Serialize(ar, mode);
}

std::optional<QSize> CZM540SrvrItem::OnGetExtent(Aspect aspect) const {
    if (aspect != Aspect::Content)
        return std::nullopt;
    return kContentExtent;
}

bool CZM540SrvrItem::OnDraw(QPainter& painter, const QSize& /*size*/) {
    painter.setWindow(QRect(QPoint(0, 0), kContentExtent));
    return true;
}
