#include "StreamDecoder.h"

void AcquisitionState::ResetSession() {
    m_nHead = m_nTail = m_nFill = m_nDisplayStart = 0;
    m_nFramePos = 0;
    m_monitorFilter = m_leadIFilter = m_leadIIFilter = RealTimeFilterState{};
}

namespace {

std::int8_t Low8(int v) {
    return std::int8_t(std::uint8_t(v & 0xFF));
}

void AdvanceMonitorHead(AcquisitionState& s) {
    if (++s.m_nHead == kMonitorCapacity)
        s.m_nHead = 0;
    s.m_nFill = s.m_nHead - s.m_nTail;
    if (s.m_nFill < 0)
        s.m_nFill += kMonitorCapacity;
    if (s.m_nFill > kMonitorKept && ++s.m_nTail == kMonitorCapacity)
        s.m_nTail = 0;
}

// After an event: once the newest sample lies more than a page past the page start, the page
// moves on by one strip and the painter is asked to start over.
void MoveMonitorPage(AcquisitionState& s) {
    int d = s.m_nHead - s.m_nDisplayStart;
    if (d < 0)
        d += kMonitorCapacity;
    if (d > kMonitorKept) {
        s.m_bRedrawAll = 1;
        s.m_bSweepRestart = 1;
        s.m_nDisplayStart += kStripSamples;
        if (s.m_nDisplayStart >= kMonitorCapacity)
            s.m_nDisplayStart -= kMonitorCapacity;
    }
}

void AdvanceFrame(AcquisitionState& s) {
    constexpr int size = kLeadCapacity;
    if (++s.m_nHead == size)
        s.m_nHead = 0;
    s.m_nFill = s.m_nHead - s.m_nTail;
    if (s.m_nFill < 0)
        s.m_nFill += size;
    if (s.m_nFill > kColumnSamples && ++s.m_nDisplayStart == size)
        s.m_nDisplayStart = 0;
    if (s.m_nFill > kLeadKept && ++s.m_nTail == size)
        s.m_nTail = 0;
}

// Stores the byte's sample at `slot`, through the filter when one is given.
void Store(std::int8_t& slot, std::uint8_t b, RealTimeFilterState* filter,
           const FilterCoefficients& c) {
    slot = SampleOfByte(b);
    if (filter)
        slot = FilterSample(*filter, c, slot);
}

template <bool Filtered>
void DecodeMonitorBytes(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    if (n <= 0)
        return;
    for (int i = 0; i < n; ++i) {
        Store(s.m_pMonitorRing[s.m_nHead], bytes[i], Filtered ? &s.m_monitorFilter : nullptr,
              s.m_filterCoef);
        AdvanceMonitorHead(s);
    }
    MoveMonitorPage(s);
}

template <bool Filtered>
void DecodeTwelveLeadBytes(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    for (int i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        const int h = s.m_nHead;
        if (b == kFrameSync)
            s.m_nFramePos = 0;
        switch (s.m_nFramePos) {
        case 1:
            Store(s.m_pLeadRing[0][h], b, Filtered ? &s.m_leadIFilter : nullptr, s.m_filterCoef);
            break;
        case 2:
            Store(s.m_pLeadRing[1][h], b, Filtered ? &s.m_leadIIFilter : nullptr, s.m_filterCoef);
            DeriveLimbLeads(s, h);
            break;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
            if (!Filtered)
                s.m_pLeadRing[s.m_nFramePos + 3][h] = SampleOfByte(b);
            break;
        case 8:
            if (!Filtered)
                s.m_pLeadRing[11][h] = SampleOfByte(b);
            AdvanceFrame(s);
            break;
        default:
            break;
        }
        ++s.m_nFramePos;
    }
}

} // namespace

void DeriveLimbLeads(AcquisitionState& s, int h) {
    const int I = s.m_pLeadRing[0][h];
    const int II = s.m_pLeadRing[1][h];
    s.m_pLeadRing[2][h] = Low8(II - I);
    const int III = s.m_pLeadRing[2][h];
    s.m_pLeadRing[3][h] = Low8(-((I + II) / 2));
    s.m_pLeadRing[4][h] = Low8((I - III) / 2);
    s.m_pLeadRing[5][h] = Low8((II + III) / 2);
}

void DecodeMonitor(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    DecodeMonitorBytes<false>(s, bytes, n);
}
void DecodeMonitorFiltered(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    DecodeMonitorBytes<true>(s, bytes, n);
}
void DecodeTwelveLead(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    DecodeTwelveLeadBytes<false>(s, bytes, n);
}
void DecodeTwelveLeadFiltered(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    DecodeTwelveLeadBytes<true>(s, bytes, n);
}

void Decode(AcquisitionState& s, const std::uint8_t* bytes, int n) {
    if (s.m_bViewTwelveLead)
        (s.m_bRealTimeFilter ? DecodeTwelveLeadFiltered : DecodeTwelveLead)(s, bytes, n);
    else
        (s.m_bRealTimeFilter ? DecodeMonitorFiltered : DecodeMonitor)(s, bytes, n);
}
