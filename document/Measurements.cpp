#include "Measurements.h"

#include "SignalFilter.h"
#include "ZM540Doc.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Samples at each end of a record where the smoother and low-pass start up: no beat is looked
// for there.
constexpr int kEdge = kSamplesPerSecond / 10;
// The slope filter: the difference over 6 samples (zero at 50 Hz and its harmonics) of the
// difference over 5 samples (zero at 60 Hz and its harmonics), so mains hum of either kind is
// gone, and so are baseline wander and most of the slow P and T waves; what passes best lies
// around 20 Hz, where the QRS complex is. Its output at sample i belongs to sample
// i - kSlopeLag.
constexpr int kHum50 = 6;
constexpr int kHum60 = 5;
constexpr int kSlopeLag = (kHum50 + kHum60 + 1) / 2; // 5.5, rounded up
// The slope is averaged over 15 samples (50 ms), about the width of a QRS complex.
constexpr int kFeatureHalf = 7;

// A beat's feature must stand above the threshold, which lies this far from the noise level
// toward the running level of the beats; a beat looked for again in a long gap needs half of it.
constexpr double kThresholdFraction = 0.3;
constexpr double kSearchBackFraction = 0.5;
// A gap this many times the mean interval means a beat was missed.
constexpr double kMissedBeatGap = 1.66;
// The noise level is this quantile of the feature: low enough to be baseline even when the
// complexes fill most of the record at 400 beats a minute.
constexpr double kNoiseQuantile = 0.3;
// Beats must stand this far above the noise, in the median, and above an absolute floor (a
// complex of about 0.1 mV), or the record has none.
constexpr double kMinSignalToNoise = 3.2;
constexpr double kMinFeature = 3.0;
// A peak soon after a beat (within 60 % of the mean interval, and never less than 360 ms) and
// less than half as steep is its T wave.
constexpr double kTWaveWindow = 0.6;
constexpr int kTWaveMin = 108;
constexpr double kTWaveRatio = 0.5;
// After a beat nothing counts for 40 % of the mean interval, held within 100 to 200 ms.
constexpr double kRefractoryFraction = 0.4;
constexpr int kRefractoryMax = 2 * kMinBeatSpacing;
// How many recent intervals the mean interval follows.
constexpr int kRrHistory = 8;

// Adds the squared slope of one lead to `slope`.
void AddLeadSlope(const double* x, int n, double* slope) {
    for (int i = kHum50 + kHum60; i < n; ++i) {
        const double d = (x[i] - x[i - kHum50]) - (x[i - kHum60] - x[i - kHum50 - kHum60]);
        slope[i - kSlopeLag] += d * d;
    }
}

// The running state of the beat search over the candidate peaks.
struct BeatSearch {
    const int* cand;
    const double* feature;
    int* beats;
    double dNoise;
    double dSignal;
    int nBeats = 0;
    int nLastCand = -1; // candidate index of the last beat
    double dLastHeight = 0.0;
    std::array<int, kRrHistory> rr{};
    int nRr = 0;
    int nRrSum = 0;

    int Last() const { return beats[nBeats - 1]; }
    double MeanRr() const {
        return nRr > 0 ? double(nRrSum) / double(std::min(nRr, kRrHistory)) : 0.0;
    }
    double Threshold() const { return dNoise + kThresholdFraction * (dSignal - dNoise); }
    int Refractory() const {
        if (nRr == 0)
            return kMinBeatSpacing;
        return std::clamp(int(kRefractoryFraction * MeanRr()), kMinBeatSpacing, kRefractoryMax);
    }
    bool IsTWave(int pos, double height) const {
        if (nBeats == 0)
            return false;
        const double window = std::max(kTWaveWindow * MeanRr(), double(kTWaveMin));
        return double(pos - Last()) < window && height < kTWaveRatio * dLastHeight;
    }
    void Accept(int k, double weight) {
        const int pos = cand[k];
        const double height = feature[pos];
        if (nBeats > 0) {
            const int interval = pos - Last();
            const std::size_t slot = std::size_t(nRr % kRrHistory);
            if (nRr >= kRrHistory)
                nRrSum -= rr[slot];
            rr[slot] = interval;
            nRrSum += interval;
            ++nRr;
        }
        beats[nBeats++] = pos;
        nLastCand = k;
        dLastHeight = height;
        dSignal = weight * height + (1.0 - weight) * dSignal;
    }
    // Looks again between the last beat and candidate k for a beat the threshold missed.
    bool SearchBack(int k) {
        const double need = kSearchBackFraction * Threshold();
        int best = -1;
        for (int j = nLastCand + 1; j < k; ++j) {
            const int pos = cand[j];
            const double height = feature[pos];
            if (pos - Last() < Refractory() || cand[k] - pos < Refractory() || height < need ||
                IsTWave(pos, height))
                continue;
            if (best < 0 || height > feature[cand[best]])
                best = j;
        }
        if (best < 0)
            return false;
        Accept(best, 0.25);
        return true;
    }
    void Consider(int k) {
        const int pos = cand[k];
        while (nRr > 0 && double(pos - Last()) > kMissedBeatGap * MeanRr() && SearchBack(k)) {
        }
        const double height = feature[pos];
        if (nBeats > 0 && pos - Last() < Refractory())
            return;
        if (height < Threshold() || IsTWave(pos, height))
            return;
        Accept(k, 0.125);
    }
};

} // namespace

std::span<const int> DetectBeats(const TraceSet& traces, MeasurementScratch& scratch) {
    const int n = traces.nSamples;
    if (traces.nLeads < 1 || traces.nLeads > kLimbLeadCount || n > kMonitorCapacity ||
        n < 2 * kEdge + kMinBeatSpacing)
        return {};
    for (int lead = 0; lead < traces.nLeads; ++lead)
        if (!traces.leads[std::size_t(lead)])
            return {};

    // The combined slope of the leads: the length of the slope vector, whatever the polarity
    // of each lead's complexes.
    double* slope = scratch.slope.data();
    double* feature = scratch.feature.data();
    std::fill_n(slope, n, 0.0);
    for (int lead = 0; lead < traces.nLeads; ++lead)
        AddLeadSlope(traces.leads[std::size_t(lead)], n, slope);
    for (int i = 0; i < n; ++i)
        slope[i] = std::sqrt(slope[i]);

    // Averaged over a QRS width, centred; rounding in the running sum may leave it a hair
    // below zero.
    std::fill_n(feature, n, 0.0);
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        sum += slope[i];
        if (i >= 2 * kFeatureHalf + 1)
            sum -= slope[i - 2 * kFeatureHalf - 1];
        if (i >= 2 * kFeatureHalf)
            feature[i - kFeatureHalf] = std::max(0.0, sum) * (1.0 / (2 * kFeatureHalf + 1));
    }

    // Candidate peaks: local maxima, the highest of any that lie closer than the beat spacing.
    int* cand = scratch.candidates.data();
    int nCand = 0;
    for (int i = kEdge; i < n - kEdge; ++i) {
        if (!(feature[i] > feature[i - 1] && feature[i] >= feature[i + 1]))
            continue;
        if (nCand > 0 && i - cand[nCand - 1] < kMinBeatSpacing) {
            if (feature[i] > feature[cand[nCand - 1]])
                cand[nCand - 1] = i;
            continue;
        }
        cand[nCand++] = i;
    }
    if (nCand == 0)
        return {};

    // Noise level: a low quantile of the feature (the slope buffer is free again).
    const int nInner = n - 2 * kEdge;
    std::copy_n(feature + kEdge, nInner, slope);
    double* q = slope + int(kNoiseQuantile * nInner);
    std::nth_element(slope, q, slope + nInner);
    const double dNoise = *q;

    // Starting level of the beats: the second highest peak, so that one artefact does not set
    // it, while two beats in a record still do; but the highest when the second is far below
    // it, as a lone beat's own T wave is.
    double top = 0.0, second = 0.0;
    for (int k = 0; k < nCand; ++k) {
        const double h = feature[cand[k]];
        if (h > top) {
            second = top;
            top = h;
        } else if (h > second) {
            second = h;
        }
    }
    const double dSignal = second >= top / 3.0 ? second : top;
    if (dSignal < kMinFeature)
        return {};

    BeatSearch search{cand, feature, scratch.beats.data(), dNoise, dSignal};
    for (int k = 0; k < nCand; ++k)
        search.Consider(k);
    if (search.nBeats == 0)
        return {};

    // What was found must stand well above the noise: noise alone gives peaks about twice its
    // level, beats (even small ones at 400 a minute) five times and more.
    double* heights = slope;
    for (int k = 0; k < search.nBeats; ++k)
        heights[k] = feature[search.beats[k]];
    double* median = heights + search.nBeats / 2;
    std::nth_element(heights, median, heights + search.nBeats);
    if (*median < kMinSignalToNoise * dNoise)
        return {};
    return {scratch.beats.data(), std::size_t(search.nBeats)};
}

std::optional<double> HeartRateOfBeats(std::span<const int> beats) {
    if (beats.size() < 3)
        return std::nullopt;
    const int span = beats.back() - beats.front();
    if (span <= 0)
        return std::nullopt;
    return 60.0 * kSampleRate * double(beats.size() - 1) / double(span);
}

std::optional<double> MeanElectricalAxis(const double* pLeadI, const double* pLeadaVF, int nSamples,
                                         std::span<const int> beats) {
    // The QRS lies within 40 ms before and 50 ms after the beat's position; the baseline is
    // the flattest point of the PR segment, 90 to 33 ms before it.
    constexpr int kQrsBefore = 12, kQrsAfter = 15;
    constexpr int kBaseFrom = 27, kBaseTo = 10;
    // The span around a beat that is looked at, from two samples before the baseline search.
    constexpr int kSpan = 2 + kBaseFrom + kQrsAfter + 1;
    // Both leads are first smoothed by a 6-sample and a 5-sample moving average, which take out
    // mains hum of either frequency and leave the ratio of the leads, and so the direction, as
    // it was.
    constexpr std::array<double, 10> kSmooth = {1, 2, 3, 4, 5, 5, 4, 3, 2, 1};
    constexpr double kSmoothScale = 1.0 / 30.0;
    constexpr int kSmoothBefore = int(kSmooth.size()) / 2;
    constexpr int kSmoothAfter = int(kSmooth.size()) - 1 - kSmoothBefore;
    if (!pLeadI || !pLeadaVF || nSamples <= 0)
        return std::nullopt;
    double netI = 0.0, netaVF = 0.0;
    int nUsed = 0;
    for (const int b : beats) {
        const int from = b - kBaseFrom - 2; // sample of span index 0
        if (from - kSmoothBefore < 0 || from + kSpan + kSmoothAfter > nSamples)
            continue;
        std::array<double, kSpan> I{}, aVF{};
        for (int k = 0; k < kSpan; ++k) {
            for (int t = 0; t < int(kSmooth.size()); ++t) {
                const int i = from + k - kSmoothBefore + t;
                I[std::size_t(k)] += kSmooth[std::size_t(t)] * pLeadI[i];
                aVF[std::size_t(k)] += kSmooth[std::size_t(t)] * pLeadaVF[i];
            }
            I[std::size_t(k)] *= kSmoothScale;
            aVF[std::size_t(k)] *= kSmoothScale;
        }
        const int centre = kBaseFrom + 2; // span index of the beat
        int base = 2;
        double flattest = std::numeric_limits<double>::infinity();
        for (int i = 2; i <= centre - kBaseTo; ++i) {
            const std::size_t u = std::size_t(i);
            const double d = std::fabs(I[u + 2] - I[u - 2]) + std::fabs(aVF[u + 2] - aVF[u - 2]);
            if (d < flattest) {
                flattest = d;
                base = i;
            }
        }
        auto net = [&](const std::array<double, kSpan>& x) {
            const double level = x[std::size_t(base)];
            double hi = x[std::size_t(centre - kQrsBefore)], lo = hi;
            for (int i = centre - kQrsBefore; i < kSpan; ++i) {
                hi = std::max(hi, x[std::size_t(i)]);
                lo = std::min(lo, x[std::size_t(i)]);
            }
            return (hi - level) + (lo - level);
        };
        netI += net(I);
        netaVF += net(aVF);
        ++nUsed;
    }
    if (nUsed == 0)
        return std::nullopt;
    const double x = netI / nUsed;
    const double y = 2.0 * (netaVF / nUsed) / std::numbers::sqrt3;
    // Less than one sample unit either way: the QRS is equiphasic in every limb lead.
    if (std::hypot(x, y) < 1.0)
        return std::nullopt;
    return std::atan2(y, x) * 180.0 / std::numbers::pi;
}

EcgMeasurements MeasureRecording(const CZM540Doc& doc, MeasurementScratch& scratch) {
    TraceSet set;
    set.nSamples = std::clamp(int(doc.m_nSamples), 0, doc.Capacity());
    if (doc.m_bTwelveLead) {
        set.nLeads = kLimbLeadCount;
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            set.leads[std::size_t(lead)] = doc.m_leadTrace[std::size_t(lead)].data();
    } else {
        set.nLeads = 1;
        set.leads[0] = doc.m_monitorTrace.data();
    }
    const std::span<const int> beats = DetectBeats(set, scratch);
    EcgMeasurements m;
    m.nBeats = int(beats.size());
    m.rateBpm = HeartRateOfBeats(beats);
    if (doc.m_bTwelveLead)
        m.axisDeg = MeanElectricalAxis(doc.m_leadTrace[0].data(), doc.m_leadTrace[5].data(),
                                       set.nSamples, beats);
    return m;
}

std::optional<double> LiveHeartRate(const LiveRings& live, double dCutoff,
                                    MeasurementScratch& scratch) {
    if (live.nLeads < 1 || live.nLeads > kLimbLeadCount || live.nCapacity <= 0 || live.nHead < 0 ||
        live.nHead >= live.nCapacity || live.nValid < 0 || live.nValid > live.nCapacity)
        return std::nullopt;
    for (int lead = 0; lead < live.nLeads; ++lead)
        if (!live.rings[std::size_t(lead)])
            return std::nullopt;

    // The newest samples, oldest first: from `start` to the ring's end, then from its start.
    const int n = std::min(live.nValid, kLiveSpan);
    const int start = live.nHead >= n ? live.nHead - n : live.nHead - n + live.nCapacity;
    const int nFirst = std::min(n, live.nCapacity - start);
    TraceSet set;
    set.nLeads = live.nLeads;
    set.nSamples = n;
    for (int lead = 0; lead < live.nLeads; ++lead) {
        const std::int8_t* ring = live.rings[std::size_t(lead)];
        double* x = scratch.live[std::size_t(lead)].data();
        std::copy_n(ring + start, nFirst, x);
        std::copy_n(ring, n - nFirst, x + nFirst);
        const std::span<double> trace(x, std::size_t(n));
        SmoothTrace(trace);
        if (dCutoff > 0.0)
            FilterTrace(trace, dCutoff, kSampleRate);
        set.leads[std::size_t(lead)] = x;
    }
    return HeartRateOfBeats(DetectBeats(set, scratch));
}

std::optional<double> LiveHeartRate(const CZM540Doc& doc, int nHead, int nValid,
                                    MeasurementScratch& scratch) {
    LiveRings live;
    live.nHead = nHead;
    live.nValid = nValid;
    if (doc.m_bTwelveLead) {
        live.nLeads = kLimbLeadCount;
        live.nCapacity = kLeadCapacity;
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            live.rings[std::size_t(lead)] = doc.m_leadRing[std::size_t(lead)].data();
    } else {
        live.nLeads = 1;
        live.nCapacity = kMonitorCapacity;
        live.rings[0] = doc.m_monitorRing.data();
    }
    return LiveHeartRate(live, doc.m_dCutoff, scratch);
}

namespace {

std::optional<bool> InRange(int nLo, int nHi, std::optional<double> value) {
    if (nLo > nHi || !value)
        return std::nullopt;
    return *value >= nLo && *value <= nHi;
}

} // namespace

std::optional<bool> RateInReference(Species species, std::optional<double> rateBpm) {
    const SpeciesReference& r = ReferenceOf(species);
    return InRange(r.nRateLo, r.nRateHi, rateBpm);
}

std::optional<bool> AxisInReference(Species species, std::optional<double> axisDeg) {
    const SpeciesReference& r = ReferenceOf(species);
    return InRange(r.nAxisLo, r.nAxisHi, axisDeg);
}

namespace {

QString SignedDegrees(long v) {
    return (v > 0 ? QStringLiteral("+%1°") : QStringLiteral("%1°")).arg(v);
}

} // namespace

QString RateText(std::optional<double> rateBpm) {
    return rateBpm ? QStringLiteral("%1 bpm").arg(std::lround(*rateBpm)) : QStringLiteral("—");
}

QString AxisText(std::optional<double> axisDeg) {
    return axisDeg ? SignedDegrees(std::lround(*axisDeg)) : QStringLiteral("—");
}

QString RateRangeText(Species species) {
    const SpeciesReference& r = ReferenceOf(species);
    return r.nRateLo > r.nRateHi ? QString()
                                 : QStringLiteral("%1–%2 bpm").arg(r.nRateLo).arg(r.nRateHi);
}

QString AxisRangeText(Species species) {
    const SpeciesReference& r = ReferenceOf(species);
    return r.nAxisLo > r.nAxisHi
               ? QString()
               : QStringLiteral("%1 to %2").arg(SignedDegrees(r.nAxisLo), SignedDegrees(r.nAxisHi));
}
