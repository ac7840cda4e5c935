#include "CommandLine.h"

#include "Leads.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

QStringList LimbLeadNames() {
    QStringList names;
    for (int i = 0; i < kLimbLeadCount; ++i)
        names << QLatin1String(kLeadNames[std::size_t(i)]);
    return names;
}

QStringList FilterClassNames() {
    QStringList names;
    for (const FilterClass& c : kFilterClasses)
        names << QLatin1String(c.label);
    return names;
}

// The names as a sentence lists them: "A, B or C".
QString OneOf(const QStringList& names) {
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           names.last();
}

} // namespace

bool AsksForPrint(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const QLatin1String arg(argv[i]);
        if (arg == QLatin1String("--print") || arg.startsWith(QLatin1String("--print=")))
            return true;
    }
    return false;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZM540 Vet: veterinary electrocardiography "
                                                    "with the KS770Vet recorder."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Keep the settings in the INI file <file> instead of the user profile."),
        QStringLiteral("file"));
    const QCommandLineOption splash(QStringLiteral("splash"),
                                    QStringLiteral("Show the start-up picture."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Record from the built-in emulated recorder (as port COM1) in this run."));
    const QCommandLineOption animal(
        QStringLiteral("demo-animal"),
        QStringLiteral("The emulated recorder's patient: dog (the default) or cat."),
        QStringLiteral("animal"));
    const QCommandLineOption device(
        QStringLiteral("serial-device"),
        QStringLiteral("Record from the serial device <path> in this run."),
        QStringLiteral("path"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("12lead or monitor."),
                                  QStringLiteral("mode"));
    const QStringList leadNames = LimbLeadNames();
    const QStringList filterNames = FilterClassNames();
    const QString leads = OneOf(leadNames);
    const QString filters = OneOf(filterNames);
    const QCommandLineOption lead(QStringLiteral("lead"),
                                  QStringLiteral("Rhythm or monitored lead: %1.").arg(leads),
                                  QStringLiteral("lead"));
    const QCommandLineOption filter(QStringLiteral("filter"),
                                    QStringLiteral("Filter class: %1.").arg(filters),
                                    QStringLiteral("class"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Record for <seconds> as the Record button does, save to the --save file "
                       "and exit. Messages go to standard error."),
        QStringLiteral("seconds"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Where --record saves the recording."),
                                  QStringLiteral("file"));
    const QCommandLineOption firstPaint(
        QStringLiteral("time-first-paint"),
        QStringLiteral("Print the time of the first paint of the ECG (milliseconds since 1970) and "
                       "exit; for measuring start-up."));
    const QCommandLineOption timeSession(
        QStringLiteral("time-session"),
        QStringLiteral("With --record: print the processor time the session used, from its start "
                       "to its stop; for measuring."));
    const QCommandLineOption print(
        QStringLiteral("print"),
        QStringLiteral("Print the page of the recording <file> without a dialog and exit; needs "
                       "no display and leaves the settings as they are."),
        QStringLiteral("file"));
    const QCommandLineOption printer(QStringLiteral("printer"),
                                     QStringLiteral("With --print: the printer to use instead of "
                                                    "the default one."),
                                     QStringLiteral("name"));
    const QCommandLineOption embedding(
        QStringLiteral("embedding"),
        QStringLiteral("Edit the recording that another program holds in <file>: Update (Ctrl+S) "
                       "writes it back. Exit status 0 when it was updated, 3 when not, 1 on an "
                       "error."),
        QStringLiteral("file"));
    parser.addOption(settings);
    parser.addOptions({print, printer, embedding});
    parser.addOption(splash);
    parser.addOption(firstPaint);
    parser.addOption(timeSession);
    parser.addOptions({demo, animal, device, mode, lead, filter, record, save});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A .vecg recording to open."),
                                 QStringLiteral("[file]"));

    CommandLine cmd;
    if (!parser.parse(arguments)) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage = parser.errorText();
        return cmd;
    }
    if (parser.isSet(help)) {
        cmd.action = CommandLine::Action::Help;
        cmd.strMessage = parser.helpText();
        return cmd;
    }
    if (parser.isSet(version)) {
        cmd.action = CommandLine::Action::Version;
        cmd.strMessage = QStringLiteral("zm540vet ") + QCoreApplication::applicationVersion();
        return cmd;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage =
            QStringLiteral("Only one file can be opened; %1 were given.").arg(files.size());
        return cmd;
    }
    auto fail = [&cmd](const QString& message) {
        cmd.action = CommandLine::Action::Error;
        cmd.strMessage = message;
        return cmd;
    };
    if (parser.isSet(mode)) {
        const QString m = parser.value(mode);
        if (m != QLatin1String("12lead") && m != QLatin1String("monitor"))
            return fail(QStringLiteral("--mode must be 12lead or monitor."));
        cmd.nMode = m == QLatin1String("12lead") ? 1 : 0;
    }
    if (parser.isSet(lead)) {
        cmd.nLead = int(leadNames.indexOf(parser.value(lead)));
        if (cmd.nLead < 0)
            return fail(QStringLiteral("--lead must be %1.").arg(leads));
    }
    if (parser.isSet(filter)) {
        cmd.nFilter = int(filterNames.indexOf(parser.value(filter)));
        if (cmd.nFilter < 0)
            return fail(QStringLiteral("--filter must be %1.").arg(filters));
    }
    if (parser.isSet(record) != parser.isSet(save))
        return fail(QStringLiteral("--record and --save go together."));
    if (parser.isSet(record)) {
        bool ok = false;
        cmd.dRecordSeconds = parser.value(record).toDouble(&ok);
        if (!ok || !(cmd.dRecordSeconds > 0.0) || cmd.dRecordSeconds > 3600.0)
            return fail(QStringLiteral("--record needs a number of seconds above 0."));
        cmd.strSavePath = parser.value(save);
    }
    if (parser.isSet(printer) && !parser.isSet(print))
        return fail(QStringLiteral("--printer goes with --print."));
    if (parser.isSet(print) && (!files.isEmpty() || parser.isSet(record)))
        return fail(QStringLiteral("--print takes its file and nothing to open or record."));
    if (parser.isSet(embedding) &&
        (!files.isEmpty() || parser.isSet(record) || parser.isSet(print)))
        return fail(QStringLiteral("--embedding takes its file and nothing to open, record or "
                                   "print."));
    cmd.strEmbeddingFile = parser.value(embedding);
    cmd.strPrintFile = parser.value(print);
    cmd.strPrinter = parser.value(printer);
    const QString patient = parser.value(animal);
    if (parser.isSet(animal) && patient != QLatin1String("dog") && patient != QLatin1String("cat"))
        return fail(QStringLiteral("--demo-animal must be dog or cat."));
    cmd.bDemoCat = patient == QLatin1String("cat");
    cmd.bDemo = parser.isSet(demo);
    cmd.strSerialDevice = parser.value(device);
    cmd.strSettingsFile = parser.value(settings);
    cmd.strFileName = files.value(0);
    cmd.bSplash = parser.isSet(splash);
    cmd.bTimeFirstPaint = parser.isSet(firstPaint);
    cmd.bTimeSession = parser.isSet(timeSession);
    return cmd;
}
