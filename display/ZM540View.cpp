#include "ZM540View.h"

#include "EcgBackground.h"
#include "LivePainting.h"
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
    m_pMonitorRing = doc.m_monitorRing.data();
    for (std::size_t k = 0; k < m_pLeadRing.size(); ++k)
        m_pLeadRing[k] = doc.m_leadRing[k].data();
    m_bViewTwelveLead = doc.m_bTwelveLead;
    connect(&m_comm, &CMSComm::OnComm, this, &CZM540View::OnCommEvent);
    connect(&m_comm, &CMSComm::lineFailed, this, &CZM540View::OnLineFailed);
}

CZM540View::~CZM540View() {
    OnDestroy();
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
        m_background = QImage(pixels, QImage::Format_RGB32);
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
    m_ink.bVoid = true; // the window shows the old picture
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
    if (m_bAcquiring) {
        // A monitoring session redraws its whole page in the new layout.
        m_bRedrawAll = 1;
        m_bSweepRestart = 1;
    }
    QWidget::resizeEvent(event);
}

void CZM540View::paintEvent(QPaintEvent* event) {
    if (m_bBackgroundStale || m_nClientWidth != width() || m_nClientHeight != height())
        RebuildBackground();

    if (m_bAcquiring && !m_bViewTwelveLead) {
        // The sweep draws over what the window already shows; the page move wipes it.
        if (m_bRedrawAll || m_window.size() != m_background.size()) {
            m_window = m_background.copy();
            m_bRedrawAll = 0;
        }
        {
            QPainter painter(&m_window);
            QPainterCanvas dc(painter);
            PaintMonitorLive(dc, *this, m_grid, m_colours);
        }
        QPainter window(this);
        window.setCompositionMode(QPainter::CompositionMode_Source);
        window.drawImage(0, 0, m_window);
        m_ink.bVoid = true;
        return;
    }

    // Everything else is drawn on the background in the window's own back buffer, which is
    // shown in one piece when the paint ends, so nothing flickers and the background picture
    // itself stays as built. Between two receive events of a 12-lead session nothing else
    // draws on the grid, so for a repaint of the grid alone it is enough to put the background
    // back where the last paint drew traces.
    QPainter painter(this);
    const QRegion traces(TraceRect());
    const bool bTracesOnly = m_bAcquiring && event->region() == traces;
    QPainterCanvas::ShowBackground(painter, m_background, bTracesOnly ? &m_ink : nullptr);
    QPainterCanvas dc(painter);
    if (m_bAcquiring) {
        dc.KeepInk(m_ink);
        PaintTwelveLeadLive(dc, *this, m_grid, m_colours, m_doc.m_nRhythmLead);
        // Traces cut off by a paint of part of the grid would be left out of the log and stay
        // on the window for good.
        if (!(traces - event->region()).isEmpty())
            m_ink.bVoid = true;
    } else {
        m_ink.bVoid = true;
        OnDraw(dc);
    }
}
