#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "SchemeColours.h"

#include <QFont>
#include <QString>

#include <array>

// What the background drawings need besides the geometry.
struct BackgroundStyle {
    SchemeColours colours{};
    QFont labelFont;     // the labels' and caption's font
    int markHeight = 32; // height of the page mark's cell in device pixels
};

// Line grid of nx by ny major divisions, five minor divisions each; either pen may be absent.
// Minor lines first, never where a major line falls; major lines on top.
void DrawLineGrid(Canvas& dc, const GridRect& rc, int nx, int ny, const CanvasPen* major,
                  const CanvasPen* minor);
// The program's mark, drawn in `colour` in a cell `cellHeight` high whose top-right corner is
// (right, top).
void DrawMark(Canvas& dc, int right, int top, int cellHeight, ColourRef colour);
// The program's page mark with its cell's top-right corner at (grid right, grid top + 5).
void DrawPageMark(Canvas& dc, const GridRect& rc, const BackgroundStyle& style);
void DrawTwelveLeadBackground(Canvas& dc, const GridLayout& g, const BackgroundStyle& style,
                              int rhythmLead);
void DrawMonitorBackground(Canvas& dc, const GridLayout& g, const BackgroundStyle& style,
                           int monitoredLead);
// Four texts along the top edge: label colour, then channels 1, 2 and 3.
void DrawMonitorCaption(Canvas& dc, const GridRect& rc, const SchemeColours& colours,
                        const std::array<QString, 4>& texts);
