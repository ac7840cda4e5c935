#include "TestSupport.h"

#include "SignalFilter.h"
#include "ZM540Doc.h"

#include <QSignalSpy>

#include <QProcess>

#include <QFileInfo>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<double> Trace(const CZM540Doc& doc, int lead) {
    const double* p =
        doc.m_bTwelveLead ? doc.m_leadTrace[std::size_t(lead)].data() : doc.m_monitorTrace.data();
    return std::vector<double>(p, p + doc.m_nSamples);
}

} // namespace

TEST(Document, StartsIn12LeadWithLeadIIAt100HzUntitled) {
    DocFixture f;
    EXPECT_EQ(f.doc->m_bTwelveLead, 1);
    EXPECT_EQ(f.doc->m_nRhythmLead, 1);
    EXPECT_EQ(f.doc->m_dCutoff, 100.0);
    EXPECT_EQ(f.doc->m_nSamples, 0);
    EXPECT_EQ(f.doc->m_bNewRecord, 1);
    EXPECT_FALSE(f.doc->IsModified());
    EXPECT_EQ(f.doc->GetTitle(), QStringLiteral("Untitled"));
}

TEST(Document, CaptureCopiesTheKeptSpanInTimeOrder) {
    struct Case {
        bool bTwelveLead;
        int tail, head, expected;
    };
    const Case cases[] = {
        {true, 100, 3100, 3000}, // no wrap
        {true, 3500, 100, 200},  // head wrapped: end of the ring first, then its start
        {true, 1234, 1234, 0},   // tail equals head
        {false, 14990, 10, 20},  // monitoring ring wraps at 15000
        {false, 3000, 15000, 0}, // an index outside the ring copies nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tail << "->" << c.head);
        DocFixture f;
        f.doc->m_bTwelveLead = c.bTwelveLead;
        f.doc->m_dCutoff = 0.0;
        const int size = f.doc->Capacity();
        // Each ring slot holds a value derived from its index, different for every lead.
        auto slot = [](int lead, int i) { return std::int8_t((i * 7 + lead * 31) % 251 - 125); };
        for (int i = 0; i < size; ++i) {
            if (c.bTwelveLead)
                for (int lead = 0; lead < kStreamChannelCount; ++lead)
                    f.doc->m_leadRing[lead][i] = slot(lead, i);
            else
                f.doc->m_monitorRing[i] = slot(0, i);
        }
        f.doc->CaptureRecord(c.tail, c.head);
        ASSERT_EQ(f.doc->m_nSamples, c.expected);
        for (int k = 0; k < c.expected; ++k) {
            const int i = (c.tail + k) % size;
            if (c.bTwelveLead)
                for (int lead = 0; lead < kLimbLeadCount; ++lead)
                    ASSERT_EQ(f.doc->m_leadRecord[lead][k], slot(lead, i)) << k;
            else
                ASSERT_EQ(f.doc->m_monitorRecord[k], slot(0, i)) << k;
        }
        // The traces were rebuilt from the captured bytes (smoothing leaves the ends alone).
        if (c.expected > 0) {
            const int last = c.expected - 1;
            const double firstByte =
                c.bTwelveLead ? f.doc->m_leadRecord[0][0] : f.doc->m_monitorRecord[0];
            const double lastByte =
                c.bTwelveLead ? f.doc->m_leadRecord[0][last] : f.doc->m_monitorRecord[last];
            EXPECT_EQ(Trace(*f.doc, 0).front(), firstByte);
            EXPECT_EQ(Trace(*f.doc, 0).back(), lastByte);
        }
    }
}

TEST(Document, FilterClassesAreAppliedFromTheBytesEachTime) {
    for (bool bTwelveLead : {true, false}) {
        SCOPED_TRACE(bTwelveLead);
        DocFixture direct, stepped;
        direct.Record(bTwelveLead, 2500, 3);
        stepped.Record(bTwelveLead, 2500, 3);
        direct.doc->OnFilterSelect(2);
        stepped.doc->OnFilterSelect(1);
        stepped.doc->OnFilterSelect(2);
        stepped.doc->OnFilterSelect(2); // a close-up and a selection change both run the handler
        const int leads = bTwelveLead ? kLimbLeadCount : 1;
        for (int lead = 0; lead < leads; ++lead)
            EXPECT_EQ(Trace(*stepped.doc, lead), Trace(*direct.doc, lead)) << lead;

        // Unfiltered: smoothed only.
        direct.doc->OnFilterSelect(0);
        std::vector<double> smoothed(direct.doc->m_nSamples);
        for (int i = 0; i < direct.doc->m_nSamples; ++i)
            smoothed[i] =
                bTwelveLead ? direct.doc->m_leadRecord[0][i] : direct.doc->m_monitorRecord[i];
        SmoothTrace(smoothed);
        EXPECT_EQ(Trace(*direct.doc, 0), smoothed);
        EXPECT_EQ(direct.doc->m_dCutoff, 0.0);
    }
}

TEST(Document, FilterChoiceMarksModifiedAndUpdatesViews) {
    for (int selection : {0, 1, 2, -1}) {
        DocFixture f;
        QSignalSpy updates(f.doc.get(), &CZM540Doc::updated);
        f.doc->OnFilterSelect(selection);
        EXPECT_TRUE(f.doc->IsModified());
        EXPECT_EQ(updates.count(), 1);
        EXPECT_EQ(f.doc->m_dCutoff, CutoffOfClass(selection));
    }
    EXPECT_EQ(CutoffOfClass(-1), 0.0);
}

TEST(Document, ShortRecordsFilterWithoutLeavingTheTrace) {
    // An empty document whose class is changed, and captures of a few samples.
    for (int n : {0, 1, 2, 3, 9}) {
        DocFixture f;
        f.Record(true, n);
        f.doc->OnFilterSelect(2);
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            for (double v : Trace(*f.doc, lead))
                EXPECT_TRUE(std::isfinite(v)) << n;
    }
}

TEST(Document, ANewRhythmLeadKeepsA12LeadRecordingAndAsksBeforeDiscardingAMonitoredOne) {
    using A = Prompter::Answer;
    struct Case {
        const char* name;
        bool bTwelveLead;
        int nSamples;
        bool bModified;
        int choice;
        std::deque<A> answers;
        bool bAsked;
        int lead, samples; // afterwards
        bool bModifiedAfter;
    };
    const Case cases[] = {
        // Every limb lead is recorded: the rhythm strip shows another one, and the recording
        // with its new rhythm lead is a change to save.
        {"12-lead, another lead", true, 3000, false, 3, {}, false, 3, 3000, true},
        {"12-lead, empty", true, 0, false, 3, {}, false, 3, 0, false},
        {"12-lead, the same lead", true, 3000, false, 1, {}, false, 1, 3000, false},
        // Monitoring recorded the chosen lead only.
        {"monitoring, keep it", false, 3000, true, 4, {A::No}, true, 1, 3000, true},
        {"monitoring, discard it", false, 3000, true, 4, {A::Yes}, true, 4, 0, false},
        {"monitoring, saved already", false, 3000, false, 4, {}, false, 4, 0, false},
        {"monitoring, the same lead", false, 3000, true, 1, {}, false, 1, 3000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocFixture f;
        f.Record(c.bTwelveLead, c.nSamples);
        f.doc->SetModifiedFlag(c.bModified);
        f.prompter.answers = c.answers;
        QSignalSpy updates(f.doc.get(), &CZM540Doc::updated);
        f.doc->OnLeadSelect(c.choice);
        EXPECT_EQ(f.prompter.asked,
                  c.bAsked ? QStringList({"Discard current data?"}) : QStringList());
        if (c.bAsked) {
            EXPECT_EQ(f.prompter.icons.front(), Prompter::Icon::Question);
        }
        EXPECT_EQ(f.doc->m_nRhythmLead, c.lead);
        EXPECT_EQ(f.doc->m_nSamples, c.samples);
        EXPECT_EQ(f.doc->IsModified(), c.bModifiedAfter);
        // Choosing the lead there was changes nothing; a refusal redraws the chooser's lead.
        EXPECT_EQ(updates.count(), c.choice == 1 ? 0 : 1);
    }
    DocFixture f;
    f.doc->OnLeadSelect(-1); // no selection never becomes a drawing index
    EXPECT_EQ(f.doc->RhythmLead(), 1);
}

TEST(Document, ModeToggleAsksOnlyWhenModified) {
    using A = Prompter::Answer;
    struct Case {
        bool bModified;
        std::deque<A> answers;
        bool bAsked, bFlipped;
    };
    const Case cases[] = {
        {false, {}, false, true},
        {true, {A::No}, true, false},
        {true, {A::Yes}, true, true},
    };
    for (const Case& c : cases) {
        DocFixture f;
        f.Record(true, 100);
        f.doc->SetModifiedFlag(c.bModified);
        f.prompter.answers = c.answers;
        f.doc->OnTwelveLeadMonitor();
        EXPECT_EQ(f.prompter.asked,
                  c.bAsked ? QStringList{"Discard current data?"} : QStringList{});
        EXPECT_EQ(f.doc->m_bTwelveLead, c.bFlipped ? 0 : 1);
        EXPECT_EQ(f.doc->m_nSamples, c.bFlipped ? 0 : 100);
        EXPECT_EQ(f.doc->LeadLabelText(), c.bFlipped ? "Lead Select" : "Rhythm lead");
    }
}

TEST(Document, SavingToADeviceWritesItInPlaceAndReportsAFailure) {
    DocFixture f;
    f.Record(true, 900);
    const QString full = f.Path("full");
    QProcess mknod;
    mknod.start(QStringLiteral("mknod"), {full, "c", "1", "7"});
    if (!mknod.waitForFinished(10000) || mknod.exitCode() != 0)
        GTEST_SKIP() << "device nodes cannot be made here";
    EXPECT_FALSE(f.doc->OnSaveDocument(full));
    ASSERT_EQ(f.prompter.asked.size(), 1);
    EXPECT_TRUE(f.prompter.asked.front().contains(QStringLiteral("No space left on device")));
    EXPECT_TRUE(f.doc->IsModified());
    EXPECT_FALSE(QFileInfo(full).isFile()); // still the device, not a file put in its place
    EXPECT_TRUE(QFileInfo(full).exists());
    // /dev/null takes everything: a save there succeeds and leaves it a device.
    EXPECT_TRUE(f.doc->SaveCopy(QStringLiteral("/dev/null")));
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isFile());
}
