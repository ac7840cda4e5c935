#pragma once

// Long runs of recording sessions against the emulated unit, checked as they go.
//
// A ModeSoak is one document and its view, shown at a given size, whose port 1 is an emulated
// KS770Vet. The caller drives the unit's clock (no real waiting for the stream): each step lets
// some milliseconds of device time pass and looks at the line at once, so the session's own
// receive path (the line, the serial control, the session's decoder) takes the bytes, and the
// view paints them when events are processed. Every `sessionSeconds` of streaming the session is
// stopped, which captures the kept span into the document, and started again.
//
// What the unit reports sending is checked against what the program did with it, without a
// log of the run: byte and frame counters, and a rolling window of the last values sent, which
// each capture must equal.

#include "EmulatorBackend.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "RecordingConstants.h"
#include "ZM540Doc.h"
#include "ZM540View.h"

#include <QApplication>
#include <QEvent>
#include <QSize>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace soak {

struct Figures {
    qint64 nBytesSent = 0;      // stream bytes the unit put on the line
    qint64 nBytesUnheard = 0;   // of them, sent while no port listened at the unit's speed
    qint64 nBytesDecoded = 0;   // bytes the session took from its line into the decoder
    qint64 nBytesDiscarded = 0; // bytes still waiting when the session closed its line
    qint64 nFramesSent = 0;     // sample instants (12-lead frames, monitoring samples)
    qint64 nFramesUnheard = 0;
    qint64 nFramesDecoded = 0; // as the ring's head moved on
    qint64 nStreamedUs = 0;    // device time of the stopped sessions, start to stop
    qint64 nLooks = 0;
    qint64 nPaints = 0;
    int nSessions = 0;
    int nCaptures = 0;
    int nBadCaptures = 0;  // captures that differ from the unit's stream
    qint64 nBadValues = 0; // stored values that differ, over all captures
    int nBadBalances = 0;  // sessions whose decoded frames differ from the frames heard
    QStringList problems;  // the first few, for the report

    // Bytes that reached an open line at the unit's speed and were never decoded.
    qint64 LostBytes() const { return nBytesSent - nBytesUnheard - nBytesDecoded; }
    qint64 LostFrames() const { return nFramesSent - nFramesUnheard - nFramesDecoded; }
    bool Clean() const {
        return LostBytes() == 0 && LostFrames() == 0 && nBadCaptures == 0 && nBadBalances == 0 &&
               problems.isEmpty();
    }
};

// Answers "discard?" with yes; any other message is a problem of the run.
class SoakPrompter : public Prompter {
  public:
    Answer Ask(const QString& text, Buttons buttons, Icon, const QString&) override {
        if (buttons == Buttons::YesNo)
            return Answer::Yes;
        told << text;
        return Answer::Ok;
    }
    QStringList told;
};

class ModeSoak;

// The emulated line, counting what the session takes from it; Look brings in at once what the
// unit sent up to the present, as the line's own timer would at its next look.
class SoakLine : public EmulatorBackend {
  public:
    SoakLine(std::shared_ptr<EmulatedUnit> unit, ModeSoak& soak)
        : EmulatorBackend(std::move(unit)), m_soak(soak) {}
    ~SoakLine() override;
    bool Open(const PortSettings& settings, QString* error) override;
    void Close() override;
    QByteArray ReadAll() override;
    // A write of nothing: the line takes in what the unit sent, and tells its owner.
    void Look() { EmulatorBackend::Write(QByteArray()); }

  private:
    ModeSoak& m_soak;
};

class ModeSoak : public QObject {
  public:
    // Values of the stream remembered: the longest kept span, and a second more to tell where
    // a wrong capture came from.
    static constexpr int kWindow = kMonitorKept + kSamplesPerSecond;
    static constexpr int kMaxProblems = 20;

    ModeSoak(bool bTwelveLead, QSize viewSize, int sessionSeconds, quint64 seed = 1)
        : m_bTwelveLead(bTwelveLead), m_nSessionUs(qint64(sessionSeconds) * 1000000),
          m_unit(std::make_shared<EmulatedUnit>(Options(seed))) {
        m_unit->Device().SetListener([this](const Ks770Event& e) { OnSent(e); });
        m_settings.COMS = 0;
        m_settings.RealTimeFilter = 0;
        m_doc = std::make_unique<CZM540Doc>(m_settings, m_prompter);
        m_doc->m_bTwelveLead = bTwelveLead;
        m_doc->m_dCutoff = 0.0; // the stored values stay the bytes' samples
        m_view = std::make_unique<CZM540View>(*m_doc, m_settings,
                                              [this](int port) -> std::unique_ptr<SerialBackend> {
                                                  if (port != 1)
                                                      return nullptr;
                                                  return std::make_unique<SoakLine>(m_unit, *this);
                                              });
        m_view->installEventFilter(this);
        m_view->resize(viewSize);
        m_view->show();
    }
    ~ModeSoak() override {
        m_view->removeEventFilter(this);
        m_view.reset();
    }

    bool TwelveLead() const { return m_bTwelveLead; }
    const Figures& Result() const { return m_fig; }
    CZM540View& View() { return *m_view; }
    const CZM540Doc& Doc() const { return *m_doc; }

    // Starts a session where none runs, lets `ms` of device time pass (never beyond the end of
    // the session) and looks at the line. False when a session could not be started.
    bool Step(int ms) {
        if (m_bFailed || (!m_view->IsAcquiring() && !Start()))
            return false;
        const qint64 left = m_nSessionUs - (m_unit->Device().Now() - m_nSessionStartUs);
        m_unit->Skip(int(std::clamp<qint64>(left / 1000, 1, ms)));
        if (m_pLine) {
            m_pLine->Look();
            ++m_fig.nLooks;
        }
        return true;
    }

    // After events were processed: counts what was decoded, and stops a session that has
    // streamed its time, checking its capture. True when a session was stopped.
    bool Settle() {
        Observe();
        if (!m_view->IsAcquiring() || m_unit->Device().Now() - m_nSessionStartUs < m_nSessionUs)
            return false;
        Stop();
        return true;
    }

    // The line the session has open (for SoakLine).
    void LineOpening(SoakLine* line) { m_pOpening = line; }
    void LineOpened(SoakLine* line) {
        m_pOpening = nullptr;
        m_pLine = line;
    }
    void LineGone(SoakLine* line) {
        if (m_pLine == line)
            m_pLine = nullptr;
    }
    void Taken(qint64 bytes) {
        if (m_view && m_view->IsAcquiring())
            m_fig.nBytesDecoded += bytes;
    }
    void Discarded(qint64 bytes) {
        if (m_view && m_view->IsAcquiring())
            m_fig.nBytesDiscarded += bytes;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_view.get() && event->type() == QEvent::Paint)
            ++m_fig.nPaints;
        return false;
    }

  private:
    static Ks770Options Options(quint64 seed) {
        Ks770Options o;
        o.ecg.bNoise = true;
        o.ecg.bWander = true;
        o.ecg.bHum = true;
        o.ecg.nSeed = seed;
        return o;
    }

    void Problem(const QString& text) {
        if (m_fig.problems.size() < kMaxProblems)
            m_fig.problems << text;
    }

    bool Start() {
        // The lead of the rhythm strip (12-lead) or the monitored lead goes round all six.
        m_doc->m_nRhythmLead = m_fig.nSessions % 6;
        m_view->OnUpdate();
        m_view->OnRecord();
        if (!m_view->IsAcquiring()) {
            Problem(QStringLiteral("session %1 did not start: %2")
                        .arg(m_fig.nSessions + 1)
                        .arg(m_prompter.told.join(QStringLiteral(" / "))));
            return false;
        }
        ++m_fig.nSessions;
        m_nLastHead = m_view->Session().State().m_nHead;
        m_nSessionDecoded = 0;
        return true;
    }

    // Frames decoded since the last look: the ring's head moves once per frame, and by less than
    // the ring between two looks.
    void Observe() {
        if (!m_view->IsAcquiring() && !m_bStopping)
            return;
        const int head = m_view->Session().State().m_nHead;
        const int capacity = m_bTwelveLead ? kLeadCapacity : kMonitorCapacity;
        const int moved = (head - m_nLastHead + capacity) % capacity;
        m_nLastHead = head;
        m_fig.nFramesDecoded += moved;
        m_nSessionDecoded += moved;
    }

    void Stop() {
        m_bStopping = true;
        m_view->OnRecord();
        Observe();
        m_bStopping = false;
        if (m_view->IsAcquiring()) {
            Problem(QStringLiteral("session %1 did not stop").arg(m_fig.nSessions));
            m_bFailed = true;
            return;
        }
        m_fig.nStreamedUs += m_nStopUs - m_nSessionStartUs;
        if (m_nSessionDecoded != m_nSessionHeard) {
            ++m_fig.nBadBalances;
            Problem(QStringLiteral("session %1: %2 frames reached the line, %3 were decoded")
                        .arg(m_fig.nSessions)
                        .arg(m_nSessionHeard)
                        .arg(m_nSessionDecoded));
        }
        CheckCapture();
    }

    // The capture must be the last values the unit sent, as many as a stop keeps.
    void CheckCapture() {
        ++m_fig.nCaptures;
        const int kept = m_bTwelveLead ? kLeadKept : kMonitorKept;
        const int n = int(std::min<qint64>(kept, m_nSessionHeard));
        qint64 bad = 0;
        QString first;
        auto expect = [&](int i, const char* what, int expected, int stored) {
            if (expected == stored)
                return;
            if (bad++ == 0)
                first = QStringLiteral("%1 at %2 of %3: %4, the unit sent %5")
                            .arg(what)
                            .arg(i)
                            .arg(n)
                            .arg(stored)
                            .arg(expected);
        };
        if (m_doc->m_nSamples != n) {
            ++bad;
            first = QStringLiteral("%1 samples kept, the unit sent %2 to keep")
                        .arg(m_doc->m_nSamples)
                        .arg(n);
        } else if (m_bTwelveLead) {
            static const char* const names[] = {"I", "II", "III", "aVR", "aVL", "aVF"};
            static const char* const chest[] = {"V1", "V2", "V3", "V4", "V5", "V6"};
            const AcquisitionState& s = m_view->Session().State();
            for (int i = 0; i < n; ++i) {
                const Sent& v = SentAt(n - i);
                const int I = v[0], II = v[1];
                // Einthoven and Goldberger, halving toward zero.
                const int III = II - I;
                const int limb[6] = {I, II, III, -(I + II) / 2, (I - III) / 2, (II + III) / 2};
                for (int lead = 0; lead < 6; ++lead)
                    expect(i, names[lead], limb[lead], m_doc->m_leadRecord[lead][i]);
                // The chest leads stay in the rings, over the same span.
                const int r = (s.m_nTail + i) % kLeadCapacity;
                for (int k = 0; k < 6; ++k)
                    expect(i, chest[k], v[2 + k], m_doc->m_leadRing[6 + k][r]);
            }
        } else {
            for (int i = 0; i < n; ++i)
                expect(i, "monitored lead", SentAt(n - i)[0], m_doc->m_monitorRecord[i]);
            if (m_nStreamLead != m_doc->m_nRhythmLead) {
                ++bad;
                first = QStringLiteral("lead %1 streamed, lead %2 chosen")
                            .arg(m_nStreamLead)
                            .arg(m_doc->m_nRhythmLead);
            }
        }
        if (bad > 0) {
            ++m_fig.nBadCaptures;
            m_fig.nBadValues += bad;
            const int early = EarlierSpan(n);
            Problem(QStringLiteral("capture %1: %2 wrong; first: %3%4")
                        .arg(m_fig.nCaptures)
                        .arg(bad)
                        .arg(first)
                        .arg(early > 0 ? QStringLiteral("; it is the span that ends %1 frames "
                                                        "before the last one sent")
                                             .arg(early)
                                       : QString()));
        }
    }

    // For the report of a wrong capture: how many frames before the last one sent the capture
    // ends, when it is an earlier span of the stream (up to a second); 0 when it is none.
    int EarlierSpan(int n) const {
        if (m_doc->m_nSamples != n)
            return 0;
        for (int d = 1; n + d <= kWindow && n + d <= m_nSessionHeard; ++d) {
            bool bSame = true;
            for (int i = 0; i < n && bSame; ++i) {
                const Sent& v = SentAt(n - i + d);
                bSame = m_bTwelveLead
                            ? v[0] == m_doc->m_leadRecord[0][i] && v[1] == m_doc->m_leadRecord[1][i]
                            : v[0] == m_doc->m_monitorRecord[i];
            }
            if (bSame)
                return d;
        }
        return 0;
    }

    using Sent = std::array<std::int8_t, 8>;
    // The value sent `back` instants ago (1: the last one).
    const Sent& SentAt(int back) const {
        return m_window[std::size_t((m_nWindowed - back) % kWindow)];
    }

    void OnSent(const Ks770Event& e) {
        switch (e.kind) {
        case Ks770Event::Kind::StartTwelveLead:
        case Ks770Event::Kind::StartMonitor:
            m_nSessionStartUs = e.nTimeUs;
            m_nStreamLead = e.nLead;
            m_nSessionHeard = 0;
            return;
        case Ks770Event::Kind::Stop:
            m_nStopUs = e.nTimeUs;
            return;
        case Ks770Event::Kind::Sample:
            break;
        }
        const Ks770Device& device = m_unit->Device();
        const bool bHeard = m_pLine && m_pLine->IsOpen() && !m_pOpening &&
                            device.LineSpeed() == device.DeviceSpeed();
        const int bytes = e.nCount == 8 ? Ks770Device::kFrameSize : 1;
        ++m_fig.nFramesSent;
        m_fig.nBytesSent += bytes;
        if (bHeard) {
            ++m_nSessionHeard;
        } else {
            ++m_fig.nFramesUnheard;
            m_fig.nBytesUnheard += bytes;
        }
        Sent& slot = m_window[std::size_t(m_nWindowed++ % kWindow)];
        for (int k = 0; k < e.nCount; ++k)
            slot[std::size_t(k)] = std::int8_t(e.values[std::size_t(k)]);
    }

    bool m_bTwelveLead;
    qint64 m_nSessionUs;
    std::shared_ptr<EmulatedUnit> m_unit;
    ProfileSettings m_settings;
    SoakPrompter m_prompter;
    std::unique_ptr<CZM540Doc> m_doc;
    std::unique_ptr<CZM540View> m_view;
    SoakLine* m_pLine = nullptr;
    SoakLine* m_pOpening = nullptr;
    Figures m_fig;
    bool m_bStopping = false;
    bool m_bFailed = false; // a session would not stop
    int m_nLastHead = 0;
    qint64 m_nSessionDecoded = 0;
    qint64 m_nSessionHeard = 0;
    qint64 m_nSessionStartUs = 0;
    qint64 m_nStopUs = 0;
    int m_nStreamLead = -1;
    std::array<Sent, kWindow> m_window{};
    qint64 m_nWindowed = 0;
};

inline SoakLine::~SoakLine() {
    m_soak.LineGone(this);
}

inline bool SoakLine::Open(const PortSettings& settings, QString* error) {
    // What the unit sends while the line opens is not heard.
    m_soak.LineOpening(this);
    const bool bOpen = EmulatorBackend::Open(settings, error);
    m_soak.LineOpened(bOpen ? this : nullptr);
    return bOpen;
}

inline void SoakLine::Close() {
    if (IsOpen())
        m_soak.Discarded(BytesWaiting());
    EmulatorBackend::Close();
    m_soak.LineGone(this);
}

inline QByteArray SoakLine::ReadAll() {
    QByteArray bytes = EmulatorBackend::ReadAll();
    m_soak.Taken(bytes.size());
    return bytes;
}

// The modes side by side, in steps of device time drawn from [1, 2 * meanStepMs - 1] ms, until
// each has run `sessions` sessions. `afterStop` is called after every stop with the mode.
template <typename AfterStop>
bool RunSoaks(ModeSoak* const* soaks, int count, int sessions, int meanStepMs, quint64 seed,
              AfterStop afterStop) {
    quint64 random = seed * 0x9E3779B97F4A7C15ull + 1;
    auto next = [&random]() {
        random = random * 6364136223846793005ull + 1442695040888963407ull;
        return int(random >> 33);
    };
    for (;;) {
        bool bAllDone = true;
        const int ms = 1 + next() % (2 * meanStepMs - 1);
        for (int k = 0; k < count; ++k) {
            if (soaks[k]->Result().nCaptures >= sessions)
                continue;
            bAllDone = false;
            if (!soaks[k]->Step(ms))
                return false;
        }
        if (bAllDone)
            return true;
        QApplication::processEvents();
        for (int k = 0; k < count; ++k)
            if (soaks[k]->Result().nCaptures < sessions && soaks[k]->Settle())
                afterStop(*soaks[k]);
    }
}

} // namespace soak
