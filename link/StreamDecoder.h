#pragma once

#include "RecorderProtocol.h"
#include "RecordingConstants.h"
#include "SignalFilter.h"

#include <array>
#include <cstdint>

// What a recording or monitoring session keeps while the recorder streams: where the rings are,
// the ring and display indices, the framing position, the repaint flags and the real time filter.
struct AcquisitionState {
    std::int8_t* m_pMonitorRing = nullptr;
    std::array<std::int8_t*, 12> m_pLeadRing{};
    std::int32_t m_nHead = 0;
    std::int32_t m_nTail = 0;
    std::int32_t m_nFill = 0;
    std::uint32_t m_nFramePos = 0;
    std::int32_t m_nDisplayStart = 0;
    std::int32_t m_bRedrawAll = 0;
    std::int32_t m_bSweepRestart = 0;
    std::int32_t m_bPainting = 0;
    std::int32_t m_bViewTwelveLead = 1;
    std::int32_t m_bRealTimeFilter = 0;
    FilterCoefficients m_filterCoef{};
    RealTimeFilterState m_monitorFilter;
    RealTimeFilterState m_leadIFilter;
    RealTimeFilterState m_leadIIFilter;

    // Indices and filter histories as at the start of a session.
    void ResetSession();
    void DesignRealTimeFilter(double fc, double fs) { m_filterCoef = DesignLowPass(fc, fs); }
};

// The four stream decoders: bytes in arrival order into the rings and indices. The rings must
// have been set. Nothing is allocated.
void DecodeMonitor(AcquisitionState& s, const std::uint8_t* bytes, int n);
void DecodeMonitorFiltered(AcquisitionState& s, const std::uint8_t* bytes, int n);
void DecodeTwelveLead(AcquisitionState& s, const std::uint8_t* bytes, int n);
void DecodeTwelveLeadFiltered(AcquisitionState& s, const std::uint8_t* bytes, int n);
// The decoder the session's mode and filter choice call for.
void Decode(AcquisitionState& s, const std::uint8_t* bytes, int n);

// A data byte as the sample it carries: b - 126, kept to 8 bits.
constexpr std::int8_t SampleOfByte(std::uint8_t b) {
    return std::int8_t(std::uint8_t(b - kSampleOffset));
}
// Rings 2 to 5 (III, aVR, aVL, aVF) at index h from the stored I and II.
void DeriveLimbLeads(AcquisitionState& s, int h);
