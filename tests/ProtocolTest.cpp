// The program's statement of the recorder's protocol held against the emulated unit's own: the
// emulator is an independent model of the unit, so the two must agree byte for byte.
#include "Ks770Device.h"
#include "RecorderProtocol.h"
#include "SerialBackend.h"
#include "StreamDecoder.h"

#include <gtest/gtest.h>

namespace {

constexpr qint64 kSecond = 1000000;

int BaudOf(const char* settings) {
    const std::optional<PortSettings> s = PortSettings::Parse(QString::fromLatin1(settings));
    return s ? s->baud : -1;
}

} // namespace

TEST(Protocol, TheProgramAndTheEmulatedUnitAgree) {
    EXPECT_EQ(BaudOf(kIdleSettings), Ks770Device::kIdleBaud);
    EXPECT_EQ(BaudOf(kIdleSettings), Ks770Device::kMonitorBaud);
    EXPECT_EQ(BaudOf(kTwelveLeadSettings), Ks770Device::kTwelveLeadBaud);
    EXPECT_EQ(char(kFrameSync), Ks770Device::kSync);
    EXPECT_EQ(kFrameSize, Ks770Device::kFrameSize);
    EXPECT_EQ(kSampleOffset, Ks770Device::kByteOffset);

    // The commands, as the unit hears them.
    Ks770Device unit;
    unit.SetLineSpeed(BaudOf(kIdleSettings));
    unit.Receive(kIdentifyCommand);
    EXPECT_EQ(unit.Advance(kSecond / 10), QByteArray(kIdentifier));

    unit.Receive(kStartTwelveLeadCommand);
    EXPECT_EQ(unit.GetState(), Ks770Device::State::TwelveLead);
    unit.SetLineSpeed(BaudOf(kTwelveLeadSettings));
    const QByteArray frames = unit.Advance(kSecond);
    ASSERT_EQ(frames.size(), 300 * kFrameSize);
    EXPECT_EQ(std::uint8_t(frames[0]), kFrameSync);
    unit.Receive(kStopCommand);
    EXPECT_EQ(unit.GetState(), Ks770Device::State::Idle);

    unit.SetLineSpeed(BaudOf(kIdleSettings));
    for (int lead = 0; lead < 6; ++lead) {
        SCOPED_TRACE(lead);
        unit.Receive(StartMonitorCommand(lead));
        EXPECT_EQ(unit.GetState(), Ks770Device::State::Monitor);
        EXPECT_EQ(unit.MonitoredLead(), lead);
        unit.Receive(kStopCommand);
        EXPECT_EQ(unit.GetState(), Ks770Device::State::Idle);
    }
}

TEST(Protocol, DataBytesCarryTheSamplePlus126) {
    // Hand-picked bytes: 126 is the baseline, 0 the lowest and 253 the highest sample.
    EXPECT_EQ(SampleOfByte(126), 0);
    EXPECT_EQ(SampleOfByte(159), 33);
    EXPECT_EQ(SampleOfByte(0), -126);
    EXPECT_EQ(SampleOfByte(253), 127);
}
