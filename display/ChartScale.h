#pragma once

#include <array>

// How fast the paper runs and how tall a millivolt is: 25 mm/s and 10 mm/mV unless the vet
// chooses 50 mm/s (narrow, fast complexes) or 5 or 20 mm/mV (very large or very small ones).
struct ChartScale {
    int nSpeed = 25; // mm/s
    int nGain = 10;  // mm/mV

    // 0.5, 1 or 2, exactly: at the defaults every coordinate is what it is without a scale.
    double GainFactor() const { return nGain / 10.0; }
    // How many samples a strip of `samples25` samples at 25 mm/s shows at this speed.
    int Samples(int samples25) const { return samples25 * 25 / nSpeed; }
    bool operator==(const ChartScale&) const = default;
};

constexpr std::array<int, 2> kChartSpeeds = {25, 50};
constexpr std::array<int, 3> kChartGains = {5, 10, 20};

// The scale a speed and gain setting name; a value outside its choices is its default.
constexpr ChartScale ChartScaleOf(int nSpeed, int nGain) {
    ChartScale scale;
    for (int v : kChartSpeeds)
        if (v == nSpeed)
            scale.nSpeed = v;
    for (int v : kChartGains)
        if (v == nGain)
            scale.nGain = v;
    return scale;
}
