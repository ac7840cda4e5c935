#include "RecordDrawing.h"

#include "TraceDrawing.h"
#include "ZM540Doc.h"

#include <algorithm>

namespace {

void DrawRecordedRow(Canvas& dc, const GridLayout& g, int x0, int y0, const double* values, int n) {
    DrawTrace(dc, n,
              [&](int k) { return QPoint(RecordedX(g, x0, k), RecordedY(g, y0, values[k])); });
}

} // namespace

void DrawTwelveLeadRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                          const CZM540Doc& doc) {
    const int N = doc.m_nSamples;
    if (N > 0) {
        const int n = std::min(N, g.scale.Samples(kColumnSamples));
        const int s = N - n;
        for (int row = 0; row < kRhythmRow; ++row) {
            const TwelveLeadRow& r = kTwelveLeadRows[std::size_t(row)];
            const int y0 = TwelveLeadBaseline(g, row);
            dc.SelectPen(SolidPen(ChannelColour(colours, row + 1)));
            DrawRecordedRow(dc, g, g.rc.left, y0,
                            doc.m_leadTrace[std::size_t(r.leftLead)].data() + s, n);
            DrawRecordedRow(dc, g, g.rc.left + g.half, y0,
                            doc.m_leadTrace[std::size_t(r.rightLead)].data() + s, n);
        }
    }
    const int lead = doc.RhythmLead();
    const int y0 = TwelveLeadBaseline(g, kRhythmRow);
    dc.SelectPen(SolidPen(ChannelColour(colours, ChannelOfLead(lead))));
    // At 25 mm/s the whole recording (a file may hold more than the row); faster, its end.
    const int nRhythm = g.scale.nSpeed == 25 ? N : std::min(N, g.scale.Samples(kStripSamples));
    if (N > 0)
        DrawRecordedRow(dc, g, g.rc.left, y0,
                        doc.m_leadTrace[std::size_t(lead)].data() + (N - nRhythm), nRhythm);
    else
        dc.MoveTo(g.rc.left, y0);
}

void DrawMonitorRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                       const CZM540Doc& doc) {
    const int N = doc.m_nSamples;
    dc.SelectPen(SolidPen(colours.crChannel1));
    if (N < 1)
        return;
    dc.SetBkMode(true);
    // Strips of the row's length at the speed, cut from sample 0. At 25 mm/s all of them (a
    // fifth of a full file lies below the grid); faster, the last four.
    const int nStrip = g.scale.Samples(kStripSamples);
    const int nStrips = (N + nStrip - 1) / nStrip;
    const int first = g.scale.nSpeed == 25 ? 0 : std::max(0, nStrips - kMonitorStrips);
    for (int j = first; j < nStrips; ++j) {
        const int i = j * nStrip;
        DrawRecordedRow(dc, g, g.rc.left, MonitorBaseline(g, j - first + 1),
                        doc.m_monitorTrace.data() + i, std::min(nStrip, N - i));
    }
}
