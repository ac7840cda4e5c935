#pragma once

#include "ProfileSettings.h"
#include "Prompter.h"
#include "ZM540Doc.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

// Runs the registered benchmarks inside a GUI application on the offscreen platform.
int RunBenchmarksWithGui(int argc, char** argv);

class SilentPrompter : public Prompter {
  public:
    Answer Ask(const QString&, Buttons, Icon, const QString&) override { return Answer::Ok; }
};

// A believable sample value: P, QRS and T waves at 120 beats a minute, with a little noise.
inline std::int8_t SyntheticSample(int i, double gain, std::mt19937& gen) {
    const double t = (i % 150) / 300.0; // seconds into the beat
    auto wave = [t](double centre, double width, double height) {
        const double d = (t - centre) / width;
        return height * std::exp(-d * d);
    };
    const double mv = wave(0.06, 0.012, 0.15) - wave(0.118, 0.004, 0.15) + wave(0.13, 0.006, 1.6) -
                      wave(0.142, 0.005, 0.35) + wave(0.30, 0.03, 0.3);
    std::normal_distribution<double> noise(0.0, 0.6);
    return std::int8_t(std::clamp(mv * gain * 33.0 + noise(gen), -128.0, 127.0));
}

// A document holding a full recording of a synthetic ECG in the given mode.
struct FullDocument {
    ProfileSettings settings;
    SilentPrompter prompter;
    std::unique_ptr<CZM540Doc> doc = std::make_unique<CZM540Doc>(settings, prompter);

    explicit FullDocument(bool bTwelveLead) {
        doc->m_bTwelveLead = bTwelveLead;
        std::mt19937 gen(1);
        const double gains[kLimbLeadCount] = {0.6, 1.0, 0.4, -0.8, 0.1, 0.7};
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            for (int i = 0; i < kLeadCapacity; ++i)
                doc->m_leadRecord[lead][i] = SyntheticSample(i, gains[lead], gen);
        for (int i = 0; i < kMonitorCapacity; ++i)
            doc->m_monitorRecord[i] = SyntheticSample(i, 1.0, gen);
        doc->m_nSamples = doc->Capacity();
    }
};
