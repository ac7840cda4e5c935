#pragma once

#include "Canvas.h"
#include "ChartScale.h"
#include "SchemeColours.h"

#include <array>

struct ProfileSettings;

// The print options' line styles, in the order of their choosers.
struct PrintStyleEntry {
    const char* text;
    PenStyle style;
};
constexpr std::array<PrintStyleEntry, 3> kPrintStyles = {{
    {"Solid", PenStyle::Solid},
    {"Dash", PenStyle::Dash},
    {"Dotted", PenStyle::Dot},
}};

// The print options' line sizes, in the order of the grid size choosers (UTF-8 texts). The
// trace size chooser has no "None": its entry k is row k + 1.
struct PrintSizeEntry {
    const char* text;
    double points; // -1: no line; 0: the thinnest line the output draws
};
constexpr std::array<PrintSizeEntry, 7> kPrintSizes = {{
    {"None", -1.0},
    {"Hairline", 0.0},
    {"\u00bc point", 0.25},
    {"\u00bd Point", 0.5},
    {"1 Point", 1.0},
    {"2 Points", 2.0},
    {"3 Points", 3.0},
}};

// One kind of printed line: its style and width in points; a negative width draws nothing.
struct PrintLine {
    PenStyle style = PenStyle::Solid;
    double points = 0.0;
    bool IsDrawn() const { return points >= 0.0; }
};

// How the page is printed, read from the "Print" settings of the set that PrintInColour picks.
struct PrintStyle {
    bool bColour = true;
    bool bLineGrid = true;
    bool bEllipseDots = false;
    PrintLine major, minor, trace;
    ColourRef crBackground = 0xFFFFFF; // the line grid's fill, or the dot grid's dots, in colour
    ColourRef crMajorGrid = 0;
    ColourRef crMinorGrid = 0;
    ColourRef crTrace = 0;
    ChartScale scale; // the paper speed and gain, from the view settings
};

// A style or size outside its table (an unselected chooser's -1, a hand-edited profile) is
// read as that setting's default.
PrintStyle ReadPrintStyle(const ProfileSettings& settings);
