#include "ZM540View.h"

#include "EcgBackground.h"
#include "ProfileSettings.h"
#include "QPainterCanvas.h"
#include "RecordDrawing.h"
#include "SystemColours.h"
#include "ZM540Doc.h"

#include <QPaintEvent>
#include <QPainter>

CZM540View::CZM540View(CZM540Doc& doc, ProfileSettings& settings, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_settings(settings) {
    // Every paint covers the whole view from the background picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
}

void CZM540View::OnUpdate() {
    emit choosersNeedUpdate(m_doc.m_dCutoff, m_doc.m_nRhythmLead);
    m_bViewTwelveLead = m_doc.m_bTwelveLead;
    m_bBackgroundStale = true;
    update();
}

void CZM540View::RebuildBackground() {
    m_colours = GetSchemeColours(m_settings.schemes, m_settings.Scheme);
    m_nClientWidth = width();
    m_nClientHeight = height();
    m_grid = LayoutGrid(m_nClientWidth, m_nClientHeight);

    // The picture is kept between rebuilds of the same size: only its pixels are redrawn.
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = QSize(m_nClientWidth, m_nClientHeight) * dpr;
    if (m_background.size() != pixels)
        m_background = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_background.setDevicePixelRatio(dpr);
    m_background.fill(ToQColor(m_colours.crBackground));

    BackgroundStyle style;
    style.colours = m_colours;
    style.labelFont = font();
    style.markHeight = qRound(24.0 * logicalDpiY() / 72.0); // a 24-point cell
    QPainter painter(&m_background);
    QPainterCanvas dc(painter);
    dc.SetBkColour(m_colours.crBackground);
    if (m_bViewTwelveLead)
        DrawTwelveLeadBackground(dc, m_grid, style, m_doc.m_nRhythmLead);
    else
        DrawMonitorBackground(dc, m_grid, style, m_doc.m_nRhythmLead);
    m_bBackgroundStale = false;
}

void CZM540View::OnDraw(Canvas& dc) {
    if (m_bViewTwelveLead)
        DrawTwelveLeadRecord(dc);
    else
        DrawMonitorRecord(dc);
}

void CZM540View::DrawTwelveLeadRecord(Canvas& dc) {
    m_bPainting = 1;
    ::DrawTwelveLeadRecord(dc, m_grid, m_colours, m_doc);
    m_bPainting = 0;
}

void CZM540View::DrawMonitorRecord(Canvas& dc) {
    ::DrawMonitorRecord(dc, m_grid, m_colours, m_doc);
}

void CZM540View::resizeEvent(QResizeEvent* event) {
    m_bBackgroundStale = true;
    QWidget::resizeEvent(event);
}

void CZM540View::paintEvent(QPaintEvent*) {
    if (m_bBackgroundStale || m_nClientWidth != width() || m_nClientHeight != height())
        RebuildBackground();
    // Draw on a copy so that the background itself stays as built.
    if (m_frame.size() != m_background.size())
        m_frame = QImage(m_background.size(), m_background.format());
    m_frame.setDevicePixelRatio(m_background.devicePixelRatio());
    {
        QPainter painter(&m_frame);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_background);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        QPainterCanvas dc(painter);
        OnDraw(dc);
    }
    QPainter window(this);
    window.drawImage(0, 0, m_frame);
}
