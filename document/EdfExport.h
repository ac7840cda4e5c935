#pragma once

#include <QByteArray>
#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>

class CZM540Doc;
struct RecordingDetails;

// Who the recording is of, for the file's patient field. Empty or null members are unknown.
struct EdfPatient {
    QString code;
    QChar sex; // 'M', 'F' or 'X'; anything else is unknown
    QDate birth;
    QString name;
};

// When and by whom it was recorded. A null start (or one outside 1985 to 2084, which the file's
// two-digit year cannot hold) is written as unknown; empty texts are unknown.
struct EdfRecordingInfo {
    QDateTime start;
    QString caseNumber;
    QString clinician;
};

// The recording's start in local time. The header's time is stamped when the recording stops,
// so the start lies the recording's duration (samples / 300 s) before it.
QDateTime RecordingStart(const CZM540Doc& doc);

// The recording as an EDF+ file (continuous, 16-bit, data records of 1 s): the six limb leads
// of a 12-lead recording or the rhythm lead of a monitoring one, in millivolts, as the processed
// traces or, with `bRaw`, the stored samples; then the "EDF Annotations" signal. Empty, with the
// reason in `error`, when the recording cannot be written (it holds no samples).
QByteArray TracesAsEdf(const CZM540Doc& doc, bool bRaw, const EdfPatient& patient,
                       const EdfRecordingInfo& recording, QString* error);

// The patient field from the recording's details: the case number as the patient code, the
// sex as M or F (neutered or not), the birth date and the animal's name.
EdfPatient EdfPatientOf(const RecordingDetails& details);
// The document's recording as EDF+, identified by its details and its start.
QByteArray DocumentAsEdf(const CZM540Doc& doc, bool bRaw, QString* error);
