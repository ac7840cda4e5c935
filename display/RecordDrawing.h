#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "SchemeColours.h"

class CZM540Doc;

// The samples a recorded row or strip shows: `count` of them from `first` (none where count is 0).
struct SampleSpan {
    int first = 0;
    int count = 0;
    bool operator==(const SampleSpan&) const = default;
};
// Each 12-lead column of a recording of N samples: its last 5 s at 25 mm/s, its last 2.5 s at
// 50 mm/s, or all of a shorter one.
SampleSpan ColumnSpan(const ChartScale& scale, int N);
// The rhythm row: at 25 mm/s the whole recording (a file may hold more than the row); faster,
// its end.
SampleSpan RhythmSpan(const ChartScale& scale, int N);
// Monitoring strip k from 1: strips of the row's length at the speed, cut from sample 0. At
// 25 mm/s all of them from the first (a fifth strip lies below the grid); faster, the last four.
SampleSpan MonitorStripSpan(const ChartScale& scale, int N, int strip);

// The document's processed traces in the 12-lead layout, each row showing its span above at the
// grid's scale. Nothing is clipped.
void DrawTwelveLeadRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                          const CZM540Doc& doc);
// The monitoring recording cut into strips, top to bottom.
void DrawMonitorRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                       const CZM540Doc& doc);
