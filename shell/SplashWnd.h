#pragma once

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>

class Prompter;
class QPainter;

// Draws the picture `resource` (an SVG) into `target`. False, drawing nothing, when the
// picture cannot be loaded.
bool DrawResourcePicture(QPainter& painter, const QString& resource, const QRectF& target);

// The borderless start-up picture over the main window. It goes after two seconds, or at the
// first key or mouse button pressed anywhere in the program, and that press goes no further.
class CSplashWnd : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 446;
    static constexpr int kHeight = 335;
    static constexpr int kShowMs = 2000;

    ~CSplashWnd() override;

    // Shows the splash over `parent` when splashes are allowed and none is up; true when one
    // is now showing because of this call.
    static bool ShowSplash(QWidget* parent, Prompter& prompter);
    // Takes an event before anything else sees it: true when the splash took it (and went).
    static bool FilterSplashMessage(QEvent* event);
    void HideSplash();

    static inline CSplashWnd* m_pSplashWnd = nullptr;
    static inline std::int32_t m_bSplashAllowed = 0;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit CSplashWnd(QWidget* parent);

    QPointer<QWidget> m_owner;
    QPixmap m_picture;
    QTimer m_timer;
};
