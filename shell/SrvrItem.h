#pragma once

#include "ZM540Doc.h"

#include <QSize>

#include <memory>
#include <optional>

class QIODevice;
class QPainter;

// How the program names its documents to an object-embedding service, where the platform has
// one: the document type and the server's class identifier.
constexpr const char* kDocumentTypeId = "ZM540.Document";
constexpr const char* kServerClassId = "{4060E0C2-6FCC-11D5-B398-00C04F1024F1}";

// The recording as an object inside another program's document. The item holds nothing of its
// own: an embedded item stores and loads the whole document, a linked one nothing at all (the
// other program keeps only the link).
class CZM540SrvrItem {
  public:
    enum class Kind { Embedded, Linked };
    // What the other program asks the extent of.
    enum class Aspect { Content = 1, Thumbnail = 2, Icon = 4, DocPrint = 8 };
    // The extent of the object's content, in 0.01 mm: a 30 mm square.
    static constexpr QSize kContentExtent{3000, 3000};

    CZM540SrvrItem(CZM540Doc& doc, Kind kind);

    // The document's embedded item.
    static std::unique_ptr<CZM540SrvrItem> OnGetEmbeddedItem(CZM540Doc& doc);

    CZM540Doc& GetDocument() const { return m_doc; }
    Kind GetKind() const { return m_kind; }
    bool IsLinkedItem() const { return m_kind == Kind::Linked; }

    // An embedded item stores or loads the document in the file layout, with the document's
    // answer; a linked item touches nothing and succeeds.
    bool Serialize(QIODevice& ar, CZM540Doc::Archive mode);
    // The content's extent, whatever the recording holds; no other aspect has one.
    std::optional<QSize> OnGetExtent(Aspect aspect) const;
    // Maps the content's extent onto the painter's window and draws nothing: the other
    // program shows an empty square of the content's size.
    bool OnDraw(QPainter& painter, const QSize& size);

  private:
    CZM540Doc& m_doc;
    Kind m_kind;
};
