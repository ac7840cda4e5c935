#pragma once

#include <QString>

struct ProfileSettings;

// The file dialogs' filter for recordings.
inline QString EcgFileFilter() {
    return QStringLiteral("Vet ECG files (*.vecg)");
}
inline QString EcgSuffix() {
    return QStringLiteral("vecg");
}

// Where the Open dialog starts: the ECG directory under the rules "Last accessed" and "Set as
// below", nothing (the platform's default) under "System default".
QString OpenDialogDirectory(const ProfileSettings& settings);
// Where a recording that has never been saved is proposed to go: the ECG directory, or the
// current directory under "System default".
QString SaveDialogDirectory(const ProfileSettings& settings);
// `path` with ".vecg" added when its file name has no suffix.
QString WithEcgSuffix(const QString& path);
// Whether `path` names a recording by its suffix.
bool IsEcgFileName(const QString& path);
