#include "Ks770Device.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr char kEsc = 0x1B;
constexpr qint64 kMicrosPerSecond = 1000000;

} // namespace

Ks770Device::Ks770Device(const Ks770Options& options) : m_options(options), m_ecg(options.ecg) {
    if (options.dDisconnectAfterSeconds > 0.0)
        m_nDisconnectUs =
            std::max<qint64>(1, std::llround(options.dDisconnectAfterSeconds * kMicrosPerSecond));
}

int Ks770Device::DeviceSpeed() const {
    switch (m_state) {
    case State::TwelveLead:
        return kTwelveLeadBaud;
    case State::Monitor:
        return kMonitorBaud;
    case State::Idle:
        break;
    }
    return kIdleBaud;
}

void Ks770Device::Receive(const QByteArray& fromHost) {
    if (m_bDisconnected || fromHost.isEmpty())
        return;
    if (m_nHostBaud != DeviceSpeed()) {
        // Garbage on the unit's side: whatever command was under way is lost too.
        m_bEscape = false;
        return;
    }
    for (char c : fromHost)
        Command(c);
}

void Ks770Device::Command(char c) {
    if (!m_bEscape) {
        m_bEscape = (c == kEsc);
        return;
    }
    m_bEscape = false;
    if (c == kEsc) {
        // ESC ESC stops a stream; idle, there is nothing to stop.
        if (m_state != State::Idle) {
            m_nStreamedUs += m_nNowUs - m_nStreamStartUs;
            m_state = State::Idle;
            m_nLead = -1;
            Emit(Ks770Event::Kind::Stop);
        }
        return;
    }
    if (m_state != State::Idle)
        return; // only the stop command is heard while streaming
    if (c == 'V') {
        if (m_options.bNoAnswer)
            return;
        QByteArray answer = m_options.versionText;
        if (m_options.bTrailingCr)
            answer += '\r';
        m_replies.push_back({m_nNowUs + kAnswerDelayUs, kIdleBaud, answer});
    } else if (c == 'A') {
        StartStream(State::TwelveLead, -1);
    } else if (c >= 'a' && c <= 'f') {
        StartStream(State::Monitor, c - 'a');
    }
}

void Ks770Device::StartStream(State state, int nLead) {
    m_state = state;
    m_nLead = nLead;
    m_nStreamStartUs = m_nNowUs;
    m_nInstantsSent = 0;
    Emit(state == State::TwelveLead ? Ks770Event::Kind::StartTwelveLead
                                    : Ks770Event::Kind::StartMonitor,
         nLead);
}

void Ks770Device::Emit(Ks770Event::Kind kind, int nLead) {
    if (!m_listener)
        return;
    Ks770Event e;
    e.kind = kind;
    e.nTimeUs = m_nNowUs;
    e.nLead = nLead;
    m_listener(e);
}

qint64 Ks770Device::InstantTime(qint64 n) const {
    // Instant n (from 1) leaves at the first whole microsecond at or after n / 300 s.
    return m_nStreamStartUs +
           (n * kMicrosPerSecond + SyntheticEcg::kSampleRate - 1) / SyntheticEcg::kSampleRate;
}

QByteArray Ks770Device::Advance(qint64 microseconds) {
    QByteArray out;
    if (m_bDisconnected || microseconds <= 0)
        return out;
    const qint64 end = m_nNowUs + microseconds;
    const bool bStreaming = m_state != State::Idle;
    qint64 cut = std::numeric_limits<qint64>::max();
    if (bStreaming && m_nDisconnectUs > 0)
        cut = m_nStreamStartUs + std::max<qint64>(0, m_nDisconnectUs - m_nStreamedUs);
    const qint64 stop = std::min(end, cut);

    size_t nReply = 0;
    for (;;) {
        const qint64 replyDue = nReply < m_replies.size() ? m_replies[nReply].nDueUs
                                                          : std::numeric_limits<qint64>::max();
        const qint64 instantDue =
            bStreaming ? InstantTime(m_nInstantsSent + 1) : std::numeric_limits<qint64>::max();
        const qint64 next = std::min(replyDue, instantDue);
        if (next > stop)
            break;
        m_nNowUs = next;
        if (replyDue <= instantDue) {
            for (char c : m_replies[nReply].bytes)
                Put(&out, c, m_replies[nReply].nBaud, false);
            ++nReply;
        } else {
            ++m_nInstantsSent;
            SendInstant(&out);
        }
    }
    m_replies.erase(m_replies.begin(), m_replies.begin() + qsizetype(nReply));
    m_nNowUs = stop;
    if (cut <= end) {
        m_bDisconnected = true;
        m_replies.clear();
    }
    return out;
}

void Ks770Device::SendInstant(QByteArray* out) {
    EcgInstant inst;
    m_ecg.Next(&inst);
    Ks770Event e;
    e.kind = Ks770Event::Kind::Sample;
    e.nTimeUs = m_nNowUs;
    e.nLead = m_nLead;
    if (m_state == State::TwelveLead) {
        // I, II, then V1..V6.
        e.nCount = kFrameChannels;
        e.values[0] = inst.units[kChI];
        e.values[1] = inst.units[kChII];
        for (int k = 0; k < kChestChannelCount; ++k)
            e.values[2 + k] = inst.units[kChV1 + k];
        Put(out, m_options.bWrongSync ? kWrongSync : kSync, kTwelveLeadBaud, true);
        for (int i = 0; i < kFrameChannels; ++i)
            Put(out, char(e.values[i] + kByteOffset), kTwelveLeadBaud, true);
    } else {
        e.nCount = 1;
        e.values[0] = inst.units[m_nLead];
        Put(out, char(e.values[0] + kByteOffset), kMonitorBaud, true);
    }
    if (m_listener)
        m_listener(e);
}

void Ks770Device::Put(QByteArray* out, char byte, int nBaud, bool bStream) {
    if (bStream) {
        ++m_nStreamBytes;
        if (m_options.nDropEvery > 0 && m_nStreamBytes % m_options.nDropEvery == 0)
            return;
    }
    if (m_nHostBaud == nBaud)
        out->append(byte);
}
