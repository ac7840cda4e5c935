#pragma once

#include <cstdint>
#include <span>

// Second-order low-pass: y = c2*x[i] + c3*x[i-1] + c4*x[i-2] + c0*y[i-1] + c1*y[i-2].
struct FilterCoefficients {
    double c0, c1, c2, c3, c4;
};

// Butterworth low-pass by the bilinear transform with pre-warping. Shared by the whole-record
// filter and the real time filter of a session.
FilterCoefficients DesignLowPass(double fc, double fs);

// Whether `fc` gives a stable low-pass at `fs`: finite, above 0 and below half of `fs`.
bool IsUsableCutoff(double fc, double fs);

// Three-point smoother in place (weights 5/29, 20/29, 5/29); the end values stay as they are.
void SmoothTrace(std::span<double> x);

// Forward and backward low-pass in place, so the result has no phase shift. The edges start
// from the mean of up to ten values at each end. Traces of two values or fewer, and cutoffs
// that give no usable filter, are left as they are.
void FilterTrace(std::span<double> x, double fc, double fs);

// History of the real time filter of one lead: the current and two previous inputs, and the two
// previous outputs (unrounded). All zero when a session starts.
struct RealTimeFilterState {
    double x0 = 0.0, x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

// Runs one stored sample through the real time filter and returns the value to store: the
// output truncated toward zero, held within the byte range.
std::int8_t FilterSample(RealTimeFilterState& state, const FilterCoefficients& c,
                         std::int8_t sample);
