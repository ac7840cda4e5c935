#include "TestSupport.h"

#include "EdfExport.h"
#include "RecordingDetails.h"
#include "ZM540Doc.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

QByteArray Pad(const QByteArray& text, int width) {
    return text + QByteArray(width - int(text.size()), ' ');
}

// The main header from its ten fields, each padded to its width.
QByteArray MainHeader(const std::vector<QByteArray>& fields) {
    const int widths[] = {8, 80, 80, 8, 8, 8, 44, 8, 8, 4};
    QByteArray header;
    for (std::size_t i = 0; i < fields.size(); ++i)
        header += Pad(fields[i], widths[i]);
    return header;
}

enum SignalField {
    Label,
    Transducer,
    Dimension,
    PhysMin,
    PhysMax,
    DigMin,
    DigMax,
    Prefilter,
    Samples,
    Reserved
};

// One field of signal `s` from the signal headers that follow the main header.
QByteArray FieldOf(const QByteArray& edf, SignalField field, int s) {
    const int widths[] = {16, 80, 8, 8, 8, 8, 8, 80, 8, 32};
    const int ns = edf.mid(252, 4).trimmed().toInt();
    int offset = 256;
    for (int f = 0; f < field; ++f)
        offset += widths[f] * ns;
    return edf.mid(offset + widths[field] * s, widths[field]);
}

// Sample k of signal s in data record r, decoded with the header's ranges, in mV.
double DecodedMv(const QByteArray& edf, int r, int s, int k) {
    const int ns = edf.mid(252, 4).trimmed().toInt();
    int recordBytes = 0;
    int signalOffset = 0;
    for (int i = 0; i < ns; ++i) {
        const int n = FieldOf(edf, Samples, i).trimmed().toInt();
        if (i < s)
            signalOffset += 2 * n;
        recordBytes += 2 * n;
    }
    const int at = 256 * (ns + 1) + r * recordBytes + signalOffset + 2 * k;
    const double digital = qFromLittleEndian<qint16>(edf.constData() + at);
    const double pmin = FieldOf(edf, PhysMin, s).trimmed().toDouble();
    const double pmax = FieldOf(edf, PhysMax, s).trimmed().toDouble();
    const double dmin = FieldOf(edf, DigMin, s).trimmed().toDouble();
    const double dmax = FieldOf(edf, DigMax, s).trimmed().toDouble();
    return pmin + (digital - dmin) * (pmax - pmin) / (dmax - dmin);
}

QByteArray AnnotationsOf(const QByteArray& edf, int r) {
    const int ns = edf.mid(252, 4).trimmed().toInt();
    int recordBytes = 0;
    for (int i = 0; i < ns; ++i)
        recordBytes += 2 * FieldOf(edf, Samples, i).trimmed().toInt();
    const int tal = 2 * FieldOf(edf, Samples, ns - 1).trimmed().toInt();
    return edf.mid(256 * (ns + 1) + (r + 1) * recordBytes - tal, tal);
}

} // namespace

TEST(EdfExport, HeaderFieldsForEachModeAndIdentification) {
    struct Case {
        const char* what;
        bool bTwelveLead;
        bool bRaw;
        double cutoff;
        EdfPatient patient;
        EdfRecordingInfo recording;
        std::vector<QByteArray> header;
        std::vector<QByteArray> labels;
        QByteArray prefilter;
    };
    const QString longCase = QStringLiteral("CASE-0123456789-0123456789-01"); // 29 characters
    const QString longClinician = QString(40, QLatin1Char('c'));
    const Case cases[] = {
        {"12-lead, nothing known",
         true,
         false,
         100.0,
         {},
         {},
         {"0", "X X X X", "Startdate X X X ZM540_Vet", "01.01.85", "00.00.00", "2048", "EDF+C", "1",
          "1", "7"},
         {"ECG I", "ECG II", "ECG III", "ECG aVR", "ECG aVL", "ECG aVF"},
         "3-point smoothing LP:100Hz"},
        {"monitoring, raw, accents and spaces",
         false,
         true,
         40.0,
         {QStringLiteral(" K 1234 "), QLatin1Char('f'), QDate(2019, 8, 2),
          QStringLiteral("Bärli von Zürich")},
         {QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)), QStringLiteral("C-77"),
          QStringLiteral("Dr. Ødegård")},
         {"0", "K_1234 F 02-AUG-2019 Barli_von_Zurich",
          "Startdate 10-DEC-2026 C-77 Dr.__degard ZM540_Vet", "10.12.26", "09.05.07", "768",
          "EDF+C", "1", "1", "2"},
         {"ECG aVR"},
         "none"},
        {"monitoring unfiltered; a start before 1985 is unknown; long subfields share the room",
         false,
         false,
         0.0,
         {QStringLiteral("D7"), QLatin1Char('?'), QDate(), QStringLiteral("名前")},
         {QDateTime(QDate(1984, 12, 31), QTime(23, 59, 59)), longCase, longClinician},
         {"0", "D7 X X __",
          "Startdate X CASE-0123456789-0123456789-0 " + QByteArray(29, 'c') + " ZM540_Vet",
          "01.01.85", "00.00.00", "768", "EDF+C", "1", "1", "2"},
         {"ECG aVR"},
         "3-point smoothing, no low-pass"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocFixture f;
        f.doc->m_nRhythmLead = 3;
        f.doc->m_dCutoff = c.cutoff;
        f.Record(c.bTwelveLead, 300);
        // Gentle values: nothing the low-pass could overshoot beyond the byte range.
        for (int i = 0; i < 300; ++i) {
            f.doc->m_monitorRecord[std::size_t(i)] = std::int8_t(i % 7 - 3);
            for (auto& record : f.doc->m_leadRecord)
                record[std::size_t(i)] = std::int8_t(i % 7 - 3);
        }
        f.doc->ProcessRecord();
        QString error;
        const QByteArray edf = TracesAsEdf(*f.doc, c.bRaw, c.patient, c.recording, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(edf.left(256), MainHeader(c.header));

        const int ns = int(c.labels.size()) + 1;
        ASSERT_EQ(edf.size(), 256 * (ns + 1) + 2 * 300 * (ns - 1) + 64);
        for (int s = 0; s < ns; ++s) {
            SCOPED_TRACE(s);
            const bool bEcg = s < ns - 1;
            EXPECT_EQ(FieldOf(edf, Label, s),
                      Pad(bEcg ? c.labels[std::size_t(s)] : "EDF Annotations", 16));
            EXPECT_EQ(FieldOf(edf, Transducer, s), Pad("", 80));
            EXPECT_EQ(FieldOf(edf, Dimension, s), Pad(bEcg ? "mV" : "", 8));
            EXPECT_EQ(FieldOf(edf, PhysMin, s), Pad(bEcg ? "-3.9" : "-1", 8));
            EXPECT_EQ(FieldOf(edf, PhysMax, s), Pad(bEcg ? "3.9" : "1", 8));
            EXPECT_EQ(FieldOf(edf, DigMin, s), Pad(bEcg ? "-32767" : "-32768", 8));
            EXPECT_EQ(FieldOf(edf, DigMax, s), Pad("32767", 8));
            EXPECT_EQ(FieldOf(edf, Prefilter, s), Pad(bEcg ? c.prefilter : "", 80));
            EXPECT_EQ(FieldOf(edf, Samples, s), Pad(bEcg ? "300" : "32", 8));
            EXPECT_EQ(FieldOf(edf, Reserved, s), Pad("", 32));
        }
    }
}

TEST(EdfExport, EmptyRecordingIsRefused) {
    for (const bool bTwelveLead : {true, false}) {
        DocFixture f;
        f.Record(bTwelveLead, 0);
        QString error;
        EXPECT_TRUE(TracesAsEdf(*f.doc, false, {}, {}, &error).isEmpty());
        EXPECT_TRUE(error.contains(QLatin1String("no samples"))) << error.toStdString();
    }
}

TEST(EdfExport, ShortLastRecordIsPaddedAndMarked) {
    struct Case {
        const char* what;
        bool bTwelveLead;
        int samples;
        std::vector<QByteArray> annotations; // per data record, before the zero fill
    };
    using namespace Qt::Literals::StringLiterals;
    const Case cases[] = {
        {"one sample",
         false,
         1,
         {"+0\x14\x14\0+0\x14Recording starts\x14\0+0.003333\x15"
          "0.996667\x14Padding\x14\0"_ba}},
        {"one second and one sample",
         true,
         301,
         {"+0\x14\x14\0+0\x14Recording starts\x14\0"_ba, "+1\x14\x14\0+1.003333\x15"
                                                         "0.996667\x14Padding\x14\0"_ba}},
        {"whole seconds need no padding",
         false,
         600,
         {"+0\x14\x14\0+0\x14Recording starts\x14\0"_ba, "+1\x14\x14\0"_ba}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocFixture f;
        f.Record(c.bTwelveLead, c.samples);
        // The last stored value is 2 mV in every lead.
        f.doc->m_monitorRecord[std::size_t(c.samples - 1)] = 66;
        for (auto& record : f.doc->m_leadRecord)
            record[std::size_t(c.samples - 1)] = 66;
        QString error;
        const QByteArray edf = TracesAsEdf(*f.doc, true, {}, {}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const int records = int(c.annotations.size());
        EXPECT_EQ(edf.mid(236, 8), Pad(QByteArray::number(records), 8));
        for (int r = 0; r < records; ++r) {
            const QByteArray& tal = c.annotations[std::size_t(r)];
            EXPECT_EQ(AnnotationsOf(edf, r), tal + QByteArray(64 - tal.size(), '\0')) << r;
        }
        // The padding repeats the last value: 2 mV is digital 2 * 32767 / 3.9 = 16803.6.
        const int last = (c.samples - 1) % 300;
        const int signalCount = c.bTwelveLead ? 6 : 1;
        for (int s = 0; s < signalCount; ++s) {
            for (int k = last; k < 300; ++k) {
                const int at = 256 * (signalCount + 2) + (records - 1) * (600 * signalCount + 64) +
                               600 * s + 2 * k;
                ASSERT_EQ(qFromLittleEndian<qint16>(edf.constData() + at), 16804) << s << ' ' << k;
            }
        }
    }
}

TEST(EdfExport, SamplesDecodeWithinOneMicrovolt) {
    // Full-scale steps: the 100 Hz low-pass overshoots them beyond the byte range, so the
    // physical range has to widen to hold the processed trace.
    DocFixture f;
    f.doc->m_bTwelveLead = 1;
    f.doc->m_dCutoff = 100.0;
    const int n = 700;
    for (int lead = 0; lead < kLimbLeadCount; ++lead)
        for (int i = 0; i < n; ++i)
            f.doc->m_leadRecord[std::size_t(lead)][std::size_t(i)] =
                std::int8_t(((i + 37 * lead) / 50) % 2 ? 127 : -128);
    f.doc->m_nSamples = n;
    f.doc->ProcessRecord();
    double peak = 0.0;
    for (const auto& trace : f.doc->m_leadTrace)
        for (int i = 0; i < n; ++i)
            peak = std::max(peak, std::abs(trace[std::size_t(i)]));
    ASSERT_GT(peak / 33.0, 3.9);

    for (const bool bRaw : {false, true}) {
        SCOPED_TRACE(bRaw ? "raw" : "processed");
        QString error;
        const QByteArray edf = TracesAsEdf(*f.doc, bRaw, {}, {}, &error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        // The stored bytes always fit ±3.9 mV; the overshoot needs the next 0.1 mV above it.
        const double range = FieldOf(edf, PhysMax, 0).trimmed().toDouble();
        if (bRaw) {
            EXPECT_EQ(range, 3.9);
        } else {
            EXPECT_GE(range, peak / 33.0);
            EXPECT_LT(range, peak / 33.0 + 0.1);
        }
        for (int lead = 0; lead < kLimbLeadCount; ++lead) {
            for (int i = 0; i < n; ++i) {
                const double expected =
                    bRaw ? f.doc->m_leadRecord[std::size_t(lead)][std::size_t(i)] / 33.0
                         : f.doc->m_leadTrace[std::size_t(lead)][std::size_t(i)] / 33.0;
                ASSERT_NEAR(DecodedMv(edf, i / 300, lead, i % 300), expected, 0.001)
                    << lead << ' ' << i;
            }
        }
    }
}

TEST(EdfExport, StartLiesTheDurationBeforeTheRecordedTime) {
    struct Case {
        int samples;
        qint64 startMs;
    };
    // 1700000000 s is when the recording stopped.
    const Case cases[] = {
        {3000, 1700000000000 - 10000},
        {1000, 1700000000000 - 3333}, // 3.333 s
        {0, 1700000000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        DocFixture f;
        f.Record(false, c.samples);
        const QDateTime start = RecordingStart(*f.doc);
        EXPECT_EQ(start.timeSpec(), Qt::LocalTime);
        EXPECT_EQ(start.toMSecsSinceEpoch(), c.startMs);
    }
}

// The document's details fill both identification fields: the case number is the patient code
// and names the recording, neutered or spayed animals keep their sex, and unknowns are X.
TEST(EdfExport, DocumentDetailsIdentifyPatientAndRecording) {
    struct Case {
        const char* what;
        RecordingDetails details;
        QByteArray patient;
        QByteArray recordingTail; // after "Startdate dd-MMM-yyyy "
    };
    RecordingDetails rex;
    rex.name = QStringLiteral("Rex");
    rex.sex = Sex::MaleNeutered;
    rex.born = QDate(2019, 3, 4);
    rex.caseNumber = QStringLiteral("2026-117");
    rex.clinician = QStringLiteral("Dr Hale");
    RecordingDetails mimi;
    mimi.name = QStringLiteral("Mimi la Reine");
    mimi.sex = Sex::FemaleSpayed;
    RecordingDetails owned;
    owned.owner = QStringLiteral("J. Smith"); // the owner is not part of either field
    const Case cases[] = {
        {"all known", rex, "2026-117 M 04-MAR-2019 Rex", "2026-117 Dr_Hale ZM540_Vet"},
        {"name and sex", mimi, "X F X Mimi_la_Reine", "X X ZM540_Vet"},
        {"owner only", owned, "X X X X", "X X ZM540_Vet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocFixture f;
        f.Record(true, 300);
        f.doc->m_header.tRecorded = 1796893200; // 2026-12-10 09:00:00 UTC, the end
        f.doc->m_details = c.details;
        QString error;
        const QByteArray edf = DocumentAsEdf(*f.doc, false, &error);
        ASSERT_FALSE(edf.isEmpty()) << error.toStdString();
        EXPECT_EQ(edf.mid(8, 80), Pad(c.patient, 80));
        const QByteArray recording = edf.mid(88, 80);
        EXPECT_EQ(recording.mid(22), Pad(c.recordingTail, 58)) << recording.toStdString();
    }
}
