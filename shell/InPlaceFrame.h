#pragma once

#include "Commands.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

#include <span>

class CZM540Doc;
class CZM540View;
class QAction;
class QMainWindow;
class QMenu;
class QSizeGrip;
struct ProfileSettings;

// The window another program's window holds while the recording is edited in place: the view
// (no recorder in place), a resize grip at the bottom-right corner, the in-place commands with
// their keys and menus, and the bars it puts into the other program's frame window.
class CInPlaceFrame : public QWidget {
    Q_OBJECT
  public:
    CInPlaceFrame(CZM540Doc& doc, ProfileSettings& settings, QWidget* parent = nullptr);
    ~CInPlaceFrame() override;

    CZM540View* GetView() const { return m_pView; }
    QSizeGrip* ResizeGrip() const { return m_pGrip; }
    // The action of an in-place command, or null.
    QAction* Action(int id) const { return m_actions.value(id); }
    // The in-place menus in menu-bar order; a null entry is a group where the other program's
    // own menus go.
    const QList<QMenu*>& Menus() const { return m_menus; }

    // Builds the toolbar of `toolbar`'s commands and the bar of bands holding it in the top
    // area of the other program's frame window. False, with nothing left there, when there is
    // no frame window or the layout names a command the table does not have.
    bool OnCreateControlBars(QMainWindow* pContainerFrame,
                             std::span<const int> toolbar = ToolBarLayoutOf(FrameMode::InPlace));
    // Takes the bars out of the other program's frame window again.
    void RemoveControlBars();
    // The toolbar and the bar of bands while they are in place, otherwise null.
    QToolBar* ToolBar() const { return m_pToolBar; }
    QToolBar* ReBar() const { return m_pReBar; }

  signals:
    // Editing in place is over (Esc); the other program takes its window back.
    void inPlaceEnded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void OnAppAbout();

    CZM540View* m_pView = nullptr;
    QSizeGrip* m_pGrip = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QMenu*> m_menus;
    QPointer<QToolBar> m_pToolBar;
    QPointer<QToolBar> m_pReBar;
};
