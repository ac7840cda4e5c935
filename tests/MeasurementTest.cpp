#include "TestSupport.h"

#include "Measurements.h"
#include "SyntheticEcg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

using std::numbers::pi;

constexpr double kFs = 300.0;
constexpr int kTwelveLeadSamples = 3000; // 10 s
constexpr int kMonitorSamples = 12000;   // 40 s

// One placed beat: its R peak time and how its complex looks.
struct Beat {
    double t;              // seconds
    double scale = 1.0;    // amplitude of the whole complex
    double tHeight = 0.25; // T wave, relative to R
};

struct Disturbances {
    double noiseMv = 0.0;
    double humMv = 0.0;
    double humHz = 50.0;
    double wanderMv = 0.0;
};

// A recording built from one heart vector along `axisDeg`: P, Q, R, S and T waves, their
// timing relative to the R peak (P and T move out at slow rates), widths scaled by `width`.
struct Synthetic {
    std::vector<Beat> beats;
    double rMv = 2.0;
    double axisDeg = 60.0;
    double width = 1.0;
    Disturbances dist;
    unsigned seed = 1;
};

double Gauss(double t, double centre, double sigma) {
    const double u = (t - centre) / sigma;
    return std::exp(-0.5 * u * u);
}

// The heart vector's length at time t, millivolts.
double Vector(const Synthetic& s, double t) {
    double v = 0.0;
    for (std::size_t k = 0; k < s.beats.size(); ++k) {
        const Beat& b = s.beats[k];
        const double d = t - b.t;
        if (d < -0.5 || d > 0.8)
            continue;
        const double rr = k + 1 < s.beats.size() ? s.beats[k + 1].t - b.t
                          : k > 0                ? b.t - s.beats[k - 1].t
                                                 : 0.5;
        const double stretch = std::sqrt(std::clamp(rr, 0.15, 2.0) / 0.5);
        const double w = s.width;
        v += b.scale *
             (0.12 * Gauss(d, -0.09 * stretch, 0.012 * w) - 0.10 * Gauss(d, -0.022 * w, 0.006 * w) +
              Gauss(d, 0.0, 0.009 * w) - 0.25 * Gauss(d, 0.022 * w, 0.007 * w) +
              b.tHeight * Gauss(d, 0.17 * stretch, 0.03 * stretch));
    }
    return s.rMv * v;
}

int Quantise(double mv) {
    return int(std::clamp(std::lround(mv * kUnitsPerMv), -128L, 127L));
}

int Clamp8(int v) {
    return std::clamp(v, -128, 127);
}

// Samples of the six limb leads: I and II as the recorder measures them (heart vector,
// disturbances, quantised), the others derived from them as the recorder derives them.
using LimbSamples = std::array<std::vector<int>, kLimbLeadCount>;

LimbSamples Render(const Synthetic& s, int n) {
    std::mt19937 gen(s.seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    const double a = s.axisDeg * pi / 180.0;
    LimbSamples out;
    for (auto& lead : out)
        lead.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const double t = i / kFs;
        const double v = Vector(s, t);
        double I = v * std::cos(a);
        double II = v * std::cos(a - pi / 3.0);
        const Disturbances& d = s.dist;
        I += d.noiseMv * noise(gen);
        II += d.noiseMv * noise(gen);
        I += d.humMv * std::sin(2.0 * pi * d.humHz * t);
        II += 0.7 * d.humMv * std::sin(2.0 * pi * d.humHz * t + 0.9);
        I += d.wanderMv *
             (std::sin(2.0 * pi * 0.25 * t + 1.0) + 0.5 * std::sin(2.0 * pi * 0.07 * t));
        II += d.wanderMv *
              (0.8 * std::sin(2.0 * pi * 0.25 * t) - 0.6 * std::sin(2.0 * pi * 0.07 * t + 2.0));
        const int nI = Quantise(I), nII = Quantise(II);
        const int nIII = Clamp8(nII - nI);
        out[0][std::size_t(i)] = nI;
        out[1][std::size_t(i)] = nII;
        out[2][std::size_t(i)] = nIII;
        out[3][std::size_t(i)] = Clamp8(-((nI + nII) / 2));
        out[4][std::size_t(i)] = Clamp8((nI - nIII) / 2);
        out[5][std::size_t(i)] = Clamp8((nII + nIII) / 2);
    }
    return out;
}

// Puts the samples into the document as a stopped session would and processes them. In
// monitoring the document records `monitored`.
void Load(CZM540Doc& doc, bool bTwelveLead, const LimbSamples& leads, double cutoff,
          int monitored = kLeadII) {
    doc.m_bTwelveLead = bTwelveLead ? 1 : 0;
    doc.m_dCutoff = cutoff;
    doc.m_nSamples = int(leads[0].size());
    for (std::size_t i = 0; i < leads[0].size(); ++i) {
        if (bTwelveLead)
            for (int lead = 0; lead < kLimbLeadCount; ++lead)
                doc.m_leadRecord[std::size_t(lead)][i] = std::int8_t(leads[std::size_t(lead)][i]);
        else
            doc.m_monitorRecord[i] = std::int8_t(leads[std::size_t(monitored)][i]);
    }
    doc.ProcessRecord();
}

std::vector<Beat> Regular(double bpm, double seconds) {
    std::vector<Beat> beats;
    for (double t = 0.3; t <= seconds - 0.3; t += 60.0 / bpm)
        beats.push_back({t});
    return beats;
}

// A dog's sinus arrhythmia: the interval follows a 4-s breathing cycle by +-20 %, the
// complexes grow and shrink with it, and every ninth beat comes early (at 65 % of the interval,
// smaller, with a taller T) and is followed by a pause.
std::vector<Beat> Arrhythmia(double bpm, double seconds) {
    const double rr0 = 60.0 / bpm;
    std::vector<Beat> beats;
    double t = 0.3;
    for (int k = 0; t <= seconds - 0.3; ++k) {
        const double breath = std::sin(2.0 * pi * t / 4.0);
        const bool bPremature = k % 9 == 8;
        beats.push_back({t, bPremature ? 0.8 : 1.0 + 0.12 * breath, bPremature ? 0.45 : 0.25});
        double rr = rr0 * (1.0 - 0.2 * breath);
        if (k % 9 == 7)
            rr *= 0.65; // the next beat is the premature one
        else if (bPremature)
            rr *= 1.35;
        t += rr;
    }
    return beats;
}

// The rate of the placed beats: the mean of their intervals, taken by hand.
double PlacedRate(const std::vector<Beat>& beats) {
    return 60.0 * double(beats.size() - 1) / (beats.back().t - beats.front().t);
}

std::span<const int> DocBeats(const CZM540Doc& doc, MeasurementScratch& scratch) {
    TraceSet set;
    set.nSamples = doc.m_nSamples;
    if (doc.m_bTwelveLead) {
        set.nLeads = kLimbLeadCount;
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            set.leads[std::size_t(lead)] = doc.m_leadTrace[std::size_t(lead)].data();
    } else {
        set.nLeads = 1;
        set.leads[0] = doc.m_monitorTrace.data();
    }
    return DetectBeats(set, scratch);
}

// Reports the worst error of a test set, so that its margin shows in the log.
void ReportWorst(const char* what, double worstPercent) {
    std::printf("[  worst   ] %s: %.2f %%\n", what, worstPercent);
}

struct Measuring : testing::Test {
    DocFixture f;
    std::unique_ptr<MeasurementScratch> scratch = std::make_unique<MeasurementScratch>();
};

using RateFromPlacedBeats = Measuring;

TEST_F(RateFromPlacedBeats, EveryBeatIsFoundAndTheRateIsWithinThreePercent) {
    enum class Rhythm { Regular, Arrhythmia, SmallFourth };
    struct Case {
        const char* name;
        bool bTwelveLead;
        double bpm;
        Rhythm rhythm = Rhythm::Regular;
        double rMv = 2.0;
        double axisDeg = 60.0;
        double width = 1.0;
        Disturbances dist = {};
        double cutoff = 100.0;
        double tHeight = 0.25; // of a regular rhythm's T waves, relative to R
    };
    const Disturbances noise{0.05, 0.0, 50.0, 0.0};
    const Disturbances hum50{0.0, 0.3, 50.0, 0.0};
    const Disturbances hum60{0.0, 0.3, 60.0, 0.0};
    const Disturbances wander{0.0, 0.0, 50.0, 0.6};
    const Disturbances all{0.05, 0.3, 50.0, 0.6};
    const Case cases[] = {
        // Rates across the range, 12-lead (10 s) and monitoring (40 s).
        {"12-lead 30", true, 30},
        {"12-lead 45", true, 45},
        {"12-lead 60", true, 60},
        {"12-lead 90", true, 90},
        {"12-lead 120", true, 120},
        {"12-lead 160", true, 160},
        {"12-lead 200", true, 200},
        {"12-lead 250", true, 250, Rhythm::Regular, 1.0, 60.0, 0.75},
        {"12-lead 300", true, 300, Rhythm::Regular, 1.0, 60.0, 0.75},
        {"12-lead 380", true, 380, Rhythm::Regular, 1.0, 60.0, 0.75},
        {"monitor 20", false, 20},
        {"monitor 30", false, 30},
        {"monitor 60", false, 60},
        {"monitor 120", false, 120},
        {"monitor 200", false, 200},
        {"monitor 300", false, 300, Rhythm::Regular, 1.0, 60.0, 0.75},
        {"monitor 380", false, 380, Rhythm::Regular, 1.0, 60.0, 0.75},
        // Each disturbance, and all of them, at a dog's and a cat's rate.
        {"12-lead noise", true, 120, Rhythm::Regular, 2.0, 60.0, 1.0, noise},
        {"12-lead 50 Hz", true, 120, Rhythm::Regular, 2.0, 60.0, 1.0, hum50},
        {"12-lead 60 Hz", true, 200, Rhythm::Regular, 1.0, 60.0, 0.75, hum60},
        {"12-lead wander", true, 120, Rhythm::Regular, 2.0, 60.0, 1.0, wander},
        {"12-lead all", true, 200, Rhythm::Regular, 1.0, 60.0, 0.75, all},
        {"monitor noise", false, 120, Rhythm::Regular, 2.0, 60.0, 1.0, noise},
        {"monitor 50 Hz", false, 200, Rhythm::Regular, 1.0, 60.0, 0.75, hum50},
        {"monitor 60 Hz", false, 120, Rhythm::Regular, 2.0, 60.0, 1.0, hum60},
        {"monitor wander", false, 200, Rhythm::Regular, 1.0, 60.0, 0.75, wander},
        {"monitor all", false, 120, Rhythm::Regular, 2.0, 60.0, 1.0, all},
        {"monitor all, 40 Hz", false, 120, Rhythm::Regular, 2.0, 60.0, 1.0, all, 40.0},
        {"monitor all, unfiltered", false, 200, Rhythm::Regular, 1.0, 60.0, 0.75, all, 0.0},
        // Negative complexes: a vector pointing up and right makes I and II both negative.
        {"12-lead inverted", true, 120, Rhythm::Regular, 2.0, -120.0},
        {"12-lead inverted, all", true, 200, Rhythm::Regular, 1.0, -120.0, 0.75, all},
        {"monitor inverted", false, 150, Rhythm::Regular, 2.0, -120.0},
        {"monitor inverted, all", false, 150, Rhythm::Regular, 2.0, -120.0, 1.0, all},
        // A cat's small complexes: R of 0.3 mV, 10 sample units.
        {"12-lead tiny", true, 200, Rhythm::Regular, 0.3, 60.0, 0.75},
        {"12-lead tiny, noise", true, 200, Rhythm::Regular, 0.3, 60.0, 0.75, {0.02}},
        {"12-lead tiny, 50 Hz", true, 220, Rhythm::Regular, 0.3, 60.0, 0.75, hum50},
        {"monitor tiny", false, 180, Rhythm::Regular, 0.3, 60.0, 0.75},
        {"monitor tiny, noise", false, 240, Rhythm::Regular, 0.3, 60.0, 0.75, {0.02}},
        {"monitor tiny, wander", false, 180, Rhythm::Regular, 0.3, 60.0, 0.75, wander},
        {"monitor tiny, 60 Hz", false, 200, Rhythm::Regular, 0.3, 60.0, 0.75, hum60},
        // T waves as tall as the R wave, and taller: they are broad, so their slope stays low.
        {"12-lead tall T", true, 90, Rhythm::Regular, 1.5, 60.0, 1.0, noise, 100.0, 1.0},
        {"monitor tall T", false, 60, Rhythm::Regular, 1.0, 60.0, 1.0, all, 100.0, 1.5},
        {"monitor tall T, fast", false, 220, Rhythm::Regular, 1.0, 60.0, 0.75, noise, 40.0, 1.0},
        // Every fourth complex a fifth of the others' size (the animal moved, or alternans):
        // too small for the threshold, it is found by looking again in the long gap.
        {"12-lead small fourth beats", true, 100, Rhythm::SmallFourth, 2.0, 60.0, 1.0, noise},
        {"monitor small fourth beats", false, 150, Rhythm::SmallFourth, 2.0, 60.0, 1.0, all},
        // Sinus arrhythmia with premature beats and changing complexes.
        {"12-lead arrhythmia", true, 120, Rhythm::Arrhythmia},
        {"12-lead arrhythmia, all", true, 90, Rhythm::Arrhythmia, 2.0, 60.0, 1.0, all},
        {"monitor arrhythmia", false, 120, Rhythm::Arrhythmia},
        {"monitor arrhythmia, slow", false, 50, Rhythm::Arrhythmia},
        {"monitor arrhythmia, all", false, 160, Rhythm::Arrhythmia, 2.0, 60.0, 1.0, all},
        {"monitor arrhythmia, tiny", false, 180, Rhythm::Arrhythmia, 0.3, 60.0, 0.75, {0.02}},
    };
    double worst = 0.0;
    unsigned seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = c.bTwelveLead ? kTwelveLeadSamples : kMonitorSamples;
        Synthetic s;
        s.beats =
            c.rhythm != Rhythm::Arrhythmia ? Regular(c.bpm, n / kFs) : Arrhythmia(c.bpm, n / kFs);
        for (std::size_t k = 0; c.rhythm != Rhythm::Arrhythmia && k < s.beats.size(); ++k) {
            s.beats[k].tHeight = c.tHeight;
            if (c.rhythm == Rhythm::SmallFourth && k % 4 == 3)
                s.beats[k].scale = 0.2;
        }
        s.rMv = c.rMv;
        s.axisDeg = c.axisDeg;
        s.width = c.width;
        s.dist = c.dist;
        s.seed = seed++;
        Load(*f.doc, c.bTwelveLead, Render(s, n), c.cutoff);

        const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
        const double expected = PlacedRate(s.beats);
        ASSERT_TRUE(m.rateBpm.has_value());
        EXPECT_EQ(m.nBeats, int(s.beats.size()));
        EXPECT_NEAR(*m.rateBpm, expected, 0.03 * expected);
        worst = std::max(worst, 100.0 * std::fabs(*m.rateBpm - expected) / expected);

        // Every beat found is one that was placed, within 20 ms of its R peak.
        for (const int b : DocBeats(*f.doc, *scratch)) {
            double nearest = 1e9;
            for (const Beat& p : s.beats)
                nearest = std::min(nearest, std::fabs(b / kFs - p.t));
            EXPECT_LT(nearest, 0.020) << "beat at sample " << b;
        }
    }
    ReportWorst("placed beats", worst);
}

TEST_F(RateFromPlacedBeats, FewerThanThreeBeatsGiveNoRate) {
    struct Case {
        const char* name;
        bool bTwelveLead;
        std::vector<Beat> beats;
        Disturbances dist;
        int nBeats; // what is found
    };
    const Case cases[] = {
        {"flat line", true, {}, {}, 0},
        {"noise only", false, {}, {0.05}, 0},
        {"noise only, 12-lead", true, {}, {0.05}, 0},
        {"strong noise only", false, {}, {0.5}, 0},
        {"hum and wander only", true, {}, {0.0, 0.3, 50.0, 0.6}, 0},
        {"one beat", false, {{5.0}}, {0.02}, 1},
        {"two beats", true, {{2.0}, {6.0}}, {0.02}, 2},
        {"two beats, all disturbances", false, {{10.0}, {30.0}}, {0.05, 0.3, 50.0, 0.6}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Synthetic s;
        s.beats = c.beats;
        s.dist = c.dist;
        Load(*f.doc, c.bTwelveLead, Render(s, c.bTwelveLead ? kTwelveLeadSamples : kMonitorSamples),
             100.0);
        const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
        EXPECT_FALSE(m.rateBpm.has_value());
        EXPECT_EQ(m.nBeats, c.nBeats);
        // Without beats there is no axis either; with some there is one.
        if (c.bTwelveLead)
            EXPECT_EQ(m.axisDeg.has_value(), c.nBeats > 0);
        else
            EXPECT_FALSE(m.axisDeg.has_value());
    }
}

TEST_F(RateFromPlacedBeats, AnEmptyOrShortDocumentHasNoReadings) {
    for (int n : {0, 1, 30, 60}) {
        SCOPED_TRACE(n);
        Synthetic s;
        s.beats = Regular(600, 1.0);
        Load(*f.doc, true, Render(s, n), 100.0);
        const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
        EXPECT_FALSE(m.rateBpm.has_value());
        EXPECT_FALSE(m.axisDeg.has_value());
        EXPECT_EQ(m.nBeats, 0);
    }
}

TEST(DetectBeats, RefusesTraceSetsItCannotMeasure) {
    auto scratch = std::make_unique<MeasurementScratch>();
    const std::vector<double> trace(kMonitorCapacity + 1, 0.0);
    auto set = [&](int nLeads, int nSamples) {
        TraceSet s;
        s.nLeads = nLeads;
        s.nSamples = nSamples;
        for (int k = 0; k < std::min(nLeads, kLimbLeadCount); ++k)
            s.leads[std::size_t(k)] = trace.data();
        return s;
    };
    EXPECT_TRUE(DetectBeats(set(0, 3000), *scratch).empty());
    EXPECT_TRUE(DetectBeats(set(7, 3000), *scratch).empty());
    EXPECT_TRUE(DetectBeats(set(1, kMonitorCapacity + 1), *scratch).empty());
    EXPECT_TRUE(DetectBeats(set(1, -5), *scratch).empty());
    TraceSet missing = set(6, 3000);
    missing.leads[3] = nullptr;
    EXPECT_TRUE(DetectBeats(missing, *scratch).empty());
}

TEST(HeartRateOfBeats, IsSixtySecondsOverTheMeanInterval) {
    // Intervals of 300, 150 and 150 samples: a mean of 200 samples, 2/3 s, is 90 a minute.
    const int beats[] = {100, 400, 550, 700};
    EXPECT_DOUBLE_EQ(*HeartRateOfBeats(beats), 90.0);
    const int three[] = {0, 75, 150}; // 0.25 s: 240 a minute
    EXPECT_DOUBLE_EQ(*HeartRateOfBeats(three), 240.0);
    const int two[] = {0, 300};
    EXPECT_FALSE(HeartRateOfBeats(two).has_value());
    EXPECT_FALSE(HeartRateOfBeats({}).has_value());
}

// The emulated unit's dog and cat with each combination of its disturbances.
TEST(RateOfTheEmulatedAnimals, IsWithinThreePercentOfTheirRate) {
    DocFixture f;
    auto scratch = std::make_unique<MeasurementScratch>();
    double worst = 0.0;
    for (Animal animal : {Animal::Dog, Animal::Cat}) {
        for (int flags = 0; flags < 8; ++flags) {
            for (bool bTwelveLead : {true, false}) {
                EcgOptions o;
                o.animal = animal;
                o.bNoise = flags & 1;
                o.bHum = flags & 2;
                o.bWander = flags & 4;
                o.nSeed = 7 + quint64(flags);
                SCOPED_TRACE(testing::Message()
                             << (animal == Animal::Dog ? "dog" : "cat") << " noise " << o.bNoise
                             << " hum " << o.bHum << " wander " << o.bWander
                             << (bTwelveLead ? " 12-lead" : " monitoring"));
                SyntheticEcg ecg(o);
                const int n = bTwelveLead ? kTwelveLeadSamples : kMonitorSamples;
                LimbSamples leads;
                for (auto& lead : leads)
                    lead.resize(std::size_t(n));
                for (int i = 0; i < n; ++i) {
                    EcgInstant inst;
                    ecg.Next(&inst);
                    for (int lead = 0; lead < kLimbLeadCount; ++lead)
                        leads[std::size_t(lead)][std::size_t(i)] = inst.units[std::size_t(lead)];
                }
                // Monitoring lead aVR shows the complexes upside down.
                Load(*f.doc, bTwelveLead, leads, 100.0, flags % 2 ? 3 : kLeadII);
                const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
                const double expected = ecg.MeanHeartRate();
                ASSERT_TRUE(m.rateBpm.has_value());
                EXPECT_NEAR(*m.rateBpm, expected, 0.03 * expected);
                worst = std::max(worst, 100.0 * std::fabs(*m.rateBpm - expected) / expected);
            }
        }
    }
    ReportWorst("emulated dog and cat", worst);
}

double AngleBetween(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0)
        d -= 360.0;
    if (d < -180.0)
        d += 360.0;
    return std::fabs(d);
}

using Axis = Measuring;

TEST_F(Axis, IsTheDirectionOfTheHeartVector) {
    struct Case {
        double axisDeg;
        Disturbances dist;
        double rMv;
    };
    const Disturbances all{0.05, 0.3, 50.0, 0.6};
    const Case cases[] = {
        {0.0, {}, 2.0},   {60.0, {}, 2.0},   {90.0, {}, 2.0},   {-30.0, {}, 2.0},
        {180.0, {}, 2.0}, {120.0, {}, 2.0},  {-90.0, {}, 2.0},  {150.0, {}, 1.0},
        {60.0, all, 2.0}, {-30.0, all, 1.5}, {180.0, all, 1.5}, {90.0, {0.02}, 1.0},
    };
    double worst = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.axisDeg << " degrees, noise " << c.dist.noiseMv);
        Synthetic s;
        s.beats = Arrhythmia(120, 10.0);
        s.axisDeg = c.axisDeg;
        s.rMv = c.rMv;
        s.dist = c.dist;
        Load(*f.doc, true, Render(s, kTwelveLeadSamples), 100.0);
        const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
        ASSERT_TRUE(m.axisDeg.has_value());
        EXPECT_GE(*m.axisDeg, -180.0);
        EXPECT_LE(*m.axisDeg, 180.0);
        EXPECT_LE(AngleBetween(*m.axisDeg, c.axisDeg), 5.0) << *m.axisDeg;
        worst = std::max(worst, AngleBetween(*m.axisDeg, c.axisDeg));
    }
    std::printf("[  worst   ] axis: %.2f degrees\n", worst);
}

TEST_F(Axis, OfTheEmulatedDogFollowsItsRWave) {
    // The dog's R wave points along (0.72, 1.97) mV, 70 degrees; its Q and S point nearly the
    // opposite way, so the net deflection keeps that direction.
    SyntheticEcg ecg(EcgOptions{Animal::Dog, true, true, true, 3});
    LimbSamples leads;
    for (auto& lead : leads)
        lead.resize(kTwelveLeadSamples);
    for (int i = 0; i < kTwelveLeadSamples; ++i) {
        EcgInstant inst;
        ecg.Next(&inst);
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            leads[std::size_t(lead)][std::size_t(i)] = inst.units[std::size_t(lead)];
    }
    Load(*f.doc, true, leads, 100.0);
    const EcgMeasurements m = MeasureRecording(*f.doc, *scratch);
    ASSERT_TRUE(m.axisDeg.has_value());
    EXPECT_NEAR(*m.axisDeg, 70.0, 10.0);
}

TEST(MeanElectricalAxis, HandBuiltDeflections) {
    // Lead I rises by 6 and then dips by 2 below its baseline of 10 (net 4); aVF only dips, by
    // 2*sqrt(3) (net -3.46, scaled to -4): the vector is (4, -4), -45 degrees. A P wave in lead
    // I before the PR segment is not the baseline. Each wave is a plateau wider than the
    // smoothing, so it keeps its height.
    std::vector<double> I(200, 10.0), aVF(200, -5.0);
    const int beat = 100;
    std::fill(I.begin() + beat - 34, I.begin() + beat - 24, 14.0);
    std::fill(I.begin() + beat - 8, I.begin() + beat + 4, 16.0);
    std::fill(I.begin() + beat + 4, I.begin() + beat + 16, 8.0);
    std::fill(aVF.begin() + beat - 4, aVF.begin() + beat + 8, -5.0 - 2.0 * std::numbers::sqrt3);
    const int beats[] = {beat};
    EXPECT_NEAR(*MeanElectricalAxis(I.data(), aVF.data(), 200, beats), -45.0, 1e-9);
    // A flat QRS has no direction; a beat too near the end is not measured.
    const std::vector<double> flat(200, 3.0);
    EXPECT_FALSE(MeanElectricalAxis(flat.data(), flat.data(), 200, beats).has_value());
    const int late[] = {190};
    EXPECT_FALSE(MeanElectricalAxis(I.data(), aVF.data(), 200, late).has_value());
    EXPECT_FALSE(MeanElectricalAxis(I.data(), aVF.data(), 200, {}).has_value());
}

using LiveRate = Measuring;

// Writes the samples into the document's rings so that the last one lies just before `head`.
void FillRings(CZM540Doc& doc, const LimbSamples& leads, int head, int monitored = kLeadII) {
    const int capacity = doc.Capacity();
    const int n = int(leads[0].size());
    for (int k = 0; k < n; ++k) {
        const int i = ((head - n + k) % capacity + capacity) % capacity;
        if (doc.m_bTwelveLead)
            for (int lead = 0; lead < kLimbLeadCount; ++lead)
                doc.m_leadRing[std::size_t(lead)][std::size_t(i)] =
                    std::int8_t(leads[std::size_t(lead)][std::size_t(k)]);
        else
            doc.m_monitorRing[std::size_t(i)] =
                std::int8_t(leads[std::size_t(monitored)][std::size_t(k)]);
    }
}

LimbSamples Tail(const LimbSamples& leads, int n) {
    LimbSamples out;
    for (int lead = 0; lead < kLimbLeadCount; ++lead)
        out[std::size_t(lead)].assign(leads[std::size_t(lead)].end() - n,
                                      leads[std::size_t(lead)].end());
    return out;
}

TEST_F(LiveRate, OfAWrappedRingIsTheRateOfTheStraightRecord) {
    struct Case {
        const char* name;
        bool bTwelveLead;
        int nRecorded; // samples written into the ring, oldest first
        int head;
        int nValid;
        double cutoff;
    };
    const Case cases[] = {
        {"12-lead, wrapped", true, 3000, 700, 3000, 100.0},
        {"12-lead, more than 10 s valid", true, 3500, 100, 3500, 40.0},
        {"12-lead, head at the ring's end", true, 3000, 3000, 3000, 0.0},
        {"monitoring, wrapped", false, 12000, 2000, 12000, 100.0},
        {"monitoring, last 10 s wrap", false, 4000, 1000, 4000, 40.0},
    };
    DocFixture straight;
    double worst = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Synthetic s;
        s.beats = Arrhythmia(150, c.nRecorded / kFs);
        s.dist = {0.03, 0.2, 50.0, 0.4};
        const LimbSamples leads = Render(s, c.nRecorded);
        f.doc->m_bTwelveLead = c.bTwelveLead ? 1 : 0;
        f.doc->m_dCutoff = c.cutoff;
        FillRings(*f.doc, leads, c.head);
        const std::optional<double> live = LiveHeartRate(*f.doc, c.head, c.nValid, *scratch);

        // The last 10 s as a stopped session would have kept them.
        Load(*straight.doc, c.bTwelveLead, Tail(leads, kLiveSpan), c.cutoff);
        const EcgMeasurements m = MeasureRecording(*straight.doc, *scratch);
        ASSERT_TRUE(live.has_value());
        ASSERT_TRUE(m.rateBpm.has_value());
        EXPECT_DOUBLE_EQ(*live, *m.rateBpm);
        // Sample for sample, the live traces are the processed record.
        for (int lead = 0; lead < (c.bTwelveLead ? kLimbLeadCount : 1); ++lead) {
            const double* kept = c.bTwelveLead ? straight.doc->m_leadTrace[std::size_t(lead)].data()
                                               : straight.doc->m_monitorTrace.data();
            for (int i = 0; i < kLiveSpan; ++i)
                ASSERT_EQ(scratch->live[std::size_t(lead)][std::size_t(i)], kept[i])
                    << "lead " << lead << " sample " << i;
        }

        // And it is the rate of the beats placed in those 10 s.
        std::vector<Beat> last;
        for (const Beat& b : s.beats)
            if (b.t >= (c.nRecorded - kLiveSpan) / kFs)
                last.push_back(b);
        const double expected = PlacedRate(last);
        EXPECT_NEAR(*live, expected, 0.03 * expected);
        worst = std::max(worst, 100.0 * std::fabs(*live - expected) / expected);
    }
    ReportWorst("live rings", worst);
}

TEST_F(LiveRate, NeedsThreeBeatsAndASensibleRing) {
    Synthetic s;
    s.beats = Regular(60, 10.0);
    const LimbSamples leads = Render(s, kTwelveLeadSamples);
    FillRings(*f.doc, leads, 500);
    ASSERT_TRUE(LiveHeartRate(*f.doc, 500, 3000, *scratch).has_value());
    // 1.5 s of a session: two beats so far.
    EXPECT_FALSE(LiveHeartRate(*f.doc, 500, 450, *scratch).has_value());
    EXPECT_FALSE(LiveHeartRate(*f.doc, 500, 0, *scratch).has_value());
    // Indices outside the ring are refused, never read.
    EXPECT_FALSE(LiveHeartRate(*f.doc, -1, 3000, *scratch).has_value());
    EXPECT_FALSE(LiveHeartRate(*f.doc, kLeadCapacity, 3000, *scratch).has_value());
    EXPECT_FALSE(LiveHeartRate(*f.doc, 500, -1, *scratch).has_value());
    EXPECT_FALSE(LiveHeartRate(*f.doc, 500, kLeadCapacity + 1, *scratch).has_value());
    LiveRings none;
    EXPECT_FALSE(LiveHeartRate(none, 100.0, *scratch).has_value());
}

TEST(ReferenceRanges, JudgeReadingsAgainstTheSpecies) {
    struct Case {
        Species species;
        std::optional<double> rate, axis;
        std::optional<bool> rateOk, axisOk;
    };
    const Case cases[] = {
        {Species::Dog, 120.0, 70.0, true, true},
        {Species::Dog, 59.5, 39.0, false, false},
        {Species::Dog, 160.0, 100.0, true, true}, // the ends belong to the range
        {Species::Cat, 130.0, -10.0, false, false},
        {Species::Cat, 200.0, 150.0, true, true},
        {Species::Horse, 36.0, 60.0, true, std::nullopt}, // no axis range for horses
        {Species::Unknown, 120.0, 60.0, std::nullopt, std::nullopt},
        {Species(42), 120.0, 60.0, std::nullopt, std::nullopt},
        {Species::Dog, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.species));
        EXPECT_EQ(RateInReference(c.species, c.rate), c.rateOk);
        EXPECT_EQ(AxisInReference(c.species, c.axis), c.axisOk);
    }
}

} // namespace

TEST(MeasurementText, ReadingsAndRangesAsPeopleWriteThem) {
    EXPECT_EQ(RateText(127.6), QStringLiteral("128 bpm"));
    EXPECT_EQ(RateText(std::nullopt), QStringLiteral("—"));
    struct AxisCase {
        double deg;
        const char* text;
    };
    for (const AxisCase& c : {AxisCase{61.5, "+62°"}, AxisCase{0.4, "0°"},
                              AxisCase{-29.6, "-30°"}, AxisCase{180.0, "+180°"}})
        EXPECT_EQ(AxisText(c.deg), QString::fromUtf8(c.text)) << c.deg;
    EXPECT_EQ(AxisText(std::nullopt), QStringLiteral("—"));
    EXPECT_EQ(RateRangeText(Species::Dog), QStringLiteral("60–160 bpm"));
    EXPECT_EQ(AxisRangeText(Species::Dog), QStringLiteral("+40° to +100°"));
    EXPECT_EQ(AxisRangeText(Species::Cat), QStringLiteral("0° to +160°"));
    EXPECT_EQ(RateRangeText(Species::Horse), QStringLiteral("28–44 bpm"));
    EXPECT_TRUE(AxisRangeText(Species::Horse).isEmpty());
    EXPECT_TRUE(RateRangeText(Species::Unknown).isEmpty());
}
