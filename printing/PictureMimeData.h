#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QPicture>

// The picture on the clipboard: SVG and PDF made at Copy, and a 300 dpi PNG made from the
// recorded drawing only when a program asks for it.
class PictureMimeData : public QMimeData {
    Q_OBJECT
  public:
    PictureMimeData(QByteArray svg, QByteArray pdf, QPicture picture);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    QByteArray m_svg;
    QByteArray m_pdf;
    QPicture m_picture;
    mutable QByteArray m_png;
};
