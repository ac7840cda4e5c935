#pragma once

#include "Canvas.h"
#include "PageGeometry.h"
#include "PrintStyle.h"

#include <QString>

#include <array>
#include <functional>

class CZM540Doc;
struct EcgMeasurements;

// What a printer run tells the page: the output's resolution and whether it is a preview.
// A page drawn without one is the clipboard picture.
struct PrintInfo {
    int nLogPixelsX = 0;
    int nLogPixelsY = 0;
    bool bPreview = false;
};

// What one page is drawn from.
struct PageRequest {
    const CZM540Doc& doc;
    PrintStyle style;
    PageUnits units;
    bool bPrintPreview = false; // a preview shows a dot grid's dots as single pixels
};

// The 12-lead page: the last 5 s of the six limb leads in two columns, the last 10 s of the
// rhythm lead below them, calibration pulses, labels and captions on a 26 cm by 16 cm grid.
void PrintTwelveLeadPage(Canvas& dc, const PageRequest& page);
// The monitoring page: the monitored lead in lines of 10 s, one below the other.
void PrintMonitorPage(Canvas& dc, const PageRequest& page);
// The page of the layout `bTwelveLead`.
void DrawPage(Canvas& dc, const PageRequest& page, bool bTwelveLead);
// Draws a page on a canvas, for a printer (PrintInfo) or the picture (none).
using PageDrawer = std::function<void(Canvas& dc, const PrintInfo* pInfo)>;
// The document's page in the layout of its own mode, with `style`; a preview's dots are pixels.
PageDrawer DocumentPage(const CZM540Doc& doc, const PrintStyle& style);
// A 1 mm lead-in, a pulse h cm high and 2 mm wide, and a 1 mm tail, from (x, y) on the baseline.
void DrawCalibrationPulse(Canvas& dc, const PageGeometry& g, int x, int y, double h);
// A dot at every 1 mm crossing of a grid of nx by ny 5 mm squares, with the major lines dotted
// closely enough to look continuous. Round dots of `diameter`, or single pixels when it is 0.
void DrawDotGrid(Canvas& dc, const GridRect& rc, int nx, int ny, ColourRef colour, int diameter);

// The texts at the page's foot.
QString RecordedText(std::int32_t tRecorded);
QString ScaleCaption(double cutoff, const ChartScale& scale);

// The two lines above the grid of a recording with details: the animal (name, species, breed,
// sex, age when recorded, weight), then owner, case, clinician, heart rate and, for 12-lead, the
// axis. The notes are not printed.
std::array<QString, 2> DetailsBandLines(const CZM540Doc& doc, const EcgMeasurements& m);
