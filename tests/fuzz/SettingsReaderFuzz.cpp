// Reads arbitrary text as the profile's INI file. Whatever it holds, every lookup the loaded
// settings feed must stay inside its table, and an empty document's page must draw with them.
//
// The input is the whole file. Its length picks the page: bit 0 the layout (12-lead or
// monitoring), bit 1 the output (the picture, or a 600 dpi printer preview).
#include "FuzzSupport.h"
#include "Leads.h"
#include "PrintStyle.h"
#include "PrintedPage.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "RecordingCanvas.h"
#include "SchemeColours.h"
#include "ZM540Doc.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>

#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>

namespace {

bool SameColours(const SchemeColours& a, const SchemeColours& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool InTable(std::int32_t v, std::size_t rows) {
    return v >= 0 && std::size_t(v) < rows;
}

bool IsPrintStyle(PenStyle style) {
    for (const PrintStyleEntry& e : kPrintStyles)
        if (e.style == style)
            return true;
    return false;
}

// A style row the setting names, or its default's when the setting names none.
PenStyle ExpectedStyle(std::int32_t v, std::int32_t d) {
    return kPrintStyles[std::size_t(InTable(v, kPrintStyles.size()) ? v : d)].style;
}
// A size row likewise; `first` is the row of the chooser's entry 0.
double ExpectedPoints(std::int32_t v, std::int32_t d, std::size_t first) {
    const std::size_t rows = kPrintSizes.size() - first;
    return kPrintSizes[first + std::size_t(InTable(v, rows) ? v : d)].points;
}

void CheckPrintStyle(const ProfileSettings& s) {
    static const ProfileSettings d;
    const PrintStyle p = ReadPrintStyle(s);
    const int c = s.PrintInColour ? kColour : kMono;
    Check(p.bColour == (c == kColour));
    Check(p.bLineGrid == ((InTable(s.GridSelect[c], 2) ? s.GridSelect[c] : d.GridSelect[c]) == 1));
    for (const PrintLine* line : {&p.major, &p.minor, &p.trace})
        Check(IsPrintStyle(line->style));
    Check(p.major.style == ExpectedStyle(s.MajorStyle[c], d.MajorStyle[c]));
    Check(p.minor.style == ExpectedStyle(s.MinorStyle[c], d.MinorStyle[c]));
    Check(p.trace.style == ExpectedStyle(s.TraceStyle[c], d.TraceStyle[c]));
    Check(p.major.points == ExpectedPoints(s.MajorSize[c], d.MajorSize[c], 0));
    Check(p.minor.points == ExpectedPoints(s.MinorSize[c], d.MinorSize[c], 0));
    Check(p.trace.points == ExpectedPoints(s.TraceSize[c], d.TraceSize[c], 1));
    Check(p.trace.IsDrawn()); // the trace size chooser has no "None"
    Check(p.crBackground == ColourRef(s.Background) && p.crTrace == ColourRef(s.Trace));
    Check(p.scale.nSpeed == (s.Speed == 50 ? 50 : 25));
    Check(p.scale.nGain == (s.Gain == 5 || s.Gain == 20 ? s.Gain : 10));
}

// The lead and filter lookups, for any number a chooser or a file might hand them.
void CheckLookups(std::int32_t v) {
    const int lead = SafeLimbLead(v);
    Check(lead >= 0 && lead < kLimbLeadCount);
    Check(lead == (InTable(v, kLimbLeadCount) ? v : kLeadII));
    const double cutoff = CutoffOfClass(v);
    const int filterClass = ClassOfCutoff(cutoff);
    Check(InTable(filterClass, kFilterClasses.size()));
    Check(kFilterClasses[std::size_t(filterClass)].cutoff == cutoff);
    if (InTable(v, kFilterClasses.size()))
        Check(filterClass == v);
    else
        Check(cutoff == 0.0);
}

// Everything drawn lies on the page, and a line of no size draws nothing.
NO_COVERAGE void CheckPage(const RecordingCanvas& dc, const PageUnits& u) {
    const QRect page(0, 0, int(30 * u.dUnitsPerCmX), int(20 * u.dUnitsPerCmY));
    for (const RecordingCanvas::Polyline& line : dc.polylines) {
        Check(line.pen.width >= 0);
        for (const QPoint& p : line.points)
            Check(page.contains(p));
    }
    for (const RecordingCanvas::Dots& dots : dc.dots) {
        Check(dots.diameter >= 0);
        for (const QPoint& p : dots.points)
            Check(page.contains(p));
    }
    for (const RecordingCanvas::Text& text : dc.texts)
        Check(page.contains(text.at) && !text.text.isEmpty());
}

// What the drawn page's geometry depends on: the style's lines and scale, the layout, the output,
// the rhythm lead (any number outside the table stands for all of them) and the cutoff. The colours
// only colour the pens.
struct PageKey {
    PrintStyle style;
    bool bTwelveLead, bPrinter;
    int nLead;
    double dCutoff;

    auto Fields() const {
        const auto line = [](const PrintLine& l) { return std::tuple(int(l.style), l.points); };
        return std::tuple(style.bColour, style.bLineGrid, style.bEllipseDots, line(style.major),
                          line(style.minor), line(style.trace), style.scale.nSpeed,
                          style.scale.nGain, bTwelveLead, bPrinter, nLead, dCutoff);
    }
    bool operator<(const PageKey& o) const { return Fields() < o.Fields(); }
};

struct Harness {
    ProfileSettings settings;
    SilentPrompter prompter;
    CZM540Doc doc{settings, prompter};
    QString folder;
    int nFile = 0;
    std::set<PageKey> drawn;

    Harness() {
        folder = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        doc.DeleteContents();
    }
};

// Both live until the process ends: the application must not be torn down at exit.
QGuiApplication* app = nullptr;
Harness* harness = nullptr;

} // namespace

// A value such as "@Variant(\0\0\0\t\x7f\0\0\0...)" makes Qt ask for as much memory as the
// list count in it says (68 GB there). Without the sanitizer malloc answers null and Qt gives
// up on the value; AddressSanitizer would stop the process instead, so it is told to answer
// null as well.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(*argc, *argv);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& h = *harness;
    // A new name for every input: QSettings keeps files it has read.
    const QString path = QStringLiteral("%1/zm540-settings-fuzz-%2-%3.ini")
                             .arg(h.folder)
                             .arg(QCoreApplication::applicationPid())
                             .arg(h.nFile++);
    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly));
        Check(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    h.settings = ProfileSettings();
    {
        QSettings profile(path, QSettings::IniFormat);
        LoadSettings(profile, h.settings);
    }
    QFile::remove(path);
    const ProfileSettings& s = h.settings;

    // The scheme lookup: rows 0 to 5 as built in, the user row for every other number.
    const SchemeTable builtIn = DefaultSchemeTable();
    for (int row = 0; row < kUserScheme; ++row)
        Check(SameColours(s.schemes[std::size_t(row)], builtIn[std::size_t(row)]));
    Check(s.schemes[kUserScheme].nSpare == builtIn[kUserScheme].nSpare);
    const SchemeColours colours = GetSchemeColours(s.schemes, s.Scheme);
    Check(SameColours(
        colours, s.schemes[std::size_t(InTable(s.Scheme, kUserScheme) ? s.Scheme : kUserScheme)]));

    CheckPrintStyle(s);
    ProfileSettings copy = s;
    for (const ProfileEntry& e : ProfileEntries(copy))
        CheckLookups(*e.value);

    // Numbers the file chose stand in for a damaged recording's rhythm lead and the filter
    // chooser's selection.
    h.doc.m_bTwelveLead = (size & 1) != 0;
    h.doc.m_nRhythmLead = s.InitDirSel;
    h.doc.m_dCutoff = CutoffOfClass(s.RealTimeFilter);
    const bool bPrinter = (size & 2) != 0;
    // Each combination of what the page's geometry depends on is drawn once: drawing every
    // input's page took most of the run time.
    const PrintStyle style = ReadPrintStyle(s);
    const PageKey key{style, h.doc.m_bTwelveLead != 0, bPrinter,
                      InTable(h.doc.m_nRhythmLead, kLimbLeadCount) ? h.doc.m_nRhythmLead : -1,
                      h.doc.m_dCutoff};
    if (!h.drawn.insert(key).second)
        return 0;
    const PrintInfo preview{600, 600, true};
    RecordingCanvas dc;
    DocumentPage(h.doc, style)(dc, bPrinter ? &preview : nullptr);
    CheckPage(dc, bPrinter ? PrinterUnits(600, 600) : PictureUnits());
    return 0;
}
