#include "RecordingDetails.h"

#include <QLocale>

bool RecordingDetails::IsEmpty() const {
    return *this == RecordingDetails{};
}

QString SpeciesText(Species species) {
    return QString::fromLatin1(ReferenceOf(species).name);
}

QString SexText(Sex sex) {
    for (const SexName& s : kSexNames)
        if (s.sex == sex)
            return QString::fromLatin1(s.name);
    return QString();
}

QString AgeText(const RecordingDetails& details, QDate at) {
    const QDate born = details.born;
    if (born.isNull())
        return details.age;
    if (!born.isValid() || !at.isValid() || born > at)
        return QString();
    // Whole months: addMonths keeps to the month's last day, so the 31st's month ends on the 30th
    // (or the 28th) of a shorter month.
    int months = (at.year() - born.year()) * 12 + (at.month() - born.month());
    while (months > 0 && born.addMonths(months) > at)
        --months;
    if (months >= 24)
        return QStringLiteral("%1 y").arg(months / 12);
    if (months >= 3)
        return QStringLiteral("%1 mo").arg(months);
    const qint64 days = born.daysTo(at);
    if (days >= 7)
        return QStringLiteral("%1 wk").arg(days / 7);
    return QStringLiteral("%1 d").arg(days);
}

QString WeightText(double kg) {
    return QString::number(kg, 'g', QLocale::FloatingPointShortest) + QStringLiteral(" kg");
}
