#pragma once

#include "DisplayLayout.h"

// A grid W pixels wide and 264 high with its top left corner at (10, 20), small enough to work
// out the painters' points by hand. Sample k of a row lies k * W / 3000 pixels (truncated) right
// of the row's start, and a value v about v * 264 / 528 = v / 2 pixels from its baseline. The
// baselines are 20 + 264 * fraction, truncated:
//   12-lead rows 0 to 3 (0.1875, 0.40625, 0.609375, 0.828125): 69, 127, 180, 238;
//   monitoring strips 1 to 5 (0.203125 each):                   73, 127, 180, 234, 288.
inline GridLayout HandGrid(int W) {
    GridLayout g;
    g.rc = {10, 20, 10 + W, 284};
    g.W = W;
    g.H = 264;
    g.half = W / 2;
    return g;
}
