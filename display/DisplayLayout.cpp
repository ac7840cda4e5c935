#include "DisplayLayout.h"

const std::array<TwelveLeadRow, 4> kTwelveLeadRows = {{
    {" I", 0, "aVR", 3, 0.1875, 2.75, 4.75},
    {" II", 1, "aVL", 4, 0.40625, 7.25, 9.25},
    {" III", 2, "aVF", 5, 0.609375, 11.5, 13.5},
    {" Rhythm %s", -1, nullptr, -1, 0.828125, 15.75, 15.75},
}};

GridLayout LayoutGrid(int cw, int ch) {
    const int w0 = 3 * ((cw - 5) / 3);
    const int h0 = 3 * ((ch - 5) / 3);
    const double f = 0.6400000000000001;
    int W, H;
    if (w0 * f <= h0) {
        W = w0;
        H = int(w0 * f);
    } else {
        H = h0;
        W = int((5 * h0) * 0.3125);
    }
    GridLayout g;
    g.rc.left = (cw - 5 - W + 1) / 2;
    g.rc.top = (ch - 5 - H + 1) / 2;
    g.rc.right = g.rc.left + W;
    g.rc.bottom = g.rc.top + H;
    g.H = g.rc.bottom - g.rc.top;
    g.W = g.rc.right - g.rc.left;
    g.half = g.W / 2;
    return g;
}

namespace {
int Unit(const GridLayout& g) {
    return g.H / 20;
}
} // namespace

int TwelveLeadBaseline(const GridLayout& g, int row) {
    return int(g.rc.top + kTwelveLeadRows[std::size_t(row)].baseline * g.H);
}

int TwelveLeadLabelY(const GridLayout& g, int row) {
    return int(g.rc.top + kTwelveLeadRows[std::size_t(row)].labelU * Unit(g));
}

int SeparatorEndY(const GridLayout& g, int row) {
    return int(g.rc.top + kTwelveLeadRows[std::size_t(row)].separatorEndU * Unit(g));
}

int MonitorBaseline(const GridLayout& g, int strip) {
    return int(g.rc.top + (strip * g.H) * 0.203125);
}

int RecordedY(const GridLayout& g, int y0, double v) {
    return int(y0 - (g.H * v * g.scale.GainFactor()) * kRecordedScale);
}
