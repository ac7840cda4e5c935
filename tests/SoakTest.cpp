// A few minutes of each mode through the soak rig: sessions against the emulated unit with its
// clock driven, stopped and started again, every capture compared with what the unit sent.
#include "soak/SoakRig.h"

#include <gtest/gtest.h>

namespace {

// Two sessions of 90 s: each stop keeps a full span (10 s of 12-lead, 40 s of monitoring).
constexpr int kSessions = 2;
constexpr int kSessionSeconds = 90;

void ExpectNothingLost(const soak::Figures& f, int kept) {
    for (const QString& p : f.problems)
        ADD_FAILURE() << p.toStdString();
    EXPECT_EQ(f.nSessions, kSessions);
    EXPECT_EQ(f.nCaptures, kSessions);
    EXPECT_EQ(f.nBadCaptures, 0);
    EXPECT_EQ(f.nBadBalances, 0);
    // Every byte that reached the open line was decoded, and none was left on it.
    EXPECT_EQ(f.LostBytes(), 0);
    EXPECT_EQ(f.LostFrames(), 0);
    EXPECT_EQ(f.nBytesDiscarded, 0);
    // 90 s at 300 frames a second per session, plus what the real clock added; only the first
    // frames of a session can go unheard, while the port changes speed.
    EXPECT_GE(f.nFramesSent, kSessions * kSessionSeconds * 300);
    EXPECT_LT(f.nFramesUnheard, kSessions * 300);
    EXPECT_GE(f.nFramesDecoded, qint64(kSessions) * kept);
    EXPECT_GT(f.nPaints, kSessions * 10);
}

TEST(Soak, TwelveLeadSessionsLoseNothingAndCaptureTheLastTenSeconds) {
    soak::ModeSoak m(true, QSize(800, 600), kSessionSeconds);
    soak::ModeSoak* soaks[] = {&m};
    ASSERT_TRUE(soak::RunSoaks(soaks, 1, kSessions, 500, 1, [](soak::ModeSoak&) {}));
    const soak::Figures& f = m.Result();
    ExpectNothingLost(f, 3000);
    EXPECT_EQ(f.nBytesSent, 9 * f.nFramesSent);
    EXPECT_EQ(m.Doc().m_nSamples, 3000);
}

TEST(Soak, MonitoringSessionsLoseNothingAndCaptureTheLastFortySeconds) {
    soak::ModeSoak m(false, QSize(800, 600), kSessionSeconds);
    soak::ModeSoak* soaks[] = {&m};
    ASSERT_TRUE(soak::RunSoaks(soaks, 1, kSessions, 500, 2, [](soak::ModeSoak&) {}));
    const soak::Figures& f = m.Result();
    ExpectNothingLost(f, 12000);
    EXPECT_EQ(f.nBytesSent, f.nFramesSent);
    EXPECT_EQ(m.Doc().m_nSamples, 12000);
    EXPECT_EQ(m.Doc().m_nRhythmLead, 1); // the second session monitored lead II
}

} // namespace
