#include "CsvExport.h"

#include "Leads.h"
#include "ZM540Doc.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace {

QString Number(double v) {
    return QString::number(v, 'g', 17);
}

} // namespace

QByteArray TracesAsCsv(const CZM540Doc& doc, bool bRaw) {
    std::vector<const std::int8_t*> records;
    std::vector<const double*> traces;
    QStringList header{QStringLiteral("time_s")};
    if (doc.m_bTwelveLead) {
        for (int lead = 0; lead < kLimbLeadCount; ++lead) {
            header << QLatin1String(kLeadNames[std::size_t(lead)]);
            records.push_back(doc.m_leadRecord[std::size_t(lead)].data());
            traces.push_back(doc.m_leadTrace[std::size_t(lead)].data());
        }
    } else {
        header << QLatin1String(kLeadNames[std::size_t(doc.RhythmLead())]);
        records.push_back(doc.m_monitorRecord.data());
        traces.push_back(doc.m_monitorTrace.data());
    }
    QString text = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int i = 0; i < doc.m_nSamples; ++i) {
        text += Number(i / kSampleRate);
        for (std::size_t lead = 0; lead < records.size(); ++lead) {
            text += QLatin1Char(',');
            text +=
                bRaw ? QString::number(records[lead][i]) : Number(traces[lead][i] / kUnitsPerMv);
        }
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}
