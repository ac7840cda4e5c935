// The view's recording and monitoring sessions: starting and stopping the recorder's stream,
// and handing each receive event to the decoder.
#include "ZM540View.h"

#include "LinkCheckDlg.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "SignalFilter.h"
#include "ZM540Doc.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <chrono>
#include <ctime>
#include <thread>

namespace {

const QByteArray kStopCommand("\x1B\x1B", 2);
const QString kSlowSettings = QStringLiteral("19200,N,8,1");
const QString kFastSettings = QStringLiteral("115200,N,8,1");

} // namespace

int CZM540View::SessionPort() const {
    if (m_nSessionPortOverride > 0)
        return m_nSessionPortOverride;
    return m_settings.COMS < 0 ? -1 : m_settings.COMS + 1;
}

void CZM540View::OnRecord() {
    if (m_bAcquiring)
        StopSession(true);
    else
        StartSession();
    emit sessionStateChanged();
}

void CZM540View::StartSession() {
    Prompter& prompter = m_doc.GetPrompter();
    const int port = SessionPort();
    if (port < 1) {
        prompter.Ask(QStringLiteral("You have not set up the communication port for ZM540"),
                     Prompter::Buttons::Ok, Prompter::Icon::None);
        return;
    }
    if (m_doc.IsModified() &&
        prompter.Ask(QStringLiteral("Discard current data?"), Prompter::Buttons::YesNo,
                     Prompter::Icon::Question) != Prompter::Answer::Yes)
        return;
    m_doc.DeleteContents();

    // A cutoff the filter cannot use (from a damaged file, kept across clearing) never filters.
    m_bRealTimeFilter = m_doc.m_dCutoff > 0.0 && m_settings.RealTimeFilter != 0 &&
                        IsUsableCutoff(m_doc.m_dCutoff, 300.0);
    DesignRealTimeFilter(m_doc.m_dCutoff, 300.0);
    m_monitorFilter = m_leadIFilter = m_leadIIFilter = RealTimeFilterState{};

    CLinkCheckDlg check(this);
    check.m_nPort = port;
    check.m_strPort = QString::number(port);
    if (check.exec() == QDialog::Accepted) {
        m_bViewTwelveLead = m_doc.m_bTwelveLead;
        WaitWithoutInput(150);
        if (!m_bRealTimeFilter && m_pFrame) {
            m_nSavedFilterSel = m_pFrame->GetFilterIndex();
            m_pFrame->SetFilterIndex(0);
        }
        ResetSession();
        m_comm.SetCommPort(short(port));
        m_comm.SetInputMode(0);
        bool bStarted;
        if (m_bViewTwelveLead) {
            bStarted =
                OpenStreamPort(kSlowSettings, 135) && m_comm.SetOutput(QByteArray("\x1B\x41", 2));
            m_comm.SetPortOpen(false);
            bStarted = bStarted && OpenStreamPort(kFastSettings, 135);
        } else {
            const char lead = char(0x61 + SafeLimbLead(m_doc.m_nRhythmLead));
            bStarted =
                OpenStreamPort(kSlowSettings, 15) && m_comm.SetOutput(QByteArray("\x1B", 1) + lead);
        }
        if (!bStarted)
            AbortStart();
    } else {
        prompter.Ask(QStringLiteral("A KS770Vet V2.35 or later is not found on the communication "
                                    "port\nPlease make sure the unit is switched on"),
                     Prompter::Buttons::Ok, Prompter::Icon::Error,
                     QStringLiteral("KS770Vet not present"));
    }

    m_bAcquiring = m_comm.GetPortOpen() ? 1 : 0;
    if (m_bAcquiring) {
        if (m_pFrame) {
            m_pFrame->SetTopMost(true);
            m_pFrame->SetStatusText(
                QStringLiteral("Click any mouse button or press any key to stop"));
        }
        m_bRedrawAll = 1;
        m_bSweepRestart = 0;
        setFocus();
        update();
    }
}

bool CZM540View::OpenStreamPort(const QString& settings, short threshold) {
    m_comm.SetSettings(settings);
    m_comm.SetRThreshold(threshold);
    return m_comm.SetPortOpen(true);
}

void CZM540View::AbortStart() {
    // The port refused part of the start: leave nothing open and the chooser as it was.
    const QString reason = m_comm.LastError();
    m_comm.SetPortOpen(false);
    if (!m_bRealTimeFilter && m_pFrame)
        m_pFrame->SetFilterIndex(m_nSavedFilterSel);
    m_doc.GetPrompter().Tell(
        QStringLiteral("The recording could not be started: the communication port failed (%1).")
            .arg(reason));
}

void CZM540View::StopSession(bool bKeep) {
    WaitWithoutInput(10);
    if (m_pFrame)
        m_pFrame->SetTopMost(false);
    if (m_comm.GetPortOpen()) {
        m_comm.SetOutput(kStopCommand);
        m_comm.SetPortOpen(false);
    }
    if (bKeep) {
        m_doc.CaptureRecord(m_nTail, m_nHead);
        m_doc.m_header.tRecorded = std::int32_t(std::time(nullptr));
        m_doc.SetModifiedFlag(true);
    }
    if (!m_bRealTimeFilter && m_pFrame)
        m_pFrame->SetFilterIndex(m_nSavedFilterSel);
    if (m_pFrame)
        m_pFrame->SetStatusText(QStringLiteral("Ready"));
    m_bAcquiring = m_comm.GetPortOpen() ? 1 : 0;
    update();
}

void CZM540View::OnLineFailed(const QString& message) {
    if (!m_bAcquiring)
        return;
    // Keep what arrived before the line went, as a stop would.
    StopSession(true);
    emit sessionStateChanged();
    m_doc.GetPrompter().Tell(
        QStringLiteral("The connection to the recorder was lost (%1).\nThe samples received until "
                       "then have been kept as the recording.")
            .arg(message),
        Prompter::Icon::Warning);
}

void CZM540View::OnDestroy() {
    if (!m_bAcquiring)
        return;
    // Stop the recorder and keep nothing; the window is going away, so no event loop here.
    m_comm.SetOutput(kStopCommand);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    m_comm.SetOutput(kStopCommand);
    m_comm.SetPortOpen(false);
    m_bAcquiring = 0;
    if (m_pFrame)
        m_pFrame->SetTopMost(false);
}

void CZM540View::OnCommEvent() {
    if (m_comm.GetCommEvent() != CMSComm::kEventReceive || m_comm.GetInBufferCount() == 0)
        return;
    // Every byte that waits is decoded, including any that arrived after the count was read.
    const QByteArray bytes = m_comm.GetInput();
    Decode(*this, reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()));
    if (bytes.isEmpty() || m_bPainting)
        return;
    if (m_bViewTwelveLead && !m_bBackgroundStale)
        update(TraceRect());
    else
        update();
}

void CZM540View::keyPressEvent(QKeyEvent* event) {
    if (m_bAcquiring) {
        OnRecord();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CZM540View::mousePressEvent(QMouseEvent* event) {
    if (m_bAcquiring && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        OnRecord();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
