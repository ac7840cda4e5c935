#pragma once

#include <QString>
#include <QStringList>

class QSettings;

// The most recently opened or saved files, newest first, kept in the user profile.
class CRecentFileList {
  public:
    explicit CRecentFileList(int nSize) : m_nSize(nSize) {}

    // Puts `path` first, dropping an older entry for the same file and the oldest beyond the size.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return m_files; }

    void Load(QSettings& profile);
    void Save(QSettings& profile) const;

    // The menu text of entry `index`: its number as the mnemonic, then the path, shortened in
    // the middle when long.
    static QString MenuText(int index, const QString& path);

  private:
    int m_nSize;
    QStringList m_files;
};
