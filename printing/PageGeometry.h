#pragma once

#include "ChartScale.h"
#include "DisplayLayout.h"

#include <QPoint>

#include <array>
#include <cstdint>

// The printed page is measured in centimetres and drawn in the output's device units. Every
// device coordinate is truncated toward zero.
struct PageUnits {
    double dUnitsPerCmX = 1000.0;
    double dUnitsPerCmY = 1000.0;
    int nPenBase = 20;      // device units per inch for pen widths
    int nMarkCell = 800;    // height of the mark's cell
    int nLabelHeight = 300; // character height of the labels and captions
};

// A printer (or its preview) at its resolution: 18-point mark, 8-point labels.
PageUnits PrinterUnits(int dpiX, int dpiY);
// The picture: 0.01 mm units, every pen one unit wide.
PageUnits PictureUnits();

// The page's layout in the units of one output.
struct PageGeometry {
    explicit PageGeometry(const PageUnits& units);

    int cx(double cm) const { return int(cm * u.dUnitsPerCmX); }
    int cy(double cm) const { return int(cm * u.dUnitsPerCmY); }
    // trunc(T + n/16 H): a height given in sixteenths of the layout unit below the grid's top.
    int Below(double sixteenths) const { return int(T + (sixteenths * H) / 16); }
    // Pen width of a line of `points` points.
    int PenWidth(double points) const { return int(u.nPenBase * points / 72); }
    // Sample i of a strip starting at x0 on the baseline y0, of value s (33 units a mV), at
    // the paper speed and gain of `c`. The x product needs 64 bits on a 4800 dpi printer.
    QPoint StripPoint(int x0, int y0, int i, double s, const ChartScale& c) const {
        return QPoint(x0 + int(std::int64_t(i) * S * c.nSpeed / 25 / kStripSamples),
                      int(y0 - H * s * c.GainFactor() / kAmplitudeDivisor));
    }

    PageUnits u;
    int T;         // the grid's top, 1 cm
    int H;         // the layout unit, 16 cm
    int S;         // the length of a ten-second strip, 25 cm
    GridRect grid; // 26 cm by 16 cm from (1.5 cm, 1 cm)
    int xStrip;    // where strips start, 2.5 cm
    int xRightStrip;
    int xPulse; // where calibration pulses start, 1.8 cm
};

// The page's grid: 52 by 32 major squares of 5 mm.
constexpr int kPageMajorAcross = 52;
constexpr int kPageMajorDown = 32;

// One limb lead of the 12-lead page; heights in sixteenths of H below the grid's top.
struct PrintedLead {
    const char* label;
    int lead;
    bool bRightColumn;
    int labelY; // also where the tick starts
    int tickEnd;
    int baseline;
};
constexpr std::array<PrintedLead, 6> kPrintedLeads = {{
    {" I", 0, false, 2, 4, 3},
    {" II", 1, false, 5, 7, 6},
    {" III", 2, false, 8, 10, 9},
    {"aVR", 3, true, 2, 4, 3},
    {"aVL", 4, true, 5, 7, 6},
    {"aVF", 5, true, 8, 10, 9},
}};
constexpr std::array<int, 4> kTwelveLeadPulses = {3, 6, 9, 12};
constexpr double kRhythmLabelY = 10.75;
constexpr int kRhythmBaseline = 12;
// Monitoring line j (from 0) lies on the baseline 3 (j + 1) sixteenths down; the page has room
// for five.
constexpr int kMonitorLineSpacing = 3;
constexpr int kMonitorPageLines = 5;
