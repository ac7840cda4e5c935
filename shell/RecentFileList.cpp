#include "RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString Key(int index) {
    return kSection + QStringLiteral("/File%1").arg(index + 1);
}

bool SameFile(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty())
        return;
    m_files.removeIf([&](const QString& f) { return SameFile(f, path); });
    m_files.prepend(QFileInfo(path).absoluteFilePath());
    while (m_files.size() > m_nSize)
        m_files.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

void CRecentFileList::Load(QSettings& profile) {
    m_files.clear();
    for (int i = 0; i < m_nSize; ++i) {
        const QString path = profile.value(Key(i)).toString();
        if (!path.isEmpty())
            m_files.append(path);
    }
}

void CRecentFileList::Save(QSettings& profile) const {
    for (int i = 0; i < m_nSize; ++i) {
        if (i < m_files.size())
            profile.setValue(Key(i), m_files[i]);
        else
            profile.remove(Key(i));
    }
}

QString CRecentFileList::MenuText(int index, const QString& path) {
    constexpr int kMaxChars = 48;
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kMaxChars) {
        const int keep = (kMaxChars - 3) / 2;
        shown = shown.left(keep) + QStringLiteral("...") + shown.right(keep);
    }
    // A '&' in a file name is shown, not taken as a mnemonic.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}
