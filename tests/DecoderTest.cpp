#include "TestSupport.h"

#include "StreamDecoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A session's state over a document's rings, as at the start of a session.
struct Session {
    DocFixture f;
    AcquisitionState s;
    explicit Session(bool bTwelveLead, bool bFiltered = false, double cutoff = 40.0) {
        s.m_pMonitorRing = f.doc->m_monitorRing.data();
        for (int k = 0; k < 12; ++k)
            s.m_pLeadRing[k] = f.doc->m_leadRing[k].data();
        s.m_bViewTwelveLead = bTwelveLead;
        s.m_bRealTimeFilter = bFiltered;
        s.ResetSession();
        s.DesignRealTimeFilter(cutoff, 300.0);
    }
    void Feed(const std::vector<std::uint8_t>& bytes) {
        Decode(s, bytes.data(), int(bytes.size()));
    }
    int Ring(int k, int i) const { return f.doc->m_leadRing[k][i]; }
};

std::uint8_t ByteOf(int sample) {
    return std::uint8_t(sample + 126);
}

std::vector<std::uint8_t> Frame(int I, int II, int v = 0) {
    std::vector<std::uint8_t> frame{255, ByteOf(I), ByteOf(II)};
    for (int k = 0; k < 6; ++k)
        frame.push_back(ByteOf(v + k));
    return frame;
}

std::vector<std::uint8_t> Frames(int count) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        const auto f = Frame(i % 50 - 25, (i * 3) % 60 - 30, i % 20);
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    return bytes;
}

} // namespace

TEST(Decoder, ByteValuesMapToSamples) {
    struct Case {
        std::uint8_t byte;
        int sample;
    };
    for (const Case& c :
         {Case{126, 0}, Case{0, -126}, Case{253, 127}, Case{254, -128}, Case{255, -127}}) {
        Session m(false);
        m.Feed({c.byte});
        EXPECT_EQ(m.f.doc->m_monitorRing[0], c.sample) << int(c.byte);
        if (c.byte == 255)
            continue; // the 12-lead stream's sync
        Session t(true);
        t.Feed({255, c.byte, 126, 1, 2, 3, 4, 5, 6});
        EXPECT_EQ(t.Ring(0, 0), c.sample) << int(c.byte);
    }
}

TEST(Decoder, DerivedLimbLeads) {
    struct Case {
        int I, II, III, aVR, aVL, aVF;
    };
    const Case cases[] = {
        {10, 20, 10, -15, 0, 15},        {-128, 127, -1, 0, -63, 63}, // II - I = 255 wraps to -1
        {-1, -2, -1, 1, 0, -1},          // the halving truncates toward zero before the sign change
        {-128, -128, 0, -128, -64, -64}, // -(-256 / 2) = 128 wraps
        {127, -128, 1, 0, 63, -63},
    };
    for (const Case& c : cases) {
        Session t(true);
        t.Feed(Frame(c.I, c.II));
        EXPECT_EQ(t.s.m_nHead, 1);
        EXPECT_EQ((std::vector<int>{t.Ring(0, 0), t.Ring(1, 0), t.Ring(2, 0), t.Ring(3, 0),
                                    t.Ring(4, 0), t.Ring(5, 0)}),
                  (std::vector<int>{c.I, c.II, c.III, c.aVR, c.aVL, c.aVF}))
            << c.I << "," << c.II;
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(t.Ring(6 + k, 0), k);
    }
}

TEST(Decoder, FramesSplitAnywhereDecodeTheSame) {
    const std::vector<std::uint8_t> stream = Frames(7);
    Session whole(true);
    whole.Feed(stream);
    EXPECT_EQ(whole.s.m_nHead, 7);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        Session split(true);
        split.Feed(std::vector<std::uint8_t>(stream.begin(), stream.begin() + std::ptrdiff_t(cut)));
        split.Feed(std::vector<std::uint8_t>(stream.begin() + std::ptrdiff_t(cut), stream.end()));
        EXPECT_EQ(split.s.m_nHead, 7) << cut;
        EXPECT_EQ(split.f.doc->m_leadRing, whole.f.doc->m_leadRing) << cut;
    }
}

TEST(Decoder, PartialFrameIsOverwrittenAfterTheNextSync) {
    Session t(true);
    t.Feed(
        {255, ByteOf(40), ByteOf(50), ByteOf(60), ByteOf(61), ByteOf(62)}); // sync and five bytes
    EXPECT_EQ(t.s.m_nHead, 0);
    EXPECT_EQ(t.Ring(0, 0), 40);
    t.Feed(Frame(1, 2, 7));
    EXPECT_EQ(t.s.m_nHead, 1);
    EXPECT_EQ(
        (std::vector<int>{t.Ring(0, 0), t.Ring(1, 0), t.Ring(2, 0), t.Ring(6, 0), t.Ring(8, 0)}),
        (std::vector<int>{1, 2, 1, 7, 9}));
    // Without a sync at the start, the first byte is passed over as if it were one.
    Session u(true);
    u.Feed({ByteOf(5), ByteOf(1), ByteOf(2), 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(u.s.m_nHead, 1);
    EXPECT_EQ(u.Ring(0, 0), 1);
}

TEST(Decoder, TwelveLeadTailAndDisplayStart) {
    struct Case {
        int frames, head, tail, fill, displayStart;
    };
    for (const Case& c : {Case{1500, 1500, 0, 1500, 0}, Case{1501, 1501, 0, 1501, 1},
                          Case{3001, 3001, 1, 3001, 1501}, Case{3600, 0, 600, 3001, 2100},
                          Case{4000, 400, 1000, 3001, 2500}}) {
        Session t(true);
        const std::vector<std::uint8_t> stream = Frames(c.frames);
        for (std::size_t i = 0; i < stream.size(); i += 135) // events of 15 frames
            t.Feed(std::vector<std::uint8_t>(stream.begin() + std::ptrdiff_t(i),
                                             stream.begin() +
                                                 std::ptrdiff_t(std::min(stream.size(), i + 135))));
        EXPECT_EQ(t.s.m_nHead, c.head) << c.frames;
        EXPECT_EQ(t.s.m_nTail, c.tail) << c.frames;
        EXPECT_EQ(t.s.m_nFill, c.fill) << c.frames;
        EXPECT_EQ(t.s.m_nDisplayStart, c.displayStart) << c.frames;
    }
}

TEST(Decoder, MonitoringPageMovesAfterTheEventThatPassesAFullPage) {
    Session m(false);
    const std::vector<std::uint8_t> event(15, 130);
    for (int i = 0; i < 800; ++i) // 12000 samples: a full page, not past it
        m.Feed(event);
    EXPECT_EQ(m.s.m_nDisplayStart, 0);
    EXPECT_EQ(m.s.m_bSweepRestart, 0);
    EXPECT_EQ(m.s.m_nFill, 12000);
    m.Feed(event);
    EXPECT_EQ(m.s.m_nDisplayStart, 3000);
    EXPECT_EQ(m.s.m_bRedrawAll, 1);
    EXPECT_EQ(m.s.m_bSweepRestart, 1);
    EXPECT_EQ(m.s.m_nTail, 15);
    EXPECT_EQ(m.s.m_nFill, 12001);
    // Around the ring: the page start wraps to 0.
    for (int i = 0; i < 800; ++i)
        m.Feed(event);
    EXPECT_EQ(m.s.m_nHead, 9015);
    EXPECT_EQ(m.s.m_nDisplayStart, 0);
}

TEST(Decoder, AnEventWithNothingWaitingChangesNothing) {
    for (bool bTwelveLead : {true, false}) {
        Session t(bTwelveLead);
        t.Feed(Frames(20));
        t.s.m_bRedrawAll = 0;
        const AcquisitionState before = t.s;
        t.Feed({});
        EXPECT_EQ(t.s.m_nHead, before.m_nHead);
        EXPECT_EQ(t.s.m_nFramePos, before.m_nFramePos);
        EXPECT_EQ(t.s.m_bRedrawAll, 0);
    }
}

TEST(Decoder, RealTimeFilterStepResponseAt40Hz) {
    // A constant +10 (byte 136) from rest stores 1, 4, 7, 9, then overshoots to 10.
    const std::vector<int> expected{1, 4, 7, 9, 10};
    Session m(false, true);
    m.Feed(std::vector<std::uint8_t>(5, 136));
    EXPECT_EQ(std::vector<int>(m.f.doc->m_monitorRing.begin(), m.f.doc->m_monitorRing.begin() + 5),
              expected);

    Session t(true, true);
    for (int i = 0; i < 5; ++i)
        t.Feed({255, 136, 136, 140, 140, 140, 140, 140, 140});
    std::vector<int> leadI, leadII, v1;
    for (int i = 0; i < 5; ++i) {
        leadI.push_back(t.Ring(0, i));
        leadII.push_back(t.Ring(1, i));
        v1.push_back(t.Ring(6, i));
    }
    EXPECT_EQ(leadI, expected);
    EXPECT_EQ(leadII, expected);
    EXPECT_EQ(v1, std::vector<int>(5, 0)); // the further channels are not written while filtering
    EXPECT_EQ(t.Ring(2, 4), 0);            // III from the filtered I and II
}
