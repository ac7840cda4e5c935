#include "HandGrid.h"
#include "RecordingCanvas.h"
#include "TestSupport.h"

#include "DisplayLayout.h"
#include "EcgBackground.h"
#include "LivePainting.h"
#include "QPainterCanvas.h"
#include "RecordDrawing.h"
#include "RecorderProtocol.h"
#include "SystemColours.h"
#include "ZM540View.h"

#include <QBackingStore>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

// A recorder line the test feeds: it answers the identification at once, and otherwise brings
// in just the bytes the test sends.
class FedLine : public SerialBackend {
  public:
    struct Feed {
        FedLine* pOpen = nullptr;
        QByteArray written;
        void Send(const QByteArray& bytes) {
            ASSERT_NE(pOpen, nullptr);
            pOpen->Arrive(bytes);
        }
    };
    explicit FedLine(Feed& feed) : m_feed(feed) {}
    ~FedLine() override { Close(); }
    bool Open(const PortSettings&, QString*) override {
        m_feed.pOpen = this;
        return true;
    }
    void Close() override {
        if (m_feed.pOpen == this)
            m_feed.pOpen = nullptr;
    }
    bool IsOpen() const override { return m_feed.pOpen == this; }
    bool Write(const QByteArray& bytes) override {
        m_feed.written += bytes;
        if (bytes == kIdentifyCommand)
            Arrive(kIdentifier);
        return true;
    }
    qint64 BytesWaiting() const override { return m_waiting.size(); }
    QByteArray ReadAll() override { return std::exchange(m_waiting, QByteArray()); }

  private:
    void Arrive(const QByteArray& bytes) {
        m_waiting += bytes;
        emit dataReady();
    }
    Feed& m_feed;
    QByteArray m_waiting;
};

const SchemeColours kColours = GetSchemeColours(DefaultSchemeTable(), 2);

// Horizontal and vertical single lines of a recording, as (from, to) pairs.
std::vector<std::pair<QPoint, QPoint>> Lines(const RecordingCanvas& dc, ColourRef colour) {
    std::vector<std::pair<QPoint, QPoint>> lines;
    for (const auto& p : dc.polylines)
        if (p.pen.colour == colour && p.points.size() == 2)
            lines.emplace_back(p.points[0], p.points[1]);
    return lines;
}

// Marks the samples [first, end) of a trace, zero elsewhere: 2m + 1 at the first one and
// -(2m + 3) at the last. On the hand grid the first is drawn m + 1 pixels above the baseline
// (y0 - (2m + 1) / 2 = y0 - m - 0.5, truncated) and the last m + 1 below (y0 + m + 1.5).
void MarkRow(double* trace, int first, int end, int m) {
    trace[first] = 2 * m + 1;
    trace[end - 1] = -(2 * m + 3);
}

// The points of a row marked so on a hand grid of width 6 (a pixel every 500 samples): up at
// the first sample, back to the baseline, along to x0 + lastX, down at the last sample.
std::vector<QPoint> MarkedRow(int x0, int y0, int m, int lastX) {
    std::vector<QPoint> points{{x0, y0 - m - 1}, {x0, y0}};
    for (int x = 1; x <= lastX; ++x)
        points.emplace_back(x0 + x, y0);
    points.emplace_back(x0 + lastX, y0 + m + 1);
    return points;
}

void FillTraces(CZM540Doc& doc, int n) {
    for (int i = 0; i < n; ++i) {
        for (int lead = 0; lead < kLimbLeadCount && i < kLeadCapacity; ++lead)
            doc.m_leadTrace[lead][i] = (i * (lead + 3)) % 97 - 48 + 0.3 * lead;
        doc.m_monitorTrace[i] = (i * 7) % 113 - 56.5;
    }
    doc.m_nSamples = n;
}

} // namespace

TEST(DisplayLayout, GridFitsTheClientArea) {
    struct Case {
        int cw, ch;
        GridRect rc;
        int half;
    };
    for (const Case& c :
         {Case{800, 600, {0, 44, 795, 552}, 397}, Case{1000, 500, {111, 0, 884, 495}, 386},
          Case{640, 480, {1, 35, 634, 440}, 316}}) {
        const GridLayout g = LayoutGrid(c.cw, c.ch);
        EXPECT_EQ(g.rc, c.rc) << c.cw << "x" << c.ch;
        EXPECT_EQ(g.W, c.rc.right - c.rc.left);
        EXPECT_EQ(g.H, c.rc.bottom - c.rc.top);
        EXPECT_EQ(g.half, c.half);
    }
}

TEST(DisplayLayout, RowsOf800By600) {
    const GridLayout g = LayoutGrid(800, 600);
    const int labels[] = {112, 225, 331, 437}, separators[] = {162, 275, 381};
    const int baselines[] = {139, 250, 353, 464}, strips[] = {147, 250, 353, 456};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(TwelveLeadLabelY(g, row), labels[row]) << row;
        EXPECT_EQ(TwelveLeadBaseline(g, row), baselines[row]) << row;
        EXPECT_EQ(MonitorBaseline(g, row + 1), strips[row]) << row;
        if (row < 3) {
            EXPECT_EQ(SeparatorEndY(g, row), separators[row]) << row;
        }
    }
}

TEST(DisplayLayout, PointRulesRoundAsTheirPaintersDo) {
    GridLayout g;
    g.H = 528;
    EXPECT_EQ(RecordedY(g, 300, 33.0), 267);
    EXPECT_EQ(RecordedY(g, 300, -0.5), 300); // 300.5 truncates to 300
    g.H = 508;
    EXPECT_EQ(RecordedY(g, 100, 1.0), 99); // 100 - 0.962 truncates to 99
    EXPECT_EQ(LiveY(g, 100, 1), 100);      // the live rule truncates the amplitude first
    g.H = 264;
    EXPECT_EQ(LiveY(g, 100, -1), 100);
}

// The gain scales both rules exactly: 1 mV (33 units) on H = 528 is 33 pixels at 10 mm/mV.
TEST(DisplayLayout, GainScalesRecordedAndLivePoints) {
    GridLayout g;
    g.H = 528;
    g.W = 3000;
    struct Case {
        int gain;
        int recorded, live; // y of 33 units on the baseline 300
    };
    // 5 mm/mV: 16.5 up, 283.5 truncated to 283; live 33 * 528 * 5 / 5280 = 16.5 truncated to 16.
    for (const Case& c : {Case{5, 283, 284}, Case{10, 267, 267}, Case{20, 234, 234}}) {
        g.scale = ChartScale{25, c.gain};
        EXPECT_EQ(RecordedY(g, 300, 33.0), c.recorded) << c.gain;
        EXPECT_EQ(LiveY(g, 300, 33), c.live) << c.gain;
    }
    // 50 mm/s: sample k of a row is 2k pixels on when a 10-s row is 3000 wide; the live sweep's
    // SampleX stays at 25 mm/s.
    g.scale = ChartScale{50, 10};
    EXPECT_EQ(RecordedX(g, 10, 1499), 3008);
    EXPECT_EQ(SampleX(g, 10, 1499), 1509);
}

TEST(Background, LineGridPositionsForAWidthOf795) {
    const GridLayout g = LayoutGrid(800, 600);
    RecordingCanvas dc;
    const CanvasPen major{PenStyle::Solid, 0, 1}, minor{PenStyle::Solid, 0, 2};
    DrawLineGrid(dc, g.rc, 50, 32, &major, &minor);
    std::vector<int> majorX, minorX;
    for (const auto& [from, to] : Lines(dc, 1))
        if (from.x() == to.x())
            majorX.push_back(from.x() - g.rc.left);
    for (const auto& [from, to] : Lines(dc, 2))
        if (from.x() == to.x())
            minorX.push_back(from.x() - g.rc.left);
    ASSERT_EQ(majorX.size(), 51u);
    EXPECT_EQ(std::vector<int>(majorX.begin(), majorX.begin() + 4),
              (std::vector<int>{0, 15, 31, 47}));
    EXPECT_EQ(majorX.back(), 795);
    EXPECT_EQ(std::vector<int>(minorX.begin(), minorX.begin() + 5),
              (std::vector<int>{3, 6, 9, 12, 19}));
    EXPECT_EQ(Lines(dc, 1).size() + Lines(dc, 2).size(), 412u);
    // Minor lines never fall on a major line, and all of them come first.
    const std::set<int> majors(majorX.begin(), majorX.end());
    for (int x : minorX)
        EXPECT_FALSE(majors.count(x)) << x;
    EXPECT_EQ(dc.polylines.front().pen.colour, 2u);
    // Either pen may be absent.
    RecordingCanvas onlyMajor;
    DrawLineGrid(onlyMajor, g.rc, 50, 32, &major, nullptr);
    EXPECT_EQ(onlyMajor.polylines.size(), 51u + 33u);
}

TEST(Background, TwelveLeadLabelsAndSeparators) {
    const GridLayout g = LayoutGrid(800, 600);
    BackgroundStyle style;
    style.colours = kColours;
    RecordingCanvas dc;
    DrawTwelveLeadBackground(dc, g, style, 2);
    struct Label {
        int x, y;
        const char* text;
    };
    const Label expected[] = {{0, 112, " I"},         {397, 112, "aVR"}, {0, 225, " II"},
                              {397, 225, "aVL"},      {0, 331, " III"},  {397, 331, "aVF"},
                              {0, 437, " Rhythm III"}};
    ASSERT_EQ(dc.texts.size(), std::size(expected));
    for (std::size_t i = 0; i < dc.texts.size(); ++i) {
        EXPECT_EQ(dc.texts[i].at, QPoint(expected[i].x, expected[i].y)) << i;
        EXPECT_EQ(dc.texts[i].text, expected[i].text);
        EXPECT_EQ(dc.texts[i].colour, kColours.crLabel);
        EXPECT_EQ(dc.texts[i].align, AlignLeft | AlignBottom);
    }
    const auto separators = Lines(dc, kColours.crLabel);
    ASSERT_EQ(separators.size(), 3u);
    EXPECT_EQ(separators[0], std::make_pair(QPoint(397, 112), QPoint(397, 162)));
    EXPECT_EQ(separators[1], std::make_pair(QPoint(397, 225), QPoint(397, 275)));
    EXPECT_EQ(separators[2], std::make_pair(QPoint(397, 331), QPoint(397, 381)));
    // The page mark's cell ends at the grid's right edge, 5 pixels below its top.
    ASSERT_FALSE(dc.fills.empty());
    EXPECT_EQ(dc.fills.front().right() + 1, g.rc.right);
    EXPECT_EQ(dc.fills.front().top(), g.rc.top + 5);

    // A rhythm lead from a damaged file is labelled II.
    RecordingCanvas damaged;
    DrawTwelveLeadBackground(damaged, g, style, 200);
    EXPECT_EQ(damaged.texts.back().text, " Rhythm II");
}

TEST(Background, MonitoringCaptionTextsAndColours) {
    const GridLayout g = LayoutGrid(800, 600);
    BackgroundStyle style;
    style.colours = kColours;
    RecordingCanvas dc;
    DrawMonitorBackground(dc, g, style, 4);
    ASSERT_EQ(dc.texts.size(), 4u);
    const QString texts[] = {"Monitoring", "", "aVL", ""};
    const ColourRef colours[] = {kColours.crLabel, kColours.crChannel1, kColours.crChannel2,
                                 kColours.crChannel3};
    const int offsets[] = {0, 40, 65, 90};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dc.texts[i].text, texts[i]);
        EXPECT_EQ(dc.texts[i].colour, colours[i]);
        EXPECT_EQ(dc.texts[i].at, QPoint(g.rc.left + offsets[i], g.rc.top));
        EXPECT_EQ(dc.texts[i].align, AlignLeft | AlignTop);
    }
    // A text too wide for its place pushes the next one along instead of running into it.
    RecordingCanvas wide;
    DrawMonitorCaption(wide, g.rc, kColours, {"Monitoring the patient", "", "aVL", ""});
    EXPECT_EQ(wide.texts[2].at.x(), g.rc.left + 23 * 5);
}

TEST(RecordedDrawing, PointsTruncateAfterTheSubtraction) {
    // x = 10 + k * 700 / 3000: samples 0 to 4 at 10, 5 to 8 at 11, 9 at 12. On strip 1
    // (baseline 73) y = int(73 - v / 2):
    //   v    0    1     1.9    -1    -1.9   -1.9   3     -3    -3    41
    //   y    73   72.5  72.05  73.5  73.95  73.95  71.5  74.5  74.5  52.5
    // truncated, repeats (same x and y as the last point) left out.
    const double values[] = {0, 1, 1.9, -1, -1.9, -1.9, 3, -3, -3, 41};
    DocFixture f;
    f.doc->m_bTwelveLead = 0;
    std::copy(std::begin(values), std::end(values), f.doc->m_monitorTrace.begin());
    f.doc->m_nSamples = int(std::size(values));
    RecordingCanvas dc;
    DrawMonitorRecord(dc, HandGrid(700), kColours, *f.doc);
    ASSERT_EQ(dc.polylines.size(), 1u);
    EXPECT_EQ(dc.polylines[0].points,
              (std::vector<QPoint>{
                  {10, 73}, {10, 72}, {10, 73}, {11, 73}, {11, 71}, {11, 74}, {12, 52}}));
}

// At 50 mm/s and 20 mm/mV on a grid 3000 wide (two pixels a sample, one pixel a unit): the
// 12-lead columns show the last 750 samples, the rhythm row the last 1500, and a monitoring
// page the last four strips of 1500. Strip j's first sample has the value j, so its first point
// lies j pixels above the baseline.
TEST(RecordedDrawing, FiftyMillimetresASecondAndTwentyMillimetresAMillivolt) {
    GridLayout g = HandGrid(3000);
    g.scale = ChartScale{50, 20};
    DocFixture f;
    f.doc->m_bTwelveLead = 0;
    f.doc->m_nSamples = 12000;
    f.doc->m_monitorTrace.fill(0.0);
    for (int j = 0; j < 8; ++j)
        f.doc->m_monitorTrace[std::size_t(1500 * j)] = j;
    RecordingCanvas monitor;
    DrawMonitorRecord(monitor, g, kColours, *f.doc);
    ASSERT_EQ(monitor.polylines.size(), 4u);
    const int baselines[] = {73, 127, 180, 234};
    for (int place = 0; place < 4; ++place) {
        const auto& points = monitor.polylines[std::size_t(place)].points;
        EXPECT_EQ(points.front(), QPoint(10, baselines[place] - (4 + place))) << place;
        EXPECT_EQ(points.back(), QPoint(10 + 2 * 1499, baselines[place])) << place;
    }

    f.doc->m_bTwelveLead = 1;
    f.doc->m_nSamples = 3000;
    f.doc->m_nRhythmLead = kLeadII;
    for (auto& trace : f.doc->m_leadTrace) {
        trace.fill(0.0);
        trace[1500] = 2.0; // the rhythm row's first sample
        trace[2250] = 1.0; // the columns' first sample
    }
    RecordingCanvas twelve;
    DrawTwelveLeadRecord(twelve, g, kColours, *f.doc);
    ASSERT_EQ(twelve.polylines.size(), 7u);
    // Lead I from x 10 on 69, aVR from 10 + 1500 on 69; the rhythm row on 238.
    EXPECT_EQ(twelve.polylines[0].points.front(), QPoint(10, 68));
    EXPECT_EQ(twelve.polylines[0].points.back(), QPoint(10 + 2 * 749, 69));
    EXPECT_EQ(twelve.polylines[1].points.front(), QPoint(1510, 68));
    EXPECT_EQ(twelve.polylines[6].points.front(), QPoint(10, 236));
    EXPECT_EQ(twelve.polylines[6].points.back(), QPoint(10 + 2 * 1499, 238));
}

TEST(RecordedDrawing, TwelveLeadRows) {
    // Each lead L is marked (MarkRow with m = L) at the first sample of its column and at its
    // last sample. The rhythm row (aVL: m = 4, baseline 238) shows the whole recording, a pixel
    // every 500 samples; 3600 samples run past the grid's right edge (16): nothing is clipped.
    const std::vector<QPoint> rhythm3000 = {{10, 238}, {11, 238}, {12, 238}, {13, 233},
                                            {13, 238}, {14, 238}, {15, 238}, {15, 243}};
    const std::vector<QPoint> rhythm800 = {{10, 233}, {10, 238}, {11, 238}, {11, 243}};
    const std::vector<QPoint> rhythm3600 = {{10, 238}, {11, 238}, {12, 238}, {13, 238},
                                            {14, 238}, {14, 233}, {14, 238}, {15, 238},
                                            {16, 238}, {17, 238}, {17, 243}};
    struct Case {
        int samples;
        int columnStart; // the last 1500 samples, or all of a shorter recording
        int columnLastX; // (samples in the column - 1) / 500
        const std::vector<QPoint>& rhythm;
    };
    const Case cases[] = {
        {3000, 1500, 2, rhythm3000}, {800, 0, 1, rhythm800}, {3600, 2100, 2, rhythm3600}};
    const GridLayout g = HandGrid(6);
    const int baselines[] = {69, 127, 180};
    const ColourRef channel[] = {kColours.crChannel1, kColours.crChannel2, kColours.crChannel3};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        DocFixture f;
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            MarkRow(f.doc->m_leadTrace[lead].data(), c.columnStart, c.samples, lead);
        f.doc->m_nSamples = c.samples;
        f.doc->m_nRhythmLead = 4;
        RecordingCanvas dc;
        DrawTwelveLeadRecord(dc, g, kColours, *f.doc);
        ASSERT_EQ(dc.polylines.size(), 7u);
        for (int row = 0; row < 3; ++row) {
            for (int side = 0; side < 2; ++side) {
                const int lead = row + 3 * side; // I, aVR; II, aVL; III, aVF
                const auto& drawn = dc.polylines[std::size_t(row * 2 + side)];
                EXPECT_EQ(drawn.pen.colour, channel[row]);
                EXPECT_EQ(drawn.points,
                          MarkedRow(10 + 3 * side, baselines[row], lead, c.columnLastX))
                    << "lead " << lead;
            }
        }
        EXPECT_EQ(dc.polylines.back().pen.colour, kColours.crChannel2); // aVL is on channel 2
        EXPECT_EQ(dc.polylines.back().points, c.rhythm);
        EXPECT_TRUE(dc.clips.empty());
    }
}

TEST(RecordedDrawing, EmptyTwelveLeadMakesOnlyTheRhythmMove) {
    DocFixture f;
    const GridLayout g = LayoutGrid(800, 600);
    RecordingCanvas dc;
    DrawTwelveLeadRecord(dc, g, kColours, *f.doc);
    ASSERT_EQ(dc.polylines.size(), 1u);
    EXPECT_EQ(dc.polylines[0].points,
              (std::vector<QPoint>{QPoint(g.rc.left, TwelveLeadBaseline(g, 3))}));
}

TEST(RecordedDrawing, MonitoringStrips) {
    // Strip j (1 to 5) holds samples 3000 (j - 1) on, marked with m = j; a full strip reaches
    // x = 10 + 2999 * 6 / 3000 = 15. Baselines 73, 127, 180, 234 and 288, below the grid.
    struct Case {
        int samples;
        std::vector<std::vector<QPoint>> strips;
    };
    const auto full = [](int y0, int j) { return MarkedRow(10, y0, j, 5); };
    const Case cases[] = {
        {12000, {full(73, 1), full(127, 2), full(180, 3), full(234, 4)}},
        // A strip of one sample is only a move; its last mark (-13: 288 + 6.5) is what is left.
        {12001, {full(73, 1), full(127, 2), full(180, 3), full(234, 4), {{10, 294}}}},
        {7000, {full(73, 1), full(127, 2), MarkedRow(10, 180, 3, 1)}},
        {15000, {full(73, 1), full(127, 2), full(180, 3), full(234, 4), full(288, 5)}},
        {0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        DocFixture f;
        f.doc->m_bTwelveLead = 0;
        for (int first = 0, j = 1; first < c.samples; first += 3000, ++j)
            MarkRow(f.doc->m_monitorTrace.data(), first, std::min(first + 3000, c.samples), j);
        f.doc->m_nSamples = c.samples;
        RecordingCanvas dc;
        DrawMonitorRecord(dc, HandGrid(6), kColours, *f.doc);
        ASSERT_EQ(dc.polylines.size(), c.strips.size());
        for (std::size_t k = 0; k < c.strips.size(); ++k) {
            EXPECT_EQ(dc.polylines[k].points, c.strips[k]) << "strip " << k + 1;
            EXPECT_EQ(dc.polylines[k].pen.colour, kColours.crChannel1);
        }
    }
}

TEST(View, TinyAndOrdinarySizesDrawWithoutFailing) {
    for (bool bTwelveLead : {true, false}) {
        for (QSize size :
             {QSize(1, 1), QSize(4, 4), QSize(5, 7), QSize(7, 7), QSize(8, 6), QSize(800, 600)}) {
            DocFixture f;
            f.doc->m_bTwelveLead = bTwelveLead;
            FillTraces(*f.doc, f.doc->Capacity());
            CZM540View view(*f.doc, f.settings, {});
            view.resize(size);
            view.OnUpdate();
            const QImage shot = view.grab().toImage();
            EXPECT_EQ(shot.size(), size);
            EXPECT_EQ(view.m_nClientWidth, size.width());
        }
    }
}

TEST(View, UpdateFollowsTheDocumentAndTheScheme) {
    DocFixture f;
    CZM540View view(*f.doc, f.settings, {});
    view.resize(800, 600);
    double cutoff = -1;
    int lead = -2;
    QObject::connect(&view, &CZM540View::choosersNeedUpdate, [&](double c, int l) {
        cutoff = c;
        lead = l;
    });
    f.settings.Scheme = 2; // "Dark"
    f.doc->m_bTwelveLead = 0;
    f.doc->m_nRhythmLead = 3;
    f.doc->UpdateAllViews();
    EXPECT_TRUE(view.ViewTwelveLead()); // not connected: the frame connects the document
    view.OnUpdate();
    EXPECT_EQ(cutoff, 100.0);
    EXPECT_EQ(lead, 3);
    EXPECT_FALSE(view.ViewTwelveLead());
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(799, 599)), QColor(0, 0, 0)); // the dark scheme's background
    EXPECT_EQ(view.m_colours.crMajorGrid, 0x5A5A5Au);
}

TEST(View, DrawsTheRecordingAtTheChosenSpeedAndGain) {
    // One 1 mV spike at sample 6750 of a 40 s monitoring recording, in an 800 x 600 view (grid
    // 795 x 508 from (0, 44); strips 1 and 3 on 147 and 353). At 25 mm/s strips of 3000 from 0
    // put it in strip 3, 750 samples in: x = 750 * 795 / 3000 = 198; 1 mV is 508 / 16 = 31.75
    // px, y = trunc(353 - 31.75). At 50 mm/s the last four strips of 1500 start at 6000: strip
    // 1, x = 750 * 795 * 2 / 3000 = 397; at 20 mm/mV y = trunc(147 - 63.5).
    struct Case {
        int nSpeed, nGain;
        QPoint top;
    };
    const Case cases[] = {{25, 10, {198, 321}}, {50, 20, {397, 83}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.nSpeed);
        DocFixture f;
        f.settings.Speed = k.nSpeed;
        f.settings.Gain = k.nGain;
        f.doc->m_bTwelveLead = 0;
        f.doc->m_nSamples = 12000;
        f.doc->m_monitorTrace.fill(0.0);
        f.doc->m_monitorTrace[6750] = kUnitsPerMv;
        CZM540View view(*f.doc, f.settings, {});
        view.resize(800, 600);
        view.OnUpdate();
        const QImage shot = view.grab().toImage();
        const QColor trace = ToQColor(view.m_colours.crChannel1);
        // The highest trace pixel off the flat strips' baselines.
        const std::set<int> baselines = {147, 250, 353, 456};
        QPoint top(-1, shot.height());
        for (int y = 0; y < shot.height() && top.x() < 0; ++y)
            for (int x = 0; x < shot.width() && !baselines.count(y); ++x)
                if (QColor(shot.pixel(x, y)) == trace) {
                    top = {x, y};
                    break;
                }
        EXPECT_EQ(top, k.top);
    }
}

// During a 12-lead session the traces are written straight into the window's back buffer.
// After each repaint (the session's own of the grid, and others of the window or of part of
// it) the window shows exactly the background with the newest traces on it.
TEST(View, SessionRepaintsShowOnlyTheNewestTraces) {
    DocFixture f;
    f.settings.COMS = 0;
    FedLine::Feed feed;
    CZM540View view(*f.doc, f.settings, [&](int) { return std::make_unique<FedLine>(feed); });
    f.doc->m_bTwelveLead = 1;
    view.OnUpdate();
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.OnRecord();
    ASSERT_TRUE(view.IsAcquiring());
    int frame = 0;
    auto send = [&](int frames) {
        QByteArray bytes;
        for (int end = frame + frames; frame < end; ++frame) {
            bytes += char(kFrameSync);
            // Flat steps: the boxes under them are thin, and the steps move from one paint to
            // the next, so a stale trace left anywhere shows.
            for (int ch = 0; ch < 8; ++ch)
                bytes += char(81 + 30 * ((frame / 300 + ch) % 4));
        }
        feed.Send(bytes);
    };
    auto shown = [&] {
        QPaintDevice* device = view.backingStore()->paintDevice();
        EXPECT_EQ(device->devType(), QInternal::Image);
        return static_cast<QImage*>(device)
            ->copy(view.rect())
            .convertToFormat(QImage::Format_RGB32);
    };
    auto expected = [&] {
        QImage image = view.Background().copy();
        QPainter painter(&image);
        QPainterCanvas dc(painter);
        PaintTwelveLeadLive(dc, view.Session().State(), view.Grid(), view.m_colours,
                            f.doc->m_nRhythmLead);
        return image;
    };
    const QRect part(300, 200, 120, 90);
    struct Step {
        const char* what;
        int frames;
        QRect region; // repainted after the session's own repaint; null: nothing more
    };
    for (const Step& step :
         {Step{"first frames", 200, QRect()}, Step{"whole window", 15, view.rect()},
          Step{"grid", 1400, QRect()}, Step{"part of the grid", 60, part},
          Step{"grid after a part", 15, QRect()}, Step{"grid, rings full", 3000, QRect()}}) {
        SCOPED_TRACE(step.what);
        send(step.frames);
        ASSERT_EQ(view.Session().State().m_nHead, frame % kLeadCapacity);
        QTest::qWait(30); // the session's repaint of the grid
        if (!step.region.isNull())
            view.repaint(step.region);
        if (step.region != part) {
            const QImage image = shown();
            EXPECT_FALSE(image.isNull());
            EXPECT_EQ(image, expected());
        }
    }
    view.OnRecord();
    EXPECT_FALSE(view.IsAcquiring());
    // The unit heard the identification, the 12-lead start and the stop.
    EXPECT_EQ(feed.written, QByteArray("\x1B"
                                       "V"
                                       "\x1B"
                                       "A"
                                       "\x1B\x1B"));
}
