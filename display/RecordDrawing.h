#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "SchemeColours.h"

class CZM540Doc;

// The document's processed traces in the 12-lead layout: the last 5 s of each limb lead in its
// column and the whole recording in the rhythm row. Nothing is clipped.
void DrawTwelveLeadRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                          const CZM540Doc& doc);
// The monitoring recording cut into strips of 10 s, top to bottom.
void DrawMonitorRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                       const CZM540Doc& doc);
