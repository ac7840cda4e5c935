#pragma once

#include <QAbstractItemView>
#include <QComboBox>

// A drop-down list that reports when its open list closes, whether or not the selection
// changed. Qt also asks the popup to hide when the box is disabled or hidden; with no list
// showing that is not a close-up. Qt closes the list before it takes the chosen entry, so the
// report waits for the current event to finish and then sees the new selection.
class CChooserBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;

    void hidePopup() override {
        const bool bWasOpen = view()->isVisible();
        QComboBox::hidePopup();
        if (bWasOpen)
            QMetaObject::invokeMethod(this, &CChooserBox::closedUp, Qt::QueuedConnection);
    }

  signals:
    void closedUp();
};
