#pragma once

#include "DisplayLayout.h"
#include "SchemeColours.h"

#include <QString>

#include <optional>

// Calipers on the recorded traces: view points turned into times and millivolts at the grid's
// scale. The grid is 10 s wide at 25 mm/s (5 s at 50 mm/s) and 1 mV is H / 16 pixels high at
// 10 mm/mV (half that at 5 mm/mV, twice that at 20).

// Where a view point lies on the recorded traces, as RecordDrawing lays them out.
struct TracePoint {
    int row = 0;    // 12-lead row 0 to 3 (3: the rhythm strip), or monitoring strip 1 to 4
    int column = 0; // 12-lead rows 0 to 2: 0 left, 1 right; otherwise 0
    // Time from the start of the column or strip, in seconds.
    double seconds = 0.0;
    // Index into the trace drawn there (the lead's or the monitored one) of the first sample
    // drawn at or right of the point; -1 where the recording has none.
    int sample = -1;
    // Millivolts above the row's baseline.
    double mV = 0.0;
};

// The point (x, y) of a view showing a recording of nSamples samples, or none outside the
// grid (or for an empty grid). Each point belongs to the row or strip whose baseline is nearest.
std::optional<TracePoint> LocateTracePoint(const GridLayout& g, bool bTwelveLead, int nSamples,
                                           int x, int y);

// A caliper from (x1, y1) to (x2, y2): the same in every row, as every row has the same scale.
struct CaliperReading {
    double dMs = 0.0;          // end's time minus start's, in milliseconds
    double dMv = 0.0;          // end's value minus start's, up positive
    std::optional<double> bpm; // the rate of an interval |dMs| long; none for dMs = 0
};

// None for an empty grid.
std::optional<CaliperReading> MeasureCaliper(const GridLayout& g, int x1, int y1, int x2, int y2);

// The overlay's label: "240 ms  1.20 mV  250 bpm" (the interval unsigned, the rate left out
// when there is none).
QString CaliperLabel(const CaliperReading& reading);

// A colour for the caliper that stands out on the scheme: of a few bright candidates, the one
// furthest from every colour the scheme draws with.
ColourRef CaliperColour(const SchemeColours& colours);
