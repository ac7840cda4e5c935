#include "Calipers.h"

#include "RecordDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Pixels per second and per millivolt; none for an empty grid.
struct Scale {
    double pxPerSecond;
    double pxPerMv;
};

std::optional<Scale> ScaleOf(const GridLayout& g) {
    if (g.W <= 0 || g.H <= 0)
        return std::nullopt;
    const double secondsAcross = g.scale.Samples(kStripSamples) / kSampleRate;
    return Scale{g.W / secondsAcross, g.H * g.scale.GainFactor() * kUnitsPerMv / kAmplitudeDivisor};
}

int NearestRow(int y, int first, int last, int (*baseline)(const GridLayout&, int),
               const GridLayout& g) {
    int best = first;
    for (int row = first + 1; row <= last; ++row)
        if (std::abs(y - baseline(g, row)) < std::abs(y - baseline(g, best)))
            best = row;
    return best;
}

} // namespace

std::optional<TracePoint> LocateTracePoint(const GridLayout& g, bool bTwelveLead, int nSamples,
                                           int x, int y) {
    const std::optional<Scale> scale = ScaleOf(g);
    if (!scale || x < g.rc.left || x > g.rc.right || y < g.rc.top || y > g.rc.bottom)
        return std::nullopt;
    TracePoint p;
    int x0 = g.rc.left, y0 = 0;
    if (bTwelveLead) {
        p.row = NearestRow(y, 0, kRhythmRow, TwelveLeadBaseline, g);
        y0 = TwelveLeadBaseline(g, p.row);
        if (p.row != kRhythmRow && x >= g.rc.left + g.half) {
            p.column = 1;
            x0 += g.half;
        }
    } else {
        p.row = NearestRow(y, 1, kMonitorStrips, MonitorBaseline, g);
        y0 = MonitorBaseline(g, p.row);
    }
    p.seconds = (x - x0) / scale->pxPerSecond;
    p.mV = (y0 - y) / scale->pxPerMv;

    // Sample k of a row is drawn floor(k * pixels per sample) right of its start, so the first
    // one at or right of the point is the quotient rounded up. A quotient that is whole but for
    // rounding stays whole.
    const int k = int(std::ceil(p.seconds * kSampleRate - 1e-9));
    const SampleSpan span = !bTwelveLead          ? MonitorStripSpan(g.scale, nSamples, p.row)
                            : p.row == kRhythmRow ? RhythmSpan(g.scale, nSamples)
                                                  : ColumnSpan(g.scale, nSamples);
    if (k < span.count)
        p.sample = span.first + k;
    return p;
}

std::optional<CaliperReading> MeasureCaliper(const GridLayout& g, int x1, int y1, int x2, int y2) {
    const std::optional<Scale> scale = ScaleOf(g);
    if (!scale)
        return std::nullopt;
    CaliperReading r;
    r.dMs = 1000.0 * (x2 - x1) / scale->pxPerSecond;
    r.dMv = (y1 - y2) / scale->pxPerMv;
    if (x2 != x1)
        r.bpm = 60000.0 / std::abs(r.dMs);
    return r;
}

QString CaliperLabel(const CaliperReading& reading) {
    // Rounded first, so that a small negative value shows as 0.00, not -0.00.
    double mV = std::round(reading.dMv * 100.0) / 100.0;
    if (mV == 0.0)
        mV = 0.0;
    QString label =
        QStringLiteral("%1 ms  %2 mV").arg(std::llround(std::abs(reading.dMs))).arg(mV, 0, 'f', 2);
    if (reading.bpm)
        label += QStringLiteral("  %1 bpm").arg(std::llround(*reading.bpm));
    return label;
}

ColourRef CaliperColour(const SchemeColours& colours) {
    static constexpr ColourRef kCandidates[] = {
        MakeColourRef(255, 0, 255), // magenta
        MakeColourRef(255, 128, 0), // orange
        MakeColourRef(0, 160, 255), // sky blue
    };
    const ColourRef used[] = {colours.crBackground, colours.crMajorGrid, colours.crMinorGrid,
                              colours.crChannel1,   colours.crChannel2,  colours.crChannel3,
                              colours.crLabel};
    ColourRef best = kCandidates[0];
    int bestDistance = -1;
    for (ColourRef candidate : kCandidates) {
        int nearest = std::numeric_limits<int>::max();
        for (ColourRef c : used) {
            const int dr = RedOf(c) - RedOf(candidate), dg = GreenOf(c) - GreenOf(candidate),
                      db = BlueOf(c) - BlueOf(candidate);
            nearest = std::min(nearest, dr * dr + dg * dg + db * db);
        }
        if (nearest > bestDistance) {
            bestDistance = nearest;
            best = candidate;
        }
    }
    return best;
}
