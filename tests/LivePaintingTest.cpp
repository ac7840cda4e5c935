#include "RecordingCanvas.h"
#include "TestSupport.h"

#include "LivePainting.h"

#include <gtest/gtest.h>

namespace {

const SchemeColours kColours = GetSchemeColours(DefaultSchemeTable(), 1);

struct LiveSession {
    DocFixture f;
    AcquisitionState s;
    GridLayout g = LayoutGrid(1000, 700);
    explicit LiveSession(bool bTwelveLead) {
        s.m_pMonitorRing = f.doc->m_monitorRing.data();
        for (int k = 0; k < 12; ++k)
            s.m_pLeadRing[k] = f.doc->m_leadRing[k].data();
        s.m_bViewTwelveLead = bTwelveLead;
        s.ResetSession();
    }
    // Sample instant i carries values that differ per lead and over time.
    void FeedFrames(int from, int to) {
        std::vector<std::uint8_t> bytes;
        for (int i = from; i < to; ++i) {
            bytes.push_back(255);
            for (int ch = 0; ch < 8; ++ch)
                bytes.push_back(std::uint8_t(126 + (i * (ch + 2)) % 90 - 45));
        }
        Decode(s, bytes.data(), int(bytes.size()));
    }
    void FeedSamples(int from, int to) {
        std::vector<std::uint8_t> bytes;
        for (int i = from; i < to; ++i)
            bytes.push_back(std::uint8_t(126 + (i * 7) % 100 - 50));
        for (std::size_t i = 0; i < bytes.size(); i += 15)
            Decode(s, bytes.data() + i, int(std::min<std::size_t>(15, bytes.size() - i)));
    }
    // The live point rule written out: amplitude truncated first.
    std::vector<QPoint> Expected(const std::int8_t* ring, int size, int start, int count,
                                 int y0) const {
        auto at = [&](int k) {
            const int v = ring[(start + k) % size];
            return QPoint(g.rc.left + (k * g.W) / 3000, y0 - (v * g.H) / 528);
        };
        std::vector<QPoint> pts{at(0)};
        for (int k = 0; k < count; ++k)
            if (at(k) != pts.back())
                pts.push_back(at(k));
        return pts;
    }
};

} // namespace

TEST(LivePainting, TwelveLeadColumnsAndRhythm) {
    struct Case {
        int frames, columnStart, columnCount, rhythmStart, rhythmCount;
    };
    for (const Case& c : {Case{1000, 0, 1000, 0, 999}, Case{2000, 500, 1480, 0, 1999},
                          Case{3500, 2000, 1480, 500, 3000}}) {
        SCOPED_TRACE(c.frames);
        LiveSession t(true);
        t.FeedFrames(0, c.frames);
        RecordingCanvas dc;
        PaintTwelveLeadLive(dc, t.s, t.g, kColours, 2);
        ASSERT_EQ(dc.polylines.size(), 7u);
        // Row 1, left column: lead I from the display start.
        EXPECT_EQ(dc.polylines[0].points, t.Expected(t.s.m_pLeadRing[0], 3600, c.columnStart,
                                                     c.columnCount, TwelveLeadBaseline(t.g, 0)));
        // Row 3, right column: aVF, at the half-width offset.
        auto avf = t.Expected(t.s.m_pLeadRing[5], 3600, c.columnStart, c.columnCount,
                              TwelveLeadBaseline(t.g, 2));
        for (QPoint& p : avf)
            p.rx() += t.g.half;
        EXPECT_EQ(dc.polylines[5].points, avf);
        // Rhythm: lead III from the tail.
        EXPECT_EQ(dc.polylines[6].points, t.Expected(t.s.m_pLeadRing[2], 3600, c.rhythmStart,
                                                     c.rhythmCount, TwelveLeadBaseline(t.g, 3)));
        EXPECT_EQ(dc.polylines[6].pen.colour, kColours.crChannel3);
        ASSERT_EQ(dc.clips.size(), 2u); // cut at the grid while drawing, then released
        EXPECT_EQ(dc.clips[0], QRect(QPoint(t.g.rc.left, t.g.rc.top),
                                     QPoint(t.g.rc.right - 1, t.g.rc.bottom - 1)));
        EXPECT_FALSE(dc.clips[1].has_value());
    }
    LiveSession empty(true);
    RecordingCanvas dc;
    PaintTwelveLeadLive(dc, empty.s, empty.g, kColours, 1);
    EXPECT_TRUE(dc.polylines.empty());
    EXPECT_TRUE(dc.clips.empty());
}

TEST(LivePainting, MonitoringDrawsOnlyTheNewestStrip) {
    LiveSession m(false);
    m.FeedSamples(0, 4500);
    RecordingCanvas dc;
    EXPECT_FALSE(PaintMonitorLive(dc, m.s, m.g, kColours));
    ASSERT_FALSE(dc.polylines.empty());
    EXPECT_EQ(dc.polylines[0].points,
              m.Expected(m.s.m_pMonitorRing, 15000, 3000, 1500, MonitorBaseline(m.g, 2)));
    EXPECT_LT(dc.polylines[0].points.back().x(), m.g.rc.left + m.g.half + 1);
    for (std::size_t i = 1; i < dc.polylines.size(); ++i)
        EXPECT_EQ(dc.polylines[i].points.size(), 1u); // the strips below get only a move

    // The newest sample exactly at a strip boundary: nothing is drawn.
    LiveSession edge(false);
    edge.FeedSamples(0, 6000);
    RecordingCanvas none;
    PaintMonitorLive(none, edge.s, edge.g, kColours);
    for (const auto& p : none.polylines)
        EXPECT_EQ(p.points.size(), 1u);
}

TEST(LivePainting, MonitoringPageMoveWrappingToZero) {
    LiveSession m(false);
    m.FeedSamples(0, 12015 + 12000); // the page start has moved round to 0
    ASSERT_EQ(m.s.m_nDisplayStart, 0);
    ASSERT_EQ(m.s.m_bSweepRestart, 1);
    RecordingCanvas dc;
    EXPECT_TRUE(PaintMonitorLive(dc, m.s, m.g, kColours)); // the restart is done
    ASSERT_EQ(dc.polylines.size(), 4u);
    // Strip 1 starts 4 samples before the page: ring 14996 to 14999, then 0 on.
    EXPECT_EQ(dc.polylines[0].points,
              m.Expected(m.s.m_pMonitorRing, 15000, 14996, 3000, MonitorBaseline(m.g, 1)));
    EXPECT_EQ(dc.polylines[3].points,
              m.Expected(m.s.m_pMonitorRing, 15000, 8996, 19, MonitorBaseline(m.g, 4)));
}
