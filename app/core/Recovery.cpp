#include "app/core/Recovery.h"

#include "app/core/SafeWrite.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringEncoder>
#include <algorithm>

namespace {

const QString FileSuffix = QStringLiteral(".recovery");
const QString LockSuffix = QStringLiteral(".lock");

// The encoding as the recovery file names it; a UTF-8 file's byte-order mark is told apart.
QString encodingKey(std::optional<TextEncoding> e)
{
    if (!e)
        return QString();
    return *e == TextEncoding::Utf8Bom ? QStringLiteral("utf-8-bom") : encodingLabel(*e);
}

std::optional<TextEncoding> encodingFromKey(const QString &key)
{
    for (TextEncoding e : {TextEncoding::ShiftJis, TextEncoding::Utf8, TextEncoding::Utf8Bom,
                           TextEncoding::EucJp, TextEncoding::Iso2022Jp, TextEncoding::Utf16Le,
                           TextEncoding::Utf16Be})
        if (encodingKey(e) == key)
            return e;
    return std::nullopt;
}

const QString LineBreakKeys[] = {QStringLiteral("crlf"), QStringLiteral("lf"), QStringLiteral("cr")};

} // namespace

// One line of JSON with the document's particulars, then the text in UTF-8.
QByteArray formatRecovery(const RecoveredDocument &doc, const std::function<QString(QString)> &convert)
{
    QJsonObject meta{{QStringLiteral("path"), doc.path},
                     {QStringLiteral("title"), doc.title},
                     {QStringLiteral("encoding"), encodingKey(doc.encoding)},
                     {QStringLiteral("breaks"), LineBreakKeys[int(doc.lineBreak)]}};
    if (doc.diskIdentity) {
        meta.insert(QStringLiteral("disk"),
                    QJsonObject{{QStringLiteral("device"), QString::number(doc.diskIdentity->device)},
                                {QStringLiteral("inode"), QString::number(doc.diskIdentity->inode)},
                                {QStringLiteral("size"), QString::number(doc.diskIdentity->size)},
                                {QStringLiteral("mtime"), QString::number(doc.diskIdentity->modifiedNs)}});
    }
    QByteArray out = QJsonDocument(meta).toJson(QJsonDocument::Compact) + '\n';
    // The text is encoded a piece at a time straight into the one buffer (room for the worst
    // case is only address space until written): a big document costs its UTF-8 bytes once, not
    // a converted copy, an encoded copy and the joined copy besides.
    const QStringView text = doc.text;
    QStringEncoder utf8(QStringEncoder::Utf8);
    qsizetype used = out.size();
    out.resize(used + utf8.requiredSpace(text.size()));
    constexpr qsizetype Piece = 64 * 1024;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype n = std::min(Piece, text.size() - at);
        if (text[at + n - 1] == u'\r' && at + n < text.size())
            ++n;  // keep a CR LF together
        const QString converted = convert ? convert(text.sliced(at, n).toString()) : QString();
        const QStringView piece = convert ? QStringView(converted) : text.sliced(at, n);
        if (const qsizetype room = utf8.requiredSpace(piece.size()); out.size() - used < room)
            out.resize(used + room);  // a converter that lengthens its piece
        used = utf8.appendToBuffer(out.data() + used, piece) - out.constData();
        at += n;
    }
    out.truncate(used);
    return out;
}

std::optional<RecoveredDocument> parseRecovery(const QByteArray &bytes)
{
    const qsizetype newline = bytes.indexOf('\n');
    if (newline < 0)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes.left(newline), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    const QJsonObject meta = json.object();
    RecoveredDocument doc;
    doc.path = meta.value(QStringLiteral("path")).toString();
    doc.title = meta.value(QStringLiteral("title")).toString();
    if (doc.title.isEmpty())
        return std::nullopt;
    doc.encoding = encodingFromKey(meta.value(QStringLiteral("encoding")).toString());
    const QString breaks = meta.value(QStringLiteral("breaks")).toString();
    for (LineBreak b : {LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr})
        if (breaks == LineBreakKeys[int(b)])
            doc.lineBreak = b;
    const QJsonObject disk = meta.value(QStringLiteral("disk")).toObject();
    if (!disk.isEmpty()) {
        FileIdentity id;
        id.device = disk.value(QStringLiteral("device")).toString().toULongLong();
        id.inode = disk.value(QStringLiteral("inode")).toString().toULongLong();
        id.size = disk.value(QStringLiteral("size")).toString().toLongLong();
        id.modifiedNs = disk.value(QStringLiteral("mtime")).toString().toLongLong();
        doc.diskIdentity = id;
    }
    doc.text = QString::fromUtf8(bytes.constData() + newline + 1, bytes.size() - newline - 1);
    return doc;
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder))
{
    writer_.setMaxThreadCount(1);
}

RecoveryStore::~RecoveryStore()
{
    writer_.waitForDone();
}

QString RecoveryStore::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                + QStringLiteral("/.local/state");
    return QDir(state).filePath(QStringLiteral("tavro"));
}

bool RecoveryStore::ensureOwnFile()
{
    if (lock_)
        return true;
    if (!QDir().mkpath(folder_))
        return false;
    // A name of its own for this run: the process id alone may come back after a restart.
    const QString base = QDir(folder_).filePath(
        QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    auto lock = std::make_unique<QLockFile>(base + LockSuffix);
    if (!lock->tryLock(0))
        return false;
    lock_ = std::move(lock);
    file_ = base + FileSuffix;
    return true;
}

void RecoveryStore::keep(RecoveredDocument doc)
{
    if (!ensureOwnFile())
        return;  // nowhere to keep it: editing goes on, only the safety net is missing
    {
        QMutexLocker locker(&mutex_);
        pending_ = std::move(doc);
        discarded_ = false;
    }
    const QString file = file_;
    writer_.start([this, file] {
        std::optional<RecoveredDocument> doc;
        {
            QMutexLocker locker(&mutex_);
            if (!pending_ || discarded_)
                return;  // superseded by a later keep() that already wrote, or discarded
            doc = std::move(pending_);
            pending_.reset();
        }
        const QByteArray bytes = formatRecovery(*doc, convert_);
        doc.reset();
        QString error;
        writeFileSafely(file, bytes, &error);
        QMutexLocker locker(&mutex_);
        if (discarded_)  // a discard() came while this was being written
            QFile::remove(file);
    });
}

void RecoveryStore::discard()
{
    {
        QMutexLocker locker(&mutex_);
        discarded_ = true;
        pending_.reset();
    }
    writer_.waitForDone();
    if (!file_.isEmpty())
        QFile::remove(file_);
}

void RecoveryStore::flush()
{
    writer_.waitForDone();
}

std::optional<RecoveryStore::Orphan> RecoveryStore::takeOrphan()
{
    QFileInfoList files = QDir(folder_).entryInfoList({QStringLiteral("*") + FileSuffix}, QDir::Files,
                                                      QDir::Time);
    for (const QFileInfo &info : files) {
        const QString file = info.absoluteFilePath();
        if (file == file_)
            continue;
        const QString base = file.left(file.size() - FileSuffix.size());
        // A running editor holds its lock; a dead one's lock is stale and can be taken.
        auto lock = std::make_shared<QLockFile>(base + LockSuffix);
        if (!lock->tryLock(0))
            continue;
        QByteArray bytes;
        QString error;
        std::optional<RecoveredDocument> doc;
        if (readFileFully(file, &bytes, &error))
            doc = parseRecovery(bytes);
        if (!doc) {
            QFile::remove(file);  // unreadable: nothing to offer
            continue;
        }
        return Orphan{file, std::move(*doc), std::move(lock)};
    }
    return std::nullopt;
}

void RecoveryStore::remove(Orphan &orphan)
{
    QFile::remove(orphan.file);
    if (orphan.lock)
        orphan.lock->unlock();  // removes the lock file
    orphan.lock.reset();
}
