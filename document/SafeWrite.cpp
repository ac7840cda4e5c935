#include "SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool WriteFileSafely(const QString& path, const std::function<bool(QIODevice&)>& produce,
                     QString* error) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        // Unbuffered, so that a device that takes nothing (a full disk, /dev/full) fails the
        // write itself rather than a flush whose result is easily lost.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            *error = file.errorString();
            return false;
        }
        const bool bWritten = produce(file) && file.error() == QFileDevice::NoError;
        const QString reason = file.errorString();
        file.close();
        if (!bWritten || file.error() != QFileDevice::NoError) {
            *error = file.error() != QFileDevice::NoError ? file.errorString() : reason;
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !produce(file) || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error) {
    return WriteFileSafely(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, error);
}
