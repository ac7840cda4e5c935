// zm540vet-cli: reads ".vecg" recordings through the program's own document, prints their
// header and details, exports their traces as CSV or writes them again as ".vecg", sets their
// details, and draws their printed page as PDF, SVG or PNG.
#include "ChartScale.h"
#include "CsvExport.h"
#include "EdfExport.h"
#include "Leads.h"
#include "Measurements.h"
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
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace {

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

int Fail(const QString& message) {
    Err() << "zm540vet-cli: " << message << Qt::endl;
    return 1;
}

// Whether `text` is exactly one of `choices`, written as a plain number.
template <std::size_t N> bool OneOf(const QString& text, const std::array<int, N>& choices) {
    for (int v : choices)
        if (text == QString::number(v))
            return true;
    return false;
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
    const auto scratch = std::make_unique<MeasurementScratch>();
    const EcgMeasurements m = MeasureRecording(doc, *scratch);
    out << "Heart rate:      " << RateText(m.rateBpm) << '\n';
    if (doc.m_bTwelveLead)
        out << "Axis:            " << AxisText(m.axisDeg) << '\n';
}

// One "Label:          value" line, aligned with the header's; later lines of the value are
// indented to match.
void PrintField(QTextStream& out, const char* label, const QString& value) {
    if (value.isEmpty())
        return;
    const QString indent(17, QLatin1Char(' '));
    out << (QLatin1String(label) + QLatin1Char(':')).leftJustified(17)
        << QString(value).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent) << '\n';
}

// The recording's details, one line for each field entered; the age is the animal's when it was
// recorded.
void PrintDetails(const CZM540Doc& doc) {
    const RecordingDetails& d = doc.m_details;
    const QDate recorded =
        doc.m_nSamples > 0 ? QDateTime::fromSecsSinceEpoch(doc.m_header.tRecorded, Qt::UTC).date()
                           : QDate::currentDate();
    QTextStream out(stdout);
    PrintField(out, "Animal", d.name);
    PrintField(out, "Species", SpeciesText(d.species));
    PrintField(out, "Breed", d.breed);
    PrintField(out, "Sex", SexText(d.sex));
    if (d.born.isValid()) {
        const QString age = AgeText(d, recorded);
        PrintField(out, "Born",
                   d.born.toString(Qt::ISODate) +
                       (age.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(age)));
    }
    PrintField(out, "Age", d.age);
    if (d.weightKg)
        PrintField(out, "Weight", WeightText(*d.weightKg));
    PrintField(out, "Owner", d.owner);
    PrintField(out, "Case", d.caseNumber);
    PrintField(out, "Clinician", d.clinician);
    PrintField(out, "Notes", d.notes);
}

// The details command's options, one for each field.
struct DetailsOption {
    const char* name;
    const char* value;
    const char* help;
};
constexpr DetailsOption kDetailsOptions[] = {
    {"name", "text", "details: the animal's name."},
    {"species", "species", "details: dog, cat, horse or other."},
    {"breed", "text", "details: the breed."},
    {"sex", "sex", "details: male, female, male-neutered or female-spayed."},
    {"born", "date", "details: date of birth, YYYY-MM-DD."},
    {"age", "text", "details: the age as free text, for an unknown birth date."},
    {"weight", "kg", "details: weight in kilograms."},
    {"owner", "text", "details: the owner."},
    {"case", "text", "details: patient or case number."},
    {"clinician", "text", "details: the clinician."},
    {"notes", "text", "details: free notes."},
};

// The command-line word for a species or sex name: "Male neutered" is "male-neutered".
QString Keyword(const QString& name) {
    return name.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

// Sets the fields whose options are given (an empty value clears the field); false with the
// reason in `error` for a value that does not fit its field.
bool ApplyDetailsOptions(const QCommandLineParser& parser, RecordingDetails* d, QString* error) {
    auto given = [&](const char* name, QString* value) {
        if (!parser.isSet(QLatin1String(name)))
            return false;
        *value = parser.value(QLatin1String(name));
        return true;
    };
    QString v;
    for (const auto& [name, field] :
         {std::pair{"name", &RecordingDetails::name}, std::pair{"breed", &RecordingDetails::breed},
          std::pair{"age", &RecordingDetails::age}, std::pair{"owner", &RecordingDetails::owner},
          std::pair{"case", &RecordingDetails::caseNumber},
          std::pair{"clinician", &RecordingDetails::clinician},
          std::pair{"notes", &RecordingDetails::notes}})
        if (given(name, &v))
            d->*field = v;
    if (given("species", &v)) {
        QStringList keys;
        bool bFound = v.isEmpty();
        d->species = Species::Unknown;
        for (const SpeciesReference& r : kSpeciesReferences) {
            if (r.species == Species::Unknown)
                continue;
            const QString key = Keyword(SpeciesText(r.species));
            keys << key;
            if (v.compare(key, Qt::CaseInsensitive) == 0) {
                d->species = r.species;
                bFound = true;
            }
        }
        if (!bFound) {
            *error = QStringLiteral("--species must be %1 or %2")
                         .arg(keys.mid(0, keys.size() - 1).join(QStringLiteral(", ")), keys.last());
            return false;
        }
    }
    if (given("sex", &v)) {
        QStringList keys;
        bool bFound = v.isEmpty();
        d->sex = Sex::Unknown;
        for (const SexName& s : kSexNames) {
            if (s.sex == Sex::Unknown)
                continue;
            const QString key = Keyword(SexText(s.sex));
            keys << key;
            if (v.compare(key, Qt::CaseInsensitive) == 0) {
                d->sex = s.sex;
                bFound = true;
            }
        }
        if (!bFound) {
            *error = QStringLiteral("--sex must be %1 or %2")
                         .arg(keys.mid(0, keys.size() - 1).join(QStringLiteral(", ")), keys.last());
            return false;
        }
    }
    if (given("born", &v)) {
        const QDate born = QDate::fromString(v, Qt::ISODate);
        if (!v.isEmpty() && (!born.isValid() || born.toString(Qt::ISODate) != v)) {
            *error = QStringLiteral("--born must be a date as YYYY-MM-DD, not \"%1\"").arg(v);
            return false;
        }
        if (born > QDate::currentDate()) {
            *error = QStringLiteral("--born %1 lies in the future").arg(v);
            return false;
        }
        d->born = born;
    }
    if (given("weight", &v)) {
        bool ok = false;
        const double kg = v.toDouble(&ok);
        if (!v.isEmpty() && !(ok && std::isfinite(kg) && kg > 0.0)) {
            *error = QStringLiteral("--weight must be a positive number of kilograms, not \"%1\"")
                         .arg(v);
            return false;
        }
        d->weightKg = v.isEmpty() ? std::nullopt : std::optional<double>(kg);
    }
    return true;
}

// zm540vet-cli details FILE [field options] -o OUT: a copy of FILE with the given fields set.
int RunDetails(const QCommandLineParser& parser, const QString& inPath) {
    for (const char* other : {"format", "cutoff", "raw", "mono", "colour", "paper", "settings"})
        if (parser.isSet(QLatin1String(other)))
            return Fail(QStringLiteral("details takes no --%1").arg(QLatin1String(other)));
    const QString outPath = parser.value(QStringLiteral("output"));
    if (outPath.isEmpty())
        return Fail(QStringLiteral("details needs -o OUT"));
    if (outPath == QLatin1String("-"))
        return Fail(QStringLiteral("details output needs a file name"));

    ProfileSettings settings;
    StderrPrompter prompter(QStringLiteral("zm540vet-cli"));
    prompter.SetContext(inPath);
    auto doc = std::make_unique<CZM540Doc>(settings, prompter);
    if (!doc->OnOpenDocument(inPath) || prompter.Failed())
        return 1;
    RecordingDetails details = doc->m_details;
    QString error;
    if (!ApplyDetailsOptions(parser, &details, &error))
        return Fail(error);
    doc->SetDetails(details);
    prompter.SetContext(outPath);
    return doc->SaveCopy(outPath) ? 0 : 1;
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
        "  export FILE -o OUT --format csv|edf|vecg [--cutoff 0|100|40] [--raw]\n"
        "                                write the traces as CSV or EDF+ (millivolts), or\n"
        "                                the recording again as .vecg\n"
        "  page FILE -o OUT [--format pdf|svg|png] [--mono|--colour] [--paper A4|Letter]\n"
        "       [--speed 25|50] [--gain 5|10|20]\n"
        "       [--settings INI]         draw the printed page: PDF as printed on an A4 or\n"
        "                                Letter sheet, SVG and PNG as the 290 x 170 mm\n"
        "                                picture; the print options come from the user's\n"
        "                                profile (read only) or the INI file\n"
        "  details FILE -o OUT [--name ..] [--species dog|cat|horse|other] [--breed ..]\n"
        "       [--sex male|female|male-neutered|female-spayed] [--born YYYY-MM-DD] [--age ..]\n"
        "       [--weight KG] [--owner ..] [--case ..] [--clinician ..] [--notes ..]\n"
        "                                write a copy with the given details set and the\n"
        "                                others kept; an empty value clears a field"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("info, export, page or details"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("a .vecg recording"));
    const QCommandLineOption outOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Output file (\"-\" for standard output, CSV only)."),
        QStringLiteral("out"));
    const QCommandLineOption formatOption(
        QStringLiteral("format"), QStringLiteral("csv, edf or vecg; for page pdf, svg or png."),
        QStringLiteral("format"));
    const QCommandLineOption cutoffOption(
        QStringLiteral("cutoff"),
        QStringLiteral("Filter class to apply first: 0 (Unfiltered), 100 or 40 (Hz)."),
        QStringLiteral("hz"));
    const QCommandLineOption rawOption(QStringLiteral("raw"),
                                       QStringLiteral("CSV or EDF+ of the stored sample values."));
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
    const QCommandLineOption speedOption(QStringLiteral("speed"),
                                         QStringLiteral("The page's paper speed: 25 or 50 mm/s."),
                                         QStringLiteral("mm/s"));
    const QCommandLineOption gainOption(QStringLiteral("gain"),
                                        QStringLiteral("The page's gain: 5, 10 or 20 mm/mV."),
                                        QStringLiteral("mm/mV"));
    parser.addOptions({outOption, formatOption, cutoffOption, rawOption, monoOption, colourOption,
                       paperOption, speedOption, gainOption, settingsOption});
    for (const DetailsOption& o : kDetailsOptions)
        parser.addOption(QCommandLineOption(QLatin1String(o.name), QLatin1String(o.help),
                                            QLatin1String(o.value)));

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
    if (command == QLatin1String("details"))
        return RunDetails(parser, inPath);
    for (const DetailsOption& o : kDetailsOptions)
        if (parser.isSet(QLatin1String(o.name)))
            return Fail(QStringLiteral("--%1 applies to details only").arg(QLatin1String(o.name)));
    const bool bExport = command == QLatin1String("export");
    const bool bPage = command == QLatin1String("page");
    if (!bExport && !bPage && command != QLatin1String("info"))
        return Fail(QStringLiteral("unknown command \"%1\"; see --help").arg(command));
    const bool bPageOptions = parser.isSet(monoOption) || parser.isSet(colourOption) ||
                              parser.isSet(paperOption) || parser.isSet(settingsOption) ||
                              parser.isSet(speedOption) || parser.isSet(gainOption);

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
        if (parser.isSet(speedOption) && !OneOf(parser.value(speedOption), kChartSpeeds))
            return Fail(QStringLiteral("--speed must be 25 or 50"));
        if (parser.isSet(gainOption) && !OneOf(parser.value(gainOption), kChartGains))
            return Fail(QStringLiteral("--gain must be 5, 10 or 20"));
    } else if (bPageOptions) {
        return Fail(QStringLiteral(
            "--mono, --colour, --paper, --speed, --gain and --settings apply to page only"));
    }
    if (bExport) {
        if (!parser.isSet(outOption))
            return Fail(QStringLiteral("export needs -o OUT"));
        if (format != QLatin1String("csv") && format != QLatin1String("edf") &&
            format != QLatin1String("vecg"))
            return Fail(QStringLiteral("--format must be csv, edf or vecg"));
        if (parser.isSet(rawOption) && format == QLatin1String("vecg"))
            return Fail(QStringLiteral("--raw applies to csv and edf only"));
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
        if (parser.isSet(speedOption))
            settings.Speed = parser.value(speedOption).toInt();
        if (parser.isSet(gainOption))
            settings.Gain = parser.value(gainOption).toInt();
    }
    StderrPrompter prompter(QStringLiteral("zm540vet-cli"));
    prompter.SetContext(inPath);
    auto doc = std::make_unique<CZM540Doc>(settings, prompter);
    if (!doc->OnOpenDocument(inPath) || prompter.Failed())
        return 1;

    if (!bExport && !bPage) {
        PrintHeader(*doc, inPath);
        PrintDetails(*doc);
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
    if (format == QLatin1String("edf")) {
        if (outPath == QLatin1String("-"))
            return Fail(QStringLiteral("edf output needs a file name"));
        const QByteArray bytes = DocumentAsEdf(*doc, parser.isSet(rawOption), &error);
        if (bytes.isEmpty())
            return Fail(QStringLiteral("%1: %2").arg(inPath, error));
        if (!WriteFileSafely(outPath, bytes, &error))
            return Fail(QStringLiteral("%1: %2").arg(outPath, error));
        return 0;
    }
    if (!WriteOut(outPath, TracesAsCsv(*doc, parser.isSet(rawOption)), &error))
        return Fail(QStringLiteral("%1: %2").arg(outPath, error));
    return 0;
}
