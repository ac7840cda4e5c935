#include "TestSupport.h"

#include <random>

void DocFixture::Record(bool bTwelveLead, int n, unsigned seed) {
    doc->m_bTwelveLead = bTwelveLead ? 1 : 0;
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(-128, 127);
    for (int i = 0; i < n; ++i) {
        if (bTwelveLead) {
            for (auto& record : doc->m_leadRecord)
                record[std::size_t(i)] = std::int8_t(byte(gen));
        } else {
            doc->m_monitorRecord[std::size_t(i)] = std::int8_t(byte(gen));
        }
    }
    doc->m_nSamples = n;
    doc->ProcessRecord();
    doc->m_header.tRecorded = 1700000000;
    doc->SetModifiedFlag();
}
