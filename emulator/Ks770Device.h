#pragma once

#include "SyntheticEcg.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <functional>
#include <utility>
#include <vector>

// Behaviour of the emulated unit: the ECG it sends and the faults it shows.
struct Ks770Options {
    EcgOptions ecg;
    // Faults, all off by default.
    bool bNoAnswer = false;                    // ESC V gets no answer
    QByteArray versionText = "KS770Vet V2.35"; // the identifier sent for ESC V
    bool bTrailingCr = false;                  // a carriage return after the identifier
    int nDropEvery = 0;                        // > 0: every Nth stream byte is lost
    bool bWrongSync = false;                   // 12-lead frames start with 0xFE, not 0xFF
    double dDisconnectAfterSeconds = 0.0;      // > 0: the line goes after this much streaming
};

// What the unit did, for logs and for tests that compare a recording with what was sent.
struct Ks770Event {
    enum class Kind { StartTwelveLead, StartMonitor, Stop, Sample };
    Kind kind = Kind::Sample;
    qint64 nTimeUs = 0; // device time of the event
    int nLead = -1;     // StartMonitor and monitoring samples: the lead, 0 I .. 5 aVF
    // Sample: the values sent, in stored units (the byte minus 126, within -126..127): I, II,
    // V1..V6 in 12-lead mode (nCount 8), the monitored lead in monitoring mode (nCount 1).
    int nCount = 0;
    std::array<int, 8> values{};
};

// The KS770Vet recorder unit as plain code driven by time.
//
// The host tells the device its port speed (SetLineSpeed), writes commands (Receive) and lets
// time pass (Advance), which returns the bytes the unit sent meanwhile. Idle, the unit listens
// at 19200 baud; ESC A starts the 12-lead stream at 115200, ESC a..f the monitoring of one limb
// lead at 19200, and ESC ESC stops either and returns to 19200.
//
// Speeds: the two ends understand each other only when the host's speed equals the unit's.
// When they differ, the host's bytes are lost (and a half-received command with them), and the
// unit's bytes never reach the host: a receiver at the wrong speed sees only framing errors,
// which this model drops. Whether a byte gets through is decided by the host's speed at the
// moment the byte is received or sent.
class Ks770Device {
  public:
    static constexpr int kIdleBaud = 19200;
    static constexpr int kTwelveLeadBaud = 115200;
    static constexpr int kMonitorBaud = 19200;
    static constexpr int kFrameSize = 9;
    static constexpr int kFrameChannels = 8;
    static constexpr int kByteOffset = 126; // a data byte is the sample plus 126
    static constexpr char kSync = char(0xFF);
    static constexpr char kWrongSync = char(0xFE);
    // How long the unit takes to answer ESC V.
    static constexpr qint64 kAnswerDelayUs = 5000;

    enum class State { Idle, TwelveLead, Monitor };

    explicit Ks770Device(const Ks770Options& options = {});

    // The speed of the host's port, in baud; 0 for a closed port, which hears nothing.
    void SetLineSpeed(int baud) { m_nHostBaud = baud; }
    int LineSpeed() const { return m_nHostBaud; }
    // The speed the unit talks and listens at now.
    int DeviceSpeed() const;

    // Bytes written by the host at the current line speed. Commands may be split across calls.
    void Receive(const QByteArray& fromHost);

    // Lets `microseconds` of device time pass and returns what the unit sent meanwhile. The
    // stream runs at exactly 300 sample instants per second of device time, counted from the
    // start command, so any split of the same time gives the same bytes.
    QByteArray Advance(qint64 microseconds);

    State GetState() const { return m_state; }
    int MonitoredLead() const { return m_nLead; }
    qint64 Now() const { return m_nNowUs; }
    // The line is gone (the disconnect fault): nothing is received or sent any more.
    bool Disconnected() const { return m_bDisconnected; }

    // Called for every start, stop and sample instant the unit sends. Samples are reported
    // when they go on the line, before any line fault (dropped bytes, a mismatched speed).
    void SetListener(std::function<void(const Ks770Event&)> listener) {
        m_listener = std::move(listener);
    }

  private:
    struct Reply {
        qint64 nDueUs;
        int nBaud;
        QByteArray bytes;
    };

    void Command(char c);
    void StartStream(State state, int nLead);
    void Emit(Ks770Event::Kind kind, int nLead = -1);
    void SendInstant(QByteArray* out);
    void Put(QByteArray* out, char byte, int nBaud, bool bStream);
    qint64 InstantTime(qint64 n) const;

    Ks770Options m_options;
    SyntheticEcg m_ecg;
    std::function<void(const Ks770Event&)> m_listener;

    State m_state = State::Idle;
    int m_nLead = -1;
    int m_nHostBaud = kIdleBaud;
    bool m_bEscape = false; // an ESC has arrived, the command letter has not
    bool m_bDisconnected = false;

    qint64 m_nNowUs = 0;
    qint64 m_nStreamStartUs = 0; // device time of the start command
    qint64 m_nInstantsSent = 0;  // instants of the running stream sent so far
    qint64 m_nStreamedUs = 0;    // streaming time of earlier sessions, for the disconnect
    qint64 m_nDisconnectUs = 0;  // 0: never
    qint64 m_nStreamBytes = 0;   // stream bytes put on the line, for the drop fault
    std::vector<Reply> m_replies;
};
