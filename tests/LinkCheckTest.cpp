#include "TestSupport.h"

#include "LinkCheckDlg.h"
#include "MSComm.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A line whose far end answers each write with a fixed reply, a little later.
class ScriptedLine : public SerialBackend {
  public:
    struct Script {
        bool bOpens = true;
        QByteArray reply;
        std::vector<PortSettings> opened;
        QByteArray written;
        int created = 0;
    };
    explicit ScriptedLine(Script& script) : m_script(script) {}
    bool Open(const PortSettings& settings, QString* error) override {
        m_script.opened.push_back(settings);
        if (!m_script.bOpens)
            *error = QStringLiteral("no such port");
        return m_bOpen = m_script.bOpens;
    }
    void Close() override { m_bOpen = false; }
    bool IsOpen() const override { return m_bOpen; }
    bool Write(const QByteArray& bytes) override {
        m_script.written += bytes;
        if (!m_script.reply.isEmpty())
            QTimer::singleShot(30, this, [this] {
                m_waiting += m_script.reply;
                emit dataReady();
            });
        return true;
    }
    qint64 BytesWaiting() const override { return m_waiting.size(); }
    QByteArray ReadAll() override { return std::exchange(m_waiting, QByteArray()); }

  private:
    Script& m_script;
    bool m_bOpen = false;
    QByteArray m_waiting;
};

} // namespace

TEST(LinkCheck, OnlyTheExactIdentifierPasses) {
    struct Case {
        const char* name;
        bool bOpens;
        QByteArray reply;
        int port;
        bool bAccepted;
        const char* answer;
    };
    const Case cases[] = {
        {"exact identifier", true, "KS770Vet V2.35", 2, true, "KS770Vet V2.35"},
        {"trailing carriage return", true, "KS770Vet V2.35\r", 2, false, "KS770Vet V2.35\r"},
        {"another version", true, "KS770Vet V2.36", 2, false, "KS770Vet V2.36"},
        {"no answer", true, "", 2, false, "(Nothing)"},
        {"port cannot be opened", false, "KS770Vet V2.35", 2, false, ""},
        {"no port", true, "KS770Vet V2.35", -1, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedLine::Script script;
        script.bOpens = c.bOpens;
        script.reply = c.reply;
        int askedPort = 0;
        CLinkCheckDlg dlg([&](int port) {
            askedPort = port;
            ++script.created;
            return std::make_unique<ScriptedLine>(script);
        });
        dlg.m_nPort = c.port;
        dlg.m_strPort = QString::number(c.port);
        EXPECT_EQ(dlg.exec() == QDialog::Accepted, c.bAccepted);
        EXPECT_EQ(dlg.Answer(), QString::fromLatin1(c.answer));
        if (c.port == -1) {
            EXPECT_EQ(script.created, 0); // no port is touched
            continue;
        }
        EXPECT_EQ(askedPort, c.port);
        ASSERT_EQ(script.opened.size(), 1u);
        EXPECT_EQ(script.opened[0], *PortSettings::Parse("19200,N,8,1"));
        EXPECT_EQ(script.written, c.bOpens ? QByteArray("\x1B\x56") : QByteArray());
    }
}

TEST(LinkCheck, ReceiveThresholdRaisesOnComm) {
    ScriptedLine::Script script;
    script.reply = QByteArray(20, 'x');
    for (short threshold : {0, 15, 21}) {
        CMSComm comm([&](int) { return std::make_unique<ScriptedLine>(script); });
        comm.SetRThreshold(threshold);
        ASSERT_TRUE(comm.SetPortOpen(true));
        int events = 0;
        QObject::connect(&comm, &CMSComm::OnComm, [&] { ++events; });
        comm.SetOutput("go");
        WaitWithoutInput(100);
        EXPECT_EQ(events, threshold == 15 ? 1 : 0) << threshold;
        EXPECT_EQ(comm.GetInBufferCount(), 20);
        if (events) {
            EXPECT_EQ(comm.GetCommEvent(), 2);
        }
        EXPECT_EQ(comm.GetInput(), QByteArray(20, 'x'));
        EXPECT_EQ(comm.GetInBufferCount(), 0);
    }
    EXPECT_FALSE(CMSComm({}).SetSettings("fast please"));
    // Without lines no port exists.
    CMSComm none({});
    EXPECT_FALSE(none.SetPortOpen(true));
    EXPECT_EQ(none.LastError(), "Port 1 does not exist");
}
