#include "ZM540Doc.h"

#include "SafeWrite.h"

#include "ProfileSettings.h"
#include "Prompter.h"
#include "SignalFilter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <span>

CZM540Doc::CZM540Doc(ProfileSettings& settings, Prompter& prompter, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompter(prompter) {
    DeleteContents();
}

void CZM540Doc::DeleteContents() {
    m_nSamples = 0;
    m_bNewRecord = 1;
    // Other programs' blocks belong to the recording; the details to the animal.
    m_otherBlocks.clear();
    m_nDetailsBlock = -1;
    SetModifiedFlag(false);
    m_bHasFileName = false;
    SetPathName(QDir::current().filePath(QStringLiteral("Untitled")));
}

bool CZM540Doc::OnNewDocument() {
    DeleteContents();
    m_details = RecordingDetails{};
    m_detailsUnknownFields.clear();
    return true;
}

bool CZM540Doc::OnOpenDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_prompter.Tell(QStringLiteral("Cannot open \"%1\": %2.")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    DeleteContents();
    m_details = RecordingDetails{};
    m_detailsUnknownFields.clear();
    // An empty file opens as an empty document.
    const bool bLoaded = file.size() == 0 || Serialize(file, Archive::Load);
    if (bLoaded) {
        m_bHasFileName = true;
        SetPathName(QFileInfo(path).absoluteFilePath());
    }
    RememberDirectory(path);
    return true;
}

bool CZM540Doc::OnSaveDocument(const QString& path) {
    const QString target = QFileInfo(path).absoluteFilePath();
    if (m_settings.InitDirSel != kDirSystemDefault)
        QDir::setCurrent(m_settings.InitDir); // the directory may be gone; saving goes on

    if (!WriteFile(target))
        return false;
    SetModifiedFlag(false);
    m_bHasFileName = true;
    SetPathName(target);
    RememberDirectory(target);
    return true;
}

bool CZM540Doc::SaveCopy(const QString& path) {
    return WriteFile(QFileInfo(path).absoluteFilePath());
}

bool CZM540Doc::WriteFile(const QString& target) {
    QString error;
    if (!WriteFileSafely(
            target, [this](QIODevice& out) { return Serialize(out, Archive::Store); }, &error)) {
        m_prompter.Tell(QStringLiteral("Could not save \"%1\": %2.")
                            .arg(QDir::toNativeSeparators(target), error));
        return false;
    }
    return true;
}

void CZM540Doc::RememberDirectory(const QString& path) {
    if (m_settings.InitDirSel != kDirLastAccessed)
        return;
    QString dir = QFileInfo(path).absolutePath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    m_settings.InitDir = QDir::toNativeSeparators(dir);
}

void CZM540Doc::SetDetails(const RecordingDetails& details) {
    if (details == m_details)
        return;
    m_details = details;
    SetModifiedFlag();
    UpdateAllViews();
}

void CZM540Doc::SetModifiedFlag(bool bModified) {
    if (m_bModified == std::int32_t(bModified))
        return;
    m_bModified = bModified ? 1 : 0;
    emit modifiedChanged(bModified);
}

void CZM540Doc::SetPathName(const QString& path) {
    if (m_strPathName == path)
        return;
    m_strPathName = path;
    emit pathChanged();
}

QString CZM540Doc::GetTitle() const {
    return QFileInfo(m_strPathName).fileName();
}

void CZM540Doc::CaptureRecord(int tail, int head) {
    const int size = Capacity();
    m_nSamples = 0;
    if (tail >= 0 && tail < size && head >= 0 && head < size) {
        for (int i = tail; i != head; i = (i + 1 == size) ? 0 : i + 1) {
            if (m_bTwelveLead) {
                for (int lead = 0; lead < kLimbLeadCount; ++lead)
                    m_leadRecord[lead][m_nSamples] = m_leadRing[lead][i];
            } else {
                m_monitorRecord[m_nSamples] = m_monitorRing[i];
            }
            ++m_nSamples;
        }
    }
    ProcessRecord();
}

namespace {

template <std::size_t N>
void ProcessTrace(const std::array<std::int8_t, N>& record, std::array<double, N>& trace,
                  int nSamples, double dCutoff) {
    const std::span<double> x(trace.data(), std::size_t(nSamples));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = double(record[i]);
    SmoothTrace(x);
    if (dCutoff > 0.0)
        FilterTrace(x, dCutoff, kSampleRate);
}

} // namespace

void CZM540Doc::ProcessRecord() {
    if (m_bTwelveLead) {
        for (int lead = 0; lead < kLimbLeadCount; ++lead)
            ProcessTrace(m_leadRecord[lead], m_leadTrace[lead], m_nSamples, m_dCutoff);
    } else {
        ProcessTrace(m_monitorRecord, m_monitorTrace, m_nSamples, m_dCutoff);
    }
}

void CZM540Doc::OnLeadSelect(int nSelection) {
    if (nSelection == m_nRhythmLead)
        return; // the list was opened and closed without another choice
    if (m_bTwelveLead) {
        // Every limb lead is recorded: the rhythm strip only shows another of them.
        m_nRhythmLead = nSelection;
        if (m_nSamples > 0)
            SetModifiedFlag();
        UpdateAllViews();
        return;
    }
    // Monitoring records the chosen lead only: a new one starts a new recording.
    if (IsModified() &&
        m_prompter.Ask(QStringLiteral("Discard current data?"), Prompter::Buttons::YesNo,
                       Prompter::Icon::Question) != Prompter::Answer::Yes) {
        UpdateAllViews(); // the chooser shows the recorded lead again
        return;
    }
    m_nRhythmLead = nSelection;
    DeleteContents();
    UpdateAllViews();
}

void CZM540Doc::OnFilterSelect(int nSelection) {
    m_dCutoff = CutoffOfClass(nSelection);
    ProcessRecord();
    SetModifiedFlag();
    UpdateAllViews();
}

void CZM540Doc::OnTwelveLeadMonitor() {
    if (IsModified() &&
        m_prompter.Ask(QStringLiteral("Discard current data?"), Prompter::Buttons::YesNo,
                       Prompter::Icon::Question) != Prompter::Answer::Yes)
        return;
    m_bTwelveLead = m_bTwelveLead ? 0 : 1;
    DeleteContents();
    UpdateAllViews();
}

QString CZM540Doc::LeadLabelText() const {
    return m_bTwelveLead ? QStringLiteral("Rhythm lead") : QStringLiteral("Lead Select");
}
