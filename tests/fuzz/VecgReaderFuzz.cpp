// Feeds arbitrary bytes to the .vecg reader. A file that loads must give finite traces and write
// back the bytes it was read from up to the end of its samples, and what it writes must read and
// write again the same; anything else is refused without harm.
#include "FuzzSupport.h"
#include "ProfileSettings.h"
#include "Prompter.h"
#include "ZM540Doc.h"

#include <QBuffer>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray Stored(CZM540Doc& doc) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    Check(doc.Serialize(out, CZM540Doc::Archive::Store));
    return bytes;
}

} // namespace

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

    // The samples and everything before them are written back as read. Blocks after them are
    // kept (the details re-encoded), a damaged remainder is not: nothing comes back when the
    // input ended with the samples, and a second round writes the first round's bytes.
    const QByteArray output = Stored(doc);
    const qsizetype samplesEnd = 48 + qsizetype(leads) * doc.m_nSamples;
    Check(output.size() >= samplesEnd);
    Check(std::memcmp(output.constData(), data, std::size_t(samplesEnd)) == 0);
    Check(qsizetype(size) > samplesEnd || output.size() == samplesEnd);
    const RecordingDetails details = doc.m_details;
    QByteArray again = output;
    QBuffer reread(&again);
    reread.open(QIODevice::ReadOnly);
    doc.DeleteContents();
    Check(doc.Serialize(reread, CZM540Doc::Archive::Load));
    Check(doc.m_details == details);
    Check(Stored(doc) == output);
    return 0;
}
