#include "RecordingSession.h"

#include "LinkCheckDlg.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "RecorderProtocol.h"
#include "SignalFilter.h"
#include "ZM540Doc.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

// Bytes awaited per receive event: 15 frames of the 12-lead stream, 15 monitoring samples.
constexpr short kTwelveLeadThreshold = 15 * kFrameSize;
constexpr short kMonitorThreshold = 15;

} // namespace

CRecordingSession::CRecordingSession(CZM540Doc& doc, const ProfileSettings& settings,
                                     LineFactory lines, QWidget* pDialogParent)
    : m_doc(doc), m_settings(settings), m_lines(std::move(lines)), m_pDialogParent(pDialogParent),
      m_comm(m_lines) {
    m_state.m_pMonitorRing = doc.m_monitorRing.data();
    for (std::size_t k = 0; k < m_state.m_pLeadRing.size(); ++k)
        m_state.m_pLeadRing[k] = doc.m_leadRing[k].data();
    m_state.m_bViewTwelveLead = doc.m_bTwelveLead;
    connect(&m_comm, &CMSComm::OnComm, this, &CRecordingSession::OnCommEvent);
    connect(&m_comm, &CMSComm::lineFailed, this, &CRecordingSession::OnLineFailed);
}

CRecordingSession::~CRecordingSession() {
    OnDestroy();
}

int CRecordingSession::SessionPort() const {
    if (m_nSessionPortOverride > 0)
        return m_nSessionPortOverride;
    return m_settings.COMS < 0 ? -1 : m_settings.COMS + 1;
}

void CRecordingSession::TakeDocumentMode() {
    m_state.m_bViewTwelveLead = m_doc.m_bTwelveLead;
}

void CRecordingSession::RedrawWholePage() {
    if (!m_bAcquiring)
        return;
    m_state.m_bRedrawAll = 1;
    m_state.m_bSweepRestart = 1;
}

void CRecordingSession::OnRecord() {
    if (m_bAcquiring)
        StopSession(true);
    else
        StartSession();
    emit stateChanged();
}

void CRecordingSession::StartSession() {
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
    m_state.m_bRealTimeFilter = m_doc.m_dCutoff > 0.0 && m_settings.RealTimeFilter != 0 &&
                                IsUsableCutoff(m_doc.m_dCutoff, kSampleRate);
    m_state.DesignRealTimeFilter(m_doc.m_dCutoff, kSampleRate);
    m_state.m_monitorFilter = m_state.m_leadIFilter = m_state.m_leadIIFilter =
        RealTimeFilterState{};

    CLinkCheckDlg check(m_lines, m_pDialogParent);
    check.m_nPort = port;
    check.m_strPort = QString::number(port);
    if (check.exec() == QDialog::Accepted) {
        m_state.m_bViewTwelveLead = m_doc.m_bTwelveLead;
        WaitWithoutInput(150);
        if (!m_state.m_bRealTimeFilter && m_pFrame) {
            m_nSavedFilterSel = m_pFrame->GetFilterIndex();
            m_pFrame->SetFilterIndex(0);
        }
        m_state.ResetSession();
        m_comm.SetCommPort(short(port));
        m_comm.SetInputMode(0);
        bool bStarted;
        if (m_state.m_bViewTwelveLead) {
            // The unit hears the start at the idle speed, then streams at the fast one.
            bStarted = OpenStreamPort(kIdleSettings, kTwelveLeadThreshold) &&
                       m_comm.SetOutput(kStartTwelveLeadCommand);
            m_comm.SetPortOpen(false);
            bStarted = bStarted && OpenStreamPort(kTwelveLeadSettings, kTwelveLeadThreshold);
        } else {
            bStarted = OpenStreamPort(kIdleSettings, kMonitorThreshold) &&
                       m_comm.SetOutput(StartMonitorCommand(SafeLimbLead(m_doc.m_nRhythmLead)));
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
        m_state.m_bRedrawAll = 1;
        m_state.m_bSweepRestart = 0;
    }
}

bool CRecordingSession::OpenStreamPort(const char* settings, short threshold) {
    m_comm.SetSettings(QString::fromLatin1(settings));
    m_comm.SetRThreshold(threshold);
    return m_comm.SetPortOpen(true);
}

void CRecordingSession::RestoreFilterChooser() {
    if (!m_state.m_bRealTimeFilter && m_pFrame)
        m_pFrame->SetFilterIndex(m_nSavedFilterSel);
}

void CRecordingSession::AbortStart() {
    // The port refused part of the start: leave nothing open and the chooser as it was.
    const QString reason = m_comm.LastError();
    m_comm.SetPortOpen(false);
    RestoreFilterChooser();
    m_doc.GetPrompter().Tell(
        QStringLiteral("The recording could not be started: the communication port failed (%1).")
            .arg(reason));
}

void CRecordingSession::StopSession(bool bKeep) {
    WaitWithoutInput(10);
    if (m_pFrame)
        m_pFrame->SetTopMost(false);
    if (m_comm.GetPortOpen()) {
        m_comm.SetOutput(kStopCommand);
        // What arrived short of the receive threshold ends the recording: it is decoded too,
        // not dropped with the port.
        if (bKeep)
            DecodeWaiting();
        m_comm.SetPortOpen(false);
    }
    if (bKeep) {
        m_doc.CaptureRecord(m_state.m_nTail, m_state.m_nHead);
        m_doc.m_header.tRecorded = std::int32_t(std::time(nullptr));
        m_doc.SetModifiedFlag(true);
    }
    RestoreFilterChooser();
    if (m_pFrame)
        m_pFrame->SetStatusText(QStringLiteral("Ready"));
    m_bAcquiring = m_comm.GetPortOpen() ? 1 : 0;
}

void CRecordingSession::OnLineFailed(const QString& message) {
    if (!m_bAcquiring)
        return;
    // Keep what arrived before the line went, as a stop would.
    StopSession(true);
    emit stateChanged();
    m_doc.GetPrompter().Tell(
        QStringLiteral("The connection to the recorder was lost (%1).\nThe samples received until "
                       "then have been kept as the recording.")
            .arg(message),
        Prompter::Icon::Warning);
}

void CRecordingSession::OnDestroy() {
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

void CRecordingSession::OnCommEvent() {
    if (m_comm.GetCommEvent() != CMSComm::kEventReceive || m_comm.GetInBufferCount() == 0)
        return;
    if (DecodeWaiting() && !m_state.m_bPainting)
        emit samplesArrived();
}

bool CRecordingSession::DecodeWaiting() {
    // Every byte that waits is decoded, including any that arrived after the count was read.
    const QByteArray bytes = m_comm.GetInput();
    Decode(m_state, reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()));
    return !bytes.isEmpty();
}
