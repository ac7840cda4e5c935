#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <vector>

struct EcgFileBlock;
struct EcgFileHeader;
struct RecordingDetails;

// The ".vecg" layout: 22 signature bytes, the 22-byte header, a signed 32-bit sample count
// and the sample blocks (six for 12-lead, one for monitoring), all little-endian.
constexpr int kSignatureSize = 22;
constexpr int kHeaderSize = 22;
constexpr int kCountSize = 4;
constexpr int kSamplesOffset = kSignatureSize + kHeaderSize + kCountSize;
extern const char kEcgSignature[kSignatureSize];

constexpr std::uint16_t kEcgFormat = 565;
constexpr std::uint8_t kTwelveLeadCount = 12;
constexpr std::uint8_t kMonitorLeadCount = 1;

inline constexpr const char* kInvalidFileMessage = "The is not a valid ZM540Vet ECG file";

QByteArray EncodeHeader(const EcgFileHeader& header);
EcgFileHeader DecodeHeader(const char* bytes);

// After the samples a file may carry tagged blocks: a 4-byte printable ASCII tag, a 32-bit
// payload length and the payload. Readers that stop after the samples never see them.
constexpr int kBlockTagSize = 4;
constexpr int kBlockHeadSize = kBlockTagSize + 4;
inline constexpr char kDetailsTag[] = "DTLS";
// What a reader takes of the bytes after the samples; blocks beyond it are left unread.
constexpr qsizetype kMaxBlockBytes = 16 * 1024 * 1024;

// The details payload: a 16-bit version, then fields of an 8-bit id, a 16-bit length and that
// many bytes. Texts are UTF-8; a text longer than a field holds goes on in further fields of
// the same id.
constexpr std::uint16_t kDetailsVersion = 1;
constexpr int kMaxFieldBytes = 0xFFFF;
enum class DetailsField : std::uint8_t {
    Name = 1,
    Species = 2, // one byte, the Species value
    Breed = 3,
    Sex = 4,      // one byte, the Sex value
    Born = 5,     // "YYYY-MM-DD"
    Age = 6,      // free text
    WeightKg = 7, // a decimal number in ASCII, "12.5"
    Owner = 8,
    CaseNumber = 9,
    Clinician = 10,
    Notes = 11,
};

// The blocks `bytes` splits into, up to the first that is damaged (a tag that is not printable
// ASCII, a length running past the end); what follows that is not a block.
std::vector<EcgFileBlock> SplitBlocks(QByteArrayView bytes);
QByteArray EncodeBlock(const EcgFileBlock& block);
// The details payload, with `unknownFields` (whole fields of ids this version does not know)
// after the fields it writes itself.
QByteArray EncodeDetails(const RecordingDetails& details, QByteArrayView unknownFields);
// False, with `details` and `unknownFields` untouched, for a payload of another version or one
// that is damaged anywhere: a field running past the end, a text that is not UTF-8, a one-byte
// field of another size or value, a date or a weight that does not read, a field other than a text
// given twice.
bool DecodeDetails(QByteArrayView payload, RecordingDetails* details, QByteArray* unknownFields);
