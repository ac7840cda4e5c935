#include "EcgFileFormat.h"

#include "Prompter.h"
#include "RecordingDetails.h"
#include "ZM540Doc.h"

#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iterator>
#include <utility>

// "ZM540Vet(c)QRB(a)0+1", the end mark 0x1A and the terminating 0.
const char kEcgSignature[kSignatureSize] = "ZM540Vet(c)QRB(a)0+1\x1A";

QByteArray EncodeHeader(const EcgFileHeader& h) {
    QByteArray bytes(kHeaderSize, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian(h.wFormat, p + 0);
    qToLittleEndian(h.tRecorded, p + 2);
    p[6] = h.byLeads;
    p[7] = h.byRhythmLead;
    qToLittleEndian(h.wSampleRate, p + 8);
    qToLittleEndian(h.wUnitsPerMv, p + 10);
    qToLittleEndian(h.wBitsPerSample, p + 12);
    qToLittleEndian(std::bit_cast<quint64>(h.dCutoff), p + 14);
    return bytes;
}

EcgFileHeader DecodeHeader(const char* bytes) {
    const uchar* p = reinterpret_cast<const uchar*>(bytes);
    EcgFileHeader h;
    h.wFormat = qFromLittleEndian<quint16>(p + 0);
    h.tRecorded = qFromLittleEndian<qint32>(p + 2);
    h.byLeads = p[6];
    h.byRhythmLead = p[7];
    h.wSampleRate = qFromLittleEndian<quint16>(p + 8);
    h.wUnitsPerMv = qFromLittleEndian<quint16>(p + 10);
    h.wBitsPerSample = qFromLittleEndian<quint16>(p + 12);
    h.dCutoff = std::bit_cast<double>(qFromLittleEndian<quint64>(p + 14));
    return h;
}

std::vector<EcgFileBlock> SplitBlocks(QByteArrayView bytes) {
    std::vector<EcgFileBlock> blocks;
    qsizetype at = 0;
    while (bytes.size() - at >= kBlockHeadSize) {
        const QByteArrayView tag = bytes.sliced(at, kBlockTagSize);
        if (!std::all_of(tag.begin(), tag.end(), [](char c) { return c >= 0x20 && c <= 0x7E; }))
            break;
        const quint32 length = qFromLittleEndian<quint32>(bytes.data() + at + kBlockTagSize);
        if (length > quint64(bytes.size() - at - kBlockHeadSize))
            break;
        blocks.push_back(
            {tag.toByteArray(), bytes.sliced(at + kBlockHeadSize, length).toByteArray()});
        at += kBlockHeadSize + qsizetype(length);
    }
    return blocks;
}

QByteArray EncodeBlock(const EcgFileBlock& block) {
    QByteArray bytes = block.tag.leftJustified(kBlockTagSize, ' ', true);
    uchar length[4];
    qToLittleEndian(quint32(block.payload.size()), length);
    bytes.append(reinterpret_cast<const char*>(length), 4);
    bytes.append(block.payload);
    return bytes;
}

namespace {

void AppendField(QByteArray& out, DetailsField id, QByteArrayView bytes) {
    uchar head[3];
    head[0] = uchar(id);
    qToLittleEndian(quint16(bytes.size()), head + 1);
    out.append(reinterpret_cast<const char*>(head), 3);
    out.append(bytes);
}

// A long text goes into as many fields as it needs, each cut before a character's first byte so
// that every field is UTF-8 on its own.
void AppendText(QByteArray& out, DetailsField id, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    qsizetype at = 0;
    while (at < utf8.size()) {
        qsizetype n = std::min<qsizetype>(kMaxFieldBytes, utf8.size() - at);
        while (at + n < utf8.size() && n > 0 && (uchar(utf8[at + n]) & 0xC0) == 0x80)
            --n;
        AppendField(out, id, QByteArrayView(utf8).sliced(at, n));
        at += n;
    }
}

void AppendByte(QByteArray& out, DetailsField id, int value) {
    const char byte = char(value);
    AppendField(out, id, QByteArrayView(&byte, 1));
}

constexpr std::pair<DetailsField, QString RecordingDetails::*> kTextFields[] = {
    {DetailsField::Name, &RecordingDetails::name},
    {DetailsField::Breed, &RecordingDetails::breed},
    {DetailsField::Age, &RecordingDetails::age},
    {DetailsField::Owner, &RecordingDetails::owner},
    {DetailsField::CaseNumber, &RecordingDetails::caseNumber},
    {DetailsField::Clinician, &RecordingDetails::clinician},
    {DetailsField::Notes, &RecordingDetails::notes},
};

bool IsWeight(double kg) {
    return std::isfinite(kg) && kg > 0.0;
}

} // namespace

QByteArray EncodeDetails(const RecordingDetails& d, QByteArrayView unknownFields) {
    QByteArray out(2, '\0');
    qToLittleEndian(kDetailsVersion, out.data());
    for (const auto& [id, member] : kTextFields)
        AppendText(out, id, d.*member);
    if (d.species != Species::Unknown)
        AppendByte(out, DetailsField::Species, int(d.species));
    if (d.sex != Sex::Unknown)
        AppendByte(out, DetailsField::Sex, int(d.sex));
    // Years 1 to 9999: the ones that have a "YYYY-MM-DD".
    const QByteArray born = d.born.isValid() ? d.born.toString(Qt::ISODate).toLatin1() : "";
    if (born.size() == 10)
        AppendField(out, DetailsField::Born, born);
    // A weight that is no weight (not a positive number) counts as not entered.
    if (d.weightKg && IsWeight(*d.weightKg))
        AppendField(out, DetailsField::WeightKg,
                    QString::number(*d.weightKg, 'g', QLocale::FloatingPointShortest).toLatin1());
    out.append(unknownFields);
    return out;
}

bool DecodeDetails(QByteArrayView payload, RecordingDetails* details, QByteArray* unknownFields) {
    if (payload.size() < 2 || qFromLittleEndian<quint16>(payload.data()) != kDetailsVersion)
        return false;
    RecordingDetails d;
    QByteArray unknown;
    bool seen[256] = {};
    qsizetype at = 2;
    while (at < payload.size()) {
        if (payload.size() - at < 3)
            return false;
        const auto id = DetailsField(uchar(payload[at]));
        const qsizetype length = qFromLittleEndian<quint16>(payload.data() + at + 1);
        if (length > payload.size() - at - 3)
            return false;
        const QByteArrayView bytes = payload.sliced(at + 3, length);
        const QByteArrayView field = payload.sliced(at, 3 + length);
        at += 3 + length;
        const bool bRepeated = seen[uchar(id)];
        seen[uchar(id)] = true;

        const auto text = std::find_if(std::begin(kTextFields), std::end(kTextFields),
                                       [id](const auto& t) { return t.first == id; });
        if (text != std::end(kTextFields)) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                          QStringDecoder::Flag::ConvertInitialBom);
            const QString chunk = utf8.decode(bytes);
            if (utf8.hasError())
                return false;
            d.*(text->second) += chunk; // a long text goes on where its last field ended
            continue;
        }
        switch (id) {
        case DetailsField::Species:
            if (bRepeated || length != 1 || uchar(bytes[0]) >= kSpeciesReferences.size())
                return false;
            d.species = Species(uchar(bytes[0]));
            break;
        case DetailsField::Sex:
            if (bRepeated || length != 1 || uchar(bytes[0]) >= kSexNames.size())
                return false;
            d.sex = Sex(uchar(bytes[0]));
            break;
        case DetailsField::Born: {
            const QString iso = QString::fromLatin1(bytes);
            const QDate born = QDate::fromString(iso, Qt::ISODate);
            // Only the date's own spelling: ten characters that it writes back the same.
            if (bRepeated || !born.isValid() || born.toString(Qt::ISODate) != iso)
                return false;
            d.born = born;
            break;
        }
        case DetailsField::WeightKg: {
            bool ok = false;
            const double kg = QString::fromLatin1(bytes).toDouble(&ok);
            if (bRepeated || length > 32 || !ok || !IsWeight(kg))
                return false;
            d.weightKg = kg;
            break;
        }
        default:
            unknown.append(field); // a later version's field, kept for it
            break;
        }
    }
    *details = d;
    *unknownFields = unknown;
    return true;
}

bool CZM540Doc::Serialize(QIODevice& ar, Archive mode) {
    return mode == Archive::Store ? StoreRecord(ar) : LoadRecord(ar);
}

bool CZM540Doc::StoreRecord(QIODevice& ar) {
    if (m_bNewRecord) {
        m_header.wFormat = kEcgFormat;
        m_header.tRecorded = std::int32_t(std::time(nullptr));
        m_header.byLeads = m_bTwelveLead ? kTwelveLeadCount : kMonitorLeadCount;
        m_header.byRhythmLead = std::uint8_t(m_nRhythmLead & 0xFF);
        m_header.wSampleRate = kSamplesPerSecond;
        m_header.wUnitsPerMv = kUnitsPerMv;
        m_header.wBitsPerSample = 8;
    }
    m_header.dCutoff = m_dCutoff;

    const std::int32_t count = m_nSamples;
    uchar countBytes[kCountSize];
    qToLittleEndian(count, countBytes);

    bool ok = ar.write(kEcgSignature, kSignatureSize) == kSignatureSize;
    ok = ok && ar.write(EncodeHeader(m_header)) == kHeaderSize;
    ok = ok && ar.write(reinterpret_cast<const char*>(countBytes), kCountSize) == kCountSize;
    auto writeBlock = [&](const std::int8_t* block) {
        ok = ok && ar.write(reinterpret_cast<const char*>(block), count) == count;
    };
    if (m_bTwelveLead) {
        for (const auto& record : m_leadRecord)
            writeBlock(record.data());
    } else {
        writeBlock(m_monitorRecord.data());
    }

    // The details go where the file had them, or after the other blocks; none at all when
    // nothing was entered, so that such a file is written as it always was.
    const bool bDetails = !m_details.IsEmpty() || !m_detailsUnknownFields.isEmpty();
    const std::size_t detailsAt =
        std::min(std::size_t(m_nDetailsBlock < 0 ? m_otherBlocks.size() : m_nDetailsBlock),
                 m_otherBlocks.size());
    for (std::size_t i = 0; i <= m_otherBlocks.size() && ok; ++i) {
        QByteArray block;
        if (bDetails && i == detailsAt)
            block = EncodeBlock(
                {QByteArray(kDetailsTag), EncodeDetails(m_details, m_detailsUnknownFields)});
        if (i < m_otherBlocks.size())
            block += EncodeBlock(m_otherBlocks[i]);
        ok = ar.write(block) == block.size();
    }
    return ok;
}

bool CZM540Doc::LoadRecord(QIODevice& ar) {
    // Everything is checked before the document takes anything from the file: a refused file
    // leaves the cleared document as it was.
    auto refuse = [this] {
        m_nSamples = 0;
        m_prompter.Tell(QString::fromLatin1(kInvalidFileMessage), Prompter::Icon::Warning);
        return false;
    };

    char signature[kSignatureSize];
    if (ar.read(signature, kSignatureSize) != kSignatureSize ||
        std::memcmp(signature, kEcgSignature, kSignatureSize) != 0)
        return refuse();

    char headerBytes[kHeaderSize];
    uchar countBytes[kCountSize];
    if (ar.read(headerBytes, kHeaderSize) != kHeaderSize ||
        ar.read(reinterpret_cast<char*>(countBytes), kCountSize) != kCountSize)
        return refuse();
    const EcgFileHeader header = DecodeHeader(headerBytes);
    const std::int32_t count = qFromLittleEndian<qint32>(countBytes);
    const bool bTwelveLead = header.byLeads == kTwelveLeadCount;
    const int capacity = bTwelveLead ? kLeadCapacity : kMonitorCapacity;
    if (count < 0 || count > capacity)
        return refuse();

    auto readBlock = [&](std::int8_t* block) {
        return ar.read(reinterpret_cast<char*>(block), count) == count;
    };
    bool complete = true;
    if (bTwelveLead) {
        for (auto& record : m_leadRecord)
            complete = complete && readBlock(record.data());
    } else {
        complete = readBlock(m_monitorRecord.data());
    }
    if (!complete)
        return refuse();

    // The blocks after the samples never refuse a file: a damaged one and what follows it are
    // left unread, and the first details block this version reads gives the details.
    QByteArray rest;
    char chunk[4096];
    for (qint64 n; rest.size() <= kMaxBlockBytes && (n = ar.read(chunk, sizeof chunk)) > 0;)
        rest.append(chunk, qsizetype(n));
    rest.truncate(kMaxBlockBytes);
    RecordingDetails details;
    QByteArray detailsUnknownFields;
    int nDetailsBlock = -1;
    std::vector<EcgFileBlock> otherBlocks;
    for (EcgFileBlock& block : SplitBlocks(rest)) {
        if (nDetailsBlock < 0 && block.tag == kDetailsTag &&
            DecodeDetails(block.payload, &details, &detailsUnknownFields)) {
            nDetailsBlock = int(otherBlocks.size());
            continue;
        }
        // Another program's block, or details this version cannot read: kept as they are.
        otherBlocks.push_back(std::move(block));
    }

    m_header = header;
    m_dCutoff = header.dCutoff;
    m_bTwelveLead = bTwelveLead ? 1 : 0;
    m_nRhythmLead = header.byRhythmLead;
    m_nSamples = count;
    m_details = details;
    m_detailsUnknownFields = detailsUnknownFields;
    m_otherBlocks = std::move(otherBlocks);
    m_nDetailsBlock = nDetailsBlock;
    ProcessRecord();
    m_bNewRecord = 0;
    return true;
}
