#include "SplashWnd.h"

#include "Prompter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

bool DrawResourcePicture(QPainter& painter, const QString& resource, const QRectF& target) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return false;
    renderer.render(&painter, target);
    return true;
}

CSplashWnd::CSplashWnd(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    QRect area = parent ? parent->frameGeometry() : QRect();
    if (area.isEmpty())
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    QRect frame(0, 0, kWidth, kHeight);
    frame.moveCenter(area.center());
    move(frame.topLeft());

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CSplashWnd::HideSplash);
    m_timer.start(kShowMs);
}

CSplashWnd::~CSplashWnd() {
    if (m_pSplashWnd == this)
        m_pSplashWnd = nullptr;
}

bool CSplashWnd::ShowSplash(QWidget* parent, Prompter& prompter) {
    if (!m_bSplashAllowed || m_pSplashWnd)
        return false;
    m_pSplashWnd = new CSplashWnd(parent);

    const qreal dpr = qApp->devicePixelRatio();
    QPixmap picture(QSize(kWidth, kHeight) * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const bool bDrawn =
        DrawResourcePicture(painter, QStringLiteral(":/splash.svg"), QRectF(0, 0, kWidth, kHeight));
    painter.end();
    if (bDrawn)
        m_pSplashWnd->m_picture = picture;

    qApp->installEventFilter(m_pSplashWnd);
    m_pSplashWnd->show();
    m_pSplashWnd->repaint();
    if (!bDrawn) // the splash stays up, blank, until it goes as usual
        prompter.Ask(QStringLiteral("Cannot Load Bitmap"), Prompter::Buttons::Ok,
                     Prompter::Icon::Information);
    return true;
}

bool CSplashWnd::FilterSplashMessage(QEvent* event) {
    if (!m_pSplashWnd)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claim the key, so that no shortcut runs; its key press then hides the splash.
        event->accept();
        return true;
    case QEvent::KeyPress:
        m_pSplashWnd->HideSplash();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick: {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton)
            return false;
        m_pSplashWnd->HideSplash();
        return true;
    }
    default:
        return false;
    }
}

void CSplashWnd::HideSplash() {
    qApp->removeEventFilter(this);
    m_timer.stop();
    if (m_pSplashWnd == this)
        m_pSplashWnd = nullptr;
    hide();
    deleteLater();
    // Leave no trace of the picture on the window below.
    if (m_owner && m_owner->isVisible())
        m_owner->repaint();
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    if (m_pSplashWnd == this && FilterSplashMessage(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}
