#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "Leads.h"
#include "RecordingConstants.h"
#include "RecordingDetails.h"

class Prompter;
class QIODevice;
struct ProfileSettings;

// The recording's header, kept exactly as read from a file and written back at every save.
struct EcgFileHeader {
    std::uint16_t wFormat = 0;
    std::int32_t tRecorded = 0;
    std::uint8_t byLeads = 0;
    std::uint8_t byRhythmLead = 0;
    std::uint16_t wSampleRate = 0;
    std::uint16_t wUnitsPerMv = 0;
    std::uint16_t wBitsPerSample = 0;
    double dCutoff = 0.0;
};

// A tagged block after a file's samples: its 4-byte tag and its payload.
struct EcgFileBlock {
    QByteArray tag;
    QByteArray payload;
};

// The one ECG recording the program holds: its mode, rhythm lead and filter cutoff, the rings a
// session fills, the byte records and their processed traces. All sample storage is fixed
// arrays inside the object; nothing is allocated per recording.
class CZM540Doc : public QObject {
    Q_OBJECT
  public:
    enum class Archive { Store, Load };

    CZM540Doc(ProfileSettings& settings, Prompter& prompter, QObject* parent = nullptr);

    // Clears the recording (not the mode, rhythm lead, cutoff, header or details) and re-titles
    // the document "Untitled". Details entered before a recording are the new recording's.
    void DeleteContents();
    // Clears the recording and its details.
    bool OnNewDocument();
    // Reads a file, whose details (none when it has none) replace the document's. False when the
    // file cannot be read at all; a file that is refused shows the format's message and leaves an
    // empty "Untitled" document, which counts as opened.
    bool OnOpenDocument(const QString& path);
    // Writes the file atomically; false (with a message) when it could not be written, in
    // which case any existing file is left as it was.
    bool OnSaveDocument(const QString& path);
    // Writes the recording to `path` as a save would, but the document keeps its own file name
    // and modified state; false (with a message) when it could not be written.
    bool SaveCopy(const QString& path);
    // Stores or loads the file layout. A load that is refused shows the message and returns
    // false; the document is then left cleared.
    bool Serialize(QIODevice& ar, Archive mode);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool bModified = true);
    QString GetPathName() const { return m_strPathName; }
    // Whether the path names a file the recording was opened from or saved to ("Untitled" does
    // not).
    bool HasFileName() const { return m_bHasFileName; }
    QString GetTitle() const;
    void UpdateAllViews() { emit updated(); }
    // Where the document's messages and questions go; the views use it too.
    Prompter& GetPrompter() const { return m_prompter; }

    // New details: the document is modified and the views show them, unless nothing changed.
    void SetDetails(const RecordingDetails& details);

    void CaptureRecord(int tail, int head);
    void ProcessRecord();

    // Bar commands; the argument is the chooser's selection (-1 for none). A new rhythm lead
    // keeps a 12-lead recording; in monitoring it asks before discarding a modified one.
    void OnLeadSelect(int nSelection);
    void OnFilterSelect(int nSelection);
    void OnTwelveLeadMonitor();
    QString LeadLabelText() const;

    // The rhythm (or monitored) lead, safe to use as an index into the six-lead tables.
    int RhythmLead() const { return SafeLimbLead(m_nRhythmLead); }
    // Samples one lead can hold in the current mode.
    int Capacity() const { return m_bTwelveLead ? kLeadCapacity : kMonitorCapacity; }

    std::int32_t m_bNewRecord = 1;
    std::int32_t m_bTwelveLead = 1;
    std::int32_t m_nSamples = 0;
    EcgFileHeader m_header;
    std::array<std::int8_t, kMonitorCapacity> m_monitorRing{};
    std::array<std::int8_t, kMonitorCapacity> m_monitorRecord{};
    std::array<double, kMonitorCapacity> m_monitorTrace{};
    std::array<std::array<std::int8_t, kLeadCapacity>, kStreamChannelCount> m_leadRing{};
    std::array<std::array<std::int8_t, kLeadCapacity>, kLimbLeadCount> m_leadRecord{};
    std::array<std::array<double, kLeadCapacity>, kLimbLeadCount> m_leadTrace{};
    double m_dCutoff = 100.0;
    std::int32_t m_nRhythmLead = kLeadII;
    RecordingDetails m_details;

  signals:
    void updated();
    void pathChanged();
    void modifiedChanged(bool bModified);

  private:
    bool WriteFile(const QString& target);
    bool StoreRecord(QIODevice& ar);
    bool LoadRecord(QIODevice& ar);
    void SetPathName(const QString& path);
    void RememberDirectory(const QString& path);

    ProfileSettings& m_settings;
    Prompter& m_prompter;
    std::int32_t m_bModified = 0;
    // Kept from the file to be written back: the details' fields of ids this version does not
    // know (they stay with the details), and every other well-formed block after the samples in
    // file order, the details block going before m_otherBlocks[m_nDetailsBlock] (-1: last).
    QByteArray m_detailsUnknownFields;
    std::vector<EcgFileBlock> m_otherBlocks;
    int m_nDetailsBlock = -1;
    QString m_strPathName;
    bool m_bHasFileName = false;
};
