#include "TestSupport.h"

#include "ArrivalPace.h"
#include "EmulatorBackend.h"
#include "LinkCheckDlg.h"
#include "ZM540View.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FakeFrame : public FrameControls {
  public:
    int GetFilterIndex() const override { return filterIndex; }
    void SetFilterIndex(int n) override { filterIndex = n; }
    void SetStatusText(const QString& text) override { status = text; }
    void SetTopMost(bool b) override { topMost = b; }
    int filterIndex = 1;
    QString status = "Ready";
    bool topMost = false;
};

// The emulated line, remembering every byte the program wrote to it.
class LoggingLine : public EmulatorBackend {
  public:
    LoggingLine(std::shared_ptr<EmulatedUnit> unit, QByteArray& log)
        : EmulatorBackend(std::move(unit)), m_log(log) {}
    bool Write(const QByteArray& bytes) override {
        m_log += bytes;
        return EmulatorBackend::Write(bytes);
    }

  private:
    QByteArray& m_log;
};

// A view over a document whose port 1 is an emulated recorder that logs what it sends. The
// unit's clock is driven by the test: Run lets device time pass at once.
struct SessionFixture {
    DocFixture f;
    FakeFrame frame;
    std::shared_ptr<EmulatedUnit> unit;
    std::vector<Ks770Event> sent;
    std::unique_ptr<CZM540View> view;
    int opens = 0;
    int maxOpens = 1000;
    QByteArray written;

    explicit SessionFixture(const Ks770Options& options = {})
        : unit(std::make_shared<EmulatedUnit>(options)) {
        unit->Device().SetListener([this](const Ks770Event& e) { sent.push_back(e); });
        f.settings.COMS = 0;
        view = std::make_unique<CZM540View>(*f.doc, f.settings,
                                            [this](int port) -> std::unique_ptr<SerialBackend> {
                                                if (port != 1 || ++opens > maxOpens)
                                                    return nullptr;
                                                return std::make_unique<LoggingLine>(unit, written);
                                            });
        view->SetFrameControls(&frame);
        view->resize(800, 600);
    }
    // `ms` of the unit's time pass at once; what it sent meanwhile is then taken in, as the
    // line looks again within ArrivalPace::kLongestWaitMs.
    void Run(int ms) {
        unit->Skip(ms);
        WaitWithoutInput(ArrivalPace::kLongestWaitMs + 50);
    }
    bool Acquiring() const { return view->IsAcquiring(); }
    // The samples of one channel sent while streaming.
    std::vector<int> Sent(int channel) const {
        std::vector<int> values;
        for (const Ks770Event& e : sent)
            if (e.kind == Ks770Event::Kind::Sample)
                values.push_back(e.values[std::size_t(channel)]);
        return values;
    }
};

// Whether `part` appears in `whole` as one contiguous run.
bool ContainsRun(const std::vector<int>& whole, const std::vector<int>& part) {
    return !part.empty() &&
           std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

std::vector<int> Recorded(const std::int8_t* record, int n) {
    return std::vector<int>(record, record + n);
}

} // namespace

TEST(Session, TwelveLeadRecordingHoldsTheFramesSent) {
    SessionFixture s;
    s.f.doc->m_dCutoff = 0.0;
    s.frame.filterIndex = 0;
    s.view->OnRecord();
    ASSERT_EQ(s.Acquiring(), true);
    EXPECT_TRUE(s.frame.topMost);
    EXPECT_EQ(s.frame.status, "Click any mouse button or press any key to stop");
    EXPECT_EQ(s.unit->Device().GetState(), Ks770Device::State::TwelveLead);
    EXPECT_EQ(s.unit->Device().LineSpeed(), 115200);
    EXPECT_EQ(s.written, QByteArray("\x1B\x56\x1B\x41")); // identify, then start 12-lead
    s.Run(1500);
    s.view->OnRecord();
    EXPECT_EQ(s.Acquiring(), false);
    EXPECT_FALSE(s.frame.topMost);
    EXPECT_EQ(s.frame.status, "Ready");
    EXPECT_EQ(s.unit->Device().GetState(), Ks770Device::State::Idle); // ESC ESC reached it

    const CZM540Doc& doc = *s.f.doc;
    EXPECT_GE(doc.m_nSamples, 450);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_NEAR(doc.m_header.tRecorded, std::time(nullptr), 5);
    // What was recorded is a run of what was sent, lead by lead, with the derived leads.
    EXPECT_TRUE(ContainsRun(s.Sent(0), Recorded(doc.m_leadRecord[0].data(), doc.m_nSamples)));
    EXPECT_TRUE(ContainsRun(s.Sent(1), Recorded(doc.m_leadRecord[1].data(), doc.m_nSamples)));
    for (int i = 0; i < doc.m_nSamples; ++i)
        ASSERT_EQ(doc.m_leadRecord[2][i],
                  std::int8_t(doc.m_leadRecord[1][i] - doc.m_leadRecord[0][i]));
}

TEST(Session, MonitoringOfLeadIIAndStoppingByInput) {
    for (int way = 0; way < 3; ++way) { // the Record button, a key, a right click
        SessionFixture s;
        s.f.doc->m_bTwelveLead = 0;
        s.f.doc->m_nRhythmLead = 1;
        s.frame.filterIndex = 2;
        s.view->OnRecord();
        ASSERT_EQ(s.Acquiring(), true);
        EXPECT_EQ(s.unit->Device().GetState(), Ks770Device::State::Monitor);
        EXPECT_EQ(s.unit->Device().MonitoredLead(), 1); // ESC b
        EXPECT_EQ(s.unit->Device().LineSpeed(), 19200);
        EXPECT_EQ(s.frame.filterIndex, 0); // the chooser shows "Unfiltered" while not filtering
        s.Run(1000);
        if (way == 0)
            s.view->OnRecord();
        else if (way == 1)
            QTest::keyClick(s.view.get(), Qt::Key_Space);
        else
            QTest::mouseClick(s.view.get(), Qt::RightButton);
        EXPECT_EQ(s.Acquiring(), false) << way;
        EXPECT_EQ(s.frame.filterIndex, 2) << way; // and returns to its entry
        EXPECT_GE(s.f.doc->m_nSamples, 300);
        EXPECT_TRUE(
            ContainsRun(s.Sent(0), Recorded(s.f.doc->m_monitorRecord.data(), s.f.doc->m_nSamples)));
        EXPECT_EQ(s.f.doc->m_dCutoff, 100.0); // the document's class never changed
    }
}

TEST(Session, RefusedStarts) {
    struct Case {
        const char* name;
        int coms;
        bool bNoAnswer;
        int maxOpens;
        const char* message;
    };
    const Case cases[] = {
        {"no port chosen", -1, false, 1000, "You have not set up the communication port for ZM540"},
        {"no answer", 0, true, 1000,
         "A KS770Vet V2.35 or later is not found on the communication port\nPlease make sure the "
         "unit is "
         "switched on"},
        {"port refused at the start", 0, false, 1, "The recording could not be started"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ks770Options options;
        options.bNoAnswer = c.bNoAnswer;
        SessionFixture s(options);
        s.maxOpens = c.maxOpens;
        s.f.settings.COMS = c.coms;
        s.frame.filterIndex = 1;
        s.view->OnRecord();
        EXPECT_EQ(s.Acquiring(), false);
        EXPECT_FALSE(s.view->Session().IsPortOpen());
        ASSERT_EQ(s.f.prompter.asked.size(), 1u);
        EXPECT_TRUE(s.f.prompter.asked[0].startsWith(c.message))
            << s.f.prompter.asked[0].toStdString();
        EXPECT_EQ(s.frame.filterIndex, 1);
        EXPECT_FALSE(s.frame.topMost);
        EXPECT_FALSE(s.f.doc->IsModified());
    }
}

TEST(Session, DisconnectKeepsWhatArrived) {
    Ks770Options options;
    options.dDisconnectAfterSeconds = 0.6;
    SessionFixture s(options);
    s.view->OnRecord();
    ASSERT_EQ(s.Acquiring(), true);
    s.Run(1500);
    EXPECT_EQ(s.Acquiring(), false);
    EXPECT_FALSE(s.frame.topMost);
    EXPECT_GT(s.f.doc->m_nSamples, 150); // most of the 180 frames of 0.6 s
    EXPECT_TRUE(s.f.doc->IsModified());
    ASSERT_EQ(s.f.prompter.asked.size(), 1u);
    EXPECT_TRUE(s.f.prompter.asked[0].contains("connection to the recorder was lost"));
    // The program stays usable: a new start finds no unit.
    s.view->OnRecord();
    EXPECT_EQ(s.Acquiring(), false);
}

TEST(Session, ClosingTheWindowStopsTheUnitAndKeepsNothing) {
    SessionFixture s;
    s.view->OnRecord();
    ASSERT_EQ(s.Acquiring(), true);
    s.Run(300);
    s.written.clear();
    s.view.reset();                                       // the window goes during the session
    EXPECT_EQ(s.written, QByteArray("\x1B\x1B\x1B\x1B")); // the stop command twice
    EXPECT_EQ(s.unit->Device().GetState(), Ks770Device::State::Idle);
    EXPECT_EQ(s.f.doc->m_nSamples, 0);
    EXPECT_FALSE(s.f.doc->IsModified());
    EXPECT_TRUE(s.f.prompter.asked.isEmpty());
}
