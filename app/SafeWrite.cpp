#include "app/SafeWrite.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool Fail(QString *errorText, const QString &reason)
{
    if (errorText)
        *errorText = reason;
    return false;
}

} // namespace

bool WriteFileSafely(const QString &path, const QByteArray &bytes, QString *errorText)
{
    QSaveFile file(path);
    // No direct-write fallback: writing in place could leave a half-written file.
    file.setDirectWriteFallback(false);
    // Unbuffered, so that every failed write shows in write()'s result: commit() ignores an
    // error met while flushing a buffer, and a disk that fills up makes write() return a
    // short count without an error, after which commit() would still replace the target.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(errorText, file.errorString());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return Fail(errorText, reason);
        }
        done += n;
    }
#ifdef Q_OS_UNIX
    // commit() ignores the result of its own sync; some file systems report a full disk
    // only here.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        const QString reason = qt_error_string(errno);
        file.cancelWriting();
        return Fail(errorText, reason);
    }
#endif
    if (!file.commit())
        return Fail(errorText, file.errorString());
    return true;
}

bool ReadFileFully(const QString &path, QByteArray *out, QString *errorText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(errorText, file.errorString());
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(errorText, file.errorString());
    *out = std::move(data);
    return true;
}
