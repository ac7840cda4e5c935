// The program against ks770sim on a pseudo-terminal: scripted sessions through the real serial
// path, compared with what the simulated unit logged.
#include "TestSupport.h"

#include "LinkCheckDlg.h"
#include "SerialBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {

struct Sim {
    QProcess process;
    QString path;
    QTemporaryDir dir;
    QString Log() const { return dir.filePath("sent.log"); }

    explicit Sim(const QStringList& options) {
        process.start(QStringLiteral(KS770SIM),
                      QStringList{"--log", Log(), "--seed", "7"} + options);
        process.waitForStarted(10000);
        QElapsedTimer timer;
        timer.start();
        while (!process.canReadLine() && timer.elapsed() < 10000)
            process.waitForReadyRead(100);
        path = QString::fromLocal8Bit(process.readLine().trimmed());
    }
    ~Sim() {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    // The lines of the log: commands as they are, samples as numbers.
    QStringList Lines() const {
        return QString::fromLatin1(ReadAll(Log())).split('\n', Qt::SkipEmptyParts);
    }
    std::vector<std::vector<int>> Samples() const {
        std::vector<std::vector<int>> rows;
        for (const QString& line : Lines()) {
            if (line.startsWith('#'))
                continue;
            std::vector<int> row;
            for (const QString& v : line.split(','))
                row.push_back(v.toInt());
            rows.push_back(row);
        }
        return rows;
    }
};

struct ProgramRun {
    int exitCode;
    QString err;
};

ProgramRun Program(const QStringList& args, const QString& settings) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZM540VET), QStringList{"--settings", settings} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// Where the recording's values of `channel` start among the logged samples, or -1.
long FindRun(const std::vector<std::vector<int>>& sent, const std::int8_t* record, int n,
             int channel) {
    for (std::size_t start = 0; start + std::size_t(n) <= sent.size(); ++start) {
        bool match = true;
        for (int i = 0; i < n && match; ++i)
            match = sent[start + std::size_t(i)][std::size_t(channel)] == record[i];
        if (match)
            return long(start);
    }
    return -1;
}

// Every port leads to `device`.
LineFactory AllPortsTo(const QString& device) {
    return [device](int) { return MakeDeviceLine(device); };
}

// A pseudo-terminal whose device is the serial line of every port of `Lines()`; the test plays
// the unit on `master`, which never blocks.
struct PseudoTerminal {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    PseudoTerminal() {
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        device = QString::fromLocal8Bit(ptsname(master));
        bReady = true;
    }
    ~PseudoTerminal() {
        if (master >= 0)
            ::close(master);
    }
    LineFactory Lines() const { return AllPortsTo(device); }
    QString device;
    bool bReady = false;
};

} // namespace

TEST(EndToEnd, TwelveLeadRecordingIsTheLastFramesSent) {
    Sim sim({"--noise"});
    ASSERT_TRUE(sim.path.startsWith("/dev/"));
    DocFixture f;
    const ProgramRun run = Program({"--serial-device", sim.path, "--mode", "12lead", "--filter",
                                    "Unfiltered", "--record", "10.6", "--save", f.Path("r.vecg")},
                                   f.Path("s.ini"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(f.doc->OnOpenDocument(f.Path("r.vecg")));
    ASSERT_EQ(f.doc->m_nSamples, 3000);
    EXPECT_TRUE(sim.Lines().contains("# start 12lead"));
    EXPECT_TRUE(sim.Lines().contains("# stop"));
    const auto sent = sim.Samples();
    const long start = FindRun(sent, f.doc->m_leadRecord[0].data(), 3000, 0);
    ASSERT_GE(start, 0);
    // The kept span ends with the last frames that reached the program before the stop.
    EXPECT_LE(long(sent.size()) - (start + 3000), 40);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(f.doc->m_leadRecord[1][i], sent[std::size_t(start + i)][1]) << i;
        ASSERT_EQ(f.doc->m_leadRecord[2][i],
                  std::int8_t(f.doc->m_leadRecord[1][i] - f.doc->m_leadRecord[0][i]));
    }
}

TEST(EndToEnd, MonitoringOfLeadII) {
    Sim sim({"--cat"});
    DocFixture f;
    const ProgramRun run = Program({"--serial-device", sim.path, "--mode", "monitor", "--lead",
                                    "II", "--record", "2", "--save", f.Path("m.vecg")},
                                   f.Path("s.ini"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(sim.Lines().contains("# start monitor II")); // ESC b
    ASSERT_TRUE(f.doc->OnOpenDocument(f.Path("m.vecg")));
    EXPECT_EQ(f.doc->m_bTwelveLead, 0);
    EXPECT_GT(f.doc->m_nSamples, 450);
    EXPECT_GE(FindRun(sim.Samples(), f.doc->m_monitorRecord.data(), f.doc->m_nSamples, 0), 0);
}

TEST(EndToEnd, LinkCheckOutcomes) {
    struct Case {
        QStringList simOptions;
        bool bAccepted;
    };
    for (const Case& c :
         {Case{{}, true}, Case{{"--trailing-cr"}, false}, Case{{"--no-answer"}, false},
          Case{{"--version-text", "KS770Vet V2.34"}, false}}) {
        Sim sim(c.simOptions);
        EXPECT_EQ(LinkTest(0, AllPortsTo(sim.path)), c.bAccepted)
            << c.simOptions.join(' ').toStdString();
    }
    EXPECT_FALSE(LinkTest(0, AllPortsTo("/dev/no-such-port")));
}

TEST(EndToEnd, RefusedAndBrokenSessionsSayWhy) {
    DocFixture f;
    Sim quiet({"--no-answer"});
    ProgramRun run =
        Program({"--serial-device", quiet.path, "--record", "1", "--save", f.Path("q.vecg")},
                f.Path("s.ini"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("KS770Vet not present")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(f.Path("q.vecg")));

    run = Program(
        {"--serial-device", "/dev/no-such-port", "--record", "1", "--save", f.Path("n.vecg")},
        f.Path("s.ini"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("not found on the communication port")) << run.err.toStdString();

    // The cable goes during the session: what arrived is saved, and the run says so.
    Sim leaving({"--disconnect-after", "1"});
    run = Program({"--serial-device", leaving.path, "--mode", "monitor", "--record", "3", "--save",
                   f.Path("d.vecg")},
                  f.Path("s.ini"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("connection to the recorder was lost")) << run.err.toStdString();
    ASSERT_TRUE(f.doc->OnOpenDocument(f.Path("d.vecg")));
    EXPECT_GT(f.doc->m_nSamples, 200);
    EXPECT_GE(FindRun(leaving.Samples(), f.doc->m_monitorRecord.data(), f.doc->m_nSamples, 0), 0);
}

// The receive threshold on a real terminal: no event below it, one as soon as it is met even
// when the last bytes are few, and then every waiting byte, however large the burst.
TEST(EndToEnd, ReceiveThresholdOnATerminal) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.bReady);
    const int master = terminal.master;
    CMSComm comm(terminal.Lines());
    comm.SetSettings("115200,N,8,1");
    comm.SetRThreshold(135);
    ASSERT_TRUE(comm.SetPortOpen(true));
    // As a session does, every event takes what waits.
    std::vector<qsizetype> events;
    QObject::connect(&comm, &CMSComm::OnComm, [&] { events.push_back(comm.GetInput().size()); });
    // Sends n bytes, lets them settle in the terminal, then runs the event loop for a while.
    const auto send = [&](int n, int waitMs) {
        events.clear();
        const QByteArray bytes(n, '\x7f');
        ASSERT_EQ(::write(master, bytes.constData(), std::size_t(n)), n);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QElapsedTimer timer;
        timer.start();
        while (events.empty() && timer.elapsed() < waitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };

    send(100, 300);
    EXPECT_TRUE(events.empty());
    send(40, 2000);
    EXPECT_EQ(events, std::vector<qsizetype>{140});
    send(1000, 2000);
    EXPECT_EQ(events, std::vector<qsizetype>{1000});

    comm.SetPortOpen(false);
}

// A session writes its start command at one speed and at once reopens the line at another.
// The command must still reach the unit, while bytes the line held unread before it was closed
// must not reach the next opening. The terminal hands written bytes on a moment later, so a
// loss shows only sometimes; the sequence is repeated to catch it.
TEST(EndToEnd, ReopeningATerminalKeepsWhatWasWritten) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.bReady);
    const int master = terminal.master;
    CMSComm comm(terminal.Lines());
    for (int i = 0; i < 200; ++i) {
        comm.SetSettings("19200,N,8,1");
        ASSERT_TRUE(comm.SetPortOpen(true));
        ASSERT_EQ(::write(master, "old", 3), 3);
        ASSERT_TRUE(comm.SetOutput(QByteArray("\033A")));
        comm.SetPortOpen(false);
        comm.SetSettings("115200,N,8,1");
        ASSERT_TRUE(comm.SetPortOpen(true));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

        char sent[16] = {};
        ASSERT_EQ(::read(master, sent, sizeof sent), 2) << "try " << i;
        EXPECT_EQ(QByteArray(sent), QByteArray("\033A"));
        ASSERT_EQ(comm.GetInBufferCount(), 0) << "try " << i;
        comm.SetPortOpen(false);
    }
}
