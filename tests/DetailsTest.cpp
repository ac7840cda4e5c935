#include "TestSupport.h"

#include "EcgFileFormat.h"
#include "RecordingDetails.h"
#include "ZM540Doc.h"

#include <QBuffer>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

namespace {

// Bytes of the file's blocks and fields, spelt out here rather than by the program's encoder.
QByteArray Le16(int v) {
    QByteArray bytes(2, '\0');
    bytes[0] = char(v & 0xFF);
    bytes[1] = char((v >> 8) & 0xFF);
    return bytes;
}
QByteArray Le32(quint32 v) {
    return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16));
}
QByteArray Block(const char* tag, const QByteArray& payload) {
    return QByteArray(tag, 4) + Le32(quint32(payload.size())) + payload;
}
QByteArray Field(int id, const QByteArray& bytes) {
    return QByteArray(1, char(id)) + Le16(int(bytes.size())) + bytes;
}
QByteArray Payload(int version, const QByteArray& fields) {
    return Le16(version) + fields;
}

RecordingDetails Full(const QString& name) {
    RecordingDetails d;
    d.name = name;
    d.species = Species::Horse;
    d.breed = QStringLiteral("Haflinger");
    d.sex = Sex::FemaleSpayed;
    d.born = QDate(2016, 2, 29);
    d.age = QStringLiteral("about 8");
    d.weightKg = 412.75;
    d.owner = QStringLiteral("Müller & Söhne");
    d.caseNumber = QStringLiteral("C-2024/0815");
    d.clinician = QStringLiteral("Dr. Ngā");
    d.notes = QStringLiteral("Sedated.\nRecheck in 2 weeks.");
    return d;
}

QByteArray Stored(CZM540Doc& doc) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    EXPECT_TRUE(doc.Serialize(out, CZM540Doc::Archive::Store));
    return bytes;
}

bool Loaded(CZM540Doc& doc, QByteArray bytes) {
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    doc.DeleteContents();
    return doc.Serialize(in, CZM540Doc::Archive::Load);
}

// A short monitoring recording saved without details: 48 + 12 bytes.
struct SmallFile : DocFixture {
    QByteArray base;
    SmallFile() {
        Record(false, 12, 7);
        base = Stored(*doc);
    }
};

} // namespace

TEST(RecordingDetails, NamesAndEmptiness) {
    EXPECT_EQ(SpeciesText(Species::Dog), "Dog");
    EXPECT_EQ(SpeciesText(Species::Other), "Other");
    EXPECT_EQ(SpeciesText(Species::Unknown), "");
    EXPECT_EQ(SpeciesText(Species(9)), "");
    EXPECT_EQ(SexText(Sex::Male), "Male");
    EXPECT_EQ(SexText(Sex::MaleNeutered), "Male neutered");
    EXPECT_EQ(SexText(Sex::FemaleSpayed), "Female spayed");
    EXPECT_EQ(SexText(Sex::Unknown), "");
    EXPECT_EQ(SexText(Sex(7)), "");
    EXPECT_EQ(WeightText(12.5), "12.5 kg");
    EXPECT_EQ(WeightText(0.1), "0.1 kg");
    EXPECT_EQ(WeightText(450), "450 kg");

    EXPECT_TRUE(RecordingDetails{}.IsEmpty());
    // Any one field entered makes the details non-empty.
    const std::function<void(RecordingDetails&)> entries[] = {
        [](RecordingDetails& d) { d.name = "x"; },
        [](RecordingDetails& d) { d.species = Species::Cat; },
        [](RecordingDetails& d) { d.breed = "x"; },
        [](RecordingDetails& d) { d.sex = Sex::Female; },
        [](RecordingDetails& d) { d.born = QDate(2020, 1, 1); },
        [](RecordingDetails& d) { d.age = "x"; },
        [](RecordingDetails& d) { d.weightKg = 3.0; },
        [](RecordingDetails& d) { d.owner = "x"; },
        [](RecordingDetails& d) { d.caseNumber = "x"; },
        [](RecordingDetails& d) { d.clinician = "x"; },
        [](RecordingDetails& d) { d.notes = "x"; },
    };
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        RecordingDetails d;
        entries[i](d);
        EXPECT_FALSE(d.IsEmpty()) << i;
        EXPECT_NE(d, RecordingDetails{}) << i;
    }
}

TEST(RecordingDetails, AgeAtADate) {
    struct Case {
        QDate born;
        const char* age;
        QDate at;
        const char* expected;
    };
    const QDate day(2024, 3, 15);
    const Case cases[] = {
        {QDate(2017, 3, 15), "", day, "7 y"},
        {QDate(2017, 3, 16), "", day, "6 y"}, // the birthday is tomorrow
        {QDate(2022, 3, 15), "", day, "2 y"}, // years from the second birthday on
        {QDate(2022, 3, 16), "", day, "23 mo"},
        {QDate(2023, 10, 15), "", day, "5 mo"},
        {QDate(2023, 12, 15), "", day, "3 mo"},
        {QDate(2023, 12, 16), "", day, "12 wk"}, // 90 days, 2024 being a leap year
        {QDate(2024, 2, 23), "", day, "3 wk"},
        {QDate(2024, 3, 11), "", day, "4 d"},
        {QDate(2024, 3, 15), "", day, "0 d"},
        {QDate(2024, 3, 16), "", day, ""}, // born after the date
        // A month from the 30th ends on February's last day; a leap-day birthday on the 28th.
        {QDate(2023, 11, 30), "", QDate(2024, 2, 29), "3 mo"},
        {QDate(2020, 2, 29), "", QDate(2022, 2, 28), "2 y"},
        {QDate(), "about 8 years", day, "about 8 years"},
        {QDate(2017, 3, 15), "about 8 years", day, "7 y"}, // the date, when there is one
        {QDate(), "", day, ""},
        {QDate(2017, 3, 15), "", QDate(), ""},
    };
    for (const Case& c : cases) {
        RecordingDetails d;
        d.born = c.born;
        d.age = QString::fromUtf8(c.age);
        EXPECT_EQ(AgeText(d, c.at), QString::fromUtf8(c.expected))
            << c.born.toString(Qt::ISODate).toStdString() << " at "
            << c.at.toString(Qt::ISODate).toStdString();
    }
}

TEST(DetailsFile, EveryFieldRoundTripsInBothModes) {
    RecordingDetails longNotes;
    // 80000 bytes of two-byte characters: the first field ends one byte early, before the
    // character that would straddle its 65535-byte limit.
    longNotes.notes = QString(40000, QChar(0x0427));
    RecordingDetails onlyWeight;
    onlyWeight.weightKg = 0.1;
    const RecordingDetails cases[] = {Full("Bärli"), Full("Ōkami"), Full("Чук"),
                                      Full("🐕 Rex"), longNotes,     onlyWeight};
    for (bool bTwelveLead : {true, false}) {
        for (const RecordingDetails& details : cases) {
            SCOPED_TRACE(details.name.toStdString());
            DocFixture f;
            f.Record(bTwelveLead, 900, 3);
            f.doc->m_details = details;
            const QByteArray bytes = Stored(*f.doc);

            DocFixture g;
            ASSERT_TRUE(Loaded(*g.doc, bytes));
            EXPECT_TRUE(g.prompter.asked.isEmpty());
            EXPECT_EQ(g.doc->m_details, details);
            EXPECT_EQ(g.doc->m_nSamples, 900);
            EXPECT_EQ(Stored(*g.doc), bytes); // and written back the same
        }
    }
}

TEST(DetailsFile, TheBlockFollowsTheSamplesWhichStayAsTheyWere) {
    SmallFile f;
    RecordingDetails d;
    d.name = QStringLiteral("Rex");
    d.species = Species::Dog;
    d.weightKg = 12.5;
    f.doc->m_details = d;
    const QByteArray bytes = Stored(*f.doc);
    // A reader that stops after the samples finds the file it always found.
    ASSERT_GT(bytes.size(), f.base.size());
    EXPECT_EQ(bytes.left(f.base.size()), f.base);
    const QByteArray payload = QByteArray("\x01\x00", 2)                 // version 1
                               + QByteArray("\x01\x03\x00Rex", 6)        // name
                               + QByteArray("\x02\x01\x00\x01", 4)       // species: dog
                               + QByteArray("\x07\x04\x00", 3) + "12.5"; // weight in kg
    EXPECT_EQ(bytes.mid(f.base.size()), QByteArray("DTLS\x13\x00\x00\x00", 8) + payload);
}

TEST(DetailsFile, DamagedOrForeignBlocksNeverRefuseTheFile) {
    const QByteArray rex = Block("DTLS", Payload(1, Field(1, "Rex")));
    const QByteArray foreign = Block("XTRA", "other program's data");
    struct Case {
        const char* name;
        QByteArray tail;    // after the samples
        const char* animal; // the details read
        QByteArray writtenBack;
    };
    const Case cases[] = {
        {"details cut short", rex.chopped(2), "", ""},
        {"length past the end", QByteArray("DTLS\xE8\x03\x00\x00", 8) + "short", "", ""},
        {"head cut short", QByteArray("DTL", 3), "", ""},
        {"not a block: tag of control bytes", QByteArray(20, '\x01'), "", ""},
        {"foreign block", foreign, "", foreign},
        {"foreign block, then bytes that are no block", foreign + QByteArray("\0\1\2", 3), "",
         foreign},
        // Details this version cannot read are kept for the program that can.
        {"details of version 2", Block("DTLS", Payload(2, Field(1, "Rex"))), "",
         Block("DTLS", Payload(2, Field(1, "Rex")))},
        {"details that are not UTF-8", Block("DTLS", Payload(1, Field(1, "\xC3\x28"))), "",
         Block("DTLS", Payload(1, Field(1, "\xC3\x28")))},
        {"details, then a block cut short", rex + foreign.chopped(1), "Rex", rex},
        {"unreadable details, then details", Block("DTLS", Payload(1, "\x01")) + rex, "Rex",
         Block("DTLS", Payload(1, "\x01")) + rex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallFile f;
        DocFixture g;
        ASSERT_TRUE(Loaded(*g.doc, f.base + c.tail));
        EXPECT_TRUE(g.prompter.asked.isEmpty());
        EXPECT_EQ(g.doc->m_nSamples, 12);
        EXPECT_EQ(g.doc->m_monitorRecord, f.doc->m_monitorRecord);
        EXPECT_EQ(g.doc->m_details.name, QString::fromUtf8(c.animal));
        EXPECT_EQ(Stored(*g.doc), f.base + c.writtenBack);
    }
}

TEST(DetailsFile, OtherBlocksKeepTheirPlaceAroundChangedDetails) {
    SmallFile f;
    const QByteArray first = Block("AAAA", "first");
    const QByteArray last = Block("ZZZZ", "");
    // A field of a later version (id 200) stays with the details.
    const QByteArray chip = Field(200, "chip 276098106543210");
    const QByteArray file =
        f.base + first + Block("DTLS", Payload(1, Field(1, "Rex") + chip)) + last;

    DocFixture g;
    ASSERT_TRUE(Loaded(*g.doc, file));
    EXPECT_EQ(g.doc->m_details.name, "Rex");
    EXPECT_EQ(Stored(*g.doc), file);
    RecordingDetails d = g.doc->m_details;
    d.name = QStringLiteral("Bärli");
    g.doc->SetDetails(d);
    EXPECT_EQ(Stored(*g.doc),
              f.base + first + Block("DTLS", Payload(1, Field(1, "B\xC3\xA4rli") + chip)) + last);
    // With the details cleared the later version's field is still written.
    g.doc->SetDetails(RecordingDetails{});
    EXPECT_EQ(Stored(*g.doc), f.base + first + Block("DTLS", Payload(1, chip)) + last);

    // New details on a file without any go after the other blocks.
    DocFixture h;
    ASSERT_TRUE(Loaded(*h.doc, f.base + first + last));
    h.doc->SetDetails(d);
    EXPECT_EQ(Stored(*h.doc),
              f.base + first + last + Block("DTLS", Payload(1, Field(1, "B\xC3\xA4rli"))));
}

TEST(DetailsFile, DecodeRejectsAnyDamageAndLeavesItsOutputs) {
    struct Case {
        const char* name;
        QByteArray payload;
    };
    const Case cases[] = {
        {"empty", ""},
        {"half a version", "\x01"},
        {"version 0", Payload(0, "")},
        {"version 2", Payload(2, Field(1, "Rex"))},
        {"field head cut short", Payload(1, QByteArray("\x01\x03", 2))},
        {"field past the end", Payload(1, Field(1, "Rex").chopped(1))},
        {"broken UTF-8", Payload(1, Field(3, "\xC3\x28"))},
        {"overlong UTF-8", Payload(1, Field(8, "\xC0\xAF"))},
        {"UTF-8 of a surrogate", Payload(1, Field(11, "\xED\xA0\x80"))},
        {"species of two bytes", Payload(1, Field(2, QByteArray("\x01\x00", 2)))},
        {"species beyond the table", Payload(1, Field(2, "\x05"))},
        {"species twice", Payload(1, Field(2, "\x01") + Field(2, "\x01"))},
        {"sex of no bytes", Payload(1, Field(4, ""))},
        {"sex beyond the table", Payload(1, Field(4, "\x05"))},
        {"month 13", Payload(1, Field(5, "2020-13-01"))},
        {"date without its zeros", Payload(1, Field(5, "2020-1-1"))},
        {"date with a time", Payload(1, Field(5, "2020-01-01T10:00"))},
        {"weight in words", Payload(1, Field(7, "twelve"))},
        {"weight with a comma", Payload(1, Field(7, "12,5"))},
        {"weight of nothing", Payload(1, Field(7, "0"))},
        {"negative weight", Payload(1, Field(7, "-3"))},
        {"weight not a number", Payload(1, Field(7, "nan"))},
        {"infinite weight", Payload(1, Field(7, "inf"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDetails d = Full("kept");
        QByteArray unknown = "kept";
        EXPECT_FALSE(DecodeDetails(c.payload, &d, &unknown));
        EXPECT_EQ(d, Full("kept"));
        EXPECT_EQ(unknown, "kept");
    }

    // What does read: no fields, an unknown species written as 0, a text in two fields.
    RecordingDetails d = Full("replaced");
    QByteArray unknown = "replaced";
    ASSERT_TRUE(DecodeDetails(Payload(1, ""), &d, &unknown));
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(unknown.isEmpty());
    ASSERT_TRUE(
        DecodeDetails(Payload(1, Field(2, QByteArray(1, '\0')) + Field(1, "Bä") + Field(1, "rli")),
                      &d, &unknown));
    EXPECT_EQ(d.species, Species::Unknown);
    EXPECT_EQ(d.name, QStringLiteral("Bärli"));
}

TEST(DetailsDocument, SetDetailsMarksModifiedOnlyOnAChange) {
    DocFixture f;
    QSignalSpy updates(f.doc.get(), &CZM540Doc::updated);
    f.doc->SetDetails(Full("Rex"));
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_EQ(updates.count(), 1);
    EXPECT_EQ(f.doc->m_details, Full("Rex"));
    f.doc->SetModifiedFlag(false);
    f.doc->SetDetails(Full("Rex"));
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(updates.count(), 1);
}

TEST(DetailsDocument, ARecordingKeepsTheDetailsANewDocumentAndAnOpenedFileReplaceThem) {
    DocFixture f;
    // Details entered before a session are the recording's; its other blocks are not.
    SmallFile withBlock;
    ASSERT_TRUE(Loaded(*f.doc, withBlock.base + Block("XTRA", "old recording's")));
    f.doc->SetDetails(Full("Rex"));
    f.doc->DeleteContents();
    EXPECT_EQ(f.doc->m_details, Full("Rex"));
    f.Record(false, 12, 7);
    const QByteArray recorded = Stored(*f.doc);
    EXPECT_FALSE(recorded.contains("XTRA"));
    EXPECT_TRUE(recorded.contains("DTLS"));

    f.doc->OnNewDocument();
    EXPECT_TRUE(f.doc->m_details.IsEmpty());
    f.Record(false, 12, 7);
    EXPECT_EQ(Stored(*f.doc).size(), 60);

    // Opening a file replaces the details with the file's, or with none.
    WriteAll(f.Path("rex.vecg"), recorded);
    WriteAll(f.Path("plain.vecg"), withBlock.base);
    WriteAll(f.Path("empty.vecg"), QByteArray());
    WriteAll(f.Path("refused.vecg"), QByteArray("not a recording"));
    struct Case {
        const char* file;
        bool bDetails;
    };
    for (const Case& c : {Case{"rex.vecg", true}, Case{"plain.vecg", false},
                          Case{"empty.vecg", false}, Case{"refused.vecg", false}}) {
        SCOPED_TRACE(c.file);
        f.doc->SetDetails(Full("before"));
        EXPECT_TRUE(f.doc->OnOpenDocument(f.Path(c.file)));
        EXPECT_EQ(f.doc->m_details, c.bDetails ? Full("Rex") : RecordingDetails{});
        EXPECT_FALSE(f.doc->IsModified());
    }
    // A file that cannot be opened changes nothing.
    f.doc->SetDetails(Full("before"));
    EXPECT_FALSE(f.doc->OnOpenDocument(f.Path("missing.vecg")));
    EXPECT_EQ(f.doc->m_details, Full("before"));
}

TEST(DetailsDocument, SaveAndSaveCopyWriteTheDetails) {
    DocFixture f;
    f.Record(true, 300);
    f.doc->SetDetails(Full("Чук"));
    ASSERT_TRUE(f.doc->OnSaveDocument(f.Path("saved.vecg")));
    ASSERT_TRUE(f.doc->SaveCopy(f.Path("copy.vecg")));
    const QByteArray saved = ReadAll(f.Path("saved.vecg"));
    EXPECT_EQ(ReadAll(f.Path("copy.vecg")), saved);
    DocFixture g;
    ASSERT_TRUE(g.doc->OnOpenDocument(f.Path("copy.vecg")));
    EXPECT_EQ(g.doc->m_details, Full("Чук"));
    g.doc->OnFilterSelect(2); // re-saved after another change, the details stay
    ASSERT_TRUE(g.doc->OnSaveDocument(f.Path("again.vecg")));
    const QByteArray again = ReadAll(f.Path("again.vecg"));
    ASSERT_EQ(again.size(), saved.size());
    EXPECT_EQ(again.mid(48), saved.mid(48));
}
