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

namespace {
// A press and release no further apart than this is a click, not a caliper.
constexpr int kClickSlop = 3;
// The caliper's end ticks reach this far above and below its ends; its label stands this far
// off its end.
constexpr int kCaliperTick = 4;
constexpr int kCaliperLabelGap = 6;
constexpr int kCaliperLabelPad = 2;
} // namespace

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
    ClearCaliper();
    update();
}

void CZM540View::RebuildBackground() {
    m_colours = GetSchemeColours(m_settings.schemes, m_settings.Scheme);
    m_nClientWidth = width();
    m_nClientHeight = height();
    m_grid = LayoutNow();

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

GridLayout CZM540View::LayoutNow() const {
    GridLayout g = LayoutGrid(width(), height());
    g.scale = ChartScaleOf(m_settings.Speed, m_settings.Gain);
    return g;
}

void CZM540View::OnSessionStateChanged() {
    // A session draws over the whole grid: no caliper stays on it.
    if (IsAcquiring()) {
        setFocus();
        ClearCaliper();
    }
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
    // The grid moves and changes scale under the caliper's ends.
    ClearCaliper();
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
    if (m_caliper && !IsAcquiring()) {
        QPainter painter(this);
        PaintCaliper(painter);
    }
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
    else if (event->key() == Qt::Key_Escape && (m_caliper || m_caliperPress))
        ClearCaliper(); // the event stays accepted
    else
        QWidget::keyPressEvent(event);
}

void CZM540View::mousePressEvent(QMouseEvent* event) {
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && OnStopInput())
        event->accept();
    else if (event->button() == Qt::LeftButton)
        BeginCaliper(event->position().toPoint()); // the event stays accepted
    else
        QWidget::mousePressEvent(event);
}

void CZM540View::BeginCaliper(QPoint at) {
    // No session runs: a press on the traces may start a caliper or be a click that clears one;
    // one outside them clears it.
    if (!LocateTracePoint(LayoutNow(), ViewTwelveLead(), m_doc.m_nSamples, at.x(), at.y())) {
        ClearCaliper();
        return;
    }
    m_caliperPress = at;
    m_bCaliperDragged = false;
}

void CZM540View::ClearCaliper() {
    m_caliperPress.reset();
    SetCaliper(std::nullopt);
}

void CZM540View::mouseMoveEvent(QMouseEvent* event) {
    if (!m_caliperPress || IsAcquiring()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (!m_bCaliperDragged && (pos - *m_caliperPress).manhattanLength() <= kClickSlop)
        return;
    m_bCaliperDragged = true;
    SetCaliper(QLine(*m_caliperPress, pos));
}

void CZM540View::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_caliperPress) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QPoint start = *m_caliperPress;
    const QPoint pos = event->position().toPoint();
    m_caliperPress.reset();
    // A click clears the caliper; a drag leaves one from its press to its release.
    if (!m_bCaliperDragged && (pos - start).manhattanLength() <= kClickSlop)
        SetCaliper(std::nullopt);
    else
        SetCaliper(QLine(start, pos));
    event->accept();
}

bool CZM540View::event(QEvent* event) {
    // Esc clears a caliper before it reaches a shortcut (in place, it ends editing).
    if (event->type() == QEvent::ShortcutOverride && !IsAcquiring() &&
        (m_caliper || m_caliperPress)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

std::optional<CaliperReading> CZM540View::CurrentCaliper() const {
    if (!m_caliper)
        return std::nullopt;
    // The layout the next paint takes, even before a paint has followed a resize.
    return MeasureCaliper(LayoutNow(), m_caliper->x1(), m_caliper->y1(), m_caliper->x2(),
                          m_caliper->y2());
}

void CZM540View::SetCaliper(std::optional<QLine> line) {
    if (line == m_caliper)
        return;
    // Only the old and the new overlay are painted again.
    const QRect old = CaliperRect();
    m_caliper = line;
    update(QRegion(old) + QRegion(CaliperRect()));
    emit caliperChanged();
}

QRect CZM540View::CaliperLabelRect(const QLine& line, const QString& label) const {
    // Above and right of the end, or where that leaves the view, left of or below it.
    const QFontMetrics metrics(font());
    QRect r(0, 0, metrics.horizontalAdvance(label) + 2 * kCaliperLabelPad,
            metrics.height() + 2 * kCaliperLabelPad);
    const QPoint end = line.p2();
    r.moveBottomLeft(end + QPoint(kCaliperLabelGap, -kCaliperLabelGap));
    if (r.right() >= width())
        r.moveRight(end.x() - kCaliperLabelGap);
    if (r.top() < 0)
        r.moveTop(end.y() + kCaliperLabelGap);
    if (r.left() < 0)
        r.moveLeft(0);
    if (r.bottom() >= height())
        r.moveBottom(height() - 1);
    return r;
}

QRect CZM540View::CaliperRect() const {
    if (!m_caliper)
        return QRect();
    QRect r = QRect(m_caliper->p1(), m_caliper->p2())
                  .normalized()
                  .adjusted(-1, -kCaliperTick - 1, 1, kCaliperTick + 1);
    if (const std::optional<CaliperReading> reading = CurrentCaliper())
        r |= CaliperLabelRect(*m_caliper, CaliperLabel(*reading));
    return r;
}

void CZM540View::PaintCaliper(QPainter& painter) const {
    const QColor colour = ToQColor(CaliperColour(m_colours));
    const QLine line = *m_caliper;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 0));
    painter.drawLine(line);
    for (const QPoint end : {line.p1(), line.p2()})
        painter.drawLine(end.x(), end.y() - kCaliperTick, end.x(), end.y() + kCaliperTick);
    const std::optional<CaliperReading> reading = CurrentCaliper();
    if (!reading)
        return;
    const QString label = CaliperLabel(*reading);
    const QRect r = CaliperLabelRect(line, label);
    painter.fillRect(r, ToQColor(m_colours.crBackground));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.setFont(font());
    painter.drawText(r, Qt::AlignCenter, label);
}
