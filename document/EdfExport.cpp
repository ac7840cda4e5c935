#include "EdfExport.h"

#include "Leads.h"
#include "RecordingConstants.h"
#include "RecordingDetails.h"
#include "SignalFilter.h"
#include "ZM540Doc.h"

#include <QList>
#include <QTime>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

// Samples are stored symmetrically, -32767 to 32767, so that 0 mV is digital 0.
constexpr int kDigitalMax = 32767;
// The stored bytes span -128 to 127 units, within ±3.88 mV: ±3.9 mV holds them in steps of
// 0.12 µV. The low-pass overshoots a large step beyond the byte range; then the range widens to
// the next 0.1 mV above the traces' peak, which keeps steps below 1 µV up to ±65 mV.
constexpr double kByteRangeMv = 3.9;
constexpr char kByteRangeText[] = "3.9";
// The annotation signal's bytes in each data record: the time-keeping entry ("+49" and three
// bytes at most), "Recording starts" (21 bytes) in the first and the padding (at most 32 bytes)
// in the last record fit in 64.
constexpr int kAnnotationBytes = 64;
constexpr int kFieldLength = 80;
constexpr char kEquipment[] = "ZM540_Vet";

constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Appends `text` as a header field: left-justified, space-padded, cut to `width`.
void PutField(QByteArray& out, const QByteArray& text, int width) {
    const QByteArray cut = text.left(width);
    out += cut;
    out += QByteArray(width - int(cut.size()), ' ');
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// "02-AUG-1951", English months whatever the locale; "X" when unknown.
QString DateText(const QDate& date) {
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return QStringLiteral("X");
    return QStringLiteral("%1-%2-%3")
        .arg(TwoDigits(date.day()), QLatin1String(kMonths[std::size_t(date.month() - 1)]))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

// One subfield of the identification fields: printable ASCII, letters stripped of their
// accents, anything else (spaces included) "_"; "X" when empty.
QString Subfield(const QString& text) {
    QString out;
    const QList<uint> codes = text.trimmed().normalized(QString::NormalizationForm_KD).toUcs4();
    for (const uint code : codes) {
        const QChar::Category category = QChar::category(char32_t(code));
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        out += (code > 0x20 && code < 0x7F) ? QChar(char16_t(code)) : QLatin1Char('_');
    }
    return out.isEmpty() ? QStringLiteral("X") : out;
}

QString PatientField(const EdfPatient& patient) {
    const QChar sex = patient.sex.toUpper();
    const QChar sexCode = (sex == QLatin1Char('M') || sex == QLatin1Char('F')) ? sex : QChar('X');
    return QStringList{Subfield(patient.code), QString(sexCode), DateText(patient.birth),
                       Subfield(patient.name)}
        .join(QLatin1Char(' '));
}

// "Startdate 10-DEC-2026 case clinician ZM540_Vet". Long case numbers and clinicians share the
// room left, so that the equipment subfield is never cut off.
QString RecordingField(const QString& startDate, const EdfRecordingInfo& recording) {
    QString caseNumber = Subfield(recording.caseNumber);
    QString clinician = Subfield(recording.clinician);
    const QString head = QStringLiteral("Startdate ") + startDate;
    const qsizetype room =
        kFieldLength - head.size() - 3 - qsizetype(sizeof(kEquipment) - 1); // three spaces
    if (caseNumber.size() + clinician.size() > room) {
        const qsizetype caseLength =
            std::min(caseNumber.size(), std::max(room / 2, room - clinician.size()));
        caseNumber.truncate(caseLength);
        clinician.truncate(room - caseLength);
    }
    return QStringList{head, caseNumber, clinician, QLatin1String(kEquipment)}.join(
        QLatin1Char(' '));
}

// Seconds from a count of microseconds, with no trailing zeros: "0.003333", "1".
QByteArray SecondsText(qint64 us) {
    QByteArray text = QByteArray::number(us / 1000000);
    const qint64 fraction = us % 1000000;
    if (fraction != 0) {
        QByteArray digits = QByteArray::number(fraction).rightJustified(6, '0');
        while (digits.endsWith('0'))
            digits.chop(1);
        text += '.' + digits;
    }
    return text;
}

QString PrefilterText(const CZM540Doc& doc, bool bRaw) {
    if (bRaw)
        return QStringLiteral("none");
    // As ProcessRecord applies it: a cutoff that gives no usable filter leaves the trace smoothed.
    if (doc.m_dCutoff > 0.0 && IsUsableCutoff(doc.m_dCutoff, kSampleRate))
        return QStringLiteral("3-point smoothing LP:%1Hz").arg(doc.m_dCutoff, 0, 'g', 6);
    return QStringLiteral("3-point smoothing, no low-pass");
}

struct Signal {
    const std::int8_t* record;
    const double* trace;
    QByteArray label;
};

} // namespace

QDateTime RecordingStart(const CZM540Doc& doc) {
    const qint64 endMs = qint64(doc.m_header.tRecorded) * 1000;
    const qint64 durationMs =
        (qint64(doc.m_nSamples) * 1000 + kSamplesPerSecond / 2) / kSamplesPerSecond;
    return QDateTime::fromMSecsSinceEpoch(endMs - durationMs, Qt::LocalTime);
}

QByteArray TracesAsEdf(const CZM540Doc& doc, bool bRaw, const EdfPatient& patient,
                       const EdfRecordingInfo& recording, QString* error) {
    const int nSamples = doc.m_nSamples;
    if (nSamples <= 0) {
        // Readers refuse a file without data records.
        *error = QStringLiteral("the recording holds no samples: there is nothing to export");
        return {};
    }
    if (nSamples > doc.Capacity()) {
        *error = QStringLiteral("the recording holds more samples than its mode can");
        return {};
    }

    std::array<Signal, kLimbLeadCount> signalList{};
    int nSignals = 0;
    auto label = [](int lead) { return QByteArray("ECG ") + kLeadNames[std::size_t(lead)]; };
    if (doc.m_bTwelveLead) {
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            signalList[std::size_t(nSignals++)] = {doc.m_leadRecord[std::size_t(lead)].data(),
                                                   doc.m_leadTrace[std::size_t(lead)].data(),
                                                   label(lead)};
    } else {
        signalList[std::size_t(nSignals++)] = {doc.m_monitorRecord.data(),
                                               doc.m_monitorTrace.data(), label(doc.RhythmLead())};
    }
    auto valueMv = [&](const Signal& s, int i) {
        return bRaw ? double(s.record[i]) / kUnitsPerMv : s.trace[i] / kUnitsPerMv;
    };

    // One physical range for every signal, wide enough for the largest value.
    double peak = 0.0;
    bool bFinite = true;
    for (int s = 0; s < nSignals; ++s) {
        for (int i = 0; i < nSamples; ++i) {
            const double v = valueMv(signalList[std::size_t(s)], i);
            bFinite = bFinite && std::isfinite(v);
            peak = std::max(peak, std::abs(v));
        }
    }
    QByteArray rangeText(kByteRangeText);
    if (peak > kByteRangeMv)
        rangeText = QByteArray::number(std::ceil(peak * 10.0) / 10.0, 'f', 1);
    if (!bFinite || rangeText.size() > 7) {
        *error = QStringLiteral("the processed traces exceed what the file can hold; export the "
                                "stored samples (raw) instead");
        return {};
    }
    // Scaled by the range as written, so that readers decode exactly what was meant.
    const double range = rangeText.toDouble();

    const int nRecords = (nSamples + kSamplesPerSecond - 1) / kSamplesPerSecond;
    const int nPadding = nRecords * kSamplesPerSecond - nSamples;
    const int nAllSignals = nSignals + 1;
    const int headerBytes = 256 * (nAllSignals + 1);

    // The start is written to the second it falls in.
    const QDateTime& start = recording.start;
    const bool bKnownStart =
        start.isValid() && start.date().year() >= 1985 && start.date().year() <= 2084;
    const QDate startDate = start.date();
    const QTime startTime = start.time();

    QByteArray out;
    const qint64 recordBytes = 2 * (qint64(nSignals) * kSamplesPerSecond) + kAnnotationBytes;
    out.reserve(headerBytes + nRecords * recordBytes);
    PutField(out, "0", 8);
    PutField(out, PatientField(patient).toLatin1(), kFieldLength);
    PutField(out,
             RecordingField(bKnownStart ? DateText(startDate) : QStringLiteral("X"), recording)
                 .toLatin1(),
             kFieldLength);
    PutField(out,
             bKnownStart ? QStringLiteral("%1.%2.%3")
                               .arg(TwoDigits(startDate.day()), TwoDigits(startDate.month()),
                                    TwoDigits(startDate.year() % 100))
                               .toLatin1()
                         : QByteArray("01.01.85"),
             8);
    PutField(out,
             bKnownStart ? QStringLiteral("%1.%2.%3")
                               .arg(TwoDigits(startTime.hour()), TwoDigits(startTime.minute()),
                                    TwoDigits(startTime.second()))
                               .toLatin1()
                         : QByteArray("00.00.00"),
             8);
    PutField(out, QByteArray::number(headerBytes), 8);
    PutField(out, "EDF+C", 44);
    PutField(out, QByteArray::number(nRecords), 8);
    PutField(out, "1", 8);
    PutField(out, QByteArray::number(nAllSignals), 4);

    // Each signal field for every signal in turn, the annotation signal last.
    auto perSignal = [&](int width, const QByteArray& ecgText, const QByteArray& annotationText) {
        for (int s = 0; s < nSignals; ++s)
            PutField(out, ecgText, width);
        PutField(out, annotationText, width);
    };
    for (int s = 0; s < nSignals; ++s)
        PutField(out, signalList[std::size_t(s)].label, 16);
    PutField(out, "EDF Annotations", 16);
    perSignal(80, "", "");
    perSignal(8, "mV", "");
    perSignal(8, '-' + rangeText, "-1");
    perSignal(8, rangeText, "1");
    perSignal(8, QByteArray::number(-kDigitalMax), "-32768");
    perSignal(8, QByteArray::number(kDigitalMax), "32767");
    perSignal(80, PrefilterText(doc, bRaw).toLatin1(), "");
    perSignal(8, QByteArray::number(kSamplesPerSecond), QByteArray::number(kAnnotationBytes / 2));
    perSignal(32, "", "");
    Q_ASSERT(out.size() == headerBytes);

    const double scale = kDigitalMax / range;
    QByteArray tal;
    tal.reserve(kAnnotationBytes);
    for (int r = 0; r < nRecords; ++r) {
        for (int s = 0; s < nSignals; ++s) {
            char buffer[2 * kSamplesPerSecond];
            for (int k = 0; k < kSamplesPerSecond; ++k) {
                // A short last record repeats the last value: a step to zero would ring in the
                // reader's own filters. The padding annotation marks where it begins.
                const int i = std::min(r * kSamplesPerSecond + k, nSamples - 1);
                const long digital = std::lround(valueMv(signalList[std::size_t(s)], i) * scale);
                qToLittleEndian(
                    std::int16_t(std::clamp(digital, long(-kDigitalMax), long(kDigitalMax))),
                    buffer + 2 * k);
            }
            out.append(buffer, sizeof buffer);
        }

        tal.clear();
        tal += '+' + QByteArray::number(r) + "\x14\x14";
        tal += '\0';
        if (r == 0) {
            tal += "+0\x14Recording starts\x14";
            tal += '\0';
        }
        if (r == nRecords - 1 && nPadding > 0) {
            // Onset and duration in whole microseconds, so that they add up to the file's end.
            const qint64 onsetUs =
                (qint64(nSamples) * 1000000 + kSamplesPerSecond / 2) / kSamplesPerSecond;
            tal += '+' + SecondsText(onsetUs) + '\x15' +
                   SecondsText(qint64(nRecords) * 1000000 - onsetUs) + "\x14Padding\x14";
            tal += '\0';
        }
        Q_ASSERT(tal.size() <= kAnnotationBytes);
        tal.append(kAnnotationBytes - tal.size(), '\0');
        out += tal;
    }
    return out;
}

EdfPatient EdfPatientOf(const RecordingDetails& details) {
    QChar sex(QLatin1Char('X'));
    if (details.sex == Sex::Male || details.sex == Sex::MaleNeutered)
        sex = QLatin1Char('M');
    else if (details.sex == Sex::Female || details.sex == Sex::FemaleSpayed)
        sex = QLatin1Char('F');
    return EdfPatient{details.caseNumber, sex, details.born, details.name};
}

QByteArray DocumentAsEdf(const CZM540Doc& doc, bool bRaw, QString* error) {
    const RecordingDetails& d = doc.m_details;
    return TracesAsEdf(doc, bRaw, EdfPatientOf(d),
                       EdfRecordingInfo{RecordingStart(doc), d.caseNumber, d.clinician}, error);
}
