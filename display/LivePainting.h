#pragma once

#include "Canvas.h"
#include "DisplayLayout.h"
#include "SchemeColours.h"
#include "StreamDecoder.h"

// The 12-lead live picture: the last 5 s of each limb lead (stopping 20 samples short of the
// column's end) and the kept span in the rhythm row, cut at the grid. Drawn over the background
// at every paint.
void PaintTwelveLeadLive(Canvas& dc, const AcquisitionState& s, const GridLayout& g,
                         const SchemeColours& colours, int rhythmLead);
// The monitoring sweep: the strip holding the newest sample, from its start up to that sample,
// or the whole page after a page move. Drawn over what the window already shows. True when it
// drew the page from its start, as m_bSweepRestart asked: the restart is done.
bool PaintMonitorLive(Canvas& dc, const AcquisitionState& s, const GridLayout& g,
                      const SchemeColours& colours);
