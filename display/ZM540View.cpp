#include "ZM540View.h"

#include "EcgBackground.h"
#include "LivePainting.h"
#include "ProfileSettings.h"
#include "QPainterCanvas.h"
#include "RecordDrawing.h"
#include "SystemColours.h"
#include "ZM540Doc.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

CZM540View::CZM540View(CZM540Doc& doc, ProfileSettings& settings, LineFactory lines,
                       QWidget* parent)
    : QWidget(parent), m_doc(doc), m_settings(settings),
      m_session(doc, settings, std::move(lines), this) {
    // Every paint covers the whole view from the background picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
    connect(&m_session, &CRecordingSession::stateChanged, this, &CZM540View::OnSessionStateChanged);
    connect(&m_session, &CRecordingSession::samplesArrived, this, &CZM540View::OnSamplesArrived);
}

CZM540View::~CZM540View() {
    OnDestroy();
}

void CZM540View::OnUpdate() {
    emit choosersNeedUpdate(m_doc.m_dCutoff, m_doc.m_nRhythmLead);
    m_session.TakeDocumentMode();
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
    if (ViewTwelveLead())
        DrawTwelveLeadBackground(dc, m_grid, style, m_doc.m_nRhythmLead);
    else
        DrawMonitorBackground(dc, m_grid, style, m_doc.m_nRhythmLead);
    m_bBackgroundStale = false;
}

void CZM540View::OnDraw(Canvas& dc) {
    if (ViewTwelveLead())
        DrawTwelveLeadRecord(dc);
    else
        DrawMonitorRecord(dc);
}

void CZM540View::DrawTwelveLeadRecord(Canvas& dc) {
    const CRecordingSession::Painting painting(m_session);
    ::DrawTwelveLeadRecord(dc, m_grid, m_colours, m_doc);
}

void CZM540View::DrawMonitorRecord(Canvas& dc) {
    ::DrawMonitorRecord(dc, m_grid, m_colours, m_doc);
}

void CZM540View::OnSessionStateChanged() {
    if (IsAcquiring())
        setFocus();
    update();
}

void CZM540View::OnSamplesArrived() {
    if (ViewTwelveLead() && !m_bBackgroundStale)
        update(TraceRect());
    else
        update();
}

void CZM540View::resizeEvent(QResizeEvent* event) {
    m_bBackgroundStale = true;
    // A monitoring session redraws its whole page in the new layout.
    m_session.RedrawWholePage();
    QWidget::resizeEvent(event);
}

void CZM540View::paintEvent(QPaintEvent* event) {
    if (m_bBackgroundStale || m_nClientWidth != width() || m_nClientHeight != height())
        RebuildBackground();
    const bool bLiveTwelveLead = IsAcquiring() && ViewTwelveLead();
    if (IsAcquiring() && !ViewTwelveLead())
        PaintMonitorSweep();
    else
        PaintOnBackground(event->region());
    // The record of the last traces says what the window shows only after a live 12-lead paint
    // of the whole grid: traces cut off by a paint of part of it would stay on the window.
    if (!bLiveTwelveLead || !(QRegion(TraceRect()) - event->region()).isEmpty())
        m_lastTraces.Void();
}

void CZM540View::PaintMonitorSweep() {
    // The sweep draws over what the window already shows; the page move wipes it.
    // The window image is made once per size and then overwritten in place: a fresh copy at
    // every page move would leave the heap a full window's pixels larger now and then.
    const bool bNewWindow =
        m_window.size() != m_background.size() || m_window.format() != m_background.format();
    if (bNewWindow) {
        m_window = QImage(m_background.size(), m_background.format());
        m_window.setDevicePixelRatio(m_background.devicePixelRatio());
    }
    if (bNewWindow || m_session.State().m_bRedrawAll) {
        QPainter wipe(&m_window);
        wipe.setCompositionMode(QPainter::CompositionMode_Source);
        wipe.drawImage(0, 0, m_background);
        m_session.PageWiped();
    }
    {
        QPainter painter(&m_window);
        QPainterCanvas dc(painter);
        const CRecordingSession::Painting painting(m_session);
        if (PaintMonitorLive(dc, m_session.State(), m_grid, m_colours))
            m_session.SweepRestarted();
    }
    QPainter window(this);
    window.setCompositionMode(QPainter::CompositionMode_Source);
    window.drawImage(0, 0, m_window);
}

void CZM540View::PaintOnBackground(const QRegion& region) {
    // Everything here is drawn on the background in the window's own back buffer, which is
    // shown in one piece when the paint ends, so nothing flickers and the background picture
    // itself stays as built. Between two receive events of a 12-lead session nothing else
    // draws on the grid, so for a repaint of the grid alone it is enough to put the background
    // back where the last paint drew traces.
    QPainter painter(this);
    const bool bLive = IsAcquiring();
    m_lastTraces.ShowBackground(painter, m_background, bLive && region == QRegion(TraceRect()));
    QPainterCanvas dc(painter);
    if (bLive) {
        FootprintCanvas traced(dc, painter, m_background, m_lastTraces);
        const CRecordingSession::Painting painting(m_session);
        PaintTwelveLeadLive(traced, m_session.State(), m_grid, m_colours, m_doc.m_nRhythmLead);
    } else {
        OnDraw(dc);
    }
}

bool CZM540View::OnStopInput() {
    if (!IsAcquiring())
        return false;
    OnRecord();
    return true;
}

void CZM540View::keyPressEvent(QKeyEvent* event) {
    // A modifier pressed alone is the start of a shortcut, and an Alt combination opens a
    // menu: neither stops a session.
    switch (event->key()) {
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        QWidget::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (event->modifiers() & Qt::AltModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (OnStopInput())
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void CZM540View::mousePressEvent(QMouseEvent* event) {
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && OnStopInput())
        event->accept();
    else
        QWidget::mousePressEvent(event);
}
