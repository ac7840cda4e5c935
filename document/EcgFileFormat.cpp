#include "EcgFileFormat.h"

#include "Prompter.h"
#include "ZM540Doc.h"

#include <QIODevice>
#include <QtEndian>

#include <bit>
#include <cstring>
#include <ctime>

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

    m_header = header;
    m_dCutoff = header.dCutoff;
    m_bTwelveLead = bTwelveLead ? 1 : 0;
    m_nRhythmLead = header.byRhythmLead;
    m_nSamples = count;
    ProcessRecord();
    m_bNewRecord = 0;
    return true;
}
