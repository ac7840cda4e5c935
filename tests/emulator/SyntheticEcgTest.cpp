#include "SyntheticEcg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

std::vector<EcgInstant> Record(const EcgOptions& options, int seconds) {
    SyntheticEcg ecg(options);
    std::vector<EcgInstant> out(size_t(seconds) * SyntheticEcg::kSampleRate);
    for (EcgInstant& inst : out)
        ecg.Next(&inst);
    return out;
}

// R peaks of a channel: local maxima above 60 % of the largest value, at least 150 ms apart.
std::vector<int> RPeaks(const std::vector<EcgInstant>& rec, int channel) {
    int top = 0;
    for (const EcgInstant& inst : rec)
        top = std::max(top, inst.units[channel]);
    std::vector<int> peaks;
    for (size_t n = 1; n + 1 < rec.size(); ++n) {
        const int v = rec[n].units[channel];
        if (v < 0.6 * top || v < rec[n - 1].units[channel] || v <= rec[n + 1].units[channel])
            continue;
        if (!peaks.empty() && int(n) - peaks.back() < 45)
            continue;
        peaks.push_back(int(n));
    }
    return peaks;
}

} // namespace

TEST(SyntheticEcg, LimbLeadsComeFromOneVector) {
    // Whatever the disturbances, the six limb leads obey Einthoven's and Goldberger's
    // relations in the source, and III = II - I holds exactly for the integer samples.
    for (Animal animal : {Animal::Dog, Animal::Cat}) {
        for (int flags = 0; flags < 8; ++flags) {
            EcgOptions o;
            o.animal = animal;
            o.bNoise = flags & 1;
            o.bHum = flags & 2;
            o.bWander = flags & 4;
            o.nSeed = 100 + quint64(flags);
            SCOPED_TRACE(testing::Message()
                         << "cat " << (animal == Animal::Cat) << " flags " << flags);
            for (const EcgInstant& inst : Record(o, 5)) {
                const auto& s = inst.source;
                ASSERT_NEAR(s[kChIII], s[kChII] - s[kChI], 1e-9);
                ASSERT_NEAR(s[kChaVR], -(s[kChI] + s[kChII]) / 2.0, 1e-9);
                ASSERT_NEAR(s[kChaVL], s[kChI] - s[kChII] / 2.0, 1e-9);
                ASSERT_NEAR(s[kChaVF], s[kChII] - s[kChI] / 2.0, 1e-9);
                const auto& u = inst.units;
                ASSERT_EQ(u[kChIII], u[kChII] - u[kChI]);
                ASSERT_EQ(u[kChI], std::lround(s[kChI] * 33.0));
                ASSERT_EQ(u[kChII], std::lround(s[kChII] * 33.0));
            }
        }
    }
}

TEST(SyntheticEcg, HeartRateAndAmplitudesOfEachAnimal) {
    struct Case {
        Animal animal;
        int minBeats, maxBeats; // R peaks in lead II over 10 s
        double minRMv, maxRMv;  // height of the R peaks in II
    };
    const Case cases[] = {
        {Animal::Dog, 17, 23, 1.5, 2.5}, // about 120 a minute
        {Animal::Cat, 26, 34, 0.5, 0.9}, // about 180 a minute
    };
    for (const Case& c : cases) {
        for (quint64 seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message()
                         << "cat " << (c.animal == Animal::Cat) << " seed " << seed);
            EcgOptions o;
            o.animal = c.animal;
            o.nSeed = seed;
            const std::vector<EcgInstant> rec = Record(o, 10);
            const std::vector<int> peaks = RPeaks(rec, kChII);
            EXPECT_GE(int(peaks.size()), c.minBeats);
            EXPECT_LE(int(peaks.size()), c.maxBeats);

            std::vector<int> intervals;
            for (size_t i = 1; i < peaks.size(); ++i) {
                const double mv = rec[peaks[i]].units[kChII] / 33.0;
                EXPECT_GE(mv, c.minRMv);
                EXPECT_LE(mv, c.maxRMv);
                // Deep S in V1 and a tall R in V6 at the R peak of II.
                EXPECT_LT(rec[peaks[i]].units[kChV1], 0);
                EXPECT_GT(rec[peaks[i]].units[kChV1 + 5], 0);
                intervals.push_back(peaks[i] - peaks[i - 1]);
            }
            // The rhythm varies a little from beat to beat, but not wildly.
            const auto [lo, hi] = std::minmax_element(intervals.begin(), intervals.end());
            EXPECT_GT(*hi, *lo);
            EXPECT_LT(*hi - *lo, *lo / 3);
        }
    }
}

TEST(SyntheticEcg, SamplesStayInsideTheByteRangeWithEveryDisturbance) {
    for (Animal animal : {Animal::Dog, Animal::Cat}) {
        for (quint64 seed = 1; seed <= 5; ++seed) {
            EcgOptions o;
            o.animal = animal;
            o.bNoise = o.bHum = o.bWander = true;
            o.nSeed = seed;
            int lo = 0, hi = 0;
            for (const EcgInstant& inst : Record(o, 60))
                for (int v : inst.units) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
            // Well inside -126..127: nothing reaches the clamp.
            EXPECT_GT(lo, -110) << seed;
            EXPECT_LT(hi, 110) << seed;
        }
    }
}

TEST(SyntheticEcg, DisturbancesShowWhereTheyShould) {
    // Each disturbance adds a visible but moderate difference to the clean ECG of the same
    // seed, and only the mains hum adds it at 50 Hz.
    EcgOptions clean;
    clean.nSeed = 9;
    const std::vector<EcgInstant> base = Record(clean, 10);
    struct Case {
        const char* what;
        bool bNoise, bHum, bWander;
    };
    const Case cases[] = {
        {"noise", true, false, false}, {"hum", false, true, false}, {"wander", false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EcgOptions o = clean;
        o.bNoise = c.bNoise;
        o.bHum = c.bHum;
        o.bWander = c.bWander;
        const std::vector<EcgInstant> rec = Record(o, 10);
        double power = 0.0, re = 0.0, im = 0.0;
        for (size_t n = 0; n < rec.size(); ++n) {
            const double d = rec[n].source[kChII] - base[n].source[kChII];
            power += d * d;
            const double phase = 2.0 * std::numbers::pi * 50.0 * double(n) / 300.0;
            re += d * std::cos(phase);
            im += d * std::sin(phase);
        }
        power /= double(rec.size());
        // Amplitude at 50 Hz over two: 0.707 of the RMS for a pure tone.
        const double fiftyHz = std::hypot(re, im) / double(rec.size());
        EXPECT_GT(power, 1e-5); // visible
        EXPECT_LT(power, 0.1);  // but no more than about 0.3 mV
        if (c.bHum)
            EXPECT_GT(fiftyHz, 0.3 * std::sqrt(power));
        else
            EXPECT_LT(fiftyHz, 0.1 * std::sqrt(power));
    }
}
