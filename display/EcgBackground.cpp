#include "EcgBackground.h"

#include "Leads.h"
#include "TraceDrawing.h"

#include <QPoint>

#include <algorithm>

void DrawLineGrid(Canvas& dc, const GridRect& rc, int nx, int ny, const CanvasPen* major,
                  const CanvasPen* minor) {
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (minor) {
        dc.SelectPen(*minor);
        for (int i = 0; i < 5 * nx; ++i) {
            if (i % 5 == 0)
                continue;
            const int x = rc.left + ((w * i) / nx) / 5;
            dc.MoveTo(x, rc.top);
            dc.LineTo(x, rc.bottom);
        }
        for (int j = 0; j < 5 * ny; ++j) {
            if (j % 5 == 0)
                continue;
            const int y = rc.top + ((h * j) / ny) / 5;
            dc.MoveTo(rc.left, y);
            dc.LineTo(rc.right, y);
        }
    }
    if (major) {
        dc.SelectPen(*major);
        for (int i = 0; i <= nx; ++i) {
            const int x = rc.left + (w * i) / nx;
            dc.MoveTo(x, rc.top);
            dc.LineTo(x, rc.bottom);
        }
        for (int j = 0; j <= ny; ++j) {
            const int y = rc.top + (h * j) / ny;
            dc.MoveTo(rc.left, y);
            dc.LineTo(rc.right, y);
        }
    }
}

void DrawMark(Canvas& dc, int right, int top, int cellHeight, ColourRef colour) {
    // A small heartbeat filling a cell three quarters as wide as it is high.
    const int h = cellHeight;
    const int w = h * 3 / 4;
    const int left = right - w;
    static constexpr QPointF kBeat[] = {{0.08, 0.60}, {0.25, 0.60}, {0.32, 0.50}, {0.40, 0.60},
                                        {0.46, 0.60}, {0.53, 0.15}, {0.61, 0.85}, {0.67, 0.60},
                                        {0.76, 0.60}, {0.84, 0.45}, {0.92, 0.60}};
    dc.SelectPen(CanvasPen{PenStyle::Solid, std::max(1, h / 16), colour});
    dc.MoveTo(left + int(kBeat[0].x() * w), top + int(kBeat[0].y() * h));
    for (const QPointF& p : kBeat)
        dc.LineTo(left + int(p.x() * w), top + int(p.y() * h));
}

void DrawPageMark(Canvas& dc, const GridRect& rc, const BackgroundStyle& style) {
    // The mark's cell shows in the background colour; the grid is drawn over it later.
    const int h = style.markHeight;
    const int w = h * 3 / 4;
    dc.FillRect(QRect(rc.right - w, rc.top + 5, w, h), style.colours.crBackground);
    DrawMark(dc, rc.right, rc.top + 5, h, style.colours.crMinorGrid);
}

namespace {

// What both backgrounds start with: the page mark, the grid, then the texts' font and mode.
void DrawMarkAndGrid(Canvas& dc, const GridLayout& g, const BackgroundStyle& style, int textAlign) {
    DrawPageMark(dc, g.rc, style);
    dc.SetTextAlign(textAlign);
    const CanvasPen major = SolidPen(style.colours.crMajorGrid);
    const CanvasPen minor = SolidPen(style.colours.crMinorGrid);
    DrawLineGrid(dc, g.rc, kMajorAcross, kMajorDown, &major, &minor);
    dc.SelectFont(style.labelFont);
    dc.SetBkMode(true);
}

} // namespace

void DrawTwelveLeadBackground(Canvas& dc, const GridLayout& g, const BackgroundStyle& style,
                              int rhythmLead) {
    const SchemeColours& c = style.colours;
    DrawMarkAndGrid(dc, g, style, AlignLeft | AlignBottom);
    dc.SelectPen(SolidPen(c.crLabel));
    dc.SetTextColour(c.crLabel);
    const int xRight = g.rc.left + g.half;
    for (int row = 0; row < kRhythmRow; ++row) {
        const TwelveLeadRow& r = kTwelveLeadRows[std::size_t(row)];
        const int y = TwelveLeadLabelY(g, row);
        dc.TextOut(g.rc.left, y, QString::fromLatin1(r.leftLabel));
        dc.MoveTo(xRight, y);
        dc.LineTo(xRight, SeparatorEndY(g, row));
        dc.TextOut(xRight, y, QString::fromLatin1(r.rightLabel));
    }
    const QString rhythm =
        QString::fromLatin1(kTwelveLeadRows[kRhythmRow].leftLabel)
            .replace(QLatin1String("%s"),
                     QLatin1String(kLeadNames[std::size_t(SafeLimbLead(rhythmLead))]));
    dc.TextOut(g.rc.left, TwelveLeadLabelY(g, kRhythmRow), rhythm);
}

void DrawMonitorBackground(Canvas& dc, const GridLayout& g, const BackgroundStyle& style,
                           int monitoredLead) {
    DrawMarkAndGrid(dc, g, style, AlignLeft | AlignTop);
    DrawMonitorCaption(dc, g.rc, style.colours,
                       {QStringLiteral("Monitoring"), QString(),
                        QLatin1String(kLeadNames[std::size_t(SafeLimbLead(monitoredLead))]),
                        QString()});
}

void DrawMonitorCaption(Canvas& dc, const GridRect& rc, const SchemeColours& colours,
                        const std::array<QString, 4>& texts) {
    const ColourRef textColours[4] = {colours.crLabel, colours.crChannel1, colours.crChannel2,
                                      colours.crChannel3};
    const int offsets[4] = {0, 40, 65, 90};
    // The texts keep their places unless a wide font would make one run into the next.
    int end = rc.left; // where the last text drawn ends, with a space
    for (int i = 0; i < 4; ++i) {
        const QString& text = texts[std::size_t(i)];
        int x = rc.left + offsets[i];
        if (!text.isEmpty()) {
            x = std::max(x, end);
            end = x + dc.TextWidth(text + QLatin1Char(' '));
        }
        dc.SetTextColour(textColours[i]);
        dc.TextOut(x, rc.top, text);
    }
}
