// Feeds arbitrary bytes to the .vecg reader. A file that loads must write back exactly the bytes
// it was read from and must give finite traces; anything else is refused without harm.
#include "FuzzSupport.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "ZM540Doc.h"

#include <QBuffer>

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ProfileSettings settings;
    static SilentPrompter prompter;
    static CZM540Doc doc(settings, prompter);

    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&input);
    in.open(QIODevice::ReadOnly);
    doc.DeleteContents();
    if (!doc.Serialize(in, CZM540Doc::Archive::Load)) {
        Check(doc.m_nSamples == 0);
        return 0;
    }
    Check(doc.m_nSamples >= 0 && doc.m_nSamples <= doc.Capacity());
    Check(doc.RhythmLead() >= 0 && doc.RhythmLead() < kLimbLeadCount);
    const int leads = doc.m_bTwelveLead ? kLimbLeadCount : 1;
    for (int lead = 0; lead < leads; ++lead) {
        const double* trace =
            doc.m_bTwelveLead ? doc.m_leadTrace[lead].data() : doc.m_monitorTrace.data();
        for (int i = 0; i < doc.m_nSamples; ++i)
            Check(std::isfinite(trace[i]));
    }

    QByteArray output;
    QBuffer out(&output);
    out.open(QIODevice::WriteOnly);
    Check(doc.Serialize(out, CZM540Doc::Archive::Store));
    Check(output.size() == 48 + qsizetype(leads) * doc.m_nSamples);
    Check(std::memcmp(output.constData(), data, std::size_t(output.size())) == 0);
    return 0;
}
