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

SampleSpan ColumnSpan(const ChartScale& scale, int N) {
    const int n = std::clamp(scale.Samples(kColumnSamples), 0, std::max(N, 0));
    return {N - n, n};
}

SampleSpan RhythmSpan(const ChartScale& scale, int N) {
    if (scale.nSpeed == 25)
        return {0, std::max(N, 0)};
    const int n = std::clamp(scale.Samples(kStripSamples), 0, std::max(N, 0));
    return {N - n, n};
}

SampleSpan MonitorStripSpan(const ChartScale& scale, int N, int strip) {
    const int nStrip = scale.Samples(kStripSamples);
    if (N < 1 || strip < 1 || nStrip < 1)
        return {};
    const int nStrips = (N + nStrip - 1) / nStrip;
    const int first = scale.nSpeed == 25 ? 0 : std::max(0, nStrips - kMonitorStrips);
    const int j = first + strip - 1;
    if (j >= nStrips)
        return {};
    return {j * nStrip, std::min(nStrip, N - j * nStrip)};
}

void DrawTwelveLeadRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                          const CZM540Doc& doc) {
    const int N = doc.m_nSamples;
    if (N > 0) {
        const SampleSpan column = ColumnSpan(g.scale, N);
        for (int row = 0; row < kRhythmRow; ++row) {
            const TwelveLeadRow& r = kTwelveLeadRows[std::size_t(row)];
            const int y0 = TwelveLeadBaseline(g, row);
            dc.SelectPen(SolidPen(ChannelColour(colours, row + 1)));
            DrawRecordedRow(dc, g, g.rc.left, y0,
                            doc.m_leadTrace[std::size_t(r.leftLead)].data() + column.first,
                            column.count);
            DrawRecordedRow(dc, g, g.rc.left + g.half, y0,
                            doc.m_leadTrace[std::size_t(r.rightLead)].data() + column.first,
                            column.count);
        }
    }
    const int lead = doc.RhythmLead();
    const int y0 = TwelveLeadBaseline(g, kRhythmRow);
    dc.SelectPen(SolidPen(ChannelColour(colours, ChannelOfLead(lead))));
    const SampleSpan rhythm = RhythmSpan(g.scale, N);
    if (N > 0)
        DrawRecordedRow(dc, g, g.rc.left, y0,
                        doc.m_leadTrace[std::size_t(lead)].data() + rhythm.first, rhythm.count);
    else
        dc.MoveTo(g.rc.left, y0);
}

void DrawMonitorRecord(Canvas& dc, const GridLayout& g, const SchemeColours& colours,
                       const CZM540Doc& doc) {
    dc.SelectPen(SolidPen(colours.crChannel1));
    if (doc.m_nSamples < 1)
        return;
    dc.SetBkMode(true);
    for (int strip = 1;; ++strip) {
        const SampleSpan span = MonitorStripSpan(g.scale, doc.m_nSamples, strip);
        if (span.count == 0)
            break;
        DrawRecordedRow(dc, g, g.rc.left, MonitorBaseline(g, strip),
                        doc.m_monitorTrace.data() + span.first, span.count);
    }
}
