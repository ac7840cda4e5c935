#include "TestSupport.h"

#include "Calipers.h"
#include "EmulatorBackend.h"
#include "LinkCheckDlg.h"
#include "SystemColours.h"
#include "ZM540View.h"

#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The two window sizes the cases use, worked out from the grid's fitting rules:
//   800 x 600:   usable 795 x 594 (multiples of 3 below size - 5); 795 * 0.64 = 508.8 fits, so
//                W = 795, H = 508, left = (795 - 795 + 1) / 2 = 0, top = (595 - 508 + 1) / 2 = 44,
//                half = 397. 12-lead baselines 44 + 508 * row fraction: 139, 250, 353, 464;
//                monitoring strips 44 + 103.1875 * k: 147, 250, 353, 456.
//                10 s = 795 px (12.578 ms a pixel), 1 mV = 508 / 16 = 31.75 px.
//   1920 x 1080: usable 1914 x 1074; 1914 * 0.64 = 1224.96 does not fit, so H = 1074,
//                W = 5 * 1074 * 0.3125 = 1678 (truncated), left = (1915 - 1678 + 1) / 2 = 119,
//                top = (1075 - 1074 + 1) / 2 = 1, half = 839. 12-lead baselines 202, 437, 655,
//                890. 10 s = 1678 px, 1 mV = 1074 / 16 = 67.125 px.
// Sample k of a row lies k * W / 3000 px (truncated) right of its start.

struct PointCase {
    const char* what;
    QSize size;
    bool bTwelveLead;
    int nSamples;
    QPoint at;
    std::optional<TracePoint> expected;
};

TracePoint At(int row, int column, double seconds, int sample, double mV) {
    return TracePoint{row, column, seconds, sample, mV};
}

const ColourRef kMagenta = MakeColourRef(255, 0, 255);
const ColourRef kOrange = MakeColourRef(255, 128, 0);

} // namespace

TEST(Calipers, ViewPointsOnTheRecordedLayout) {
    const QSize small(800, 600), large(1920, 1080);
    const PointCase cases[] = {
        // 159 px = 2 s; the first sample at that pixel is 159 * 3000 / 795 = 600, and the
        // columns show the last 1500 of 3000. 32 px above the baseline: 32 / 31.75 mV.
        {"left column", small, true, 3000, {159, 107}, At(0, 0, 2.0, 2100, 1.007874)},
        // 160 px right of 397: 603.77 rounds up to 604 (drawn at 160.06); 290 is nearer 250
        // than 353.
        {"right column", small, true, 3000, {557, 290}, At(1, 1, 2.012579, 2104, -1.259843)},
        {"last pixel of the left column",
         small,
         true,
         3000,
         {396, 150},
         At(0, 0, 4.981132, 2995, -0.346457)}, // 1494.34 -> 1495
        {"first of the right column", small, true, 3000, {397, 139}, At(0, 1, 0.0, 1500, 0.0)},
        // 398 px: 1501.9 -> 1502, past the column's 1500 samples.
        {"right edge of a column", small, true, 3000, {795, 139}, At(0, 1, 5.006289, -1, 0.0)},
        // A recording of 600 fills the columns from their start: 596.23 -> 597 is drawn,
        // 600 is not.
        {"short recording", small, true, 600, {158, 139}, At(0, 0, 1.987421, 597, 0.0)},
        {"past a short recording", small, true, 600, {159, 139}, At(0, 0, 2.0, -1, 0.0)},
        // The rhythm strip shows the recording from its start; the grid's corner is sample
        // 3000, which only a recording read from a file holds.
        {"rhythm corner", small, true, 3000, {795, 552}, At(3, 0, 10.0, -1, -2.771654)},
        {"rhythm corner of 3600", small, true, 3600, {795, 552}, At(3, 0, 10.0, 3000, -2.771654)},
        // Strip 2 holds samples 3000 to 5999: 264 px -> 996.2 -> 997, 265 px -> 1000.
        {"monitoring strip 2", small, false, 4000, {264, 282}, At(2, 0, 3.320755, 3997, -1.007874)},
        {"past the monitoring recording",
         small,
         false,
         4000,
         {265, 250},
         At(2, 0, 3.333333, -1, 0.0)},
        {"monitoring right edge", small, false, 12000, {795, 250}, At(2, 0, 10.0, -1, 0.0)},
        {"monitoring grid bottom", small, false, 12000, {0, 552}, At(4, 0, 0.0, 9000, -3.023622)},
        {"above the grid", small, true, 3000, {100, 43}, std::nullopt},
        {"right of the grid", small, true, 3000, {796, 300}, std::nullopt},
        // 958 = 119 + 839, the first pixel of the right column; 67 px up: 67 / 67.125 mV.
        {"large right column", large, true, 3000, {958, 135}, At(0, 1, 0.0, 1500, 0.998138)},
        // 419 px: 749.1 -> 750 (drawn at 419.5); 500 is nearer 437 than 655.
        {"large left column", large, true, 3000, {538, 500}, At(1, 0, 2.497020, 2250, -0.938547)},
        {"large rhythm", large, true, 3000, {958, 890}, At(3, 0, 5.0, 1500, 0.0)},
        {"large left of the grid", large, true, 3000, {118, 500}, std::nullopt},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.what);
        const GridLayout g = LayoutGrid(c.size.width(), c.size.height());
        const std::optional<TracePoint> p =
            LocateTracePoint(g, c.bTwelveLead, c.nSamples, c.at.x(), c.at.y());
        ASSERT_EQ(p.has_value(), c.expected.has_value());
        if (!p)
            continue;
        EXPECT_EQ(p->row, c.expected->row);
        EXPECT_EQ(p->column, c.expected->column);
        EXPECT_NEAR(p->seconds, c.expected->seconds, 1e-6);
        EXPECT_EQ(p->sample, c.expected->sample);
        EXPECT_NEAR(p->mV, c.expected->mV, 1e-6);
    }
}

TEST(Calipers, SpeedAndGainRescaleThePoint) {
    // 800 x 600 at 50 mm/s: the grid shows 5 s, so 159 px is 1 s, 300 samples in. At 20 mm/mV
    // a millivolt is 63.5 px, at 5 mm/mV 15.875 px.
    const auto grid = [](int nSpeed, int nGain) {
        GridLayout g = LayoutGrid(800, 600);
        g.scale = ChartScale{nSpeed, nGain};
        return g;
    };
    // The columns show the last 750 of 3000 samples, the rhythm strip the last 1500.
    std::optional<TracePoint> p = LocateTracePoint(grid(50, 20), true, 3000, 159, 107);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->seconds, 1.0, 1e-9);
    EXPECT_EQ(p->sample, 2250 + 300);
    EXPECT_NEAR(p->mV, 32 / 63.5, 1e-9);
    p = LocateTracePoint(grid(50, 10), true, 3000, 0, 464);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->sample, 1500);
    // 40 s at 50 mm/s are eight strips of 1500, of which the view shows the last four: strip 2
    // holds samples 7500 to 8999.
    p = LocateTracePoint(grid(50, 5), false, 12000, 159, 250);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->sample, 7800);
    // 4000 samples fill three strips from sample 0: the third holds 3000 to 3999, the fourth
    // nothing.
    p = LocateTracePoint(grid(50, 10), false, 4000, 159, 353);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->sample, 3300);
    p = LocateTracePoint(grid(50, 10), false, 4000, 0, 456);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->sample, -1);
    p = LocateTracePoint(grid(25, 5), false, 12000, 0, 120);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->mV, 27 / 15.875, 1e-9);
    // Nothing to map onto a grid too small to show.
    EXPECT_FALSE(LocateTracePoint(LayoutGrid(4, 4), true, 3000, 0, 0));
}

TEST(Calipers, MeasurementBetweenTwoPoints) {
    struct Case {
        const char* what;
        QSize size;
        QLine line;
        ChartScale scale;
        double ms, mV;
        std::optional<double> bpm;
    };
    const QSize small(800, 600), large(1920, 1080);
    const Case cases[] = {
        // 159 px of 795 are 2 s; 127 px up at 31.75 px a millivolt are 4 mV.
        {"right and up", small, {100, 300, 259, 173}, {25, 10}, 2000.0, 4.0, 30.0},
        {"left and down", small, {259, 173, 100, 300}, {25, 10}, -2000.0, -4.0, 30.0},
        // 34 px: 340000 / 795 ms, 60000 / that = 4770 / 34 bpm.
        {"a heartbeat", small, {10, 500, 44, 500}, {25, 10}, 427.672956, 0.0, 140.294118},
        {"straight up has no rate",
         small,
         {100, 300, 100, 100},
         {25, 10},
         0.0,
         6.299213,
         std::nullopt},
        {"50 mm/s", small, {100, 300, 259, 173}, {50, 10}, 1000.0, 4.0, 60.0},
        {"20 mm/mV", small, {100, 300, 259, 173}, {25, 20}, 2000.0, 2.0, 30.0},
        {"5 mm/mV", small, {100, 300, 259, 173}, {25, 5}, 2000.0, 8.0, 30.0},
        // Across rows: 839 px of 1678 are 5 s; 537 px at 67.125 px a millivolt are 8 mV.
        {"large, across rows", large, {200, 900, 1039, 363}, {25, 10}, 5000.0, 8.0, 12.0},
        // One pixel: 10000 / 1678 ms, 6 * 1678 bpm.
        {"large, one pixel", large, {500, 500, 501, 500}, {25, 10}, 5.959476, 0.0, 10068.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridLayout g = LayoutGrid(c.size.width(), c.size.height());
        g.scale = c.scale;
        const std::optional<CaliperReading> r =
            MeasureCaliper(g, c.line.x1(), c.line.y1(), c.line.x2(), c.line.y2());
        ASSERT_TRUE(r);
        EXPECT_NEAR(r->dMs, c.ms, 1e-6);
        EXPECT_NEAR(r->dMv, c.mV, 1e-6);
        ASSERT_EQ(r->bpm.has_value(), c.bpm.has_value());
        if (c.bpm) {
            EXPECT_NEAR(*r->bpm, *c.bpm, 1e-6);
        }
    }
    EXPECT_FALSE(MeasureCaliper(LayoutGrid(4, 4), 0, 0, 1, 1));
}

TEST(Calipers, LabelAndColour) {
    struct Case {
        CaliperReading reading;
        const char* label;
    };
    for (const Case& c : {
             Case{{240.0, 1.2, 250.0}, "240 ms  1.20 mV  250 bpm"},
             Case{{-2000.0, -4.0, 30.0}, "2000 ms  -4.00 mV  30 bpm"},
             Case{{427.67, -0.004, 140.29}, "428 ms  0.00 mV  140 bpm"},
             Case{{0.0, 6.299, std::nullopt}, "0 ms  6.30 mV"},
         })
        EXPECT_EQ(CaliperLabel(c.reading), c.label);

    // Squared distances to the nearest colour drawn. Scheme 1: magenta 32258 (the purple
    // trace), orange 36945 (the label grey), sky blue 29545 (the major grid). Dark scheme:
    // magenta 62550 (the grid), orange 16129 (yellow), sky blue 9025 (cyan); with a magenta
    // trace, orange.
    const SchemeTable table = DefaultSchemeTable();
    EXPECT_EQ(CaliperColour(GetSchemeColours(table, 1)), kOrange);
    SchemeColours dark = GetSchemeColours(table, 2);
    EXPECT_EQ(CaliperColour(dark), kMagenta);
    dark.crChannel1 = kMagenta;
    EXPECT_EQ(CaliperColour(dark), kOrange);
}

namespace {

// A shown 800 x 600 view of a 10-s 12-lead recording, its port 1 the emulated recorder.
struct CaliperFixture {
    DocFixture f;
    std::shared_ptr<EmulatedUnit> unit = std::make_shared<EmulatedUnit>();
    CZM540View view{*f.doc, f.settings, [this](int port) -> std::unique_ptr<SerialBackend> {
                        if (port != 1)
                            return nullptr;
                        return std::make_unique<EmulatorBackend>(unit);
                    }};
    int changes = 0;

    CaliperFixture() {
        f.settings.COMS = 0;
        f.Record(true, 3000);
        // A new session's question whether to discard this recording.
        f.prompter.answers.push_back(Prompter::Answer::Yes);
        view.OnUpdate();
        view.resize(800, 600);
        view.show();
        QObject::connect(&view, &CZM540View::caliperChanged, [this] { ++changes; });
    }
    QImage Shown() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, (from + to) / 2);
        QTest::mouseMove(&view, to);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    }
};

// Every pixel where two pictures differ.
std::vector<QPoint> Differences(const QImage& a, const QImage& b) {
    std::vector<QPoint> points;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                points.emplace_back(x, y);
    return points;
}

// Records the region of every paint the view gets.
class PaintSpy : public QObject {
  public:
    std::vector<QRegion> regions;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

} // namespace

TEST(Calipers, DragDrawsAMeasurementOverTheTrace) {
    CaliperFixture c;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c.view));
    const QImage before = c.Shown();
    const QRgb caliper = ToQColor(CaliperColour(c.view.m_colours)).rgb();

    PaintSpy spy;
    c.view.installEventFilter(&spy);
    c.Drag({100, 300}, {259, 173});
    QTest::qWait(50);
    ASSERT_TRUE(c.view.CurrentCaliper());
    EXPECT_NEAR(c.view.CurrentCaliper()->dMs, 2000.0, 1e-6);
    EXPECT_NEAR(c.view.CurrentCaliper()->dMv, 4.0, 1e-6);
    EXPECT_NEAR(*c.view.CurrentCaliper()->bpm, 30.0, 1e-6);
    EXPECT_GE(c.changes, 1);
    // The drag repainted only around the caliper, never the whole window.
    ASSERT_FALSE(spy.regions.empty());
    const QRect overlay(QPoint(99, 100), QPoint(700, 305));
    for (const QRegion& r : spy.regions)
        EXPECT_TRUE(overlay.contains(r.boundingRect()));
    EXPECT_TRUE(spy.regions.back().contains(QPoint(259, 173)));

    // The line runs from the press to the release: in every column between them the caliper's
    // colour lies within a pixel of y = 300 - (x - 100) * 127 / 159. The label stands above
    // and right of the end; nothing changes elsewhere.
    const QImage after = c.Shown();
    for (int x = 101; x < 259; ++x) {
        const int y = 300 - (x - 100) * 127 / 159;
        bool bFound = false;
        for (int dy = -1; dy <= 1; ++dy)
            bFound = bFound || after.pixel(x, y + dy) == caliper;
        EXPECT_TRUE(bFound) << x;
    }
    EXPECT_EQ(after.pixel(100, 302), caliper); // the start's tick
    const std::vector<QPoint> changed = Differences(before, after);
    EXPECT_GT(changed.size(), 150u);
    for (const QPoint& p : changed)
        ASSERT_TRUE(overlay.contains(p)) << p.x() << "," << p.y();
    bool bLabel = false;
    for (const QPoint& p : changed)
        bLabel = bLabel || (p.x() > 265 && p.y() < 167);
    EXPECT_TRUE(bLabel);

    // A second drag replaces it; Esc clears it and the window shows what it showed before.
    c.Drag({400, 400}, {434, 400});
    ASSERT_TRUE(c.view.CurrentCaliper());
    EXPECT_NEAR(c.view.CurrentCaliper()->dMs, 427.672956, 1e-6);
    EXPECT_NEAR(c.view.CurrentCaliper()->dMv, 0.0, 1e-9);
    EXPECT_EQ(c.view.CaliperLine(), QLine(400, 400, 434, 400));
    const int changes = c.changes;
    QTest::keyClick(&c.view, Qt::Key_Escape);
    EXPECT_FALSE(c.view.CurrentCaliper());
    EXPECT_EQ(c.changes, changes + 1);
    QTest::qWait(50);
    EXPECT_TRUE(Differences(before, c.Shown()).empty());
}

TEST(Calipers, TheViewMeasuresAtTheChosenSpeedAndGain) {
    // The same drag as at 25 mm/s and 10 mm/mV (2 s, 4 mV) covers 1 s and 2 mV at 50 mm/s and
    // 20 mm/mV; a change of scale clears the caliper, as the traces move under it.
    CaliperFixture c;
    c.Drag({100, 300}, {259, 173});
    ASSERT_TRUE(c.view.CurrentCaliper());
    c.f.settings.Speed = 50;
    c.f.settings.Gain = 20;
    c.view.OnUpdate();
    EXPECT_FALSE(c.view.CurrentCaliper());
    c.Drag({100, 300}, {259, 173});
    ASSERT_TRUE(c.view.CurrentCaliper());
    EXPECT_NEAR(c.view.CurrentCaliper()->dMs, 1000.0, 1e-6);
    EXPECT_NEAR(c.view.CurrentCaliper()->dMv, 2.0, 1e-6);
    EXPECT_NEAR(*c.view.CurrentCaliper()->bpm, 60.0, 1e-6);
}

TEST(Calipers, ClickResizeAndSessionClear) {
    struct Case {
        const char* what;
        std::function<void(CaliperFixture&)> clear;
    };
    const Case cases[] = {
        {"a click", [](CaliperFixture& c) { QTest::mouseClick(&c.view, Qt::LeftButton); }},
        {"a press and release 2 px apart",
         [](CaliperFixture& c) {
             QTest::mousePress(&c.view, Qt::LeftButton, {}, {500, 300});
             QTest::mouseMove(&c.view, {501, 301});
             QTest::mouseRelease(&c.view, Qt::LeftButton, {}, {501, 301});
         }},
        {"a drag from above the grid",
         [](CaliperFixture& c) {
             c.Drag({100, 20}, {300, 300});
         }},
        {"a resize", [](CaliperFixture& c) { c.view.resize(640, 480); }},
        {"a session's start", [](CaliperFixture& c) { c.view.OnRecord(); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        CaliperFixture c;
        c.Drag({100, 300}, {259, 173});
        ASSERT_TRUE(c.view.CurrentCaliper());
        k.clear(c);
        EXPECT_FALSE(c.view.CurrentCaliper());
        c.view.OnDestroy();
    }
}

TEST(Calipers, ClickDuringASessionStopsItAndMeasuresNothing) {
    for (bool bDrag : {false, true}) {
        SCOPED_TRACE(bDrag ? "drag" : "Esc");
        CaliperFixture c;
        c.view.OnRecord();
        ASSERT_TRUE(c.view.IsAcquiring());
        c.unit->Skip(500);
        WaitWithoutInput(ArrivalPace::kLongestWaitMs + 50);
        if (bDrag)
            c.Drag({100, 300}, {259, 173});
        else
            QTest::keyClick(&c.view, Qt::Key_Escape);
        EXPECT_FALSE(c.view.IsAcquiring());
        EXPECT_FALSE(c.view.CurrentCaliper());
        EXPECT_EQ(c.changes, 0);
        EXPECT_GE(c.f.doc->m_nSamples, 1); // the recording was kept
    }
}
