#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes to a temporary file beside `path` and renames it over `path` only when every
// byte has reached the disk, so a failed write leaves the old file as it was and no
// temporary file behind. An existing file keeps its permissions; a symbolic link keeps
// pointing at its target, which receives the new content. On failure *errorText (when
// given) holds the system's reason.
bool WriteFileSafely(const QString &path, const QByteArray &bytes, QString *errorText);

// Reads the whole file. On failure *errorText (when given) holds the system's reason.
bool ReadFileFully(const QString &path, QByteArray *out, QString *errorText);
