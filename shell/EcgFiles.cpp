#include "EcgFiles.h"

#include "ProfileSettings.h"

#include <QDir>
#include <QFileInfo>

QString OpenDialogDirectory(const ProfileSettings& settings) {
    return settings.InitDirSel != kDirSystemDefault ? settings.InitDir : QString();
}

QString SaveDialogDirectory(const ProfileSettings& settings) {
    return settings.InitDirSel != kDirSystemDefault ? settings.InitDir : QDir::currentPath();
}

QString WithEcgSuffix(const QString& path) {
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path.endsWith(QLatin1Char('.')) ? path + EcgSuffix()
                                           : path + QLatin1Char('.') + EcgSuffix();
}

bool IsEcgFileName(const QString& path) {
    return QFileInfo(path).suffix().compare(EcgSuffix(), Qt::CaseInsensitive) == 0;
}
