#pragma once

#include <QByteArray>
#include <QString>

// What a write did. The reason is a Japanese sentence for the user, empty when written.
struct WriteResult {
    enum class Status {
        Written,
        // The file's mode allows nobody to write it (root included). Nothing was written; the
        // caller may ask the user and write again with WriteOptions::allowReadOnly.
        ReadOnlyFile,
        // The folder refuses a new file and the file could not be written in place either.
        FolderNotWritable,
        Failed,
    };
    Status status = Status::Written;
    QString reason;

    bool written() const { return status == Status::Written; }
};

struct WriteOptions {
    // The user agreed to overwrite a file whose mode has no write permission; it keeps that mode.
    bool allowReadOnly = false;
};

// Writes bytes to `path` so that a failure at any moment leaves either the old or the new
// content, never a mixture, and the file keeps what it had: owner and group, mode, extended
// attributes and ACLs, and every hard link. A symbolic link keeps pointing at its target,
// which receives the new content.
//
// Normally the bytes go to a temporary file beside the target, which takes over the target's
// owner, mode and attributes and is renamed over it once everything is on the disk. When that
// cannot keep everything — the file has more than one name, the folder refuses the temporary
// file or its renaming, or an owner or attribute cannot be carried over — the file is
// written in place instead, after its old bytes are copied to a backup file (beside it, or in
// the temporary folder when its folder refuses); a failed write puts the old bytes back.
WriteResult writeFileSafely(const QString &path, const QByteArray &bytes, WriteOptions options = {});

// The same write, for callers that only need to know whether it worked; *errorText (when
// given) receives the reason. A read-only file is refused.
bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *errorText);

// Reads the whole of a regular file. A folder, FIFO, device or socket is refused at once,
// without waiting for a writer or touching the device. On failure *errorText (when given)
// holds a Japanese reason.
bool readFileFully(const QString &path, QByteArray *out, QString *errorText);

// A path as messages show it.
QString shownPath(const QString &path);
