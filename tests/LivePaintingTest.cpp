#include "HandGrid.h"
#include "RecordingCanvas.h"
#include "TestSupport.h"

#include "LivePainting.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const SchemeColours kColours = GetSchemeColours(DefaultSchemeTable(), 1);

using Points = std::vector<QPoint>;

struct LiveSession {
    DocFixture f;
    AcquisitionState s;
    GridLayout g = HandGrid(6); // a pixel every 500 samples
    explicit LiveSession(bool bTwelveLead) {
        s.m_pMonitorRing = f.doc->m_monitorRing.data();
        for (int k = 0; k < 12; ++k)
            s.m_pLeadRing[k] = f.doc->m_leadRing[k].data();
        s.m_bViewTwelveLead = bTwelveLead;
        s.ResetSession();
    }
    // `count` frames with every lead at 0 but lead I, which carries the marks (frame, value):
    // lead III (II - I) then carries -value and aVF ((II + III) / 2) -value / 2.
    void FeedFrames(int count, const std::map<int, int>& leadI) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            const auto mark = leadI.find(i);
            bytes.push_back(255);
            bytes.push_back(std::uint8_t(126 + (mark != leadI.end() ? mark->second : 0)));
            bytes.insert(bytes.end(), 7, std::uint8_t(126));
        }
        Decode(s, bytes.data(), int(bytes.size()));
    }
    // `count` monitoring samples at 0 but for the marks (sample number, value), 15 at a time.
    void FeedSamples(int count, const std::map<int, int>& marks) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            const auto mark = marks.find(i);
            bytes.push_back(std::uint8_t(126 + (mark != marks.end() ? mark->second : 0)));
        }
        for (std::size_t i = 0; i < bytes.size(); i += 15)
            Decode(s, bytes.data() + i, int(std::min<std::size_t>(15, bytes.size() - i)));
    }
};

} // namespace

TEST(LivePainting, PointsTruncateTheAmplitudeFirst) {
    // x = 10 + k * 700 / 3000: samples 0 to 4 at 10, 5 to 8 at 11, 9 at 12. On strip 1
    // (baseline 73) y = 73 - v * 264 / 528, the quotient truncated toward zero:
    //   v    0    1    2    3    -3   -3   -1   5    5    -128
    //   y    73   73   72   72   74   74   73   71   71   137
    // (the recorded rule would put 1 at 72 and 3 at 71); repeats are left out.
    LiveSession m(false);
    m.g = HandGrid(700);
    const int values[] = {0, 1, 2, 3, -3, -3, -1, 5, 5, -128};
    std::map<int, int> marks;
    for (int k = 0; k < int(std::size(values)); ++k)
        marks[k] = values[k];
    m.FeedSamples(int(std::size(values)), marks);
    RecordingCanvas dc;
    PaintMonitorLive(dc, m.s, m.g, kColours);
    // The strips below get only a move, to their baselines (127, 180, 234).
    const std::vector<Points> expected = {
        {{10, 73}, {10, 72}, {10, 74}, {11, 74}, {11, 73}, {11, 71}, {12, 137}},
        {{10, 127}},
        {{10, 180}},
        {{10, 234}}};
    ASSERT_EQ(dc.polylines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(dc.polylines[i].points, expected[i]) << "strip " << i + 1;
        EXPECT_EQ(dc.polylines[i].pen.colour, kColours.crChannel1);
    }
}

TEST(LivePainting, TwelveLeadColumnsAndRhythm) {
    // Lead I is 8 at the marked frames: 4 pixels above its baseline (69); lead III (the rhythm,
    // baseline 238) is then 4 below and aVF (right column from x = 13, baseline 180) 2 below.
    // The columns show 1480 samples (or all there are) from the display start, the rhythm row
    // all kept samples but the newest, from the tail.

    // Display start 0, columns of 1000; the rhythm row stops before frame 999.
    const Points rhythm1000 = {{10, 242}, {10, 238}, {11, 238}, {11, 242}};
    // Display start 500: columns 500 to 1979; rhythm 0 to 1998.
    const Points rhythm2000 = {{10, 242}, {10, 238}, {11, 242}, {11, 238}, {12, 238},
                               {13, 238}, {13, 242}, {13, 238}, {13, 242}};
    // Display start 2000: columns 2000 to 3479; tail 500: rhythm 500 to 3499.
    const Points rhythm3500 = {{10, 242}, {10, 238}, {11, 238}, {12, 238}, {13, 242}, {13, 238},
                               {14, 238}, {15, 238}, {15, 242}, {15, 238}, {15, 242}};
    struct Case {
        int frames;
        std::map<int, int> leadI;
        Points leadIColumn, aVFColumn;
        const Points& rhythm;
    };
    const Case cases[] = {
        {1000,
         {{0, 8}, {998, 8}, {999, -8}},
         {{10, 65}, {10, 69}, {11, 69}, {11, 65}, {11, 73}},
         {{13, 182}, {13, 180}, {14, 180}, {14, 182}, {14, 178}},
         rhythm1000},
        {2000,
         {{0, 8}, {500, 8}, {1979, 8}, {1998, 8}},
         {{10, 65}, {10, 69}, {11, 69}, {12, 69}, {12, 65}},
         {{13, 182}, {13, 180}, {14, 180}, {15, 180}, {15, 182}},
         rhythm2000},
        {3500,
         {{500, 8}, {2000, 8}, {3479, 8}, {3499, 8}},
         {{10, 65}, {10, 69}, {11, 69}, {12, 69}, {12, 65}},
         {{13, 182}, {13, 180}, {14, 180}, {15, 180}, {15, 182}},
         rhythm3500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        LiveSession t(true);
        t.FeedFrames(c.frames, c.leadI);
        RecordingCanvas dc;
        PaintTwelveLeadLive(dc, t.s, t.g, kColours, 2);
        ASSERT_EQ(dc.polylines.size(), 7u);
        EXPECT_EQ(dc.polylines[0].points, c.leadIColumn); // row 1, left
        EXPECT_EQ(dc.polylines[5].points, c.aVFColumn);   // row 3, right
        EXPECT_EQ(dc.polylines[6].points, c.rhythm);
        EXPECT_EQ(dc.polylines[6].pen.colour, kColours.crChannel3);
        ASSERT_EQ(dc.clips.size(), 2u); // cut at the grid while drawing, then released
        EXPECT_EQ(dc.clips[0], QRect(QPoint(10, 20), QPoint(15, 283)));
        EXPECT_FALSE(dc.clips[1].has_value());
    }
    LiveSession empty(true);
    RecordingCanvas dc;
    PaintTwelveLeadLive(dc, empty.s, empty.g, kColours, 1);
    EXPECT_TRUE(dc.polylines.empty());
    EXPECT_TRUE(dc.clips.empty());
}

TEST(LivePainting, MonitoringDrawsOnlyTheNewestStrip) {
    // 4500 samples: strip 2 (baseline 127) from sample 3000 up to the newest, 4499; both are
    // marked 8, 4 pixels up. The strips below get only a move.
    LiveSession m(false);
    m.FeedSamples(4500, {{3000, 8}, {4499, 8}});
    RecordingCanvas dc;
    EXPECT_FALSE(PaintMonitorLive(dc, m.s, m.g, kColours));
    const std::vector<Points> expected = {
        {{10, 123}, {10, 127}, {11, 127}, {12, 127}, {12, 123}}, {{10, 180}}, {{10, 234}}};
    ASSERT_EQ(dc.polylines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(dc.polylines[i].points, expected[i]) << i;

    // The newest sample exactly at a strip boundary: nothing is drawn.
    LiveSession edge(false);
    edge.FeedSamples(6000, {});
    RecordingCanvas none;
    PaintMonitorLive(none, edge.s, edge.g, kColours);
    EXPECT_EQ(none.polylines.size(), 2u);
    for (const auto& p : none.polylines)
        EXPECT_EQ(p.points.size(), 1u);
}

TEST(LivePainting, MonitoringPageMoveWrappingToZero) {
    // 24015 samples: the ring (15000) has wrapped, the newest sample 24014 is at ring 9014 and
    // the page start has moved round to 0. Strip 1 (baseline 73) starts 4 samples before the
    // page: ring 14996 (marked 8: 69) to 14999 (-8: 77), then ring 0 (sample 15000, 16: 65) on
    // to 2995 (sample 17995, 8: 69). Strip 4 (baseline 234) holds ring 8996 (8: 230) to 9014
    // (-8: 238).
    LiveSession m(false);
    m.FeedSamples(12015 + 12000,
                  {{14996, 8}, {14999, -8}, {15000, 16}, {17995, 8}, {23996, 8}, {24014, -8}});
    ASSERT_EQ(m.s.m_nDisplayStart, 0);
    ASSERT_EQ(m.s.m_bSweepRestart, 1);
    RecordingCanvas dc;
    EXPECT_TRUE(PaintMonitorLive(dc, m.s, m.g, kColours)); // the restart is done
    ASSERT_EQ(dc.polylines.size(), 4u);
    const Points strip1 = {{10, 69}, {10, 73}, {10, 77}, {10, 65}, {10, 73}, {11, 73},
                           {12, 73}, {13, 73}, {14, 73}, {15, 73}, {15, 69}};
    EXPECT_EQ(dc.polylines[0].points, strip1);
    EXPECT_EQ(dc.polylines[3].points, (Points{{10, 230}, {10, 234}, {10, 238}}));
}
