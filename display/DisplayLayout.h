#pragma once

#include "ChartScale.h"
#include "RecordingConstants.h"

#include <array>
#include <cstdint>

// The grid fitted into the view and the rows where each lead is drawn. Plain integer geometry;
// every division truncates toward zero.
struct GridRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const GridRect&) const = default;
};

struct GridLayout {
    GridRect rc;
    int W = 0;    // grid width
    int H = 0;    // grid height
    int half = 0; // W / 2: x offset of the right-hand 12-lead column
    // The traces' speed and gain. The grid is the same at every scale; the live sweep runs at
    // 25 mm/s whatever the speed, but takes the gain.
    ChartScale scale;
    bool operator==(const GridLayout&) const = default;
};

constexpr int kMajorAcross = 50;
constexpr int kMajorDown = 32;
// 1 mV (33 units) spans two of the 32 major divisions down the grid: y = v * H / 528.
constexpr int kAmplitudeDivisor = (kMajorDown / 2) * kUnitsPerMv;
constexpr double kRecordedScale = 0.001893939393939394;
static_assert(kAmplitudeDivisor == 528 && kRecordedScale == 1.0 / kAmplitudeDivisor);

GridLayout LayoutGrid(int clientWidth, int clientHeight);

// One row of the 12-lead layout: rows 0 to 2 carry two leads, row 3 is the rhythm strip.
struct TwelveLeadRow {
    const char* leftLabel; // the rhythm row's label is " Rhythm %s"
    int leftLead;
    const char* rightLabel; // null for the rhythm row
    int rightLead;
    double baseline;      // fraction of H below the grid's top
    double labelU;        // label bottom, in units of H / 20
    double separatorEndU; // separator end, in units of H / 20
};
extern const std::array<TwelveLeadRow, 4> kTwelveLeadRows;
constexpr int kRhythmRow = 3;

int TwelveLeadBaseline(const GridLayout& g, int row);
int TwelveLeadLabelY(const GridLayout& g, int row);
int SeparatorEndY(const GridLayout& g, int row);
// Baseline of monitoring strip k (1 to 4; 5 lies just below the grid).
int MonitorBaseline(const GridLayout& g, int strip);

// x of the sample at position k of a row starting at x0.
inline int SampleX(const GridLayout& g, int x0, int k) {
    return x0 + (k * g.W) / kStripSamples;
}
// x of recorded sample k of a row starting at x0, at the drawing's speed: at 50 mm/s a row
// holds half the time. At 25 mm/s it is SampleX.
inline int RecordedX(const GridLayout& g, int x0, int k) {
    return x0 + int((std::int64_t(k) * g.W * g.scale.nSpeed / 25) / kStripSamples);
}
// y of a recorded (processed) value at the drawing's gain: truncated after subtracting from the
// baseline.
int RecordedY(const GridLayout& g, int y0, double v);
// y of a live sample at the drawing's gain: the amplitude is truncated first. At 10 mm/mV this
// is y0 - trunc(v * H / 528).
inline int LiveY(const GridLayout& g, int y0, int v) {
    return y0 - (v * g.H * g.scale.nGain) / (kAmplitudeDivisor * 10);
}

// The pen channel (1 to 3) of a lead: I and aVR 1, II and aVL 2, III and aVF 3.
inline int ChannelOfLead(int lead) {
    return lead % 3 + 1;
}
