#pragma once

#include "Species.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>

// The animal's sex as the details record it, in the order of the file's sex byte.
enum class Sex { Unknown, Male, Female, MaleNeutered, FemaleSpayed };

struct SexName {
    Sex sex;
    const char* name;
};
constexpr std::array<SexName, 5> kSexNames = {{
    {Sex::Unknown, ""},
    {Sex::Male, "Male"},
    {Sex::Female, "Female"},
    {Sex::MaleNeutered, "Male neutered"},
    {Sex::FemaleSpayed, "Female spayed"},
}};

// Who a recording is of: what the vet entered about the animal, its owner and the case. Every
// field may be left empty; the birth date, when known, takes the place of the free age text.
struct RecordingDetails {
    QString name;
    Species species = Species::Unknown;
    QString breed;
    Sex sex = Sex::Unknown;
    QDate born;  // null when not known
    QString age; // free text ("about 8 years") for an animal of unknown birth date
    std::optional<double> weightKg;
    QString owner;
    QString caseNumber;
    QString clinician;
    QString notes;

    // Nothing entered at all.
    bool IsEmpty() const;
    bool operator==(const RecordingDetails&) const = default;
};

// "Dog", "Cat", ...; empty for Unknown or a value outside the table.
QString SpeciesText(Species species);
// "Male", "Female spayed", ...; empty for Unknown or a value outside the table.
QString SexText(Sex sex);
// The animal's age on `at`: from the birth date in whole years ("7 y") from two years on, in
// whole months ("5 mo") from three months on, then in weeks ("3 wk") or days ("4 d"); the free
// age text when there is no birth date. Empty when neither is known or the birth date lies after
// `at`.
QString AgeText(const RecordingDetails& details, QDate at);
// "12.5 kg": the shortest text that reads back as the same number.
QString WeightText(double kg);
