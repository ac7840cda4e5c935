#include "PrintedPage.h"

#include "EcgBackground.h"
#include "Measurements.h"
#include "RecordingDetails.h"
#include "TraceDrawing.h"
#include "ZM540Doc.h"

#include <QDateTime>
#include <QFont>
#include <QStringList>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr ColourRef kBlack = 0;

// a * b / c rounded to the nearest integer, for positive values.
int MulDiv(int a, int b, int c) {
    return int((std::int64_t(a) * b + c / 2) / c);
}

QFont LabelFont(const PageGeometry& g) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, g.u.nLabelHeight));
    return font;
}

// A preview is drawn at the printer's resolution and shown much smaller: a line narrower than
// a screen pixel at full size (1/96 inch) is shown one pixel wide, as printer previews do,
// rather than fading away.
CanvasPen PenOf(const PageGeometry& g, const PrintLine& line, ColourRef colour, bool bPreview) {
    int width = g.PenWidth(line.points);
    if (bPreview && width * 96 < g.u.nPenBase)
        width = 0;
    return CanvasPen{line.style, width, colour};
}

void DrawStrip(Canvas& dc, const PageGeometry& g, const ChartScale& c, int x0, int y0,
               const double* s, int n) {
    if (n <= 0)
        return;
    DrawTrace(dc, n, [&](int i) { return g.StripPoint(x0, y0, i, s[i], c); });
}

// Steps shared by both layouts: the grid with its mark, and the trace pen selected.
void DrawGridAndMark(Canvas& dc, const PageGeometry& g, const PageRequest& page) {
    const PrintStyle& st = page.style;
    const GridRect& rc = g.grid;
    const ColourRef major = st.bColour ? st.crMajorGrid : kBlack;
    const ColourRef minor = st.bColour ? st.crMinorGrid : kBlack;
    const CanvasPen majorPen = PenOf(g, st.major, major, page.bPrintPreview);
    const CanvasPen minorPen = PenOf(g, st.minor, minor, page.bPrintPreview);

    if (st.bLineGrid && st.bColour)
        dc.FillRect(QRect(QPoint(rc.left, rc.top), QPoint(rc.right - 1, rc.bottom - 1)),
                    st.crBackground);
    dc.SetBkMode(true);
    dc.SetTextAlign(AlignRight | AlignTop);
    dc.SetTextColour(st.crMinorGrid);
    DrawMark(dc, rc.right, rc.top, g.u.nMarkCell, st.crMinorGrid);
    if (st.bLineGrid) {
        DrawLineGrid(dc, rc, kPageMajorAcross, kPageMajorDown,
                     st.major.IsDrawn() ? &majorPen : nullptr,
                     st.minor.IsDrawn() ? &minorPen : nullptr);
    } else {
        // Round dots of one point in the mark's 18-point cell: 0.35 mm on paper.
        const int diameter = (page.bPrintPreview || !st.bEllipseDots) ? 0 : g.u.nMarkCell / 18;
        DrawDotGrid(dc, rc, kPageMajorAcross, kPageMajorDown, st.bColour ? st.crBackground : kBlack,
                    diameter);
    }
    dc.SelectPen(PenOf(g, st.trace, st.bColour ? st.crTrace : kBlack, page.bPrintPreview));
}

void DrawFootTexts(Canvas& dc, const PageGeometry& g, const CZM540Doc& doc, const ChartScale& c) {
    dc.SetTextAlign(AlignLeft | AlignBottom);
    dc.TextOut(g.grid.left, g.grid.bottom, RecordedText(doc.m_header.tRecorded));
    dc.SetTextAlign(AlignRight | AlignBottom);
    dc.TextOut(g.grid.right, g.grid.bottom, ScaleCaption(doc.m_dCutoff, c));
}

QString LeadName(const CZM540Doc& doc) {
    return QLatin1String(kLeadNames[std::size_t(doc.RhythmLead())]);
}

// Whose recording it is, in the band above the grid, in the labels' font: nothing at all for a
// recording without details, so that such a page is drawn exactly as it always was.
void DrawDetailsBand(Canvas& dc, const PageGeometry& g, const CZM540Doc& doc) {
    if (doc.m_details.IsEmpty())
        return;
    const auto scratch = std::make_unique<MeasurementScratch>();
    const std::array<QString, 2> lines = DetailsBandLines(doc, MeasureRecording(doc, *scratch));
    dc.SetTextAlign(AlignLeft | AlignBottom);
    dc.TextOut(g.grid.left, g.T - g.cy(0.45), lines[0]);
    dc.TextOut(g.grid.left, g.T - g.cy(0.1), lines[1]);
}

} // namespace

void PrintTwelveLeadPage(Canvas& dc, const PageRequest& page) {
    const PageGeometry g(page.units);
    const CZM540Doc& doc = page.doc;
    DrawGridAndMark(dc, g, page);
    dc.SelectFont(LabelFont(g));
    dc.SetTextColour(page.style.crTrace);

    // A 12-lead file may hold more than 10 s: the strips show the end of the recording, as
    // much of it as their length holds at the paper speed.
    const ChartScale& c = page.style.scale;
    const int N = std::clamp(int(doc.m_nSamples), 0, kLeadCapacity);
    const int n = std::min(N, c.Samples(kColumnSamples));
    dc.SetTextAlign(AlignLeft | AlignBottom);
    for (const PrintedLead& lead : kPrintedLeads) {
        const int x = lead.bRightColumn ? g.xRightStrip : g.xStrip;
        const int y = g.Below(lead.labelY);
        dc.TextOut(x, y, QLatin1String(lead.label));
        dc.MoveTo(x, y);
        dc.LineTo(x, g.Below(lead.tickEnd));
        DrawStrip(dc, g, c, x, g.Below(lead.baseline),
                  doc.m_leadTrace[std::size_t(lead.lead)].data() + (N - n), n);
    }
    for (int baseline : kTwelveLeadPulses)
        DrawCalibrationPulse(dc, g, g.xPulse, g.Below(baseline), c.GainFactor());

    dc.TextOut(g.xStrip, g.Below(kRhythmLabelY), QStringLiteral("Rhythm %1").arg(LeadName(doc)));
    const int nRhythm = std::min(N, c.Samples(kStripSamples));
    DrawStrip(dc, g, c, g.xStrip, g.Below(kRhythmBaseline),
              doc.m_leadTrace[std::size_t(doc.RhythmLead())].data() + (N - nRhythm), nRhythm);
    DrawFootTexts(dc, g, doc, c);
    DrawDetailsBand(dc, g, doc);
}

void PrintMonitorPage(Canvas& dc, const PageRequest& page) {
    const PageGeometry g(page.units);
    const CZM540Doc& doc = page.doc;
    DrawGridAndMark(dc, g, page);

    // Lines of the strip's length at the paper speed, cut from sample 0; the page has room for
    // five, and shows the last five a longer recording makes.
    const ChartScale& c = page.style.scale;
    const int N = std::clamp(int(doc.m_nSamples), 0, kMonitorCapacity);
    const int nLine = c.Samples(kStripSamples);
    const int nLines = (N + nLine - 1) / nLine;
    const int firstLine = std::max(0, nLines - kMonitorPageLines);
    for (int j = firstLine; j < nLines; ++j) {
        const int first = nLine * j;
        DrawStrip(dc, g, c, g.xStrip, g.Below(kMonitorLineSpacing * (j - firstLine + 1)),
                  doc.m_monitorTrace.data() + first, std::min(nLine, N - first));
    }
    DrawCalibrationPulse(dc, g, g.xPulse, g.Below(kMonitorLineSpacing), c.GainFactor());

    dc.SelectFont(LabelFont(g));
    dc.SetTextColour(page.style.crTrace);
    dc.SetTextAlign(AlignRight | AlignBottom);
    dc.TextOut(g.grid.right, g.grid.bottom, ScaleCaption(doc.m_dCutoff, c));
    dc.SetTextAlign(AlignLeft | AlignTop);
    dc.TextOut(g.grid.left, g.grid.top, QStringLiteral("Monitor: %1").arg(LeadName(doc)));
    dc.SetTextAlign(AlignLeft | AlignBottom);
    dc.TextOut(g.grid.left, g.grid.bottom, RecordedText(doc.m_header.tRecorded));
    DrawDetailsBand(dc, g, doc);
}

void DrawPage(Canvas& dc, const PageRequest& page, bool bTwelveLead) {
    if (bTwelveLead)
        PrintTwelveLeadPage(dc, page);
    else
        PrintMonitorPage(dc, page);
}

PageDrawer DocumentPage(const CZM540Doc& doc, const PrintStyle& style) {
    return [&doc, style](Canvas& dc, const PrintInfo* pInfo) {
        const PageUnits units =
            pInfo ? PrinterUnits(pInfo->nLogPixelsX, pInfo->nLogPixelsY) : PictureUnits();
        DrawPage(dc, {doc, style, units, pInfo && pInfo->bPreview}, doc.m_bTwelveLead != 0);
    };
}

void DrawCalibrationPulse(Canvas& dc, const PageGeometry& g, int x, int y, double h) {
    const int top = y - g.cy(h);
    dc.MoveTo(x, y);
    dc.LineTo(x + g.cx(0.1), y);
    dc.LineTo(x + g.cx(0.1), top);
    dc.LineTo(x + g.cx(0.3), top);
    dc.LineTo(x + g.cx(0.3), y);
    dc.LineTo(x + g.cx(0.4), y);
}

void DrawDotGrid(Canvas& dc, const GridRect& rc, int nx, int ny, ColourRef colour, int diameter) {
    const int rows = 10 * ny;
    std::vector<QPoint> row;
    row.reserve(std::size_t(10 * nx + 1));
    for (int i = 0; i <= rows; ++i) {
        const int y = rc.top + MulDiv(i, rc.bottom - rc.top, rows);
        // Major rows: ten dots a square; other even rows: one a millimetre; odd rows: the
        // major columns only.
        const int K = i % 10 == 0 ? 10 * nx : i % 2 == 0 ? 5 * nx : nx;
        row.clear();
        for (int j = 0; j <= K; ++j)
            row.emplace_back(rc.left + MulDiv(j, rc.right - rc.left, K), y);
        if (diameter > 0)
            dc.FillCircles(row, diameter, colour);
        else
            dc.DrawDots(row, colour);
    }
}

QString RecordedText(std::int32_t tRecorded) {
    const std::time_t t = tRecorded;
    const char* text = std::ctime(&t);
    return QStringLiteral("Recorded: %1")
        .arg(text ? QString::fromLatin1(text).trimmed() : QString());
}

QString ScaleCaption(double cutoff, const ChartScale& c) {
    return QString::asprintf("Scale: %dmm/mV Speed: %dmm/s Filter: %gHz", c.nGain, c.nSpeed,
                             cutoff);
}

std::array<QString, 2> DetailsBandLines(const CZM540Doc& doc, const EcgMeasurements& m) {
    const RecordingDetails& d = doc.m_details;
    const QDate recorded = doc.m_nSamples > 0
                               ? QDateTime::fromSecsSinceEpoch(doc.m_header.tRecorded).date()
                               : QDate::currentDate();
    QStringList animal;
    for (const QString& field :
         {d.name, SpeciesText(d.species), d.breed, SexText(d.sex), AgeText(d, recorded),
          d.weightKg ? WeightText(*d.weightKg) : QString()})
        if (!field.isEmpty())
            animal << field;
    QStringList visit;
    const auto add = [&visit](const char* label, const QString& value) {
        if (!value.isEmpty())
            visit << QStringLiteral("%1: %2").arg(QLatin1String(label), value);
    };
    add("Owner", d.owner);
    add("Case", d.caseNumber);
    add("Clinician", d.clinician);
    add("Heart rate", RateText(m.rateBpm));
    if (doc.m_bTwelveLead)
        add("Axis", AxisText(m.axisDeg));
    return {animal.join(QStringLiteral(", ")), visit.join(QStringLiteral("   "))};
}
