// zm540vet-cli: reads ".vecg" recordings through the program's own document, prints their
// header and exports their traces as CSV or writes them again as ".vecg".
#include "CsvExport.h"
#include "Leads.h"
#include "ProfileSettings.h"
#include "StderrPrompter.h"
#include "ZM540Doc.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

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

void PrintInfo(const CZM540Doc& doc, const QString& path) {
    const EcgFileHeader& h = doc.m_header;
    QTextStream out(stdout);
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

bool WriteAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    if (path == QLatin1String("-")) {
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zm540vet-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads ZM540 Vet ECG recordings (.vecg).\n\n"
        "  info FILE                     print the recording's header and size\n"
        "  export FILE -o OUT --format csv|vecg [--cutoff 0|100|40] [--raw]\n"
        "                                write the traces as CSV (millivolts), or the\n"
        "                                recording again as .vecg"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("info or export"));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("a .vecg recording"));
    const QCommandLineOption outOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Output file (\"-\" for standard output, CSV only)."),
        QStringLiteral("out"));
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("csv or vecg."),
                                          QStringLiteral("format"));
    const QCommandLineOption cutoffOption(
        QStringLiteral("cutoff"),
        QStringLiteral("Filter class to apply first: 0 (Unfiltered), 100 or 40 (Hz)."),
        QStringLiteral("hz"));
    const QCommandLineOption rawOption(QStringLiteral("raw"),
                                       QStringLiteral("CSV of the stored sample values."));
    parser.addOptions({outOption, formatOption, cutoffOption, rawOption});

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
    if (!bExport && command != QLatin1String("info"))
        return Fail(QStringLiteral("unknown command \"%1\"; see --help").arg(command));

    const QString format = parser.value(formatOption);
    int nCutoffClass = -1;
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
    } else if (parser.isSet(outOption) || parser.isSet(formatOption) ||
               parser.isSet(cutoffOption) || parser.isSet(rawOption)) {
        return Fail(QStringLiteral("info takes no options"));
    }

    // The command-line tool never reads or writes the user's profile: default settings.
    ProfileSettings settings;
    StderrPrompter prompter(QStringLiteral("zm540vet-cli"));
    prompter.SetContext(inPath);
    auto doc = std::make_unique<CZM540Doc>(settings, prompter);
    if (!doc->OnOpenDocument(inPath) || prompter.Failed())
        return 1;

    if (!bExport) {
        PrintInfo(*doc, inPath);
        return 0;
    }
    if (nCutoffClass >= 0)
        doc->OnFilterSelect(nCutoffClass);

    const QString outPath = parser.value(outOption);
    if (format == QLatin1String("vecg")) {
        if (outPath == QLatin1String("-"))
            return Fail(QStringLiteral("vecg output needs a file name"));
        prompter.SetContext(outPath);
        return doc->OnSaveDocument(outPath) ? 0 : 1;
    }
    QString error;
    if (!WriteAtomically(outPath, TracesAsCsv(*doc, parser.isSet(rawOption)), &error))
        return Fail(QStringLiteral("%1: %2").arg(outPath, error));
    return 0;
}
