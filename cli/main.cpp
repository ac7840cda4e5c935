// zm540vet-cli: reads ".vecg" recordings through the program's own document, prints their
// header, exports their traces as CSV or writes them again as ".vecg", and draws their printed
// page as PDF, SVG or PNG.
#include "CsvExport.h"
#include "Leads.h"
#include "PageOutputs.h"
#include "ProfileSettings.h"
#include "SafeWrite.h"
#include "StderrPrompter.h"
#include "ZM540Doc.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Fail(const QString& message) {
    Err() << "zm540vet-cli: " << message << Qt::endl;
    return 1;
}

QString Number(double v) {
    return QString::number(v, 'g', 17);
}

QString CutoffText(double cutoff) {
    const int nClass = ClassOfCutoff(cutoff);
    return Number(cutoff) + QStringLiteral(" Hz") +
           (nClass >= 0 ? QStringLiteral(" (%1)").arg(QLatin1String(kFilterClasses[nClass].label))
                        : QStringLiteral(" (not a filter class; shown unfiltered if unusable)"));
}

void PrintHeader(const CZM540Doc& doc, const QString& path) {
    const EcgFileHeader& h = doc.m_header;
    QTextStream out(stdout);
    if (doc.m_nSamples == 0) {
        // An empty file, or one saved before anything was recorded: no header worth showing.
        out << "File:            " << path << '\n'
            << "Recording:       none (the file holds no samples)\n";
        return;
    }
    const int lead = doc.m_nRhythmLead;
    QString leadText = QStringLiteral("%1 (%2)").arg(lead).arg(
        QLatin1String(kLeadNames[std::size_t(doc.RhythmLead())]));
    if (lead != doc.RhythmLead())
        leadText += QStringLiteral(", not a limb lead: shown as II");
    out << "File:            " << path << '\n'
        << "Mode:            " << (doc.m_bTwelveLead ? "12-lead" : "monitoring") << '\n'
        << "Lead count byte: " << h.byLeads << '\n'
        << "Rhythm lead:     " << leadText << '\n'
        << "Cutoff:          " << CutoffText(doc.m_dCutoff) << '\n'
        << "Samples:         " << doc.m_nSamples << '\n'
        << "Duration:        " << QString::number(doc.m_nSamples / kSampleRate, 'f', 3) << " s\n"
        << "Recorded:        "
        << QDateTime::fromSecsSinceEpoch(h.tRecorded, Qt::UTC).toString(Qt::ISODate) << " ("
        << h.tRecorded << ")\n"
        << "Format:          " << h.wFormat << '\n'
        << "Sample rate:     " << h.wSampleRate << '\n'
        << "Units per mV:    " << h.wUnitsPerMv << '\n'
        << "Bits per sample: " << h.wBitsPerSample << '\n';
}

// Standard output ("-") or a file written safely.
bool WriteOut(const QString& path, const QByteArray& bytes, QString* error) {
    if (path != QLatin1String("-"))
        return WriteFileSafely(path, bytes, error);
    errno = 0;
    const bool bWritten = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) ==
                              std::size_t(bytes.size()) &&
                          std::fflush(stdout) == 0;
    if (!bWritten)
        *error = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    return bWritten;
}

} // namespace

int main(int argc, char* argv[]) {
    DropRuntimeDirNote();
    // A closed pipe on standard output is a failed write to report, not a silent end.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Pages are drawn without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zm540vet-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads ZM540 Vet ECG recordings (.vecg).\n\n"
        "  info FILE                     print the recording's header and size\n"
        "  export FILE -o OUT --format csv|vecg [--cutoff 0|100|40] [--raw]\n"
        "                                write the traces as CSV (millivolts), or the\n"
        "                                recording again as .vecg\n"
        "  page FILE -o OUT [--format pdf|svg|png] [--mono|--colour] [--paper A4|Letter]\n"
        "       [--settings INI]         draw the printed page: PDF as printed on an A4 or\n"
        "                                Letter sheet, SVG and PNG as the 290 x 170 mm\n"
        "                                picture; the print options come from the user's\n"
        "                                profile (read only) or the INI file"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("info, export or page"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("a .vecg recording"));
    const QCommandLineOption outOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Output file (\"-\" for standard output, CSV only)."),
        QStringLiteral("out"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("csv or vecg; for page pdf, svg or png."),
                                          QStringLiteral("format"));
    const QCommandLineOption cutoffOption(
        QStringLiteral("cutoff"),
        QStringLiteral("Filter class to apply first: 0 (Unfiltered), 100 or 40 (Hz)."),
        QStringLiteral("hz"));
    const QCommandLineOption rawOption(QStringLiteral("raw"),
                                       QStringLiteral("CSV of the stored sample values."));
    const QCommandLineOption monoOption(QStringLiteral("mono"),
                                        QStringLiteral("Page in the monochrome print options."));
    const QCommandLineOption colourOption(QStringLiteral("colour"),
                                          QStringLiteral("Page in the colour print options."));
    const QCommandLineOption paperOption(QStringLiteral("paper"),
                                         QStringLiteral("The PDF page's sheet: A4 or Letter."),
                                         QStringLiteral("paper"));
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
                                            QStringLiteral("Print options from this INI file."),
                                            QStringLiteral("ini"));
    parser.addOptions({outOption, formatOption, cutoffOption, rawOption, monoOption, colourOption,
                       paperOption, settingsOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return Fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2)
        return Fail(QStringLiteral("expected a command and one file; see --help"));
    const QString command = args[0];
    const QString inPath = args[1];
    const bool bExport = command == QLatin1String("export");
    const bool bPage = command == QLatin1String("page");
    if (!bExport && !bPage && command != QLatin1String("info"))
        return Fail(QStringLiteral("unknown command \"%1\"; see --help").arg(command));
    const bool bPageOptions = parser.isSet(monoOption) || parser.isSet(colourOption) ||
                              parser.isSet(paperOption) || parser.isSet(settingsOption);

    const QString format = parser.value(formatOption);
    int nCutoffClass = -1;
    PageFormat pageFormat = PageFormat::Pdf;
    Paper paper = Paper::A4;
    if (bPage) {
        if (!parser.isSet(outOption))
            return Fail(QStringLiteral("page needs -o OUT"));
        if (parser.isSet(cutoffOption) || parser.isSet(rawOption))
            return Fail(QStringLiteral("page takes no --cutoff or --raw"));
        if (parser.isSet(monoOption) && parser.isSet(colourOption))
            return Fail(QStringLiteral("--mono and --colour exclude each other"));
        if (parser.isSet(formatOption)) {
            if (!FormatOfPath(QStringLiteral("page.") + format, &pageFormat))
                return Fail(QStringLiteral("--format must be pdf, svg or png"));
        } else if (!FormatOfPath(parser.value(outOption), &pageFormat)) {
            return Fail(QStringLiteral("cannot tell the format of \"%1\": name it .pdf, .svg or "
                                       ".png, or give --format")
                            .arg(parser.value(outOption)));
        }
        const QString paperName = parser.value(paperOption);
        if (parser.isSet(paperOption) && paperName != QLatin1String("A4") &&
            paperName != QLatin1String("Letter"))
            return Fail(QStringLiteral("--paper must be A4 or Letter"));
        if (parser.isSet(paperOption) && pageFormat != PageFormat::Pdf)
            return Fail(QStringLiteral("--paper applies to pdf only"));
        paper = paperName == QLatin1String("Letter") ? Paper::Letter : Paper::A4;
    } else if (bPageOptions) {
        return Fail(QStringLiteral("--mono, --colour, --paper and --settings apply to page only"));
    }
    if (bExport) {
        if (!parser.isSet(outOption))
            return Fail(QStringLiteral("export needs -o OUT"));
        if (format != QLatin1String("csv") && format != QLatin1String("vecg"))
            return Fail(QStringLiteral("--format must be csv or vecg"));
        if (parser.isSet(rawOption) && format != QLatin1String("csv"))
            return Fail(QStringLiteral("--raw applies to csv only"));
        if (parser.isSet(cutoffOption)) {
            bool ok = false;
            const double cutoff = parser.value(cutoffOption).toDouble(&ok);
            nCutoffClass = ok ? ClassOfCutoff(cutoff) : -1;
            if (nCutoffClass < 0)
                return Fail(QStringLiteral("--cutoff must be 0, 100 or 40"));
        }
    } else if (!bPage && (parser.isSet(outOption) || parser.isSet(formatOption) ||
                          parser.isSet(cutoffOption) || parser.isSet(rawOption))) {
        return Fail(QStringLiteral("info takes no options"));
    }

    // The command-line tool never writes the user's profile; only page reads it, for the print
    // options. Everything else works with default settings.
    ProfileSettings settings;
    if (bPage) {
        std::unique_ptr<QSettings> profile;
        if (parser.isSet(settingsOption)) {
            const QString ini = parser.value(settingsOption);
            if (!QFileInfo(ini).isFile())
                return Fail(QStringLiteral("%1: no such settings file").arg(ini));
            profile = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        } else {
            profile = std::make_unique<QSettings>(QString::fromLatin1(kProfileCompany),
                                                  QString::fromLatin1(kProfileApplication));
        }
        LoadSettings(*profile, settings);
        if (parser.isSet(monoOption) || parser.isSet(colourOption))
            settings.PrintInColour = parser.isSet(colourOption) ? 1 : 0;
    }
    StderrPrompter prompter(QStringLiteral("zm540vet-cli"));
    prompter.SetContext(inPath);
    auto doc = std::make_unique<CZM540Doc>(settings, prompter);
    if (!doc->OnOpenDocument(inPath) || prompter.Failed())
        return 1;

    if (!bExport && !bPage) {
        PrintHeader(*doc, inPath);
        return 0;
    }
    const QString outPath = parser.value(outOption);
    QString error;
    if (bPage) {
        if (outPath == QLatin1String("-"))
            return Fail(QStringLiteral("page output needs a file name"));
        const QByteArray bytes =
            PageFile(DocumentPage(*doc, ReadPrintStyle(settings)), pageFormat, paper);
        if (bytes.isEmpty())
            return Fail(QStringLiteral("%1: the page could not be drawn").arg(outPath));
        if (!WriteOut(outPath, bytes, &error))
            return Fail(QStringLiteral("%1: %2").arg(outPath, error));
        return 0;
    }
    if (nCutoffClass >= 0)
        doc->OnFilterSelect(nCutoffClass);

    if (format == QLatin1String("vecg")) {
        if (outPath == QLatin1String("-"))
            return Fail(QStringLiteral("vecg output needs a file name"));
        prompter.SetContext(outPath);
        return doc->OnSaveDocument(outPath) ? 0 : 1;
    }
    if (!WriteOut(outPath, TracesAsCsv(*doc, parser.isSet(rawOption)), &error))
        return Fail(QStringLiteral("%1: %2").arg(outPath, error));
    return 0;
}
