#pragma once

#include "SchemeColours.h"

#include <QFrame>

class Prompter;

// A sunken box showing one colour: hatched while disabled, and, unless it is read-only, a
// double click offers the colour chooser starting from the colour shown.
class CColourSwatch : public QFrame {
    Q_OBJECT
  public:
    explicit CColourSwatch(Prompter& prompter, QWidget* parent = nullptr);

    ColourRef Colour() const { return m_crColour; }
    void SetColour(ColourRef colour);
    bool IsReadOnly() const { return m_bReadOnly != 0; }
    void SetReadOnly(bool bReadOnly) { m_bReadOnly = bReadOnly ? 1 : 0; }

    // What a double click does.
    void OnLButtonDblClk();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    Prompter& m_prompter;
    ColourRef m_crColour = 0;
    std::int32_t m_bReadOnly = 0;
};
