#pragma once

#include <QByteArray>
#include <QMimeData>

// The picture on the clipboard: SVG and PDF made at Copy, and a 300 dpi PNG made from the SVG
// source only when a program asks for it.
class PictureMimeData : public QMimeData {
    Q_OBJECT
  public:
    PictureMimeData(QByteArray svgSource, QByteArray pdf);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    QByteArray m_svgSource;
    QByteArray m_svg;
    QByteArray m_pdf;
    mutable QByteArray m_png;
};
