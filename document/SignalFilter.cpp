#include "SignalFilter.h"

#include <algorithm>
#include <cmath>

FilterCoefficients DesignLowPass(double fc, double fs) {
    const double k = std::tan(fc * 6.283185307179586 * 0.5 / fs);
    const double n = (std::sqrt(2.0) + k) * k + 1.0;
    FilterCoefficients c{};
    c.c2 = k * k / n;
    c.c4 = c.c2;
    c.c3 = 2.0 * c.c2;
    c.c0 = (k * k - 1.0) * -2.0 / n;
    c.c1 = ((std::sqrt(2.0) - k) * k - 1.0) / n;
    return c;
}

bool IsUsableCutoff(double fc, double fs) {
    return std::isfinite(fc) && std::isfinite(fs) && fc > 0.0 && fc < fs * 0.5;
}

void SmoothTrace(std::span<double> x) {
    const std::size_t n = x.size();
    if (n <= 2)
        return;
    for (std::size_t i = 1; i + 1 < n; ++i)
        x[i] = (x[i - 1] + x[i + 1]) * 0.1724137931034483 + x[i] * 0.6896551724137931;
}

namespace {

// Mean of up to ten values, taken from the given range.
template <typename It> double EdgeMean(It first, std::size_t available) {
    const std::size_t count = std::min<std::size_t>(10, available);
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += first[std::ptrdiff_t(i)];
    // Ten values are scaled by 0.1 exactly as the classic routine does.
    return count == 10 ? sum * 0.1 : sum / double(count);
}

} // namespace

void FilterTrace(std::span<double> x, double fc, double fs) {
    const std::size_t n = x.size();
    if (n <= 2 || !IsUsableCutoff(fc, fs))
        return;
    const FilterCoefficients c = DesignLowPass(fc, fs);

    // Forward pass; the first two outputs are the mean of the first values.
    double in1 = x[1]; // in[i-1]
    double in2 = x[0]; // in[i-2]
    const double m = EdgeMean(x.begin(), n);
    x[0] = m;
    x[1] = m;
    for (std::size_t i = 2; i < n; ++i) {
        const double in0 = x[i];
        x[i] = c.c2 * in0 + c.c3 * in1 + c.c4 * in2 + c.c0 * x[i - 1] + c.c1 * x[i - 2];
        in2 = in1;
        in1 = in0;
    }

    // Backward pass over the forward outputs; the last two start from the mean of the last values.
    double fw1 = x[n - 2]; // fw[j+1]
    double fw2 = x[n - 1]; // fw[j+2]
    const double m2 = EdgeMean(x.rbegin(), n);
    x[n - 1] = m2;
    x[n - 2] = m2;
    for (std::size_t j = n - 2; j-- > 0;) {
        const double fw0 = x[j];
        x[j] = c.c2 * fw0 + c.c3 * fw1 + c.c4 * fw2 + c.c0 * x[j + 1] + c.c1 * x[j + 2];
        fw2 = fw1;
        fw1 = fw0;
    }
}

std::int8_t FilterSample(RealTimeFilterState& s, const FilterCoefficients& c, std::int8_t sample) {
    s.x2 = s.x1;
    s.x1 = s.x0;
    s.x0 = double(sample);
    const double y = c.c2 * s.x0 + c.c3 * s.x1 + c.c4 * s.x2 + c.c0 * s.y1 + c.c1 * s.y2;
    s.y2 = s.y1;
    s.y1 = y;
    // The low-pass overshoots a large step: beyond the byte range the value is held at its
    // edge, as the recorder's own samples are, never wrapped round to the other sign.
    const double clamped = std::isfinite(y) ? std::clamp(y, -128.0, 127.0) : 0.0;
    return std::int8_t(std::int32_t(clamped));
}
