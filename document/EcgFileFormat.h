#pragma once

#include <QByteArray>

#include <cstdint>

struct EcgFileHeader;

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
