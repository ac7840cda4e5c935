#pragma once

#include "MSComm.h"
#include "StreamDecoder.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>

class CZM540Doc;
struct ProfileSettings;

// What a session asks of the main window: the filter chooser (set without notifying the
// document), the status text and the window's stacking.
class FrameControls {
  public:
    virtual ~FrameControls() = default;
    virtual int GetFilterIndex() const = 0;
    virtual void SetFilterIndex(int nIndex) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SetTopMost(bool bTopMost) = 0;
};

// A recording or monitoring session with the recorder: the start (port, question, link check,
// start command, stream speed), each receive event decoded into the document's rings, and the
// stop, which hands the kept span to the document. The view owns one and draws from its state.
class CRecordingSession : public QObject {
    Q_OBJECT
  public:
    // Ports reach the lines of `lines`; the link check's dialog opens over `pDialogParent`.
    CRecordingSession(CZM540Doc& doc, const ProfileSettings& settings, LineFactory lines,
                      QWidget* pDialogParent);
    ~CRecordingSession() override;

    void SetFrameControls(FrameControls* pFrame) { m_pFrame = pFrame; }

    // Record: starts a session when none runs and stops it, keeping the samples, otherwise.
    void OnRecord();
    // The window is going away: a running session is stopped and nothing is kept.
    void OnDestroy();
    void OnCommEvent();

    // The port number a session uses: the settings' choice, unless this run names another.
    int SessionPort() const;
    // This run records from port `nPort` whatever the settings say; `strWhat` says what it is.
    void SetSessionPortOverride(int nPort, const QString& strWhat = QString()) {
        m_nSessionPortOverride = nPort;
        m_strSessionPortWhat = strWhat;
    }
    int SessionPortOverride() const { return m_nSessionPortOverride; }
    const QString& SessionPortWhat() const { return m_strSessionPortWhat; }

    bool IsAcquiring() const { return m_bAcquiring != 0; }
    bool IsPortOpen() const { return m_comm.GetPortOpen(); }
    // Where the rings are and how far they are filled, for the painters.
    const AcquisitionState& State() const { return m_state; }

    // What the view tells the session.
    // The view took the document's mode.
    void TakeDocumentMode();
    // The window's layout changed: a monitoring page is drawn again from its start.
    void RedrawWholePage();
    // The page was wiped for a fresh sweep; the sweep started again from the page's start.
    void PageWiped() { m_state.m_bRedrawAll = 0; }
    void SweepRestarted() { m_state.m_bSweepRestart = 0; }
    // While a painter draws from the rings, no repaint is requested.
    class Painting {
      public:
        explicit Painting(CRecordingSession& s) : m_s(s) { m_s.m_state.m_bPainting = 1; }
        ~Painting() { m_s.m_state.m_bPainting = 0; }
        Painting(const Painting&) = delete;
        Painting& operator=(const Painting&) = delete;

      private:
        CRecordingSession& m_s;
    };

  signals:
    // A session started or stopped: command states change, and the view is drawn again.
    void stateChanged();
    // A receive event brought samples: the live traces are to be repainted.
    void samplesArrived();

  private:
    // Decodes the bytes waiting on the line; false when there were none.
    bool DecodeWaiting();
    void StartSession();
    void StopSession(bool bKeep);
    void OnLineFailed(const QString& message);
    bool OpenStreamPort(const char* settings, short threshold);
    void AbortStart();
    void RestoreFilterChooser();

    CZM540Doc& m_doc;
    const ProfileSettings& m_settings;
    LineFactory m_lines;
    QPointer<QWidget> m_pDialogParent;
    FrameControls* m_pFrame = nullptr;
    CMSComm m_comm;
    AcquisitionState m_state;
    std::int32_t m_bAcquiring = 0;
    std::int32_t m_nSavedFilterSel = -1;
    int m_nSessionPortOverride = 0;
    QString m_strSessionPortWhat;
};
