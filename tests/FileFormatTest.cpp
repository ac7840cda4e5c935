#include "TestSupport.h"

#include "EcgFileFormat.h"
#include "ZM540Doc.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <sys/resource.h>

namespace {

const QString kRefusal = QStringLiteral("The is not a valid ZM540Vet ECG file");

// Offsets of the bytes where two files differ.
std::vector<int> DifferingBytes(const QByteArray& a, const QByteArray& b) {
    std::vector<int> diff;
    for (int i = 0; i < std::max(a.size(), b.size()); ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i])
            diff.push_back(i);
    return diff;
}

QByteArray SavedBytes(DocFixture& f, const QString& name) {
    EXPECT_TRUE(f.doc->OnSaveDocument(f.Path(name)));
    return ReadAll(f.Path(name));
}

void Patch(QByteArray& bytes, int offset, const void* data, int size) {
    std::memcpy(bytes.data() + offset, data, std::size_t(size));
}

void PatchCount(QByteArray& bytes, std::int32_t count) {
    uchar le[4];
    qToLittleEndian(count, le);
    Patch(bytes, 44, le, 4);
}

} // namespace

TEST(FileFormat, LayoutAndSizes) {
    struct Case {
        bool bTwelveLead;
        int samples;
        qint64 size;
    };
    for (const Case& c : {Case{true, 3000, 18048}, Case{false, 15000, 15048}, Case{true, 0, 48},
                          Case{false, 0, 48}}) {
        DocFixture f;
        f.Record(c.bTwelveLead, c.samples);
        f.doc->m_nRhythmLead = 4;
        f.doc->m_dCutoff = 40.0;
        const QByteArray bytes = SavedBytes(f, QStringLiteral("r.vecg"));
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_EQ(bytes.left(22), QByteArray("ZM540Vet(c)QRB(a)0+1\x1A\0", 22));
        const uchar* p = reinterpret_cast<const uchar*>(bytes.constData());
        EXPECT_EQ(qFromLittleEndian<quint16>(p + 22), 565);
        EXPECT_NEAR(qFromLittleEndian<qint32>(p + 24), std::time(nullptr), 5);
        EXPECT_EQ(p[28], c.bTwelveLead ? 12 : 1);
        EXPECT_EQ(p[29], 4);
        EXPECT_EQ(qFromLittleEndian<quint16>(p + 30), 300);
        EXPECT_EQ(qFromLittleEndian<quint16>(p + 32), 33);
        EXPECT_EQ(qFromLittleEndian<quint16>(p + 34), 8);
        double cutoff;
        std::memcpy(&cutoff, p + 36, 8);
        EXPECT_EQ(cutoff, 40.0);
        EXPECT_EQ(qFromLittleEndian<qint32>(p + 44), c.samples);
        // Blocks one after another in lead order.
        const int blocks = c.bTwelveLead ? 6 : 1;
        for (int lead = 0; lead < blocks; ++lead) {
            const std::int8_t* record =
                c.bTwelveLead ? f.doc->m_leadRecord[lead].data() : f.doc->m_monitorRecord.data();
            EXPECT_EQ(std::memcmp(p + 48 + lead * c.samples, record, std::size_t(c.samples)), 0)
                << lead;
        }
    }
}

TEST(FileFormat, RoundTripKeepsRecordingAndSettings) {
    for (bool bTwelveLead : {true, false}) {
        DocFixture f;
        f.Record(bTwelveLead, 2345, 9);
        f.doc->m_nRhythmLead = 3;
        f.doc->OnFilterSelect(2);
        ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("a.vecg")));
        EXPECT_FALSE(f.doc->IsModified());
        EXPECT_EQ(f.doc->m_bNewRecord, 1); // saving never turns a new recording into a loaded one

        DocFixture g;
        g.doc->m_bTwelveLead = !bTwelveLead; // the file decides the mode
        ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("a.vecg")));
        EXPECT_TRUE(g.prompter.asked.isEmpty());
        EXPECT_EQ(g.doc->m_bTwelveLead, bTwelveLead ? 1 : 0);
        EXPECT_EQ(g.doc->m_nRhythmLead, 3);
        EXPECT_EQ(g.doc->m_dCutoff, 40.0);
        EXPECT_EQ(g.doc->m_nSamples, 2345);
        EXPECT_EQ(g.doc->m_bNewRecord, 0);
        EXPECT_FALSE(g.doc->IsModified());
        EXPECT_EQ(g.doc->GetTitle(), QStringLiteral("a.vecg"));
        const int leads = bTwelveLead ? kLimbLeadCount : 1;
        for (int lead = 0; lead < leads; ++lead) {
            const auto& a =
                bTwelveLead ? g.doc->m_leadTrace[lead].data() : g.doc->m_monitorTrace.data();
            const auto& b =
                bTwelveLead ? f.doc->m_leadTrace[lead].data() : f.doc->m_monitorTrace.data();
            EXPECT_EQ(std::vector<double>(a, a + 2345), std::vector<double>(b, b + 2345)) << lead;
        }
    }
}

TEST(FileFormat, ReSavingALoadedFileChangesOnlyTheCutoff) {
    DocFixture f;
    f.Record(true, 3000);
    const QByteArray original = SavedBytes(f, QStringLiteral("orig.vecg"));

    DocFixture g;
    ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("orig.vecg")));
    EXPECT_EQ(SavedBytes(g, QStringLiteral("same.vecg")), original);
    g.doc->OnFilterSelect(2);
    EXPECT_TRUE(g.doc->IsModified());
    const QByteArray changed = SavedBytes(g, QStringLiteral("changed.vecg"));
    const std::vector<int> diff = DifferingBytes(original, changed);
    ASSERT_FALSE(diff.empty());
    EXPECT_GE(diff.front(), 36);
    EXPECT_LE(diff.back(), 43);
}

TEST(FileFormat, NewRecordingGetsAFreshTimeAtEverySave) {
    DocFixture f;
    f.Record(true, 3000);
    f.doc->m_header.tRecorded = 12345; // stamped at the stop; a save of a new recording restamps
    const QByteArray first = SavedBytes(f, QStringLiteral("1.vecg"));
    const QByteArray second = SavedBytes(f, QStringLiteral("2.vecg"));
    for (int offset : DifferingBytes(first, second)) {
        EXPECT_GE(offset, 24);
        EXPECT_LE(offset, 27);
    }
    EXPECT_NE(qFromLittleEndian<qint32>(first.constData() + 24), 12345);
}

TEST(FileFormat, AnyLeadCountOtherThan12OpensInMonitoring) {
    for (int byLeads : {12, 0, 1, 2, 6, 11, 13, 255}) {
        DocFixture f;
        f.Record(false, 500);
        QByteArray bytes = SavedBytes(f, QStringLiteral("m.vecg"));
        bytes[28] = char(byLeads);
        if (byLeads == 12)
            bytes.append(QByteArray(5 * 500, '\x05')); // a 12-lead file carries six blocks
        WriteAll(f.Path("m.vecg"), bytes);

        DocFixture g;
        ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("m.vecg")));
        EXPECT_TRUE(g.prompter.asked.isEmpty()) << byLeads;
        EXPECT_EQ(g.doc->m_bTwelveLead, byLeads == 12 ? 1 : 0) << byLeads;
        EXPECT_EQ(g.doc->m_nSamples, 500);
    }
}

TEST(FileFormat, DamagedFilesAreRefusedAndLeaveAnEmptyDocument) {
    DocFixture src;
    src.Record(true, 3000);
    const QByteArray good12 = SavedBytes(src, QStringLiteral("g12.vecg"));
    src.Record(false, 15000);
    const QByteArray goodMon = SavedBytes(src, QStringLiteral("gmon.vecg"));

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    std::vector<Case> cases;
    QByteArray b = good12;
    b[21] = 'x'; // the signature's 22nd byte
    cases.push_back({"22nd signature byte", b});
    cases.push_back({"signature only", good12.left(22)});
    cases.push_back({"cut in the header", good12.left(30)});
    cases.push_back({"cut in the count", good12.left(46)});
    b = good12;
    PatchCount(b, -1);
    cases.push_back({"negative count", b});
    b = good12;
    PatchCount(b, 3601);
    b.append(QByteArray(6 * 601, '\0'));
    cases.push_back({"12-lead count above 3600", b});
    b = goodMon;
    PatchCount(b, 15001);
    b.append('\0');
    cases.push_back({"monitoring count above 15000", b});
    b = good12;
    PatchCount(b, std::numeric_limits<std::int32_t>::max());
    cases.push_back({"huge count", b});
    cases.push_back({"last block one byte short", good12.left(good12.size() - 1)});
    cases.push_back({"only five blocks", good12.left(48 + 5 * 3000)});
    cases.push_back({"monitoring block short", goodMon.left(48 + 100)});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocFixture f;
        WriteAll(f.Path("bad.vecg"), c.bytes);
        f.Record(false, 1000); // whatever the document held before must not survive as samples
        f.doc->m_dCutoff = 40.0;
        f.doc->m_nRhythmLead = 2;
        EXPECT_TRUE(f.doc->OnOpenDocument(f.Path("bad.vecg")));
        EXPECT_EQ(f.prompter.asked, QStringList{kRefusal});
        EXPECT_EQ(f.doc->m_nSamples, 0);
        EXPECT_EQ(f.doc->GetTitle(), QStringLiteral("Untitled"));
        EXPECT_FALSE(f.doc->IsModified());
        EXPECT_EQ(f.doc->m_bNewRecord, 1);
        // Nothing of the refused file was taken.
        EXPECT_EQ(f.doc->m_bTwelveLead, 0);
        EXPECT_EQ(f.doc->m_dCutoff, 40.0);
        EXPECT_EQ(f.doc->m_nRhythmLead, 2);
    }
}

TEST(FileFormat, EmptyFileOpensAsAnEmptyDocumentWithoutAMessage) {
    DocFixture f;
    WriteAll(f.Path("empty.vecg"), QByteArray());
    f.Record(true, 100);
    EXPECT_TRUE(f.doc->OnOpenDocument(f.Path("empty.vecg")));
    EXPECT_TRUE(f.prompter.asked.isEmpty());
    EXPECT_EQ(f.doc->m_nSamples, 0);
}

TEST(FileFormat, MissingFileFailsWithAMessageAndKeepsTheDocument) {
    DocFixture f;
    f.Record(true, 100);
    EXPECT_FALSE(f.doc->OnOpenDocument(f.Path("missing.vecg")));
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked[0].contains("missing.vecg"));
    EXPECT_EQ(f.doc->m_nSamples, 100);
}

TEST(FileFormat, RhythmLeadBeyondTheSixLeadsIsShownAsIIAndKept) {
    DocFixture f;
    f.Record(false, 300);
    QByteArray bytes = SavedBytes(f, QStringLiteral("r.vecg"));
    bytes[29] = char(200);
    WriteAll(f.Path("r.vecg"), bytes);

    DocFixture g;
    ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("r.vecg")));
    EXPECT_EQ(g.doc->m_nRhythmLead, 200);
    EXPECT_EQ(g.doc->RhythmLead(), 1);
    EXPECT_EQ(SavedBytes(g, QStringLiteral("again.vecg")), bytes);
}

TEST(FileFormat, UnusableHeaderCutoffOpensUnfilteredAndIsKept) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double cutoff : {std::numeric_limits<double>::quiet_NaN(), inf, 150.0, 400.0, -40.0}) {
        SCOPED_TRACE(cutoff);
        DocFixture f;
        f.Record(true, 1000);
        QByteArray bytes = SavedBytes(f, QStringLiteral("c.vecg"));
        Patch(bytes, 36, &cutoff, 8);
        WriteAll(f.Path("c.vecg"), bytes);

        DocFixture g;
        ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("c.vecg")));
        f.doc->OnFilterSelect(0); // the same bytes, smoothed only
        EXPECT_EQ(g.doc->m_leadTrace, f.doc->m_leadTrace);
        EXPECT_EQ(SavedBytes(g, QStringLiteral("again.vecg")), bytes);
    }
}

TEST(FileFormat, FailedSaveKeepsTheOldFileAndSaysSo) {
    DocFixture f;
    f.Record(true, 3000, 1);
    const QByteArray old = SavedBytes(f, QStringLiteral("keep.vecg"));
    f.Record(true, 3000, 2);

    // Let no file grow past 1000 bytes, so that writing the new content fails part way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool bSaved = f.doc->OnSaveDocument(f.Path("keep.vecg"));
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(bSaved);
    EXPECT_EQ(ReadAll(f.Path("keep.vecg")), old);
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked[0].contains("keep.vecg"));
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files), QStringList{"keep.vecg"});

    // A directory in place of the file: refused too.
    EXPECT_FALSE(f.doc->OnSaveDocument(f.dir.path()));
}

TEST(FileFormat, LastAccessedRuleRemembersTheDirectory) {
    struct Case {
        int rule;
        bool bRemembered;
    };
    for (const Case& c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
        DocFixture f;
        const QString here = QDir::currentPath();
        f.settings.InitDirSel = c.rule;
        f.settings.InitDir = f.dir.path();
        QDir(f.dir.path()).mkdir("sub");
        f.Record(true, 10);
        ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("sub/x.vecg")));
        EXPECT_EQ(f.settings.InitDir, c.bRemembered ? f.Path("sub") + "/" : f.dir.path());
        // Rules 1 and 2 save from within the ECG directory.
        EXPECT_EQ(QDir::currentPath() == QFileInfo(f.dir.path()).canonicalFilePath() ||
                      QDir::currentPath() == f.dir.path(),
                  c.rule != 0);
        QDir::setCurrent(here);

        f.settings.InitDir = QStringLiteral("/");
        ASSERT_TRUE(f.doc->OnOpenDocument(f.Path("sub/x.vecg")));
        EXPECT_EQ(f.settings.InitDir, c.bRemembered ? f.Path("sub") + "/" : QStringLiteral("/"));
    }
}
