#pragma once

#include <QByteArray>

#include <cstdint>

// What passes between the program and the KS770Vet recorder unit on the serial line.
//
// Idle, the unit listens at 19200 baud. ESC V asks for its identifier. ESC A starts the 12-lead
// stream, sent at 115200 baud in frames of a sync byte and eight channel bytes (I, II, V1..V6);
// ESC a to ESC f start the monitoring of one limb lead (I to aVF), one byte per sample at 19200
// baud. ESC ESC stops either. A data byte carries the sample plus 126.

constexpr char kIdentifyCommand[] = "\033V";
constexpr char kStartTwelveLeadCommand[] = "\033A";
constexpr char kStopCommand[] = "\033\033";
// The command that starts the monitoring of limb lead `lead` (0 I .. 5 aVF).
inline QByteArray StartMonitorCommand(int lead) {
    return QByteArray("\033") + char('a' + lead);
}

// The answer to ESC V of a unit the program works with.
constexpr char kIdentifier[] = "KS770Vet V2.35";

// Line settings: identification and monitoring, and the 12-lead stream.
constexpr char kIdleSettings[] = "19200,N,8,1";
constexpr char kTwelveLeadSettings[] = "115200,N,8,1";

constexpr std::uint8_t kFrameSync = 0xFF;
constexpr int kFrameSize = 9; // the sync byte and eight channel bytes
constexpr int kSampleOffset = 126;
