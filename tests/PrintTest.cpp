// The printed page: its geometry in device units, its pens and texts, and the outputs made
// from it. Expected coordinates are worked out by hand in the comments.
#include "PageGeometry.h"
#include "PageOutputs.h"
#include "PrintRun.h"
#include "PrintStyle.h"
#include "PrintedPage.h"
#include "RecordingCanvas.h"
#include "RecordingDetails.h"
#include "TestSupport.h"
#include "ZM540View.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

// At 600 dpi a centimetre is 600 / 2.54 = 236.2204... units.
const PageUnits k600 = PrinterUnits(600, 600);

struct PageFixture : DocFixture {
    PageFixture() {
        // The bottom text's time is the local time of the recording: make it UTC.
        qputenv("TZ", "UTC");
        tzset();
    }
    RecordingCanvas Draw(const PageUnits& units, bool bTwelveLead, bool bPreview = false) {
        doc->m_bTwelveLead = bTwelveLead ? 1 : 0;
        RecordingCanvas dc;
        DrawPage(dc, {*doc, ReadPrintStyle(settings), units, bPreview}, bTwelveLead);
        return dc;
    }
};

// The polyline that starts at `from`, or null.
const RecordingCanvas::Polyline* LineFrom(const RecordingCanvas& dc, QPoint from) {
    for (const auto& p : dc.polylines)
        if (!p.points.empty() && p.points.front() == from)
            return &p;
    return nullptr;
}

QStringList Texts(const RecordingCanvas& dc) {
    QStringList texts;
    for (const auto& t : dc.texts)
        texts << QStringLiteral("%1 at %2,%3").arg(t.text).arg(t.at.x()).arg(t.at.y());
    return texts;
}

} // namespace

TEST(PageGeometry, DeviceUnitsOfThePicturesAndA600DpiPrinter) {
    struct Case {
        const char* name;
        PageUnits units;
        int T, H, S, left, right, bottom, xStrip, xRight, xPulse;
        int below2, below3, below4, below10_75, below12;
        int markCell, labelHeight;
    };
    // 600 dpi: T = trunc(236.22) = 236, H = trunc(3779.53) = 3779, S = trunc(5905.51) = 5905,
    // left trunc(354.33), right trunc(6496.06), bottom trunc(4015.75), 2.5 cm trunc(590.55),
    // 15 cm trunc(3543.31), 1.8 cm trunc(425.20). Below: 236 + n * 3779 / 16, truncated:
    // 2 -> 708.375, 3 -> 944.5625, 4 -> 1180.75, 10.75 -> 2775.03, 12 -> 3070.25. The mark's
    // 18 points are 18 * 600 / 72 = 150 units, the labels' 8 points 66.7, rounded to 67.
    for (const Case& c : {
             Case{"picture", PictureUnits(), 1000, 16000, 25000, 1500, 27500, 17000, 2500, 15000,
                  1800, 3000, 4000, 5000, 11750, 13000, 800, 300},
             Case{"600 dpi", k600, 236, 3779, 5905, 354, 6496, 4015, 590, 3543, 425, 708, 944, 1180,
                  2775, 3070, 150, 67},
         }) {
        SCOPED_TRACE(c.name);
        const PageGeometry g(c.units);
        EXPECT_EQ(g.T, c.T);
        EXPECT_EQ(g.H, c.H);
        EXPECT_EQ(g.S, c.S);
        EXPECT_EQ(g.grid, (GridRect{c.left, c.T, c.right, c.bottom}));
        EXPECT_EQ(g.xStrip, c.xStrip);
        EXPECT_EQ(g.xRightStrip, c.xRight);
        EXPECT_EQ(g.xPulse, c.xPulse);
        EXPECT_EQ(g.Below(2), c.below2);
        EXPECT_EQ(g.Below(3), c.below3);
        EXPECT_EQ(g.Below(4), c.below4);
        EXPECT_EQ(g.Below(kRhythmLabelY), c.below10_75);
        EXPECT_EQ(g.Below(12), c.below12);
        EXPECT_EQ(g.u.nMarkCell, c.markCell);
        EXPECT_EQ(g.u.nLabelHeight, c.labelHeight);
    }
    // A 1200 dpi sheet puts the grid's corners at (708, 472) and (12992, 8031).
    const PageGeometry g1200(PrinterUnits(1200, 1200));
    EXPECT_EQ(g1200.grid, (GridRect{708, 472, 12992, 8031}));
}

TEST(PageGeometry, StripPointsTruncateTowardZero) {
    const PageGeometry g(PictureUnits());
    // 33 units (1 mV) are H / 16 = 1000 units above the baseline; -33 as far below.
    EXPECT_EQ(g.StripPoint(2500, 4000, 0, 33.0, {}), QPoint(2500, 3000));
    EXPECT_EQ(g.StripPoint(2500, 4000, 0, -33.0, {}), QPoint(2500, 5000));
    // 0.5 units: 16000 * 0.5 / 528 = 15.15 up, 3984.85 truncated to 3984; -0.5 gives 4015.
    EXPECT_EQ(g.StripPoint(2500, 4000, 0, 0.5, {}), QPoint(2500, 3984));
    EXPECT_EQ(g.StripPoint(2500, 4000, 0, -0.5, {}), QPoint(2500, 4015));
    // Sample 1499: 1499 * 25000 / 3000 = 12491.67, so 2500 + 12491.
    EXPECT_EQ(g.StripPoint(2500, 4000, 1499, 0.0, {}), QPoint(14991, 4000));
}

TEST(PrintStyle, PenWidthsFollowTheOutputsPenBase) {
    struct Case {
        const char* name;
        PageUnits units;
        int widths[7]; // per size row; "None" draws nothing whatever its width
    };
    // 600 dpi: trunc(600 * points / 72): 1/4 -> 2.08, 1/2 -> 4.17, 1 -> 8.33, 2 -> 16.7, 3 -> 25.
    // The picture's base of 20: trunc(20 * 3 / 72) = 0, so every pen is one unit wide.
    for (const Case& c : {Case{"600 dpi", k600, {-8, 0, 2, 4, 8, 16, 25}},
                          Case{"picture", PictureUnits(), {0, 0, 0, 0, 0, 0, 0}}}) {
        SCOPED_TRACE(c.name);
        const PageGeometry g(c.units);
        for (std::size_t row = 0; row < kPrintSizes.size(); ++row)
            EXPECT_EQ(g.PenWidth(kPrintSizes[row].points), c.widths[row]) << row;
    }
}

TEST(PrintStyle, SettingsOutsideTheirTablesFallBackToTheirDefaults) {
    ProfileSettings s;
    s.PrintInColour = 1;
    s.MajorStyle[kColour] = -1; // default Solid
    s.MajorSize[kColour] = 7;   // default 2: 1/4 point
    s.MinorStyle[kColour] = 3;  // default Solid
    s.MinorSize[kColour] = -1;  // default 1: Hairline
    s.TraceStyle[kColour] = 1;  // Dash, in the table
    s.TraceSize[kColour] = 6;   // row 7 is past the table: default 2, row 3, 1/2 point
    s.GridSelect[kColour] = 5;  // default 1: line grid
    PrintStyle p = ReadPrintStyle(s);
    EXPECT_TRUE(p.bColour);
    EXPECT_TRUE(p.bLineGrid);
    EXPECT_EQ(p.major.style, PenStyle::Solid);
    EXPECT_EQ(p.major.points, 0.25);
    EXPECT_EQ(p.minor.style, PenStyle::Solid);
    EXPECT_EQ(p.minor.points, 0.0);
    EXPECT_EQ(p.trace.style, PenStyle::Dash);
    EXPECT_EQ(p.trace.points, 0.5);

    // The monochrome set has its own defaults and its own trace pair.
    s.PrintInColour = 0;
    s.MinorStyle[kMono] = -1; // default 2: Dotted
    s.TraceSize[kMono] = -1;  // default 2: 1/2 point
    s.TraceStyle[kMono] = 2;  // Dotted
    s.GridSelect[kMono] = -1; // default 0: dot grid
    s.MajorSize[kMono] = 0;   // None
    p = ReadPrintStyle(s);
    EXPECT_FALSE(p.bColour);
    EXPECT_FALSE(p.bLineGrid);
    EXPECT_EQ(p.minor.style, PenStyle::Dot);
    EXPECT_EQ(p.trace.style, PenStyle::Dot);
    EXPECT_EQ(p.trace.points, 0.5);
    EXPECT_FALSE(p.major.IsDrawn());
}

TEST(PrintedPage, TwelveLeadStripsTicksAndPulsesAt1000UnitsPerCm) {
    struct Case {
        int nSamples;
        int firstLimb, firstRhythm; // the samples each strip starts with
        int lastLimbX, lastRhythmX;
    };
    // 3000 samples: limb leads 1500..2999 end at 2500 + 1499 * 25000 / 3000 = 14991, the rhythm
    // strip 0..2999 at 2500 + 24991 = 27491, just inside the grid's right edge at 27500.
    // 900 samples: all of them everywhere, ending at 2500 + 899 * 25000 / 3000 = 9991.
    // 3600 samples (a full file): the last 1500 and the last 3000, so still ending at 27491.
    for (const Case& c : {Case{3000, 1500, 0, 14991, 27491}, Case{900, 0, 0, 9991, 9991},
                          Case{3600, 2100, 600, 14991, 27491}}) {
        SCOPED_TRACE(c.nSamples);
        PageFixture f;
        f.doc->m_nSamples = c.nSamples;
        for (auto& trace : f.doc->m_leadTrace)
            trace.fill(0.0);
        // Each strip's first sample stands 1 mV (33 units, 1000 device units) below its
        // baseline; the sample before it would show as a different first point.
        for (std::size_t lead = 0; lead < 6; ++lead)
            f.doc->m_leadTrace[lead][std::size_t(c.firstLimb)] = -33.0;
        f.doc->m_leadTrace[kLeadII][std::size_t(c.firstRhythm)] = -33.0;
        const RecordingCanvas dc = f.Draw(PictureUnits(), true);

        // Lead I: baseline 1000 + 3 * 16000 / 16 = 4000; aVF: right column, 1000 + 9000.
        for (const auto& [x, y0] : {std::pair{2500, 4000}, std::pair{15000, 10000}}) {
            const auto* strip = LineFrom(dc, QPoint(x, y0 + 1000));
            ASSERT_NE(strip, nullptr);
            EXPECT_EQ(strip->points[1], QPoint(x + 8, y0)); // 25000 / 3000 = 8.33
            EXPECT_EQ(strip->points.back(), QPoint(c.lastLimbX - 2500 + x, y0));
            EXPECT_EQ(strip->pen, (CanvasPen{PenStyle::Solid, 0, 0}));
        }
        // The rhythm strip: baseline 1000 + 12000.
        const auto* rhythm = LineFrom(dc, QPoint(2500, 14000));
        ASSERT_NE(rhythm, nullptr);
        EXPECT_EQ(rhythm->points.back(), QPoint(c.lastRhythmX, 13000));
    }
}

TEST(PrintedPage, TwelveLeadLabelsTicksPulsesAndTextsOfAnEmptyDocument) {
    PageFixture f;
    f.doc->m_nSamples = 0;
    f.doc->m_dCutoff = 0.0;
    f.doc->m_header.tRecorded = 0;
    const RecordingCanvas dc = f.Draw(k600, true);

    // Ticks from the label's y to 2/16 H below it: lead I 708 -> 1180, aVL 1416 -> 1889,
    // that is trunc(236 + 5 * 3779 / 16 = 236 + 1180.9) and trunc(236 + 1653.3).
    const auto* tickI = LineFrom(dc, QPoint(590, 708));
    ASSERT_NE(tickI, nullptr);
    EXPECT_EQ(tickI->points, (std::vector<QPoint>{{590, 708}, {590, 1180}}));
    const auto* tickAVL = LineFrom(dc, QPoint(3543, 1416));
    ASSERT_NE(tickAVL, nullptr);
    EXPECT_EQ(tickAVL->points.back(), QPoint(3543, 1889));
    // The trace pen: 1/2 point at 600 dpi is trunc(4.17) = 4 units.
    EXPECT_EQ(tickI->pen.width, 4);

    // Pulses at x = 425 on the baselines 944, 1653, 2361 and 3070, each 0.1, 0.3, 0.4 cm =
    // 23, 70, 94 units along and 1 cm = 236 units high.
    const auto* pulse = LineFrom(dc, QPoint(425, 944));
    ASSERT_NE(pulse, nullptr);
    EXPECT_EQ(pulse->points,
              (std::vector<QPoint>{
                  {425, 944}, {448, 944}, {448, 708}, {495, 708}, {495, 944}, {519, 944}}));
    for (int y : {1653, 2361, 3070})
        EXPECT_NE(LineFrom(dc, QPoint(425, y)), nullptr) << y;
    // No samples, no strips: nothing starts at a strip's first column on a baseline.
    EXPECT_EQ(LineFrom(dc, QPoint(590, 944)), nullptr);

    EXPECT_EQ(Texts(dc), QStringList({" I at 590,708", " II at 590,1416", " III at 590,2125",
                                      "aVR at 3543,708", "aVL at 3543,1416", "aVF at 3543,2125",
                                      "Rhythm II at 590,2775",
                                      "Recorded: Thu Jan  1 00:00:00 1970 at 354,4015",
                                      "Scale: 10mm/mV Speed: 25mm/s Filter: 0Hz at 6496,4015"}));
    EXPECT_EQ(dc.texts.front().align, AlignLeft | AlignBottom);
    EXPECT_EQ(dc.texts.back().align, AlignRight | AlignBottom);
}

TEST(PrintedPage, MonitoringLinesOfTenSeconds) {
    struct Case {
        int nSamples;
        std::vector<int> lineLengths; // points of each line, in order
    };
    // Constant samples on the 72 dpi grid: S = trunc(25 * 28.35) = 708, so a line of 3000
    // samples moves 708 / 3000 of a unit a sample, so its x runs through 0 to 707, each once:
    // the move and 707 lines (repeated points drawn once).
    // The second line of 3001 samples is a single sample: a move and no line.
    for (const Case& c : {Case{12000, {708, 708, 708, 708}}, Case{3001, {708, 1}},
                          Case{15000, {708, 708, 708, 708, 708}}, Case{0, {}}}) {
        SCOPED_TRACE(c.nSamples);
        PageFixture f;
        f.doc->m_nSamples = c.nSamples;
        f.doc->m_monitorTrace.fill(0.0);
        const RecordingCanvas dc = f.Draw(PrinterUnits(72, 72), false);
        const PageGeometry g(PrinterUnits(72, 72));
        std::vector<int> lengths;
        for (int j = 0; j < 5; ++j)
            if (const auto* line = LineFrom(dc, QPoint(g.xStrip, g.Below(3 * (j + 1)))))
                lengths.push_back(int(line->points.size()));
        // The pulse starts at x = 1.8 cm, so it is not taken for a line.
        EXPECT_EQ(lengths, c.lineLengths);
    }
}

TEST(PrintedPage, MonitoringTextsAndPulse) {
    PageFixture f;
    f.doc->m_nSamples = 0;
    f.doc->m_dCutoff = 40.0;
    f.doc->m_nRhythmLead = 4;
    f.doc->m_header.tRecorded = 86400;
    const RecordingCanvas dc = f.Draw(PictureUnits(), false);
    EXPECT_EQ(Texts(dc), QStringList({"Scale: 10mm/mV Speed: 25mm/s Filter: 40Hz at 27500,17000",
                                      "Monitor: aVL at 1500,1000",
                                      "Recorded: Fri Jan  2 00:00:00 1970 at 1500,17000"}));
    EXPECT_EQ(dc.texts[1].align, AlignLeft | AlignTop);
    const auto* pulse = LineFrom(dc, QPoint(1800, 4000));
    ASSERT_NE(pulse, nullptr);
    EXPECT_EQ(pulse->points[2], QPoint(1900, 3000));
}

// The animal's details go in two lines of the labels' font in the 10 mm above the grid, which
// starts at 1 cm: bottoms 4.5 mm and 1 mm above it. Everything else is drawn as without them.
TEST(PrintedPage, DetailsBandAboveTheGridLeavesTheRestAsItWas) {
    PageFixture f;
    f.doc->m_nSamples = 10;
    for (auto& trace : f.doc->m_leadTrace)
        trace.fill(0.0);
    f.doc->m_monitorTrace.fill(0.0);
    f.doc->m_header.tRecorded = 1796893200; // 2026-12-10 09:00 UTC
    RecordingDetails d;
    d.name = QStringLiteral("Rex");
    d.species = Species::Dog;
    d.breed = QStringLiteral("Beagle");
    d.sex = Sex::MaleNeutered;
    d.born = QDate(2019, 6, 1);
    d.weightKg = 12.5;
    d.owner = QStringLiteral("J. Smith");
    d.caseNumber = QStringLiteral("2026-117");
    d.clinician = QStringLiteral("Dr Hale");
    d.notes = QStringLiteral("never printed");
    struct Case {
        bool bTwelveLead;
        PageUnits units;
        int x, y1, y2; // the grid's left; T - trunc(0.45 cm), T - trunc(0.1 cm)
        const char* visit;
    };
    const Case cases[] = {
        {true, PictureUnits(), 1500, 550, 900,
         "Owner: J. Smith   Case: 2026-117   Clinician: Dr Hale   Heart rate: —   Axis: —"},
        // 600 dpi: 1.5 cm = 354.3, T = 236, 0.45 cm = 106.3, 0.1 cm = 23.6 units.
        {false, k600, 354, 130, 213,
         "Owner: J. Smith   Case: 2026-117   Clinician: Dr Hale   Heart rate: —"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bTwelveLead);
        f.doc->m_details = RecordingDetails{};
        const RecordingCanvas plain = f.Draw(c.units, c.bTwelveLead);
        f.doc->m_details = d;
        const RecordingCanvas band = f.Draw(c.units, c.bTwelveLead);
        const QStringList expected =
            Texts(plain)
            << QStringLiteral("Rex, Dog, Beagle, Male neutered, 7 y, 12.5 kg at %1,%2")
                   .arg(c.x)
                   .arg(c.y1)
            << QStringLiteral("%1 at %2,%3").arg(QString::fromUtf8(c.visit)).arg(c.x).arg(c.y2);
        EXPECT_EQ(Texts(band), expected);
        EXPECT_EQ(band.polylines.size(), plain.polylines.size());
        for (std::size_t i = 0; i < plain.polylines.size() && i < band.polylines.size(); ++i)
            EXPECT_EQ(band.polylines[i].points, plain.polylines[i].points) << i;
    }
}

TEST(PrintedPage, RhythmLeadOutsideTheTableShowsLeadII) {
    PageFixture f;
    f.doc->m_nSamples = 10;
    for (auto& trace : f.doc->m_leadTrace)
        trace.fill(0.0);
    f.doc->m_leadTrace[kLeadII][0] = 33.0;
    for (int lead : {9, -1, 200}) {
        SCOPED_TRACE(lead);
        f.doc->m_nRhythmLead = lead;
        const RecordingCanvas twelve = f.Draw(PictureUnits(), true);
        EXPECT_TRUE(Texts(twelve).contains("Rhythm II at 2500,11750"));
        EXPECT_NE(LineFrom(twelve, QPoint(2500, 12000)), nullptr); // lead II's first sample
        EXPECT_TRUE(Texts(f.Draw(PictureUnits(), false)).contains("Monitor: II at 1500,1000"));
    }
}

TEST(PrintedPage, CaptionShowsTheCutoffInItsShortestForm) {
    for (const auto& [cutoff, text] :
         {std::pair{0.0, "Filter: 0Hz"}, std::pair{100.0, "Filter: 100Hz"},
          std::pair{40.0, "Filter: 40Hz"}, std::pair{12.5, "Filter: 12.5Hz"}})
        EXPECT_TRUE(ScaleCaption(cutoff, {}).endsWith(QLatin1String(text))) << cutoff;
}

TEST(PageGeometry, StripPointsAtEachSpeedAndGain) {
    struct Case {
        ChartScale scale;
        PageUnits units;
        int i;
        double s;
        QPoint expected;
    };
    // The picture: S = 25000, H = 16000, strip from x 2500 on the baseline 4000. At 4800 dpi
    // S = trunc(25 * 4800 / 2.54) = 47244 and H = trunc(16 * 1889.76) = 30236, from x 0, y 0.
    const Case cases[] = {
        // 1499 * 25000 / 3000 = 12491.67; 16000 * 33 / 528 = 1000.
        {{25, 10}, PictureUnits(), 1499, 33.0, {14991, 3000}},
        // Twice as far: 1499 * 25000 * 2 / 3000 = 24983.33.
        {{50, 10}, PictureUnits(), 1499, 33.0, {27483, 3000}},
        // 16000 * 33 * 2 / 528 = 2000; 16000 * 0.5 * 2 / 528 = 30.30, 3969.70 truncated.
        {{25, 20}, PictureUnits(), 0, 33.0, {2500, 2000}},
        {{25, 20}, PictureUnits(), 0, 0.5, {2500, 3969}},
        // Half: 500 up; 16000 * 0.5 * 0.5 / 528 = 7.58 down, 4007.58 truncated.
        {{25, 5}, PictureUnits(), 0, 33.0, {2500, 3500}},
        {{25, 5}, PictureUnits(), 0, -0.5, {2500, 4007}},
        // 1499 * 47244 * 50 = 3540937800 does not fit 32 bits; / 25 / 3000 = 47212.50.
        {{50, 10}, PrinterUnits(4800, 4800), 1499, 0.0, {47212, 0}},
        // 2999 * 47244 * 25 = 3542118900 at 25 mm/s too; / 25 / 3000 = 47228.25.
        {{25, 10}, PrinterUnits(4800, 4800), 2999, 0.0, {47228, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale.nSpeed << " mm/s " << c.scale.nGain
                                        << " mm/mV, i " << c.i << ", s " << c.s);
        const PageGeometry g(c.units);
        const bool bPicture = c.units.dUnitsPerCmX == 1000.0;
        if (!bPicture) {
            EXPECT_EQ(g.S, 47244);
        }
        EXPECT_EQ(g.StripPoint(bPicture ? 2500 : 0, bPicture ? 4000 : 0, c.i, c.s, c.scale),
                  c.expected);
    }
}

// At 50 mm/s a strip keeps its length and shows half the time: the limb strips the last 750
// samples, the rhythm strip the last 1500, the monitoring lines 1500 from sample 0, the page the
// last five of them. Traces are ramps (sample i has value i), so the first point of a strip
// says which sample it starts at: y = trunc(y0 - 16000 * i / 528).
TEST(PrintedPage, SpansAtFiftyMillimetresASecond) {
    struct Strip {
        QPoint first;
        int nPoints;
    };
    struct Case {
        bool bTwelveLead;
        int nSamples;
        std::vector<Strip> strips;
    };
    const Case cases[] = {
        // Lead I from 2250 on the baseline 4000: 68181.8 up; rhythm II from 1500 on 13000.
        {true, 3000, {{{2500, -64181}, 750}, {{2500, -32454}, 1500}}},
        // From 150: 4545.5 up; the rhythm strip holds all 900 from 0.
        {true, 900, {{{2500, -545}, 750}, {{2500, 13000}, 900}}},
        // Lines 3 to 7 of eight: from 4500 on 4000 (136363.6 up) to 10500 on 16000 (318181.8).
        {false, 12000, {{{2500, -132363}, 1500}, {{2500, -302181}, 1500}}},
        {false, 3000, {{{2500, 4000}, 1500}, {{2500, 7000 - 45454}, 1500}}},
        {false, 900, {{{2500, 4000}, 900}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.bTwelveLead ? "12-lead " : "monitoring ") << c.nSamples);
        PageFixture f;
        f.settings.Speed = 50;
        f.doc->m_nSamples = c.nSamples;
        f.doc->m_nRhythmLead = kLeadII;
        for (int i = 0; i < kMonitorCapacity; ++i) {
            f.doc->m_monitorTrace[std::size_t(i)] = i;
            if (i < kLeadCapacity)
                for (auto& trace : f.doc->m_leadTrace)
                    trace[std::size_t(i)] = i;
        }
        const RecordingCanvas dc = f.Draw(PictureUnits(), c.bTwelveLead);
        for (const Strip& strip : c.strips) {
            const auto* line = LineFrom(dc, strip.first);
            ASSERT_NE(line, nullptr) << strip.first.y();
            EXPECT_EQ(int(line->points.size()), strip.nPoints) << strip.first.y();
        }
        EXPECT_TRUE(
            Texts(dc).contains("Scale: 10mm/mV Speed: 50mm/s Filter: 100Hz at 27500,17000"));
    }
}

// The pulse is 1 mV high at the chosen gain, and the caption names the scale in use.
TEST(PrintedPage, PulseAndCaptionFollowTheGain) {
    for (const auto& [gain, top] : {std::pair{5, 3500}, std::pair{10, 3000}, std::pair{20, 2000}}) {
        SCOPED_TRACE(gain);
        PageFixture f;
        f.settings.Gain = gain;
        f.doc->m_nSamples = 0;
        const RecordingCanvas dc = f.Draw(PictureUnits(), false);
        const auto* pulse = LineFrom(dc, QPoint(1800, 4000));
        ASSERT_NE(pulse, nullptr);
        EXPECT_EQ(pulse->points[2], QPoint(1900, top));
    }
    EXPECT_EQ(ScaleCaption(100.0, {50, 20}),
              QStringLiteral("Scale: 20mm/mV Speed: 50mm/s Filter: 100Hz"));
    EXPECT_EQ(ScaleCaption(40.0, {25, 5}),
              QStringLiteral("Scale: 5mm/mV Speed: 25mm/s Filter: 40Hz"));
    // A setting outside the choices is the default.
    EXPECT_EQ(ChartScaleOf(30, 15), (ChartScale{25, 10}));
}

TEST(PrintedPage, MonochromeAndColourSets) {
    struct Case {
        int nColour;
        ColourRef major, minor, trace;
        PenStyle minorStyle;
        bool bFilled;
    };
    // Colour: the settings' colours and a filled line grid; monochrome: black pens, no fill,
    // and its own styles (dotted minor lines by default). The mark keeps MinorGrid and the
    // texts Trace in both.
    for (const Case& c : {Case{1, 0x0080FF, 0xCECEFF, 0x123456, PenStyle::Solid, true},
                          Case{0, 0, 0, 0, PenStyle::Dot, false}}) {
        SCOPED_TRACE(c.nColour);
        PageFixture f;
        f.settings.PrintInColour = c.nColour;
        f.settings.GridSelect = {1, 1};
        f.settings.Trace = 0x123456;
        f.settings.MajorSize = {4, 4}; // 1 point: 8 units at 600 dpi
        const RecordingCanvas dc = f.Draw(k600, true);
        // Grid: left edge major line from (354, 236); first minor line at
        // 354 + ((6142 * 1) / 52) / 5 = 354 + 23 = 377.
        const auto* major = LineFrom(dc, QPoint(354, 236));
        const auto* minor = LineFrom(dc, QPoint(377, 236));
        ASSERT_NE(major, nullptr);
        ASSERT_NE(minor, nullptr);
        EXPECT_EQ(major->pen, (CanvasPen{PenStyle::Solid, 8, c.major}));
        EXPECT_EQ(minor->pen, (CanvasPen{c.minorStyle, 0, c.minor}));
        EXPECT_EQ(LineFrom(dc, QPoint(590, 708))->pen.colour, c.trace);  // lead I's tick
        EXPECT_EQ(dc.polylines.front().pen.colour, ColourRef(0xCECEFF)); // the mark
        EXPECT_EQ(dc.texts.front().colour, ColourRef(0x123456));
        EXPECT_EQ(dc.fills.size(), c.bFilled ? 1u : 0u);
        if (c.bFilled) {
            EXPECT_EQ(dc.fills.front(), QRect(QPoint(354, 236), QPoint(6495, 4014)));
        }
    }
}

TEST(PrintedPage, NoneLeavesOutOneKindOfGridLine) {
    // Minor lines fall at 260 - 52 = 208 columns and 160 - 32 = 128 rows; major lines at
    // 53 columns and 33 rows.
    struct Case {
        int majorSize, minorSize;
        int nMajor, nMinor;
    };
    for (const Case& c : {Case{0, 1, 0, 336}, Case{2, 0, 86, 0}, Case{2, 1, 86, 336}}) {
        PageFixture f;
        f.settings.MajorSize[kColour] = c.majorSize;
        f.settings.MinorSize[kColour] = c.minorSize;
        const RecordingCanvas dc = f.Draw(PictureUnits(), true);
        int nMajor = 0, nMinor = 0;
        for (const auto& p : dc.polylines) {
            const bool bGridLine = p.points.size() == 2 &&
                                   (p.points[0].y() == 1000 || p.points[0].x() == 1500) &&
                                   (p.points[1].y() == 17000 || p.points[1].x() == 27500);
            if (bGridLine && p.pen.colour == 0x0080FF)
                ++nMajor;
            if (bGridLine && p.pen.colour == 0xCECEFF)
                ++nMinor;
        }
        EXPECT_EQ(nMajor, c.nMajor) << c.majorSize << "/" << c.minorSize;
        EXPECT_EQ(nMinor, c.nMinor) << c.majorSize << "/" << c.minorSize;
    }
}

TEST(PrintedPage, DotGridRowsAndDotForms) {
    struct Case {
        const char* name;
        int nEllipse;
        bool bPreview;
        int diameter; // 0: one output pixel a dot
    };
    // Round dots only where chosen and not in a preview, one eighteenth of the mark's cell:
    // 800 / 18 = 44.4 units.
    for (const Case& c : {Case{"pixels", 0, false, 0}, Case{"round", 1, false, 44},
                          Case{"round in preview", 1, true, 0}}) {
        SCOPED_TRACE(c.name);
        PageFixture f;
        f.settings.GridSelect[kColour] = 0;
        f.settings.EllipseForDots = c.nEllipse;
        f.settings.Background = 0x00FF00;
        const RecordingCanvas dc = f.Draw(PictureUnits(), true, c.bPreview);
        ASSERT_EQ(dc.dots.size(), 321u); // rows 0 to 320, half a millimetre apart
        long total = 0;
        for (const auto& row : dc.dots) {
            total += long(row.points.size());
            EXPECT_EQ(row.diameter, c.diameter);
            EXPECT_EQ(row.colour, ColourRef(0x00FF00));
        }
        // 33 major rows of 521 dots, 128 other even rows of 261, 160 odd rows of 53.
        EXPECT_EQ(total, 33 * 521 + 128 * 261 + 160 * 53);
        // Row 1 is 16000 / 320 = 50 below the top and holds the 53 major columns, 500 apart.
        EXPECT_EQ(dc.dots[1].points.size(), 53u);
        EXPECT_EQ(dc.dots[1].points[1], QPoint(2000, 1050));
        // Row 2, a minor row: a dot a millimetre (100 units); row 10, major: one every 50.
        EXPECT_EQ(dc.dots[2].points[1], QPoint(1600, 1100));
        EXPECT_EQ(dc.dots[10].points[1], QPoint(1550, 1500));
        EXPECT_EQ(dc.dots.back().points.back(), QPoint(27500, 17000));
    }
}

TEST(PrintedPage, DotGridRoundsToTheNearestUnit) {
    // At 600 dpi the grid is 6142 units wide and 3779 high: row 1 at 236 + 3779 / 320 =
    // 247.8, rounded to 248; the first major column at 354 + 6142 / 52 = 472.1, rounded to 472;
    // the first dot of a major row at 354 + 6142 / 520 = 365.8, rounded to 366.
    RecordingCanvas dc;
    const PageGeometry g(k600);
    DrawDotGrid(dc, g.grid, 52, 32, 0, 0);
    EXPECT_EQ(dc.dots[1].points[1], QPoint(472, 248));
    EXPECT_EQ(dc.dots[0].points[1], QPoint(366, 236));
}

TEST(PrintRun, ThePageMovesLeftOnlyWhereThePrintableAreaIsTooNarrow) {
    // 600 dpi: the grid's right edge at 6496 and 1 mm (23 units) to spare need 6519 units.
    const PageGeometry g(k600);
    EXPECT_EQ(PrintShift(g, 7000), 0);
    EXPECT_EQ(PrintShift(g, 6519), 0);
    EXPECT_EQ(PrintShift(g, 6300), 219);
    // Never past the grid's left edge at 354, whatever the printer says.
    EXPECT_EQ(PrintShift(g, 100), 354);
}

TEST(PrintRun, ThePrintDialogOffersExactlyOnePage) {
    QPrinter printer(QPrinter::HighResolution);
    const auto dialog = MakePrintDialog(printer, nullptr);
    EXPECT_EQ(dialog->minPage(), 1);
    EXPECT_EQ(dialog->maxPage(), 1);
    EXPECT_FALSE(dialog->testOption(QAbstractPrintDialog::PrintPageRange));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

TEST(PageOutputs, ThePictureMeasures290By170Millimetres) {
    PageFixture f;
    f.Record(true, 3000);
    const PageDrawer page = DocumentPage(*f.doc, ReadPrintStyle(f.settings));
    const QByteArray svg = PictureSvg(page);
    EXPECT_TRUE(svg.contains("width=\"290mm\" height=\"170mm\""));
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 29000 17000\""));
    // Text stays text.
    EXPECT_TRUE(svg.contains(">Scale: 10mm/mV Speed: 25mm/s Filter: 100Hz</text>"));
    // Hairlines that readers without non-scaling strokes still draw.
    EXPECT_FALSE(svg.contains("vector-effect=\"non-scaling-stroke\""));
    EXPECT_TRUE(svg.contains("class=\"hairline\" stroke-width=\"8.5\""));

    const QImage image = PictureImage(PictureRecording(page));
    EXPECT_EQ(image.size(), QSize(3425, 2008)); // 290 and 170 mm at 300 dpi, rounded
    EXPECT_EQ(image.dotsPerMeterX(), 11811);    // 300 / 0.0254
    // The grid's left edge, 15 mm in: 15 / 25.4 * 300 = 177.2 pixels, drawn in the major
    // colour (red 255, green 128, blue 0) one pixel wide.
    const QRgb edge = image.pixel(177, 1000);
    EXPECT_EQ(qRed(edge), 255);
    EXPECT_LT(qBlue(edge), 60);
    EXPECT_EQ(image.pixel(179, 1000), image.pixel(180, 1001)); // the fill beside it
}

TEST(ViewPrinting, TheViewsModeChoosesTheLayoutAndPrintRunsSetTheUnits) {
    PageFixture f;
    f.Record(false, 3000);
    CZM540View view(*f.doc, f.settings, LineFactory());
    view.OnUpdate(); // the view takes the document's monitoring mode
    EXPECT_EQ(view.m_bPrintPreview, 0);

    RecordingCanvas dc;
    const PrintInfo preview{600, 600, true};
    view.PrintedPage()(dc, &preview);
    EXPECT_EQ(view.m_bPrintPreview, 1);
    EXPECT_DOUBLE_EQ(view.m_dUnitsPerCmX, 600 / 2.54);
    EXPECT_TRUE(Texts(dc).contains("Monitor: II at 354,236"));
    // Lines narrower than a screen pixel at full size (600 / 96 = 6.25 units) show one pixel
    // wide: the 1/4-point major lines (2 units) and the 1/2-point trace (4 units); 1 point
    // (8 units) keeps its width.
    EXPECT_EQ(LineFrom(dc, QPoint(354, 236))->pen.width, 0);
    f.settings.TraceSize[kColour] = 3;
    view.OnPrint(dc, &preview);
    EXPECT_EQ(dc.polylines.back().pen.width, 8);
    // A preview shows a dot grid's dots as single pixels even where round ones are chosen.
    f.settings.GridSelect[kColour] = 0;
    f.settings.EllipseForDots = 1;
    RecordingCanvas dots;
    view.OnPrint(dots, &preview);
    ASSERT_FALSE(dots.dots.empty());
    EXPECT_EQ(dots.dots.front().diameter, 0);
}

TEST(ViewPrinting, CopyPlacesThePictureOnTheClipboardInThreeForms) {
    PageFixture f;
    f.Record(true, 3000);
    CZM540View view(*f.doc, f.settings, LineFactory());
    view.OnUpdate();
    view.OnCopyPicture();
    EXPECT_TRUE(f.prompter.asked.isEmpty());
    EXPECT_DOUBLE_EQ(view.m_dUnitsPerCmX, 1000.0);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList({"image/svg+xml", "application/pdf", "image/png"}));
    EXPECT_TRUE(data->data("image/svg+xml").contains("width=\"290mm\" height=\"170mm\""));
    EXPECT_TRUE(data->data("image/svg+xml").contains(">Rhythm II</text>"));
    // One PDF page of 290 mm by 170 mm, 822.05 by 481.89 points, which a PDF page box holds
    // in whole points.
    const QByteArray pdf = data->data("application/pdf");
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 822.000000 482.000000]"));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 1);
    QImage png;
    ASSERT_TRUE(png.loadFromData(data->data("image/png"), "PNG"));
    EXPECT_EQ(png.size(), QSize(3425, 2008));
    EXPECT_EQ(png.dotsPerMeterY(), 11811);
}
