#include "app/core/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// A file descriptor that closes itself.
class FileHandle {
public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    FileHandle(FileHandle &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle &operator=(FileHandle &&other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; 0 or the error, which some file systems report only here.
    int close()
    {
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

QString systemReason(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("ディスクの空き領域が足りません。");
    case EDQUOT: return QStringLiteral("ディスクの使用量の上限を超えました。");
    case EFBIG: return QStringLiteral("ファイルが大きすぎます。");
    case EACCES: return QStringLiteral("アクセスが拒否されました。");
    case EPERM: return QStringLiteral("この操作は許可されていません (変更が禁止されている可能性があります)。");
    case EROFS: return QStringLiteral("読み取り専用のファイル システムです。");
    case ENOENT: return QStringLiteral("ファイルまたはフォルダーが見つかりません。");
    case ENOTDIR: return QStringLiteral("パスの途中にフォルダーではないものがあります。");
    case EISDIR: return QStringLiteral("フォルダーです。");
    case ENAMETOOLONG: return QStringLiteral("名前が長すぎます。");
    case ELOOP: return QStringLiteral("シンボリック リンクの参照が深すぎるか、循環しています。");
    case EIO: return QStringLiteral("入出力エラーが発生しました。");
    case EMFILE:
    case ENFILE: return QStringLiteral("開いているファイルが多すぎます。");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("ファイルが使用中です。");
    default:
        return QStringLiteral("システム エラー %1 (%2)。")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

// Why a file that is not a regular file is neither read nor written.
QString notRegularReason(mode_t mode)
{
    QString kind;
    if (S_ISDIR(mode))
        kind = QStringLiteral("フォルダー");
    else if (S_ISFIFO(mode))
        kind = QStringLiteral("名前付きパイプ (FIFO)");
    else if (S_ISCHR(mode) || S_ISBLK(mode))
        kind = QStringLiteral("デバイス ファイル");
    else if (S_ISSOCK(mode))
        kind = QStringLiteral("ソケット");
    else
        kind = QStringLiteral("特殊なファイル");
    return QStringLiteral("%1です。開いたり保存したりできるのは通常のファイルだけです。").arg(kind);
}

WriteResult failure(WriteResult::Status status, const QString &reason)
{
    return {status, reason};
}

WriteResult failure(int error)
{
    return {WriteResult::Status::Failed, systemReason(error)};
}

// Writes every byte at offset; 0 or the error. A write that stores nothing is a full disk.
int writeAll(int fd, const QByteArray &bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done),
                                   offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

// Reads the whole file from its start; `expected` (its size) avoids growing the buffer.
int readAll(int fd, off_t expected, QByteArray *out)
{
    QByteArray data(qsizetype(qMax<off_t>(expected, 0)), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        char probe[16384];
        // Once the expected size is in, read on into a small buffer: the file may have grown.
        const bool full = done == data.size();
        const ssize_t n = full ? ::pread(fd, probe, sizeof probe, done)
                               : ::pread(fd, data.data() + done, size_t(data.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        if (full)
            data.append(probe, n);
        done += n;
    }
    data.truncate(done);
    *out = std::move(data);
    return 0;
}

int syncFile(int fd)
{
    // Some file systems cannot sync; that is no reason to fail.
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

// Makes a new name in folder durable; nothing can be done about a failure here.
void syncFolder(const QString &folder)
{
    FileHandle dir(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get());
}

// Creates a file that did not exist, named prefix + six random characters + suffix in folder.
int createUnique(const QString &folder, QString prefix, const QString &suffix, mode_t mode,
                 FileHandle *file, QString *path)
{
    // Keep the name within the usual limit of 255 bytes.
    if (QFile::encodeName(prefix).size() > 200) {
        prefix.truncate(60);
        if (prefix.back().isHighSurrogate())
            prefix.chop(1);
    }
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
        name += suffix;
        const QString candidate = folder + QLatin1Char('/') + name;
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0) {
            *file = FileHandle(fd);
            *path = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Extended attributes in every namespace the process can read; POSIX ACLs are among them
// (system.posix_acl_access).
using Attributes = std::vector<std::pair<QByteArray, QByteArray>>;

// Calls read(buffer, size), which answers like listxattr/getxattr, until the buffer was big
// enough for the answer.
template <typename Read>
int readSized(Read read, QByteArray *out)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        const ssize_t needed = read(nullptr, 0);
        if (needed < 0)
            return errno;
        QByteArray buffer(needed, Qt::Uninitialized);
        const ssize_t got = read(buffer.data(), buffer.size());
        if (got >= 0) {
            buffer.truncate(got);
            *out = std::move(buffer);
            return 0;
        }
        if (errno != ERANGE)  // ERANGE: it grew in between
            return errno;
    }
    return ERANGE;
}

template <typename List, typename Get>
int readAttributes(List list, Get get, Attributes *out)
{
    QByteArray names;
    if (int error = readSized(list, &names))
        return error == ENOTSUP ? 0 : error;
    out->clear();
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value;
        const int error = readSized(
            [&](char *buffer, size_t size) { return get(name.constData(), buffer, size); }, &value);
        if (error == ENODATA)  // removed in between
            continue;
        if (error)
            return error;
        out->emplace_back(name, value);
    }
    return 0;
}

int readPathAttributes(const QByteArray &path, Attributes *out)
{
    return readAttributes(
        [&](char *buffer, size_t size) { return ::listxattr(path.constData(), buffer, size); },
        [&](const char *name, char *buffer, size_t size) {
            return ::getxattr(path.constData(), name, buffer, size);
        },
        out);
}

int readHandleAttributes(int fd, Attributes *out)
{
    return readAttributes([&](char *buffer, size_t size) { return ::flistxattr(fd, buffer, size); },
                          [&](const char *name, char *buffer, size_t size) {
                              return ::fgetxattr(fd, name, buffer, size);
                          },
                          out);
}

// Gives the file behind fd exactly the attributes of the file at path: those it lacks are
// added, those it has beyond them (a folder's default ACL, for one) are removed.
int copyAttributes(const QByteArray &from, int to)
{
    Attributes wanted, present;
    if (int error = readPathAttributes(from, &wanted))
        return error;
    if (int error = readHandleAttributes(to, &present))
        return error;
    const auto find = [](const Attributes &in, const QByteArray &name) {
        return std::find_if(in.begin(), in.end(), [&](const auto &a) { return a.first == name; });
    };
    for (const auto &[name, value] : present) {
        if (find(wanted, name) == wanted.end() && ::fremovexattr(to, name.constData()) != 0)
            return errno;
    }
    for (const auto &[name, value] : wanted) {
        const auto there = find(present, name);
        if (there != present.end() && there->second == value)
            continue;
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return errno;
    }
    return 0;
}

// The file a write goes to: a symbolic link is followed to its target, as far as it exists.
struct Target {
    QString path;
    QByteArray native;
    QString folder;
    QString name;
    bool exists = false;
    struct stat st {};
};

Target resolve(const QString &path)
{
    Target t;
    t.path = path;
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) {
        t.path = info.symLinkTarget();
        info.setFile(t.path);
    }
    t.native = QFile::encodeName(t.path);
    t.folder = info.absolutePath();
    t.name = info.fileName();
    return t;
}

// Writes bytes over the file's own content, which keeps its inode and with it every name,
// the owner, the mode and the attributes. The old bytes are first copied to a backup file,
// which stays only if they cannot be put back after a failure (or the process dies).
WriteResult writeInPlace(const Target &t, const QByteArray &bytes)
{
    FileHandle file(::open(t.native.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file)
        return failure(errno);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        return failure(errno);
    if (!S_ISREG(st.st_mode))
        return failure(WriteResult::Status::Failed, notRegularReason(st.st_mode));
    QByteArray old;
    if (int error = readAll(file.get(), st.st_size, &old))
        return failure(error);

    FileHandle backup;
    QString backupPath;
    int error = createUnique(t.folder, t.name + QLatin1Char('.'), QStringLiteral("~"), 0600,
                             &backup, &backupPath);
    if (error == EACCES || error == EPERM || error == EROFS)
        error = createUnique(QDir::tempPath(), t.name + QLatin1Char('.'), QStringLiteral("~"), 0600,
                             &backup, &backupPath);
    if (!error)
        error = writeAll(backup.get(), old, 0);
    if (!error)
        error = syncFile(backup.get());
    if (!error)
        error = backup.close();
    if (error) {
        if (!backupPath.isEmpty())
            ::unlink(QFile::encodeName(backupPath).constData());
        return failure(WriteResult::Status::Failed,
                       QStringLiteral("元の内容の控えを作れないため、書き換えませんでした。\n")
                           + systemReason(error));
    }
    syncFolder(QFileInfo(backupPath).absolutePath());
    const auto dropBackup = [&] { ::unlink(QFile::encodeName(backupPath).constData()); };

    // Room for the new bytes is claimed first, so a full disk is found before anything changes.
    if (bytes.size() > old.size() && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, bytes.size()) != 0
        && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        error = errno;
        dropBackup();
        return failure(error);
    }
    error = writeAll(file.get(), bytes, 0);
    if (!error && ::ftruncate(file.get(), bytes.size()) != 0)
        error = errno;
    if (!error)
        error = syncFile(file.get());
    if (!error) {
        dropBackup();
        return {};
    }

    int restored = writeAll(file.get(), old, 0);
    if (!restored && ::ftruncate(file.get(), old.size()) != 0)
        restored = errno;
    if (!restored)
        restored = syncFile(file.get());
    if (!restored) {
        dropBackup();
        return failure(error);
    }
    return failure(WriteResult::Status::Failed,
                   systemReason(error)
                       + QStringLiteral("\n元の内容を戻せませんでした。元の内容は「%1」に残してあります。")
                             .arg(shownPath(backupPath)));
}

// The folder refused the temporary file or its renaming: the file is written in place.
WriteResult folderRefused(const Target &t, const QByteArray &bytes)
{
    if (!t.exists)
        return failure(WriteResult::Status::FolderNotWritable,
                       QStringLiteral("フォルダー「%1」に書き込めないため、ファイルを作れません。")
                           .arg(shownPath(t.folder)));
    WriteResult result = writeInPlace(t, bytes);
    if (result.written())
        return result;
    return failure(WriteResult::Status::FolderNotWritable,
                   QStringLiteral("フォルダー「%1」に書き込めないため、ファイルを直接書き換えようと"
                                  "しましたが、できませんでした。\n")
                           .arg(shownPath(t.folder))
                       + result.reason);
}

// The owner or the attributes cannot be carried over to a new file: the file is written in place.
WriteResult cannotKeep(const Target &t, const QByteArray &bytes, const QString &what, int error)
{
    WriteResult result = writeInPlace(t, bytes);
    if (result.written())
        return result;
    return failure(WriteResult::Status::Failed,
                   QStringLiteral("新しいファイルに%1を引き継げず (%2)、直接書き換えることも"
                                  "できませんでした。\n")
                           .arg(what, systemReason(error))
                       + result.reason);
}

// Writes a new file beside the target and renames it over the target once it is complete.
WriteResult replace(const Target &t, const QByteArray &bytes, WriteOptions options)
{
    FileHandle temp;
    QString tempPath;
    // A new file gets the mode the umask and the folder's default ACL give it; a replacement
    // stays private until it has the target's.
    int error = createUnique(t.folder, QLatin1Char('.') + t.name + QLatin1Char('.'), QString(),
                             t.exists ? 0600 : 0666, &temp, &tempPath);
    if (error == EACCES || error == EPERM)
        return folderRefused(t, bytes);
    if (error)
        return failure(error);
    const QByteArray tempNative = QFile::encodeName(tempPath);
    const auto discard = [&] { ::unlink(tempNative.constData()); };

    if ((error = writeAll(temp.get(), bytes, 0))) {
        discard();
        return failure(error);
    }
    if (t.exists) {
        // The owner first: changing it clears set-id bits and file capabilities.
        // A user who agreed to replace a file that is not theirs gets a file of their own.
        if (::fchown(temp.get(), t.st.st_uid, t.st.st_gid) != 0 && !(options.allowReadOnly && errno == EPERM)) {
            error = errno;
            discard();
            return cannotKeep(t, bytes, QStringLiteral("所有者"), error);
        }
        if ((error = copyAttributes(t.native, temp.get()))) {
            discard();
            return cannotKeep(t, bytes, QStringLiteral("拡張属性や ACL"), error);
        }
        // Last, so that an ACL's mask agrees with the mode.
        if (::fchmod(temp.get(), t.st.st_mode & 07777) != 0) {
            error = errno;
            discard();
            return cannotKeep(t, bytes, QStringLiteral("アクセス権"), error);
        }
    }
    if (!error)
        error = syncFile(temp.get());
    if (!error)
        error = temp.close();
    if (error) {
        discard();
        return failure(error);
    }
    if (::rename(tempNative.constData(), t.native.constData()) != 0) {
        error = errno;
        discard();
        // A sticky folder lets only the file's owner replace it.
        if (t.exists && (error == EACCES || error == EPERM))
            return folderRefused(t, bytes);
        return failure(error);
    }
    syncFolder(t.folder);
    return {};
}

bool fail(QString *errorText, const QString &reason)
{
    if (errorText)
        *errorText = reason;
    return false;
}

} // namespace

WriteResult writeFileSafely(const QString &path, const QByteArray &bytes, WriteOptions options)
{
    Target t = resolve(path);
    if (::stat(t.native.constData(), &t.st) == 0)
        t.exists = true;
    else if (errno != ENOENT)
        return failure(errno);
    if (!t.exists)
        return replace(t, bytes, options);

    if (!S_ISREG(t.st.st_mode))
        return failure(WriteResult::Status::Failed, notRegularReason(t.st.st_mode));
    // Root may write anything, so the mode is looked at as well as what the process may do.
    if (!options.allowReadOnly) {
        if ((t.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return failure(WriteResult::Status::ReadOnlyFile,
                           QStringLiteral("「%1」は読み取り専用です。").arg(t.name));
        if (::faccessat(AT_FDCWD, t.native.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
            return failure(WriteResult::Status::ReadOnlyFile,
                           QStringLiteral("「%1」に書き込む権限がありません。").arg(t.name));
    }
    // An immutable file refuses even root; no consent changes that.
    if (::faccessat(AT_FDCWD, t.native.constData(), W_OK, AT_EACCESS) != 0 && errno == EPERM)
        return failure(WriteResult::Status::Failed,
                       QStringLiteral("「%1」は変更が禁止されています (変更不可の属性)。").arg(t.name));
    // Replacing a file with several names would leave the others with the old content.
    if (t.st.st_nlink > 1)
        return writeInPlace(t, bytes);
    return replace(t, bytes, options);
}

bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *errorText)
{
    const WriteResult result = writeFileSafely(path, bytes, WriteOptions{});
    return result.written() || fail(errorText, result.reason);
}

bool readFileFully(const QString &path, QByteArray *out, QString *errorText)
{
    const QByteArray native = QFile::encodeName(path);
    // Looked at before opening: opening a FIFO waits for a writer, and opening a device may
    // set it going.
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return fail(errorText, systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return fail(errorText, notRegularReason(st.st_mode));
    // Non-blocking and checked again, should the name have changed in between.
    FileHandle file(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file)
        return fail(errorText, systemReason(errno));
    if (::fstat(file.get(), &st) != 0)
        return fail(errorText, systemReason(errno));
    if (!S_ISREG(st.st_mode))
        return fail(errorText, notRegularReason(st.st_mode));
    if (int error = readAll(file.get(), st.st_size, out))
        return fail(errorText, systemReason(error));
    return true;
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
