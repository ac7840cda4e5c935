#include "ColourSwatch.h"

#include "Prompter.h"
#include "SystemColours.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

CColourSwatch::CColourSwatch(Prompter& prompter, QWidget* parent)
    : QFrame(parent), m_prompter(prompter) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(40, 18);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CColourSwatch::SetColour(ColourRef colour) {
    m_crColour = colour;
    update();
}

void CColourSwatch::OnLButtonDblClk() {
    ColourRef chosen = 0;
    if (m_bReadOnly || !m_prompter.AskColour(m_crColour, &chosen))
        return;
    SetColour(chosen);
}

void CColourSwatch::paintEvent(QPaintEvent* event) {
    {
        QPainter p(this);
        const QRect inside = contentsRect();
        if (isEnabled()) {
            p.fillRect(inside, ToQColor(m_crColour));
        } else {
            p.fillRect(inside, palette().window());
            p.fillRect(inside, QBrush(QColor(192, 192, 192), Qt::DiagCrossPattern));
        }
    }
    QFrame::paintEvent(event);
}

void CColourSwatch::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDblClk();
}

void CColourSwatch::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        update();
}
