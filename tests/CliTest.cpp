#include "TestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

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
