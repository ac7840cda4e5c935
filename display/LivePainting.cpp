#include "LivePainting.h"

#include "Leads.h"
#include "TraceDrawing.h"

#include <algorithm>

namespace {

constexpr int kLiveColumnSamples = kColumnSamples - 20; // the newest 20 stay hidden

// A row of ring samples from `start` on, wrapping at the ring's size.
void DrawRingRow(Canvas& dc, const GridLayout& g, int x0, int y0, const std::int8_t* ring,
                 int ringSize, int start, int count) {
    DrawTrace(dc, count, [&](int k) {
        int i = start + k;
        if (i >= ringSize)
            i -= ringSize;
        return QPoint(SampleX(g, x0, k), LiveY(g, y0, ring[i]));
    });
}

} // namespace

void PaintTwelveLeadLive(Canvas& dc, const AcquisitionState& s, const GridLayout& g,
                         const SchemeColours& colours, int rhythmLead) {
    const int n = std::min(s.m_nFill, kLiveColumnSamples);
    if (n > 0) {
        constexpr int size = kLeadCapacity;
        dc.SetClipRect(QRect(QPoint(g.rc.left, g.rc.top), QPoint(g.rc.right - 1, g.rc.bottom - 1)));
        for (int row = 0; row < kRhythmRow; ++row) {
            const TwelveLeadRow& r = kTwelveLeadRows[std::size_t(row)];
            const int y0 = TwelveLeadBaseline(g, row);
            dc.SelectPen(SolidPen(ChannelColour(colours, row + 1)));
            DrawRingRow(dc, g, g.rc.left, y0, s.m_pLeadRing[std::size_t(r.leftLead)], size,
                        s.m_nDisplayStart, n);
            DrawRingRow(dc, g, g.rc.left + g.half, y0, s.m_pLeadRing[std::size_t(r.rightLead)],
                        size, s.m_nDisplayStart, n);
        }
        const int lead = SafeLimbLead(rhythmLead);
        dc.SelectPen(SolidPen(ChannelColour(colours, ChannelOfLead(lead))));
        DrawRingRow(dc, g, g.rc.left, TwelveLeadBaseline(g, kRhythmRow),
                    s.m_pLeadRing[std::size_t(lead)], size, s.m_nTail, s.m_nFill - 1);
        dc.SetClipRect(std::nullopt);
    }
}

bool PaintMonitorLive(Canvas& dc, const AcquisitionState& s, const GridLayout& g,
                      const SchemeColours& colours) {
    constexpr int size = kMonitorCapacity;
    constexpr int strip = kStripSamples;
    dc.SelectPen(SolidPen(colours.crChannel1));
    int r = 0, start = 0;
    bool bRestarted = false;
    if (s.m_nFill > 0) {
        if (s.m_bSweepRestart) {
            bRestarted = true;
            r = 1;
            start = (strip * (s.m_nDisplayStart / strip) - 4 + size) % size;
        } else {
            const int q = s.m_nHead / strip;
            start = strip * q;
            r = s.m_nFill >= kMonitorKept ? kMonitorStrips : q + 1;
        }
    }
    for (; r >= 1 && r <= kMonitorStrips; ++r) {
        int d = s.m_nHead - start;
        if (d < 0)
            d += size;
        const int c = std::min(d, strip);
        DrawRingRow(dc, g, g.rc.left, MonitorBaseline(g, r), s.m_pMonitorRing, size, start, c);
        start += c;
        if (start >= size)
            start -= size;
    }
    return bRestarted;
}
