#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <qplatformdefs.h>
#include <sys/stat.h>

namespace {

struct CliRun {
    int exitCode;
    QString out, err;
};

CliRun Cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ZM540VET_CLI), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The rows of a CSV export, without its header, as numbers.
std::vector<std::vector<double>> CsvRows(const QString& path, QString* header) {
    QStringList lines = QString::fromUtf8(ReadAll(path)).split('\n', Qt::SkipEmptyParts);
    *header = lines.isEmpty() ? QString() : lines.takeFirst();
    std::vector<std::vector<double>> rows;
    for (const QString& line : lines) {
        std::vector<double> row;
        for (const QString& cell : line.split(','))
            row.push_back(cell.toDouble());
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(Cli, CsvExportIsWhatTheDocumentComputes) {
    struct Case {
        bool bTwelveLead;
        QStringList extra;
        int cutoffClass; // -1: the file's own
        const char* header;
    };
    const Case cases[] = {
        {true, {}, -1, "time_s,I,II,III,aVR,aVL,aVF"},
        {true, {"--cutoff", "40"}, 2, "time_s,I,II,III,aVR,aVL,aVF"},
        {true, {"--cutoff", "0"}, 0, "time_s,I,II,III,aVR,aVL,aVF"},
        {false, {"--cutoff", "100"}, 1, "time_s,aVF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra.join(' ').toStdString());
        DocFixture f;
        f.Record(c.bTwelveLead, 1500, 4);
        f.doc->m_nRhythmLead = 5;
        ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("in.vecg")));
        if (c.cutoffClass >= 0)
            f.doc->OnFilterSelect(c.cutoffClass);

        QStringList args{"export", f.Path("in.vecg"), "-o", f.Path("out.csv"), "--format", "csv"};
        args += c.extra;
        const CliRun r = Cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QString header;
        const auto rows = CsvRows(f.Path("out.csv"), &header);
        EXPECT_EQ(header, c.header);
        ASSERT_EQ(rows.size(), 1500u);
        const int leads = c.bTwelveLead ? 6 : 1;
        for (int i = 0; i < 1500; ++i) {
            ASSERT_EQ(rows[i][0], i / 300.0);
            for (int lead = 0; lead < leads; ++lead) {
                const double trace =
                    c.bTwelveLead ? f.doc->m_leadTrace[lead][i] : f.doc->m_monitorTrace[i];
                ASSERT_EQ(rows[i][1 + lead], trace / 33.0)
                    << i << " " << lead; // round-trips exactly
            }
        }
    }
}

TEST(Cli, RawCsvHoldsTheStoredSamples) {
    DocFixture f;
    f.Record(true, 20, 5);
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("in.vecg")));
    const CliRun r =
        Cli({"export", f.Path("in.vecg"), "-o", f.Path("raw.csv"), "--format", "csv", "--raw"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QString header;
    const auto rows = CsvRows(f.Path("raw.csv"), &header);
    ASSERT_EQ(rows.size(), 20u);
    for (int i = 0; i < 20; ++i)
        for (int lead = 0; lead < 6; ++lead)
            EXPECT_EQ(rows[i][1 + lead], f.doc->m_leadRecord[lead][i]);
}

TEST(Cli, VecgExportReSavesByteForByte) {
    DocFixture f;
    f.Record(true, 3000);
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("in.vecg")));
    const QByteArray in = ReadAll(f.Path("in.vecg"));

    ASSERT_EQ(
        Cli({"export", f.Path("in.vecg"), "-o", f.Path("same.vecg"), "--format", "vecg"}).exitCode,
        0);
    EXPECT_EQ(ReadAll(f.Path("same.vecg")), in);

    ASSERT_EQ(Cli({"export", f.Path("in.vecg"), "-o", f.Path("40.vecg"), "--format", "vecg",
                   "--cutoff", "40"})
                  .exitCode,
              0);
    const QByteArray out = ReadAll(f.Path("40.vecg"));
    ASSERT_EQ(out.size(), in.size());
    for (int i = 0; i < in.size(); ++i) {
        if (i < 36 || i > 43) {
            ASSERT_EQ(out[i], in[i]) << i;
        }
    }
    EXPECT_NE(out.mid(36, 8), in.mid(36, 8));
}

TEST(Cli, InfoDescribesTheRecording) {
    DocFixture f;
    f.Record(false, 600);
    f.doc->m_nRhythmLead = 2;
    f.doc->m_dCutoff = 40.0;
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("m.vecg")));
    const CliRun r = Cli({"info", f.Path("m.vecg")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* line :
         {"Mode:            monitoring", "Lead count byte: 1", "Rhythm lead:     2 (III)",
          "Cutoff:          40 Hz (40Hz)", "Samples:         600", "Duration:        2.000 s",
          "Sample rate:     300"})
        EXPECT_TRUE(r.out.contains(line)) << line << "\n" << r.out.toStdString();
}

// The emulated dog beats at 120 a minute with its axis near +70 degrees, the cat at 180; a flat
// line has no beats, and a monitoring recording no axis.
TEST(Cli, InfoGivesHeartRateAndAxis) {
    DocFixture f;
    f.Record(true, 600);
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("flat.vecg")));
    struct Case {
        QString path;
        const char* rate;
        int axisLo, axisHi; // no axis line when lo > hi
    };
    const Case cases[] = {
        {QStringLiteral(ZM540_SAMPLES "/dog-12lead.vecg"), "120 bpm", 60, 80},
        {QStringLiteral(ZM540_SAMPLES "/cat-monitor-II.vecg"), "180 bpm", 1, 0},
        {f.Path("flat.vecg"), "—", 0, 0},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli({"info", c.path});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("Heart rate:      ") + QString::fromUtf8(c.rate) +
                                   QLatin1Char('\n')))
            << r.out.toStdString();
        const qsizetype at = r.out.indexOf(QStringLiteral("Axis:            "));
        if (c.axisLo > c.axisHi) {
            EXPECT_EQ(at, -1) << r.out.toStdString();
            continue;
        }
        ASSERT_NE(at, -1) << r.out.toStdString();
        const QString axis = r.out.mid(at + 17).section(QLatin1Char('\n'), 0, 0);
        if (c.axisLo == 0 && c.axisHi == 0) {
            EXPECT_EQ(axis, QStringLiteral("—"));
            continue;
        }
        ASSERT_TRUE(axis.endsWith(QStringLiteral("°"))) << axis.toStdString();
        const int deg = axis.chopped(1).toInt();
        EXPECT_GE(deg, c.axisLo);
        EXPECT_LE(deg, c.axisHi);
    }
}

TEST(Cli, ErrorsAreOneLineAndExitStatusOne) {
    DocFixture f;
    f.Record(true, 10);
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("ok.vecg")));
    WriteAll(f.Path("bad.vecg"), QByteArray("not an ECG at all, just some text in a file"));
    const QString out = f.Path("out");
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"info", f.Path("missing.vecg")}, "missing.vecg"},
        {{"info", f.Path("bad.vecg")}, "The is not a valid ZM540Vet ECG file"},
        {{"export", f.Path("bad.vecg"), "-o", out, "--format", "csv"}, "not a valid"},
        {{"export", f.Path("ok.vecg"), "-o", out, "--format", "pdf"}, "--format"},
        {{"export", f.Path("ok.vecg"), "-o", out, "--format", "csv", "--cutoff", "50"}, "--cutoff"},
        {{"export", f.Path("ok.vecg"), "--format", "csv"}, "-o"},
        {{"export", f.Path("ok.vecg"), "-o", out, "--format", "vecg", "--raw"}, "--raw"},
        {{"export", f.Path("ok.vecg"), "-o", f.Path("no/such/dir/x.vecg"), "--format", "vecg"},
         "x.vecg"},
        {{"convert", f.Path("ok.vecg")}, "convert"},
        {{"info"}, "file"},
        {{"info", f.Path("ok.vecg"), "--bogus"}, "bogus"},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << c.args.join(' ').toStdString();
    }
}

// The printed page: `zm540vet-cli page` and `zm540vet --print`.
namespace {

const QString kDog = QStringLiteral(ZM540_SAMPLES "/dog-12lead.vecg");
const QString kCat = QStringLiteral(ZM540_SAMPLES "/cat-monitor-II.vecg");

CliRun RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// What a poppler tool says about a file; empty when the tool is not installed.
QString Poppler(const char* tool, const QStringList& args) {
    const QString path = QStandardPaths::findExecutable(QLatin1String(tool));
    if (path.isEmpty())
        return QString();
    const CliRun r = RunProgram(path, args, QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(r.exitCode, 0) << tool << ": " << r.err.toStdString();
    return r.out;
}

// The root's size attributes and the texts of every <text> element of an SVG file.
struct SvgPage {
    QString width, height, viewBox;
    QStringList texts;
};
SvgPage ReadSvg(const QString& path) {
    SvgPage page;
    QXmlStreamReader xml(ReadAll(path));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("svg")) {
            const QXmlStreamAttributes a = xml.attributes();
            page.width = a.value("width").toString();
            page.height = a.value("height").toString();
            page.viewBox = a.value("viewBox").toString();
        } else if (xml.name() == QLatin1String("text")) {
            page.texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return page;
}

// Pixels of the colour grid's orange (#ff8000) or close to it where lines are smoothed.
int OrangePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 230 && c.green() > 100 && c.green() < 190 && c.blue() < 90;
        }
    return n;
}

struct PageText {
    const char* sample; // "dog" or "cat"
    QStringList texts;
};
const PageText kPageTexts[] = {
    {"dog", {"Rhythm II", " I", "aVF"}},
    {"cat", {"Monitor: II"}},
};

} // namespace

TEST(CliPage, PdfIsOneLandscapeSheetWithItsText) {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
        QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are needed to read the PDF";
    QTemporaryDir dir;
    WriteAll(dir.filePath("empty.ini"), {});
    struct Case {
        const char* sample;
        QStringList extra;
        const char* size; // landscape, in points
        const char* caption;
    };
    // A4: 297 x 210 mm x 72 / 25.4 = 841.9 x 595.3 pt; Letter: 11 x 8.5 in x 72 = 792 x 612 pt.
    const Case cases[] = {
        {"dog", {}, "842 x 595 pts (A4)", "Scale: 10mm/mV Speed: 25mm/s Filter: 100Hz"},
        {"dog",
         {"--paper", "Letter"},
         "792 x 612 pts (letter)",
         "Scale: 10mm/mV Speed: 25mm/s Filter: 100Hz"},
        {"cat",
         {"--paper", "A4"},
         "842 x 595 pts (A4)",
         "Scale: 10mm/mV Speed: 25mm/s Filter: 40Hz"},
        {"cat",
         {"--paper", "Letter"},
         "792 x 612 pts (letter)",
         "Scale: 10mm/mV Speed: 25mm/s Filter: 40Hz"},
        {"dog",
         {"--speed", "50", "--gain", "20"},
         "842 x 595 pts (A4)",
         "Scale: 20mm/mV Speed: 50mm/s Filter: 100Hz"},
        {"cat", {"--gain", "5"}, "842 x 595 pts (A4)", "Scale: 5mm/mV Speed: 25mm/s Filter: 40Hz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sample) + " " + c.extra.join(' ').toStdString());
        const bool bDog = std::string(c.sample) == "dog";
        const QString out = dir.filePath("page.pdf");
        QFile::remove(out);
        const CliRun r = Cli(QStringList{"page", bDog ? kDog : kCat, "-o", out, "--settings",
                                         dir.filePath("empty.ini")} +
                             c.extra);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

        const QString info = Poppler("pdfinfo", {out});
        EXPECT_TRUE(
            info.contains(QRegularExpression("^Pages: +1$", QRegularExpression::MultilineOption)))
            << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression(
            QStringLiteral("^Page size: +%1$").arg(QRegularExpression::escape(c.size)),
            QRegularExpression::MultilineOption)))
            << info.toStdString();
        EXPECT_TRUE(info.contains(
            QRegularExpression("^Page rot: +0$", QRegularExpression::MultilineOption)))
            << info.toStdString();
        QStringList lines;
        for (const QString& line : Poppler("pdftotext", {out, "-"}).split('\n'))
            lines << line.trimmed();
        for (const PageText& t : kPageTexts) {
            if (std::string(t.sample) != c.sample)
                continue;
            for (const QString& text : t.texts)
                EXPECT_TRUE(lines.contains(text.trimmed())) << text.toStdString();
        }
        EXPECT_TRUE(lines.contains(QLatin1String(c.caption))) << c.caption;
    }
}

TEST(CliPage, PictureIsSvgWithTextAndA300DpiPng) {
    QTemporaryDir dir;
    WriteAll(dir.filePath("empty.ini"), {});
    const QString ini = dir.filePath("empty.ini");
    for (const PageText& t : kPageTexts) {
        SCOPED_TRACE(t.sample);
        const QString in = std::string(t.sample) == "dog" ? kDog : kCat;
        // The extension picks the format, or --format does whatever the name.
        for (const QStringList& args :
             {QStringList{"-o", dir.filePath("page.svg")},
              QStringList{"-o", dir.filePath("page.out"), "--format", "svg"}}) {
            const QString out = args[1];
            const CliRun r = Cli(QStringList{"page", in, "--settings", ini} + args);
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            const SvgPage svg = ReadSvg(out);
            // 290 x 170 mm in units of 0.01 mm.
            EXPECT_EQ(svg.width, "290mm");
            EXPECT_EQ(svg.height, "170mm");
            EXPECT_EQ(svg.viewBox, "0 0 29000 17000");
            for (const QString& text : t.texts)
                EXPECT_TRUE(svg.texts.contains(text))
                    << text.toStdString() << " in " << svg.texts.join('|').toStdString();
        }

        const QString png = dir.filePath("page.png");
        ASSERT_EQ(Cli({"page", in, "-o", png, "--settings", ini}).exitCode, 0);
        QImageReader reader(png);
        reader.setDecideFormatFromContent(true);
        EXPECT_EQ(reader.format(), "png");
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        // 290 mm / 25.4 x 300 = 3425.2 and 170 mm / 25.4 x 300 = 2007.9 pixels, rounded.
        EXPECT_EQ(image.size(), QSize(3425, 2008));
        // 300 dpi = 300 / 0.0254 = 11811.02 dots a metre.
        EXPECT_EQ(image.dotsPerMeterX(), 11811);
        EXPECT_EQ(image.dotsPerMeterY(), 11811);
    }
}

TEST(CliPage, MonoAndColourFollowTheOptionsAndTheSettingsFile) {
    QTemporaryDir dir;
    const QString empty = dir.filePath("empty.ini");
    const QString mono = dir.filePath("mono.ini");
    const QString colour = dir.filePath("colour.ini");
    WriteAll(empty, {});
    WriteAll(mono, "[Print]\nPrintInColour=0\n");
    WriteAll(colour, "[Print]\nPrintInColour=1\n");
    struct Case {
        QString ini;
        QStringList extra;
        bool bColour;
    };
    const Case cases[] = {
        {empty, {}, true}, // colour by default
        {empty, {"--mono"}, false}, {empty, {"--colour"}, true}, {mono, {}, false},
        {mono, {"--colour"}, true}, {colour, {"--mono"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QFileInfo(c.ini).fileName().toStdString() + " " +
                     c.extra.join(' ').toStdString());
        const QString svg = dir.filePath("page.svg");
        ASSERT_EQ(Cli(QStringList{"page", kDog, "-o", svg, "--settings", c.ini} + c.extra).exitCode,
                  0);
        // The colour page's major lines are #ff8000 (the profile's 0x0080FF, blue first); the
        // monochrome page has a black dot grid.
        EXPECT_EQ(ReadAll(svg).contains("stroke=\"#ff8000\""), c.bColour);
    }
    // The raster follows the same choice.
    for (const bool bColour : {true, false}) {
        const QString png = dir.filePath("page.png");
        ASSERT_EQ(Cli({"page", kCat, "-o", png, "--settings", bColour ? empty : mono}).exitCode, 0);
        const int orange = OrangePixels(QImage(png));
        if (bColour)
            EXPECT_GT(orange, 10000) << "the grid's 53 major lines, each 2008 pixels long";
        else
            EXPECT_EQ(orange, 0);
    }
    EXPECT_EQ(ReadAll(mono), "[Print]\nPrintInColour=0\n");
    EXPECT_EQ(ReadAll(empty), "");
}

TEST(CliPage, ErrorsAreOneLineAndLeaveTheOutputAlone) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("empty.ini");
    WriteAll(ini, {});
    const QString pdf = dir.filePath("out.pdf");
    struct Case {
        QStringList args;
        QString out; // the file the run must not create or change; empty: none named
        const char* says;
    };
    const Case cases[] = {
        {{"page", kDog, "-o", dir.filePath("out.txt")}, dir.filePath("out.txt"), "out.txt"},
        {{"page", kDog, "-o", pdf, "--format", "jpeg"}, pdf, "--format"},
        {{"page", kDog, "-o", pdf, "--paper", "A3"}, pdf, "--paper"},
        {{"page", kDog, "-o", dir.filePath("out.svg"), "--paper", "Letter"},
         dir.filePath("out.svg"),
         "--paper"},
        {{"page", kDog, "-o", pdf, "--mono", "--colour"}, pdf, "--mono"},
        {{"page", kDog, "-o", pdf, "--speed", "30"}, pdf, "--speed"},
        {{"page", kDog, "-o", pdf, "--gain", "10.0"}, pdf, "--gain"},
        {{"export", kDog, "-o", dir.filePath("out.csv"), "--format", "csv", "--speed", "50"},
         dir.filePath("out.csv"),
         "--speed"},
        {{"page", kDog, "--format", "pdf"}, {}, "-o"},
        {{"page", dir.filePath("missing.vecg"), "-o", pdf}, pdf, "missing.vecg"},
        {{"page", kDog, "-o", pdf, "--settings", dir.filePath("nosuch.ini")}, pdf, "nosuch.ini"},
        {{"page", kDog, "-o", dir.filePath("no/such/dir/out.pdf")}, {}, "out.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QStringList args = c.args;
        if (!args.contains("--settings"))
            args << "--settings" << ini;
        for (const bool bExisting : {false, true}) {
            if (bExisting && c.out.isEmpty())
                continue;
            if (bExisting)
                WriteAll(c.out, "an earlier page");
            const QStringList before =
                QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            const CliRun r = Cli(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.startsWith("zm540vet-cli: ")) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
            // Nothing new in the folder: no output, no half-written temporary, no settings file.
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
            if (bExisting) {
                EXPECT_EQ(ReadAll(c.out), "an earlier page");
                QFile::remove(c.out);
            }
        }
    }
}

TEST(PrintCommand, FailsWithOneLineAndLeavesTheSettingsFileAsItWas) {
    QTemporaryDir dir;
    // Spacing and a comment that QSettings would not write back as they are.
    const QByteArray iniText = "; kept as written\n[Print]\nPrintInColour = 0\n\n[View]\n";
    const QString ini = dir.filePath("print.ini");
    WriteAll(ini, iniText);
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    // No display, no platform chosen, no runtime directory: as from a service or over ssh.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(name);

    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"--print", kDog, "--printer", "No Such Printer 540"}, "No Such Printer 540"},
        {{"--print", dir.filePath("missing.vecg")}, "missing.vecg"},
        {{"--print", dir.filePath("missing.vecg"), "--printer", "No Such Printer 540"},
         "missing.vecg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliRun r =
            RunProgram(QStringLiteral(ZM540VET), c.args + QStringList{"--settings", ini}, env);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(": : ")) << "an empty file name in " << r.err.toStdString();
        EXPECT_EQ(ReadAll(ini), iniText);
        EXPECT_EQ(QFileInfo(ini).lastModified().toUTC().toSecsSinceEpoch(),
                  earlier.toSecsSinceEpoch());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"print.ini"});
}

namespace {

// A full device of the test's own (the machine's /dev/full stays untouched), or empty where
// device nodes cannot be made.
QString MakeFullDevice(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("full"));
    QProcess mknod;
    mknod.start(QStringLiteral("mknod"),
                {path, QStringLiteral("c"), QStringLiteral("1"), QStringLiteral("7")});
    if (!mknod.waitForFinished(10000) || mknod.exitCode() != 0)
        return QString();
    return path;
}

bool IsCharacterDevice(const QString& path) {
    QT_STATBUF st;
    return QT_STAT(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

TEST(CliWrites, AFullDeviceIsReportedAndNeverReplaced) {
    QTemporaryDir dir;
    const QString full = MakeFullDevice(dir);
    if (full.isEmpty())
        GTEST_SKIP() << "device nodes cannot be made here";
    const QString dog = QStringLiteral(ZM540_SAMPLES "/dog-12lead.vecg");
    WriteAll(dir.filePath("empty.ini"), {});
    for (const QStringList& args : {QStringList{"export", dog, "-o", full, "--format", "csv"},
                                    QStringList{"export", dog, "-o", full, "--format", "vecg"},
                                    QStringList{"page", dog, "-o", full, "--format", "pdf",
                                                "--settings", dir.filePath("empty.ini")}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("No space left on device")))
            << r.err.toStdString();
        EXPECT_TRUE(IsCharacterDevice(full));
    }
}

TEST(CliWrites, AClosedStandardOutputIsReported) {
    const QString dog = QStringLiteral(ZM540_SAMPLES "/dog-12lead.vecg");
    struct Case {
        const char* name;
        const char* script; // $0 the tool, $1 the recording
    };
    for (const Case& c :
         {Case{"closed", "exec 1>&-; \"$0\" export \"$1\" -o - --format csv"},
          Case{"a pipe nobody reads", "\"$0\" export \"$1\" -o - --format csv | true; "
                                      "exit ${PIPESTATUS[0]}"}}) {
        SCOPED_TRACE(c.name);
        QProcess p;
        p.start(QStringLiteral("bash"), {QStringLiteral("-c"), QString::fromLatin1(c.script),
                                         QStringLiteral(ZM540VET_CLI), dog});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 1) << err.toStdString();
        EXPECT_TRUE(err.startsWith(QStringLiteral("zm540vet-cli: -: "))) << err.toStdString();
    }
}

TEST(CliWrites, InfoOnAFileWithoutARecordingSaysSo) {
    QTemporaryDir dir;
    WriteAll(dir.filePath("empty.vecg"), {});
    const CliRun r = Cli({"info", dir.filePath("empty.vecg")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("Recording:       none (the file holds no samples)")));
    EXPECT_FALSE(r.out.contains(QStringLiteral("1970")));
}

namespace {

// A 12-lead recording made on 2023-11-14 (1700000000 s), with an owner and a name entered.
QByteArray RecordingOfRex(DocFixture& f) {
    f.Record(true, 600, 8);
    RecordingDetails d;
    d.name = QStringLiteral("Rex");
    d.owner = QStringLiteral("Frau Müller");
    d.notes = QStringLiteral("Sedated.\nRecheck in 2 weeks.");
    f.doc->SetDetails(d);
    EXPECT_TRUE(f.doc->OnSaveDocument(f.Path("rex.vecg")));
    QByteArray bytes = ReadAll(f.Path("rex.vecg"));
    const QByteArray recorded("\x00\xF1\x53\x65", 4); // 1700000000, little-endian
    bytes.replace(24, 4, recorded);
    WriteAll(f.Path("rex.vecg"), bytes);
    return bytes;
}

} // namespace

TEST(CliDetails, SetsTheGivenFieldsKeepsTheOthersAndInfoShowsThem) {
    DocFixture f;
    const QByteArray in = RecordingOfRex(f);
    const CliRun set = Cli({"details", f.Path("rex.vecg"), "-o", f.Path("out.vecg"), "--name",
                            "Чук", "--species", "cat", "--sex", "male-neutered", "--born",
                            "2015-06-01", "--weight", "4.25", "--case", "K 9"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(set.err.isEmpty()) << set.err.toStdString();
    const QByteArray out = ReadAll(f.Path("out.vecg"));
    EXPECT_EQ(out.left(48 + 6 * 600), in.left(48 + 6 * 600)); // header and samples as they were

    DocFixture g;
    ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("out.vecg")));
    RecordingDetails expected;
    expected.name = QStringLiteral("Чук");
    expected.species = Species::Cat;
    expected.sex = Sex::MaleNeutered;
    expected.born = QDate(2015, 6, 1);
    expected.weightKg = 4.25;
    expected.owner = QStringLiteral("Frau Müller");
    expected.caseNumber = QStringLiteral("K 9");
    expected.notes = QStringLiteral("Sedated.\nRecheck in 2 weeks.");
    EXPECT_EQ(g.doc->m_details, expected);

    // The age is the one on the day of the recording: 8 years and 5 months.
    const CliRun info = Cli({"info", f.Path("out.vecg")});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.endsWith("Bits per sample: 8\n"
                                  "Heart rate:      —\n"
                                  "Axis:            —\n"
                                  "Animal:          Чук\n"
                                  "Species:         Cat\n"
                                  "Sex:             Male neutered\n"
                                  "Born:            2015-06-01 (8 y)\n"
                                  "Weight:          4.25 kg\n"
                                  "Owner:           Frau Müller\n"
                                  "Case:            K 9\n"
                                  "Notes:           Sedated.\n"
                                  "                 Recheck in 2 weeks.\n"))
        << info.out.toStdString();

    // An empty value clears a field; a .vecg export keeps the details byte for byte.
    ASSERT_EQ(Cli({"details", f.Path("out.vecg"), "-o", f.Path("cleared.vecg"), "--owner", "",
                   "--weight", "", "--notes", ""})
                  .exitCode,
              0);
    const CliRun cleared = Cli({"info", f.Path("cleared.vecg")});
    EXPECT_FALSE(cleared.out.contains("Owner:")) << cleared.out.toStdString();
    EXPECT_FALSE(cleared.out.contains("Weight:"));
    EXPECT_TRUE(cleared.out.contains("Case:            K 9"));
    ASSERT_EQ(Cli({"export", f.Path("out.vecg"), "-o", f.Path("export.vecg"), "--format", "vecg"})
                  .exitCode,
              0);
    EXPECT_EQ(ReadAll(f.Path("export.vecg")), out);

    // Without details info prints none, and details without options copies the file as it is.
    DocFixture plain;
    plain.Record(false, 300);
    ASSERT_TRUE(plain.doc->OnSaveDocument(plain.Path("plain.vecg")));
    EXPECT_TRUE(Cli({"info", plain.Path("plain.vecg")})
                    .out.endsWith("Bits per sample: 8\nHeart rate:      —\n"));
    ASSERT_EQ(Cli({"details", plain.Path("plain.vecg"), "-o", plain.Path("copy.vecg")}).exitCode,
              0);
    EXPECT_EQ(ReadAll(plain.Path("copy.vecg")), ReadAll(plain.Path("plain.vecg")));
}

TEST(CliDetails, BadValuesAreOneLineAndWriteNothing) {
    DocFixture f;
    RecordingOfRex(f);
    const QString in = f.Path("rex.vecg");
    const QString out = f.Path("out.vecg");
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"--born", "2023-02-30"}, "--born"},
        {{"--born", "14.11.2023"}, "--born"},
        {{"--born", "2999-01-01"}, "future"},
        {{"--weight", "0"}, "--weight"},
        {{"--weight", "-3"}, "--weight"},
        {{"--weight", "12kg"}, "--weight"},
        {{"--weight", "nan"}, "--weight"},
        {{"--species", "fish"}, "dog, cat, horse or other"},
        {{"--sex", "neutered"}, "male-neutered"},
        {{"--format", "vecg"}, "--format"},
        {{"-o", "-"}, "file name"},
    };
    const QStringList before =
        QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QStringList args{"details", in};
        if (!c.args.contains("-o"))
            args << "-o" << out;
        const CliRun r = Cli(args + c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }
    // Details need an output, and belong to the details command only.
    for (const QStringList& args :
         {QStringList{"details", in, "--name", "Rex"}, QStringList{"info", in, "--name", "Rex"},
          QStringList{"export", in, "-o", out, "--format", "vecg", "--species", "dog"}}) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}
