#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Writes `path` through `produce`, which returns false when a write fell short. A regular or
// new file is replaced atomically: a failed write leaves what was there. Anything else that
// exists at `path` (a device, a pipe) is written in place, never replaced by a regular file,
// with every write and the close checked. False, with the reason in `error`, when any of it
// failed.
bool WriteFileSafely(const QString& path, const std::function<bool(QIODevice&)>& produce,
                     QString* error);
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error);
