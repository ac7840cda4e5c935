#include "AboutDlg.h"

#include "BuildInfo.h"
#include "SplashWnd.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel* PictureLabel(const QString& resource, QSize size) {
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap picture(size * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    DrawResourcePicture(painter, resource, QRectF(QPointF(0, 0), size));
    painter.end();
    auto* label = new QLabel;
    label->setPixmap(picture);
    label->setFixedSize(size);
    return label;
}

} // namespace

QString VersionText() {
    const QString commit = QStringLiteral(ZM540_GIT_COMMIT);
    const QString date = QStringLiteral(ZM540_BUILD_DATE);
    return QStringLiteral("Version %1\nBuild %2")
        .arg(QStringLiteral(ZM540_VERSION),
             commit.isEmpty() ? date : commit + QStringLiteral(", ") + date);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About ZM540"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(PictureLabel(QStringLiteral(":/zm540vet.svg"), QSize(32, 32)), 0, 0,
                    Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(PictureLabel(QStringLiteral(":/banner.svg"), QSize(225, 59)), 0, 1, 1, 2,
                    Qt::AlignCenter);

    auto* product = new QLabel(QStringLiteral("KS770 Real Time Recording V2.37"));
    product->setTextFormat(Qt::PlainText);
    grid->addWidget(product, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 1, 2, Qt::AlignRight | Qt::AlignVCenter);

    auto* version = new QLabel(QStringLiteral("ZM540 Vet\n") + VersionText());
    version->setTextFormat(Qt::PlainText);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    version->setObjectName(QStringLiteral("version"));
    grid->addWidget(version, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}
