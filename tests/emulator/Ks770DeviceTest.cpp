#include "Ks770Device.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

const QByteArray kIdentify("\x1b\x56", 2);
const QByteArray kStartTwelveLead("\x1b\x41", 2);
const QByteArray kStop("\x1b\x1b", 2);
constexpr qint64 kSecond = 1000000;

QByteArray StartMonitor(int lead) {
    return QByteArray("\x1b", 1) + char('a' + lead);
}

// A host on the other end of the line: what it writes goes out at its port's speed.
struct Host {
    explicit Host(const Ks770Options& options = {}) : device(options) {
        device.SetListener([this](const Ks770Event& e) { events.push_back(e); });
    }
    void Send(const QByteArray& bytes, int baud) {
        device.SetLineSpeed(baud);
        device.Receive(bytes);
    }
    QByteArray Listen(qint64 us, int baud) {
        device.SetLineSpeed(baud);
        return device.Advance(us);
    }
    std::vector<Ks770Event> Samples() const {
        std::vector<Ks770Event> s;
        for (const Ks770Event& e : events)
            if (e.kind == Ks770Event::Kind::Sample)
                s.push_back(e);
        return s;
    }

    Ks770Device device;
    std::vector<Ks770Event> events;
};

// Checks the 12-lead framing and returns the frames' values (bytes minus 126).
std::vector<std::array<int, 8>> Frames(const QByteArray& stream, char sync = char(0xFF)) {
    std::vector<std::array<int, 8>> frames;
    EXPECT_EQ(stream.size() % 9, 0);
    for (qsizetype i = 0; i + 9 <= stream.size(); i += 9) {
        EXPECT_EQ(stream[i], sync) << "frame " << i / 9;
        std::array<int, 8> f{};
        for (int k = 0; k < 8; ++k) {
            const int b = quint8(stream[i + 1 + k]);
            EXPECT_LE(b, 254) << "frame " << i / 9;
            f[k] = b - 126;
        }
        frames.push_back(f);
    }
    return frames;
}

} // namespace

TEST(Ks770Device, IdentifiesItselfOnlyToTheExactCommandAt19200) {
    struct Case {
        const char* what;
        std::vector<std::pair<QByteArray, int>> writes; // bytes and the host's speed
        QByteArray answer;
    };
    const Case cases[] = {
        {"ESC V", {{kIdentify, 19200}}, "KS770Vet V2.35"},
        {"split over two writes", {{"\x1b", 19200}, {"V", 19200}}, "KS770Vet V2.35"},
        {"after noise bytes", {{"xy", 19200}, {kIdentify, 19200}}, "KS770Vet V2.35"},
        {"at 115200", {{kIdentify, 115200}}, ""},
        {"at 9600", {{kIdentify, 9600}}, ""},
        {"ESC lost at the wrong speed", {{"\x1b", 115200}, {"V", 19200}}, ""},
        {"V alone", {{"V", 19200}}, ""},
        {"lower-case v", {{"\x1bv", 19200}}, ""},
        {"ESC and another letter", {{"\x1bX", 19200}}, ""},
        {"twice", {{kIdentify + kIdentify, 19200}}, "KS770Vet V2.35KS770Vet V2.35"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host;
        for (const auto& [bytes, baud] : c.writes)
            host.Send(bytes, baud);
        EXPECT_EQ(host.Listen(250000, 19200), c.answer);
        EXPECT_EQ(host.device.GetState(), Ks770Device::State::Idle);
        EXPECT_TRUE(host.Samples().empty());
    }
}

TEST(Ks770Device, AnswersShortlyAfterTheCommandAndOnlyToAListeningHost) {
    Host host;
    host.Send(kIdentify, 19200);
    EXPECT_EQ(host.Listen(Ks770Device::kAnswerDelayUs - 1, 19200), "");
    EXPECT_EQ(host.Listen(1, 19200), "KS770Vet V2.35");
    EXPECT_EQ(host.Listen(kSecond, 19200), "");

    // A host that has switched speed before the answer comes hears nothing.
    host.Send(kIdentify, 19200);
    EXPECT_EQ(host.Listen(kSecond, 115200), "");
}

TEST(Ks770Device, IdentificationFaults) {
    struct Case {
        const char* what;
        Ks770Options options;
        QByteArray answer;
    };
    Ks770Options noAnswer, older, trailingCr;
    noAnswer.bNoAnswer = true;
    older.versionText = "KS770Vet V2.34";
    trailingCr.bTrailingCr = true;
    const Case cases[] = {
        {"no answer", noAnswer, ""},
        {"another version", older, "KS770Vet V2.34"},
        {"trailing carriage return", trailingCr, "KS770Vet V2.35\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host(c.options);
        host.Send(kIdentify, 19200);
        EXPECT_EQ(host.Listen(250000, 19200), c.answer);
    }
}

TEST(Ks770Device, TwelveLeadStreamRunsAt300FramesPerSecondWhateverTheTimeSplit) {
    // Frames due after a given time from the start command: exactly floor(t * 300).
    const std::pair<qint64, int> due[] = {{3333, 0},     {3334, 1},      {6667, 2},
                                          {999999, 299}, {kSecond, 300}, {10 * kSecond, 3000}};
    for (const auto& [us, frames] : due) {
        SCOPED_TRACE(us);
        Host host;
        host.Send(kStartTwelveLead, 19200);
        EXPECT_EQ(host.device.DeviceSpeed(), 115200);
        EXPECT_EQ(host.Listen(us, 115200).size(), 9 * frames);
    }

    // The same two seconds cut into different pieces give the same bytes.
    const std::vector<qint64> splits[] = {{2 * kSecond}, {1}, {3333}, {3334}, {997, 1, 12345}};
    QByteArray reference;
    for (const std::vector<qint64>& pieces : splits) {
        Host host;
        host.Send(kStartTwelveLead, 19200);
        QByteArray stream;
        qint64 left = 2 * kSecond;
        for (size_t i = 0; left > 0; ++i) {
            const qint64 step = std::min(left, pieces[i % pieces.size()]);
            stream += host.Listen(step, 115200);
            left -= step;
        }
        ASSERT_EQ(stream.size(), 600 * 9);
        if (reference.isEmpty()) {
            reference = stream;
            Frames(reference);
        }
        EXPECT_EQ(stream, reference) << "split " << pieces.front();
    }
}

TEST(Ks770Device, StreamsAreWhatTheEcgGivesAndWhatTheLogSays) {
    // 12-lead frames carry I, II, V1..V6; monitoring carries the chosen limb lead, ESC a for
    // I to ESC f for aVF. Compared with the ECG of the same seed.
    EcgOptions ecg;
    ecg.bNoise = ecg.bHum = ecg.bWander = true;
    ecg.nSeed = 11;
    Ks770Options options;
    options.ecg = ecg;
    for (int mode = -1; mode < 6; ++mode) {
        SCOPED_TRACE(mode);
        const bool bTwelveLead = mode < 0;
        Host host(options);
        host.Send(bTwelveLead ? kStartTwelveLead : StartMonitor(mode), 19200);
        ASSERT_EQ(host.device.GetState(),
                  bTwelveLead ? Ks770Device::State::TwelveLead : Ks770Device::State::Monitor);
        const int baud = bTwelveLead ? 115200 : 19200;
        const QByteArray stream = host.Listen(kSecond, baud);
        ASSERT_EQ(stream.size(), bTwelveLead ? 300 * 9 : 300);

        SyntheticEcg source(ecg);
        const std::vector<Ks770Event> samples = host.Samples();
        ASSERT_EQ(samples.size(), 300u);
        const std::vector<std::array<int, 8>> frames =
            bTwelveLead ? Frames(stream) : std::vector<std::array<int, 8>>();
        for (int n = 0; n < 300; ++n) {
            EcgInstant inst;
            source.Next(&inst);
            const Ks770Event& e = samples[n];
            if (bTwelveLead) {
                const std::array<int, 8> expected = {inst.units[kChI],      inst.units[kChII],
                                                     inst.units[kChV1],     inst.units[kChV1 + 1],
                                                     inst.units[kChV1 + 2], inst.units[kChV1 + 3],
                                                     inst.units[kChV1 + 4], inst.units[kChV1 + 5]};
                ASSERT_EQ(frames[n], expected) << "frame " << n;
                ASSERT_EQ(e.nCount, 8);
                ASSERT_EQ(e.values, expected);
            } else {
                ASSERT_EQ(quint8(stream[n]) - 126, inst.units[mode]) << "sample " << n;
                ASSERT_EQ(e.nCount, 1);
                ASSERT_EQ(e.nLead, mode);
                ASSERT_EQ(e.values[0], inst.units[mode]);
            }
        }
    }
}

TEST(Ks770Device, SpeedsOfTheSessions) {
    // 12-lead talks at 115200, monitoring stays at 19200; a host at the other speed hears
    // nothing, and ESC b monitors lead II.
    Host twelve;
    twelve.Send(kStartTwelveLead, 19200);
    EXPECT_EQ(twelve.Listen(kSecond, 19200), "");
    EXPECT_EQ(twelve.Listen(kSecond, 115200).size(), 300 * 9);

    Host monitor;
    monitor.Send(StartMonitor(1), 19200);
    EXPECT_EQ(monitor.device.MonitoredLead(), 1);
    EXPECT_EQ(monitor.Listen(kSecond, 115200), "");
    EXPECT_EQ(monitor.Listen(kSecond, 19200).size(), 300);

    // A start command at the wrong speed starts nothing.
    Host wrong;
    wrong.Send(kStartTwelveLead, 115200);
    EXPECT_EQ(wrong.device.GetState(), Ks770Device::State::Idle);
    EXPECT_EQ(wrong.Listen(kSecond, 115200), "");
}

TEST(Ks770Device, EscEscStopsAtTheSessionSpeed) {
    struct Case {
        const char* what;
        QByteArray start;
        int baud;
    };
    const Case cases[] = {
        {"12-lead", kStartTwelveLead, 115200},
        {"monitoring", StartMonitor(4), 19200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host;
        host.Send(c.start, 19200);
        host.Listen(kSecond / 2, c.baud);
        // Other commands are not heard while streaming; the stream goes on.
        host.Send(kIdentify + kStartTwelveLead + StartMonitor(0), c.baud);
        EXPECT_FALSE(host.Listen(kSecond / 2, c.baud).contains("KS770"));
        // The stop command split over two writes.
        host.Send("\x1b", c.baud);
        host.Send("\x1b", c.baud);
        EXPECT_EQ(host.device.GetState(), Ks770Device::State::Idle);
        EXPECT_EQ(host.device.DeviceSpeed(), 19200);
        EXPECT_EQ(host.Listen(kSecond, c.baud), "");
        EXPECT_EQ(host.Listen(kSecond, 19200), "");
        // Idle again: identifies itself at 19200.
        host.Send(kIdentify, 19200);
        EXPECT_EQ(host.Listen(kSecond, 19200), "KS770Vet V2.35");

        std::vector<Ks770Event::Kind> kinds;
        for (const Ks770Event& e : host.events)
            if (e.kind != Ks770Event::Kind::Sample)
                kinds.push_back(e.kind);
        ASSERT_EQ(kinds.size(), 2u);
        EXPECT_EQ(kinds[1], Ks770Event::Kind::Stop);
        EXPECT_EQ(host.Samples().size(), 300u);
    }

    // A stop at the wrong speed is not heard.
    Host host;
    host.Send(kStartTwelveLead, 19200);
    host.Send(kStop, 19200);
    EXPECT_EQ(host.device.GetState(), Ks770Device::State::TwelveLead);
}

TEST(Ks770Device, LimbLeadsOfMonitoringAgreeWithThe12LeadStream) {
    // Same seed, same instants: the monitored III, aVR, aVL and aVF are what a receiver derives
    // from the 12-lead I and II, and III = II - I exactly.
    Ks770Options options;
    options.ecg.bNoise = options.ecg.bWander = true;
    options.ecg.nSeed = 5;
    Host twelve(options);
    twelve.Send(kStartTwelveLead, 19200);
    const std::vector<std::array<int, 8>> frames = Frames(twelve.Listen(2 * kSecond, 115200));
    for (int lead = 2; lead < 6; ++lead) {
        SCOPED_TRACE(lead);
        Host monitor(options);
        monitor.Send(StartMonitor(lead), 19200);
        const QByteArray stream = monitor.Listen(2 * kSecond, 19200);
        ASSERT_EQ(size_t(stream.size()), frames.size());
        for (size_t n = 0; n < frames.size(); ++n) {
            const int nI = frames[n][0], nII = frames[n][1], nIII = nII - nI;
            const int expected[] = {
                0, 0, nIII, -((nI + nII) / 2), (nI - nIII) / 2, (nII + nIII) / 2};
            ASSERT_EQ(quint8(stream[qsizetype(n)]) - 126, expected[lead]) << "sample " << n;
        }
    }
}

TEST(Ks770Device, LineFaultsDropBytesAndSpoilTheSync) {
    Ks770Options clean, dropping, wrongSync;
    dropping.nDropEvery = 10;
    wrongSync.bWrongSync = true;
    for (bool bTwelveLead : {true, false}) {
        SCOPED_TRACE(bTwelveLead);
        const QByteArray start = bTwelveLead ? kStartTwelveLead : StartMonitor(1);
        const int baud = bTwelveLead ? 115200 : 19200;
        Host a(clean), b(dropping);
        a.Send(start, 19200);
        b.Send(start, 19200);
        const QByteArray full = a.Listen(kSecond, baud);
        // Split so that the byte count crosses calls.
        QByteArray lossy = b.Listen(kSecond / 3, baud);
        lossy += b.Listen(kSecond - kSecond / 3, baud);
        QByteArray expected;
        for (qsizetype i = 0; i < full.size(); ++i)
            if ((i + 1) % 10 != 0)
                expected += full[i];
        EXPECT_EQ(lossy, expected);
        // The log still has every instant the unit sent.
        EXPECT_EQ(b.Samples().size(), 300u);
    }

    Host a(clean), b(wrongSync);
    a.Send(kStartTwelveLead, 19200);
    b.Send(kStartTwelveLead, 19200);
    const QByteArray good = a.Listen(kSecond, 115200);
    const QByteArray bad = b.Listen(kSecond, 115200);
    EXPECT_FALSE(bad.contains(char(0xFF)));
    EXPECT_EQ(Frames(bad, char(0xFE)), Frames(good));
}

TEST(Ks770Device, DisconnectsAfterTheGivenStreamingTime) {
    Ks770Options options;
    options.dDisconnectAfterSeconds = 1.5;

    // Idle time does not count; the line goes 1.5 s into streaming, with 450 frames sent.
    Host host(options);
    EXPECT_EQ(host.Listen(10 * kSecond, 19200), "");
    host.Send(kStartTwelveLead, 19200);
    EXPECT_EQ(host.Listen(kSecond, 115200).size(), 300 * 9);
    EXPECT_FALSE(host.device.Disconnected());
    EXPECT_EQ(host.Listen(kSecond, 115200).size(), 150 * 9);
    EXPECT_TRUE(host.device.Disconnected());
    // Gone: nothing is heard or sent any more.
    host.Send(kStop, 115200);
    host.Send(kIdentify, 19200);
    EXPECT_EQ(host.Listen(kSecond, 19200), "");
    EXPECT_EQ(host.Listen(kSecond, 115200), "");

    // Streaming time adds up over sessions.
    Host twice(options);
    twice.Send(StartMonitor(0), 19200);
    EXPECT_EQ(twice.Listen(kSecond, 19200).size(), 300);
    twice.Send(kStop, 19200);
    twice.Listen(kSecond, 19200);
    twice.Send(StartMonitor(0), 19200);
    EXPECT_EQ(twice.Listen(kSecond, 19200).size(), 150);
    EXPECT_TRUE(twice.device.Disconnected());
}

TEST(Ks770Device, SameSeedSameStream) {
    auto stream = [](quint64 seed) {
        Ks770Options options;
        options.ecg.bNoise = options.ecg.bHum = options.ecg.bWander = true;
        options.ecg.nSeed = seed;
        Host host(options);
        host.Send(kStartTwelveLead, 19200);
        return host.Listen(3 * kSecond, 115200);
    };
    EXPECT_EQ(stream(7), stream(7));
    EXPECT_NE(stream(7), stream(8));
}
