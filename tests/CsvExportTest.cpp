#include "TestSupport.h"

#include "CsvExport.h"

#include <gtest/gtest.h>

TEST(CsvExport, HeaderAndOneRowPerSample) {
    struct Case {
        const char* what;
        bool bTwelveLead;
        int rhythmLead;
        int samples;
        bool bRaw;
        const char* csv;
    };
    // Times are i / 300 s; millivolts are the trace over 33.
    const Case cases[] = {
        {"monitoring", false, 3, 3, false,
         "time_s,aVR\n"
         "0,1\n"
         "0.0033333333333333335,-0.5\n"
         "0.0066666666666666671,0.030303030303030304\n"},
        {"monitoring, raw", false, 3, 3, true,
         "time_s,aVR\n"
         "0,12\n"
         "0.0033333333333333335,-7\n"
         "0.0066666666666666671,127\n"},
        {"a damaged rhythm lead is shown as II", false, 9, 1, true,
         "time_s,II\n"
         "0,12\n"},
        {"12-lead", true, 3, 1, false,
         "time_s,I,II,III,aVR,aVL,aVF\n"
         "0,0,0.5,1,1.5,2,2.5\n"},
        {"12-lead, raw", true, 3, 2, true,
         "time_s,I,II,III,aVR,aVL,aVF\n"
         "0,1,2,3,4,5,6\n"
         "0.0033333333333333335,-10,-20,-30,-40,-50,-60\n"},
        {"empty", true, 3, 0, false, "time_s,I,II,III,aVR,aVL,aVF\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DocFixture f;
        CZM540Doc& doc = *f.doc;
        doc.m_bTwelveLead = c.bTwelveLead ? 1 : 0;
        doc.m_nRhythmLead = c.rhythmLead;
        doc.m_nSamples = c.samples;
        doc.m_monitorRecord[0] = 12;
        doc.m_monitorRecord[1] = -7;
        doc.m_monitorRecord[2] = 127;
        doc.m_monitorTrace[0] = 33.0;
        doc.m_monitorTrace[1] = -16.5;
        doc.m_monitorTrace[2] = 1.0;
        for (int lead = 0; lead < kLimbLeadCount; ++lead) {
            doc.m_leadRecord[lead][0] = std::int8_t(lead + 1);
            doc.m_leadRecord[lead][1] = std::int8_t(-10 * (lead + 1));
            doc.m_leadTrace[lead][0] = 16.5 * lead;
        }
        EXPECT_EQ(TracesAsCsv(doc, c.bRaw), QByteArray(c.csv));
    }
}
