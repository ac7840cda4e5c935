#include "RecordingCanvas.h"
#include "TestSupport.h"

#include "DisplayLayout.h"
#include "EcgBackground.h"
#include "LivePainting.h"
#include "QPainterCanvas.h"
#include "RecordDrawing.h"
#include "ZM540View.h"

#include <QBackingStore>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

const SchemeColours kColours = GetSchemeColours(DefaultSchemeTable(), 2);

// Horizontal and vertical single lines of a recording, as (from, to) pairs.
std::vector<std::pair<QPoint, QPoint>> Lines(const RecordingCanvas& dc, ColourRef colour) {
    std::vector<std::pair<QPoint, QPoint>> lines;
    for (const auto& p : dc.polylines)
        if (p.pen.colour == colour && p.points.size() == 2)
            lines.emplace_back(p.points[0], p.points[1]);
    return lines;
}

// The point rule written out plainly: a move to the first point, then a line to every point
// that differs from the last one.
std::vector<QPoint> ExpectedRow(const GridLayout& g, int x0, int y0, const double* v, int n) {
    std::vector<QPoint> pts;
    auto at = [&](int k) {
        return QPoint(x0 + (k * g.W) / 3000, int(y0 - (g.H * v[k]) * 0.001893939393939394));
    };
    pts.push_back(at(0));
    for (int k = 0; k < n; ++k)
        if (at(k) != pts.back())
            pts.push_back(at(k));
    return pts;
}

void FillTraces(CZM540Doc& doc, int n) {
    for (int i = 0; i < n; ++i) {
        for (int lead = 0; lead < kLimbLeadCount && i < CZM540Doc::kLeadCapacity; ++lead)
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

TEST(RecordedDrawing, TwelveLeadRows) {
    struct Case {
        int samples;
        int columnStart, columnCount;
    };
    const GridLayout g = LayoutGrid(800, 600);
    for (const Case& c : {Case{3000, 1500, 1500}, Case{800, 0, 800}, Case{3600, 2100, 1500}}) {
        SCOPED_TRACE(c.samples);
        DocFixture f;
        FillTraces(*f.doc, c.samples);
        f.doc->m_nRhythmLead = 4;
        RecordingCanvas dc;
        DrawTwelveLeadRecord(dc, g, kColours, *f.doc);
        ASSERT_EQ(dc.polylines.size(), 7u);
        const ColourRef channel[] = {kColours.crChannel1, kColours.crChannel2, kColours.crChannel3};
        for (int row = 0; row < 3; ++row) {
            const int y0 = TwelveLeadBaseline(g, row);
            for (int side = 0; side < 2; ++side) {
                const int lead = row + 3 * side;
                const auto& drawn = dc.polylines[std::size_t(row * 2 + side)];
                EXPECT_EQ(drawn.pen.colour, channel[row]);
                const int x0 = g.rc.left + side * g.half;
                EXPECT_EQ(drawn.points,
                          ExpectedRow(g, x0, y0, f.doc->m_leadTrace[lead].data() + c.columnStart,
                                      c.columnCount))
                    << "lead " << lead;
                EXPECT_EQ(drawn.points.back().x(), x0 + ((c.columnCount - 1) * g.W) / 3000);
            }
        }
        const auto& rhythm = dc.polylines.back();
        EXPECT_EQ(rhythm.pen.colour, kColours.crChannel2); // aVL is on channel 2
        EXPECT_EQ(rhythm.points, ExpectedRow(g, g.rc.left, TwelveLeadBaseline(g, 3),
                                             f.doc->m_leadTrace[4].data(), c.samples));
        EXPECT_EQ(rhythm.points.back().x(), g.rc.left + ((c.samples - 1) * g.W) / 3000);
    }
    // 3600 samples run 600 samples' width past the grid's right edge: nothing is clipped.
    DocFixture f;
    FillTraces(*f.doc, 3600);
    RecordingCanvas dc;
    DrawTwelveLeadRecord(dc, g, kColours, *f.doc);
    EXPECT_GT(dc.polylines.back().points.back().x(), g.rc.right);
    EXPECT_TRUE(dc.clips.empty());
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
    struct Case {
        int samples;
        std::vector<int> stripCounts;
    };
    const GridLayout g = LayoutGrid(800, 600);
    for (const Case& c : {Case{12000, {3000, 3000, 3000, 3000}},
                          Case{12001, {3000, 3000, 3000, 3000, 1}}, Case{7000, {3000, 3000, 1000}},
                          Case{15000, {3000, 3000, 3000, 3000, 3000}}, Case{0, {}}}) {
        SCOPED_TRACE(c.samples);
        DocFixture f;
        f.doc->m_bTwelveLead = 0;
        FillTraces(*f.doc, c.samples);
        RecordingCanvas dc;
        DrawMonitorRecord(dc, g, kColours, *f.doc);
        ASSERT_EQ(dc.polylines.size(), c.stripCounts.size());
        int first = 0;
        for (std::size_t k = 0; k < c.stripCounts.size(); ++k) {
            const int y0 = int(g.rc.top + ((int(k) + 1) * g.H) * 0.203125);
            EXPECT_EQ(dc.polylines[k].points,
                      ExpectedRow(g, g.rc.left, y0, f.doc->m_monitorTrace.data() + first,
                                  c.stripCounts[k]))
                << "strip " << k + 1;
            EXPECT_EQ(dc.polylines[k].pen.colour, kColours.crChannel1);
            first += c.stripCounts[k];
        }
        if (c.samples == 12001) {
            EXPECT_EQ(dc.polylines.back().points.size(), 1u); // a strip of one value is only a move
        }
        if (c.samples == 15000) {
            EXPECT_GT(dc.polylines.back().points.front().y(),
                      g.rc.bottom - 60); // near the bottom edge
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
            CZM540View view(*f.doc, f.settings);
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
    CZM540View view(*f.doc, f.settings);
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
    EXPECT_EQ(view.m_bViewTwelveLead, 1); // not connected: the frame connects the document
    view.OnUpdate();
    EXPECT_EQ(cutoff, 100.0);
    EXPECT_EQ(lead, 3);
    EXPECT_EQ(view.m_bViewTwelveLead, 0);
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(799, 599)), QColor(0, 0, 0)); // the dark scheme's background
    EXPECT_EQ(view.m_colours.crMajorGrid, 0x5A5A5Au);
}

// During a 12-lead session the traces are written straight into the window's back buffer.
// After each repaint (of the window, of the grid, of part of it) the window shows exactly the
// background with the newest traces on it.
TEST(View, SessionRepaintsShowOnlyTheNewestTraces) {
    DocFixture f;
    CZM540View view(*f.doc, f.settings);
    f.doc->m_bTwelveLead = 1;
    view.OnUpdate();
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.m_bAcquiring = 1;
    view.ResetSession();
    int frame = 0;
    auto feed = [&](int frames) {
        std::vector<std::uint8_t> bytes;
        for (int end = frame + frames; frame < end; ++frame) {
            bytes.push_back(255);
            // Flat steps: the boxes under them are thin, and the steps move from one paint to
            // the next, so a stale trace left anywhere shows.
            for (int ch = 0; ch < 8; ++ch)
                bytes.push_back(std::uint8_t(81 + 30 * ((frame / 300 + ch) % 4)));
        }
        Decode(view, bytes.data(), int(bytes.size()));
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
        PaintTwelveLeadLive(dc, view, view.Grid(), view.m_colours, f.doc->m_nRhythmLead);
        return image;
    };
    const QRect part(300, 200, 120, 90);
    struct Step {
        const char* what;
        int frames;
        QRect region; // null: the whole window
    };
    for (const Step& step :
         {Step{"first paint", 200, QRect()}, Step{"grid", 15, view.TraceRect()},
          Step{"grid, scrolling", 1400, view.TraceRect()}, Step{"part of the grid", 60, part},
          Step{"grid after a part", 15, view.TraceRect()},
          Step{"grid, rings full", 3000, view.TraceRect()}}) {
        SCOPED_TRACE(step.what);
        feed(step.frames);
        if (step.region.isNull())
            view.repaint();
        else
            view.repaint(step.region);
        if (step.region != part) {
            const QImage image = shown();
            EXPECT_FALSE(image.isNull());
            EXPECT_EQ(image, expected());
        }
    }
    view.m_bAcquiring = 0;
}
