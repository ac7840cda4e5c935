#include "RecordDrawing.h"

#include "TraceDrawing.h"
#include "ZM540Doc.h"

#include <algorithm>

namespace {

void DrawRecordedRow(Canvas& dc, const GridLayout& g, int x0, int y0, const double* values, int n) {
    DrawTrace(dc, n, [&](int k) { return QPoint(SampleX(g, x0, k), RecordedY(g, y0, values[k])); });
}

} // namespace

void DrawTwelveLeadRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                          const CZM540Doc& doc) {
    const int N = doc.m_nSamples;
    if (N > 0) {
        const int n = std::min(N, kColumnSamples);
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
    if (N > 0)
        DrawRecordedRow(dc, g, g.rc.left, y0, doc.m_leadTrace[std::size_t(lead)].data(), N);
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
    for (int i = 0, strip = 1; i < N; ++strip) {
        const int c = std::min(kStripSamples, N - i);
        DrawRecordedRow(dc, g, g.rc.left, MonitorBaseline(g, strip), doc.m_monitorTrace.data() + i,
                        c);
        i += c;
    }
}
