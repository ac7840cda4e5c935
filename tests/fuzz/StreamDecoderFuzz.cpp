// Feeds arbitrary recorder bytes to the stream decoders, cut into receive events where the input
// says, with the rings of a document as a session sets them up. After every event the indices
// must lie in their rings and follow from what arrived, the kept frames must hold what arrived,
// the derived limb leads must follow from I and II, and a filter must stay finite and in range.
//
// Input: byte 0 picks the decoder (bits 0-1: monitor, monitor filtered, 12-lead, 12-lead
// filtered; bit 2: through Decode) and the cutoff (bits 3-4: 100 Hz, 40 Hz, else byte 1 scaled
// to 0-150 Hz); byte 2 picks how much had arrived before. Then events: a length byte (below
// 192 that many bytes, else 64 times its excess), then the event's bytes.
#include "FuzzSupport.h"
#include "Leads.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "RecorderProtocol.h"
#include "SignalFilter.h"
#include "StreamDecoder.h"
#include "ZM540Doc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t kGuard = 0xA5;
constexpr int kGuardBytes = 64;

// The state between guard words: a write past either end of it is seen.
struct GuardedState {
    std::array<std::uint8_t, kGuardBytes> before;
    AcquisitionState s;
    std::array<std::uint8_t, kGuardBytes> after;
};

NO_COVERAGE bool IsGuard(const void* p, std::size_t n) {
    static const std::vector<std::uint8_t> guard(kMonitorCapacity * sizeof(double), kGuard);
    return n <= guard.size() && std::memcmp(p, guard.data(), n) == 0;
}

// The sample a data byte carries, as an 8-bit value: 254 is -128 and 255 is -127.
NO_COVERAGE int SampleOf(std::uint8_t b) {
    const int v = int(b) - 126;
    return v > 127 ? v - 256 : v;
}

// The low 8 bits of v as a signed value.
NO_COVERAGE int Wrap8(int v) {
    const int low = v & 0xFF;
    return low > 127 ? low - 256 : low;
}

// The limb leads III, aVR, aVL and aVF from I and II, each kept to 8 bits; aVL and aVF use III
// as stored. Division truncates toward zero.
NO_COVERAGE std::array<int, 4> DerivedLeads(int I, int II) {
    const auto half = [](int v) { return v < 0 ? -((-v) / 2) : v / 2; };
    const int III = Wrap8(II - I);
    return {III, Wrap8(-half(I + II)), Wrap8(half(I - III)), Wrap8(half(II + III))};
}

// The real time filter as its header describes it, to follow each sample it is given.
struct FilterModel {
    double x[3] = {0, 0, 0};
    double y[2] = {0, 0};
    double last = 0.0;

    NO_COVERAGE void Feed(const FilterCoefficients& c, int sample) {
        x[2] = x[1];
        x[1] = x[0];
        x[0] = sample;
        last = c.c2 * x[0] + c.c3 * x[1] + c.c4 * x[2] + c.c0 * y[0] + c.c1 * y[1];
        y[1] = y[0];
        y[0] = last;
    }
    // The value stored for the last output: truncated toward zero, its low 8 bits.
    // What the ring must hold: the output truncated, held at the byte range's edges.
    int Stored() const { return int(std::trunc(std::clamp(last, -128.0, 127.0))); }
    bool Matches(const RealTimeFilterState& f) const {
        return f.x0 == x[0] && f.x1 == x[1] && f.x2 == x[2] && f.y1 == y[0] && f.y2 == y[1];
    }
};

NO_COVERAGE bool IsFinite(const RealTimeFilterState& f) {
    return std::isfinite(f.x0) && std::isfinite(f.x1) && std::isfinite(f.x2) &&
           std::isfinite(f.y1) && std::isfinite(f.y2);
}

NO_COVERAGE bool IsZero(const RealTimeFilterState& f) {
    return f.x0 == 0 && f.x1 == 0 && f.x2 == 0 && f.y1 == 0 && f.y2 == 0;
}

// Whether the slots from tail up to head (wrapping) hold the same in both rings.
NO_COVERAGE bool SameKept(const std::int8_t* ring, const std::int8_t* expected, int size, int tail,
                          int head) {
    const auto same = [&](int from, int to) {
        return std::memcmp(ring + from, expected + from, std::size_t(to - from)) == 0;
    };
    return tail <= head ? same(tail, head) : same(tail, size) && same(0, head);
}

using LeadRings = std::array<std::array<std::int8_t, kLeadCapacity>, kStreamChannelCount>;

// Whether III, aVR, aVL and aVF of every slot from tail up to head follow from its I and II.
NO_COVERAGE bool DerivedHold(const LeadRings& rings, int tail, int head) {
    for (int i = tail; i != head; i = i + 1 == kLeadCapacity ? 0 : i + 1) {
        const std::size_t slot = std::size_t(i);
        const std::array<int, 4> derived = DerivedLeads(rings[0][slot], rings[1][slot]);
        for (std::size_t d = 0; d < 4; ++d)
            if (rings[2 + d][slot] != derived[d])
                return false;
    }
    return true;
}

// Where a session stands after some data of zero samples: its state and how much had arrived.
struct StartPoint {
    AcquisitionState s;
    long long arrived;
};

NO_COVERAGE std::int64_t Mod(std::int64_t v, std::int64_t m) {
    return ((v % m) + m) % m;
}

struct Harness {
    ProfileSettings settings;
    SilentPrompter prompter;
    CZM540Doc doc{settings, prompter};
    GuardedState guarded;
    std::vector<std::uint8_t> headerCopy;
    std::vector<StartPoint> monitorStarts, leadStarts;
    // What each ring slot should hold, as the stream said.
    std::array<std::int8_t, kMonitorCapacity> expectedMonitor;
    LeadRings expectedLead;

    Harness() {
        guarded.before.fill(kGuard);
        guarded.after.fill(kGuard);
        std::memset(doc.m_monitorRecord.data(), kGuard, doc.m_monitorRecord.size());
        for (auto& record : doc.m_leadRecord)
            std::memset(record.data(), kGuard, record.size());
        std::memset(static_cast<void*>(doc.m_monitorTrace.data()), kGuard,
                    sizeof(doc.m_monitorTrace));
        const auto* h = reinterpret_cast<const std::uint8_t*>(&doc.m_header);
        headerCopy.assign(h, h + sizeof(doc.m_header));
        AttachRings(guarded.s);
        // Sessions that have run a while on a flat line, fed as the port delivers: 15 samples
        // or 15 frames an event. The points lie around the page moves and ring wraps.
        monitorStarts = Starts(false, {0, 2985, 11985, 14985, 23985, 26985, 29985, 44985});
        leadStarts = Starts(true, {0, 1485, 2985, 3585, 5085, 6585, 7185, 10785});
    }

    void AttachRings(AcquisitionState& s) {
        s.m_pMonitorRing = doc.m_monitorRing.data();
        for (std::size_t k = 0; k < s.m_pLeadRing.size(); ++k)
            s.m_pLeadRing[k] = doc.m_leadRing[k].data();
    }

    std::vector<StartPoint> Starts(bool bTwelveLead, std::initializer_list<long long> points) {
        AcquisitionState s;
        AttachRings(s);
        s.ResetSession();
        s.m_bViewTwelveLead = bTwelveLead;
        std::vector<std::uint8_t> event;
        for (int i = 0; i < 15; ++i) {
            if (bTwelveLead)
                event.push_back(kFrameSync);
            event.insert(event.end(), bTwelveLead ? 8 : 1, std::uint8_t(126));
        }
        std::vector<StartPoint> starts;
        long long arrived = 0;
        for (long long point : points) {
            for (; arrived < point; arrived += 15)
                Decode(s, event.data(), int(event.size()));
            starts.push_back({s, arrived});
        }
        return starts;
    }

    NO_COVERAGE void CheckGuards() {
        Check(IsGuard(guarded.before.data(), kGuardBytes));
        Check(IsGuard(guarded.after.data(), kGuardBytes));
        Check(std::memcmp(&doc.m_header, headerCopy.data(), headerCopy.size()) == 0);
        Check(IsGuard(doc.m_monitorRecord.data(), kGuardBytes));
        Check(IsGuard(doc.m_leadRecord[0].data(), kGuardBytes));
        Check(IsGuard(
            reinterpret_cast<const std::uint8_t*>(doc.m_monitorTrace.data() + kMonitorCapacity) -
                kGuardBytes,
            kGuardBytes));
    }
    void CheckGuardsFully() {
        CheckGuards();
        Check(IsGuard(doc.m_monitorRecord.data(), doc.m_monitorRecord.size()));
        for (const auto& record : doc.m_leadRecord)
            Check(IsGuard(record.data(), record.size()));
    }
};

Harness& TheHarness() {
    static Harness harness;
    return harness;
}

// What the input cut off: the next event's bytes.
struct Events {
    const std::uint8_t* p;
    const std::uint8_t* end;
    NO_COVERAGE bool Next(const std::uint8_t*& bytes, int& n) {
        if (p == end)
            return false;
        const int code = *p++;
        n = code < 192 ? code : (code - 191) * 64;
        n = int(std::min<std::ptrdiff_t>(n, end - p));
        bytes = p;
        p += n;
        return true;
    }
};

NO_COVERAGE void RunMonitor(Harness& h, Events events, bool bFiltered, bool bDispatch,
                            const StartPoint& start) {
    AcquisitionState& s = h.guarded.s;
    std::int8_t* ring = h.doc.m_monitorRing.data();
    auto& expected = h.expectedMonitor;
    expected.fill(0);
    FilterModel model;
    long long arrived = start.arrived;
    bool bPageHoldsNewest = Mod(s.m_nHead - s.m_nDisplayStart, kMonitorCapacity) <= kMonitorKept;
    Check(bPageHoldsNewest);

    const std::uint8_t* bytes;
    int n;
    while (events.Next(bytes, n)) {
        (bDispatch ? Decode : bFiltered ? DecodeMonitorFiltered : DecodeMonitor)(s, bytes, n);
        for (int i = 0; i < n; ++i) {
            const int slot = int(Mod(arrived + i, kMonitorCapacity));
            if (bFiltered) {
                model.Feed(s.m_filterCoef, SampleOf(bytes[i]));
                expected[std::size_t(slot)] = std::int8_t(model.Stored());
            } else {
                expected[std::size_t(slot)] = std::int8_t(SampleOf(bytes[i]));
            }
        }
        const long long before = arrived;
        arrived += n;

        // The last 40 s are kept: the head is the next slot, the tail the oldest kept one.
        Check(s.m_nHead >= 0 && s.m_nHead < kMonitorCapacity);
        Check(s.m_nTail >= 0 && s.m_nTail < kMonitorCapacity);
        Check(s.m_nFill >= 0 && s.m_nFill < kMonitorCapacity);
        Check(s.m_nHead == Mod(arrived, kMonitorCapacity));
        Check(s.m_nTail == Mod(std::max(0LL, arrived - kMonitorKept), kMonitorCapacity));
        // The page starts at a strip, and once it holds the newest sample, events of a strip or
        // less keep it so.
        Check(s.m_nDisplayStart >= 0 && s.m_nDisplayStart < kMonitorCapacity);
        Check(s.m_nDisplayStart % kStripSamples == 0);
        const std::int64_t onPage = Mod(s.m_nHead - s.m_nDisplayStart, kMonitorCapacity);
        if (bPageHoldsNewest && n <= kStripSamples)
            Check(onPage <= kMonitorKept);
        bPageHoldsNewest = onPage <= kMonitorKept;
        Check(s.m_bRedrawAll == 0 || s.m_bRedrawAll == 1);
        Check(s.m_bSweepRestart == 0 || s.m_bSweepRestart == 1);
        Check(s.m_nFramePos == start.s.m_nFramePos);

        // What this event wrote, and the filters.
        for (long long k = std::max(before, arrived - kMonitorKept); k < arrived; ++k) {
            const std::size_t slot = std::size_t(Mod(k, kMonitorCapacity));
            Check(ring[slot] == expected[slot]);
        }
        if (bFiltered) {
            Check(IsFinite(s.m_monitorFilter));
            Check(model.Matches(s.m_monitorFilter));
        } else {
            Check(IsZero(s.m_monitorFilter));
        }
        Check(IsZero(s.m_leadIFilter) && IsZero(s.m_leadIIFilter));
        h.CheckGuards();
    }

    // Everything kept, and the lead rings untouched.
    Check(SameKept(ring, expected.data(), kMonitorCapacity, s.m_nTail, s.m_nHead));
    for (const auto& lead : h.doc.m_leadRing)
        Check(IsGuard(lead.data(), lead.size()));
    h.CheckGuardsFully();
}

NO_COVERAGE void RunTwelveLead(Harness& h, Events events, bool bFiltered, bool bDispatch,
                               const StartPoint& start) {
    AcquisitionState& s = h.guarded.s;
    auto& rings = h.doc.m_leadRing;
    // In a filtered session only V1..V6 are expected, which it leaves as they were.
    auto& expected = h.expectedLead;
    for (auto& e : expected)
        e.fill(0);
    FilterModel modelI, modelII;
    std::int64_t lastISlot = -1, lastIISlot = -1;
    long long frames = start.arrived;
    std::uint32_t sinceSync = start.s.m_nFramePos; // where the next byte falls in its frame
    std::array<int, 8> frame{};

    const auto checkKept = [&](long long k) NO_COVERAGE {
        const std::size_t slot = std::size_t(Mod(k, kLeadCapacity));
        const std::array<int, 4> derived = DerivedLeads(rings[0][slot], rings[1][slot]);
        for (int d = 0; d < 4; ++d)
            Check(rings[std::size_t(2 + d)][slot] == derived[std::size_t(d)]);
        for (int lead = bFiltered ? kLimbLeadCount : 0; lead < kStreamChannelCount; ++lead)
            Check(rings[std::size_t(lead)][slot] == expected[std::size_t(lead)][slot]);
    };

    const std::uint8_t* bytes;
    int n;
    while (events.Next(bytes, n)) {
        (bDispatch ? Decode : bFiltered ? DecodeTwelveLeadFiltered : DecodeTwelveLead)(s, bytes, n);
        const long long before = frames;
        lastISlot = lastIISlot = -1;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t b = bytes[i];
            if (b == kFrameSync) {
                sinceSync = 1;
                continue;
            }
            const std::uint32_t at = sinceSync++;
            if (at < 1 || at > 8)
                continue;
            frame[at - 1] = SampleOf(b);
            if (bFiltered && at == 1) {
                modelI.Feed(s.m_filterCoef, frame[0]);
                lastISlot = Mod(frames, kLeadCapacity);
            }
            if (bFiltered && at == 2) {
                modelII.Feed(s.m_filterCoef, frame[1]);
                lastIISlot = Mod(frames, kLeadCapacity);
            }
            if (at == 8) {
                // A whole frame: I, II, then V1..V6 in rings 6 to 11.
                const std::size_t slot = std::size_t(Mod(frames, kLeadCapacity));
                if (!bFiltered) {
                    expected[0][slot] = std::int8_t(frame[0]);
                    expected[1][slot] = std::int8_t(frame[1]);
                    const std::array<int, 4> derived = DerivedLeads(frame[0], frame[1]);
                    for (int d = 0; d < 4; ++d)
                        expected[std::size_t(2 + d)][slot] = std::int8_t(derived[std::size_t(d)]);
                    for (int v = 0; v < 6; ++v)
                        expected[std::size_t(6 + v)][slot] = std::int8_t(frame[std::size_t(2 + v)]);
                }
                ++frames;
            }
        }

        // The last 10 s are kept and the live display runs 5 s behind the newest frame.
        Check(s.m_nHead >= 0 && s.m_nHead < kLeadCapacity);
        Check(s.m_nTail >= 0 && s.m_nTail < kLeadCapacity);
        Check(s.m_nFill >= 0 && s.m_nFill < kLeadCapacity);
        Check(s.m_nDisplayStart >= 0 && s.m_nDisplayStart < kLeadCapacity);
        Check(s.m_nHead == Mod(frames, kLeadCapacity));
        Check(s.m_nTail == Mod(std::max(0LL, frames - kLeadKept), kLeadCapacity));
        Check(s.m_nDisplayStart == Mod(std::max(0LL, frames - kColumnSamples), kLeadCapacity));
        Check(s.m_nFramePos == sinceSync);

        for (long long k = std::max(before, frames - kLeadKept); k < frames; ++k)
            checkKept(k);
        if (bFiltered) {
            Check(IsFinite(s.m_leadIFilter) && IsFinite(s.m_leadIIFilter));
            Check(modelI.Matches(s.m_leadIFilter) && modelII.Matches(s.m_leadIIFilter));
            if (lastISlot >= 0)
                Check(rings[0][std::size_t(lastISlot)] == modelI.Stored());
            if (lastIISlot >= 0)
                Check(rings[1][std::size_t(lastIISlot)] == modelII.Stored());
        } else {
            Check(IsZero(s.m_leadIFilter) && IsZero(s.m_leadIIFilter));
        }
        Check(IsZero(s.m_monitorFilter));
        h.CheckGuards();
    }

    // Every kept frame: what arrived, and the derived leads of what I and II hold.
    for (int lead = bFiltered ? kLimbLeadCount : 0; lead < kStreamChannelCount; ++lead)
        Check(SameKept(rings[std::size_t(lead)].data(), expected[std::size_t(lead)].data(),
                       kLeadCapacity, s.m_nTail, s.m_nHead));
    if (bFiltered)
        Check(DerivedHold(rings, s.m_nTail, s.m_nHead));
    Check(IsGuard(h.doc.m_monitorRing.data(), h.doc.m_monitorRing.size()));
    h.CheckGuardsFully();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    Harness& h = TheHarness();
    const int decoder = data[0] & 3;
    const bool bTwelveLead = decoder >= 2;
    const bool bFiltered = (decoder & 1) != 0;
    const bool bDispatch = (data[0] & 4) != 0;
    const int cutoffChoice = (data[0] >> 3) & 3;
    const double fc = cutoffChoice == 0   ? 100.0
                      : cutoffChoice == 1 ? 40.0
                                          : (data[1] + 0.5) * (0.5 * kSampleRate) / 256.0;
    const std::vector<StartPoint>& starts = bTwelveLead ? h.leadStarts : h.monitorStarts;
    const StartPoint& start = starts[data[2] % starts.size()];

    // The rings as the start point left them (flat); the other mode's rings as guard data.
    std::memset(h.doc.m_monitorRing.data(), bTwelveLead ? kGuard : 0, h.doc.m_monitorRing.size());
    for (auto& lead : h.doc.m_leadRing)
        std::memset(lead.data(), bTwelveLead ? 0 : kGuard, lead.size());
    AcquisitionState& s = h.guarded.s;
    s = start.s;
    s.m_bRealTimeFilter = bFiltered;
    s.DesignRealTimeFilter(fc, kSampleRate);
    Check(IsUsableCutoff(fc, kSampleRate));

    const Events events{data + 3, data + size};
    if (bTwelveLead)
        RunTwelveLead(h, events, bFiltered, bDispatch, start);
    else
        RunMonitor(h, events, bFiltered, bDispatch, start);
    return 0;
}
