#include "SignalFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

// The forward-backward filter written out with separate input and output arrays, as a
// reference for the in-place routine.
std::vector<double> ReferenceFilter(const std::vector<double>& in, double fc, double fs) {
    const FilterCoefficients c = DesignLowPass(fc, fs);
    const std::size_t n = in.size();
    std::vector<double> fw(n), bw(n);
    double m = 0.0;
    for (std::size_t i = 0; i < 10; ++i)
        m += in[i];
    fw[0] = fw[1] = m * 0.1;
    for (std::size_t i = 2; i < n; ++i)
        fw[i] = c.c2 * in[i] + c.c3 * in[i - 1] + c.c4 * in[i - 2] + c.c0 * fw[i - 1] +
                c.c1 * fw[i - 2];
    double m2 = 0.0;
    for (std::size_t k = 1; k <= 10; ++k)
        m2 += fw[n - k];
    bw[n - 1] = bw[n - 2] = m2 * 0.1;
    for (std::size_t j = n - 2; j-- > 0;)
        bw[j] = c.c2 * fw[j] + c.c3 * fw[j + 1] + c.c4 * fw[j + 2] + c.c0 * bw[j + 1] +
                c.c1 * bw[j + 2];
    return bw;
}

std::vector<double> RandomTrace(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(-128, 127);
    std::vector<double> v(n);
    for (double& x : v)
        x = byte(gen);
    return v;
}

} // namespace

TEST(SignalFilter, CoefficientsOfBothClassesToTenPlaces) {
    struct Case {
        double fc, c2, c3, c0, c1;
    };
    for (const Case& k : {Case{100.0, 0.4651530772, 0.9303061543, -0.6202041029, -0.2404082058},
                          Case{40.0, 0.1084474389, 0.2168948778, 0.8772706323, -0.3110603879}}) {
        SCOPED_TRACE(k.fc);
        const FilterCoefficients c = DesignLowPass(k.fc, 300.0);
        EXPECT_NEAR(c.c2, k.c2, 5e-11);
        EXPECT_NEAR(c.c3, k.c3, 5e-11);
        EXPECT_NEAR(c.c4, k.c2, 5e-11);
        EXPECT_NEAR(c.c0, k.c0, 5e-11);
        EXPECT_NEAR(c.c1, k.c1, 5e-11);
        // Unity gain at zero frequency.
        EXPECT_NEAR((c.c2 + c.c3 + c.c4) / (1.0 - c.c0 - c.c1), 1.0, 1e-12);
    }
}

TEST(SignalFilter, RealTimeStepResponseAt40HzFromRest) {
    const FilterCoefficients c = DesignLowPass(40.0, 300.0);
    RealTimeFilterState state;
    std::vector<int> stored;
    for (int i = 0; i < 5; ++i)
        stored.push_back(FilterSample(state, c, 10));
    EXPECT_EQ(stored, (std::vector<int>{1, 4, 7, 9, 10}));
}

TEST(SignalFilter, RealTimeOvershootIsHeldAtTheByteRange) {
    // A full-scale step at 100 Hz overshoots to 140.6 on its second sample: stored as 127, not
    // wrapped round to 140 - 256 = -116. Downwards: -58.6, then -139.5, stored as -128.
    const FilterCoefficients c = DesignLowPass(100.0, 300.0);
    RealTimeFilterState up;
    EXPECT_EQ(FilterSample(up, c, 127), 59);
    EXPECT_EQ(FilterSample(up, c, 127), 127);
    EXPECT_NEAR(up.y1, 140.58, 0.01); // the history keeps the unrounded output
    RealTimeFilterState down;
    EXPECT_EQ(FilterSample(down, c, -126), -58);
    EXPECT_EQ(FilterSample(down, c, -126), -128);
}

TEST(SignalFilter, SmootherRaisesAConstantTowards25Over24) {
    const double c = 33.0;
    std::vector<double> x(40, c);
    SmoothTrace(x);
    EXPECT_EQ(x.front(), c);
    EXPECT_EQ(x.back(), c);
    EXPECT_DOUBLE_EQ(x[1], 30.0 * c / 29.0);
    for (std::size_t i = 2; i + 1 < x.size(); ++i)
        EXPECT_GE(x[i], x[i - 1] - 1e-12) << i;
    EXPECT_NEAR(x[30], 25.0 * c / 24.0, 1e-12);
}

TEST(SignalFilter, SmootherOnShortTraces) {
    // n <= 2: unchanged; n = 3: only the middle value moves.
    for (std::size_t n : {0u, 1u, 2u, 3u}) {
        std::vector<double> x = {5.0, 7.0, 11.0};
        x.resize(n);
        const std::vector<double> before = x;
        SmoothTrace(x);
        for (std::size_t i = 0; i < n; ++i) {
            if (n == 3 && i == 1)
                EXPECT_DOUBLE_EQ(x[i], (5.0 + 11.0) * 5.0 / 29.0 + 7.0 * 20.0 / 29.0);
            else
                EXPECT_EQ(x[i], before[i]) << "n=" << n << " i=" << i;
        }
    }
}

TEST(SignalFilter, ConstantPassesThroughAtEveryLength) {
    // Also the short traces: the edge means use only the values that exist.
    for (double fc : {100.0, 40.0}) {
        for (std::size_t n : {0u, 1u, 2u, 3u, 5u, 9u, 10u, 11u, 200u}) {
            std::vector<double> x(n, -42.0);
            FilterTrace(x, fc, 300.0);
            for (double v : x)
                EXPECT_NEAR(v, -42.0, 1e-9) << "fc=" << fc << " n=" << n;
        }
    }
}

TEST(SignalFilter, InPlaceFilterMatchesTheTwoPassDefinition) {
    for (std::size_t n : {10u, 11u, 57u, 3000u}) {
        for (double fc : {100.0, 40.0}) {
            std::vector<double> x = RandomTrace(n, unsigned(n));
            const std::vector<double> expected = ReferenceFilter(x, fc, 300.0);
            FilterTrace(x, fc, 300.0);
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_DOUBLE_EQ(x[i], expected[i]) << "n=" << n << " fc=" << fc << " i=" << i;
        }
    }
}

TEST(SignalFilter, UnusableCutoffLeavesTheTraceAlone) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double fc : {nan, inf, -inf, -40.0, 150.0, 200.0, 1e300}) {
        std::vector<double> x = RandomTrace(64, 7);
        const std::vector<double> before = x;
        FilterTrace(x, fc, 300.0);
        EXPECT_EQ(x, before) << "fc=" << fc;
        EXPECT_FALSE(IsUsableCutoff(fc, 300.0)) << "fc=" << fc;
    }
    EXPECT_TRUE(IsUsableCutoff(149.9, 300.0));
}
