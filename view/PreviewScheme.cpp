#include "view/PreviewScheme.h"

#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Preview {
namespace {

const QString Host = QStringLiteral("files");

} // namespace

void RegisterScheme()
{
    QWebEngineUrlScheme scheme(SchemeName);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // NoAccessAllowed: each resource its own opaque origin. Not LocalScheme: an opaque origin
    // may not load local resources, so the page would lose its own pictures. Deliberately not
    // CorsEnabled or FetchApiAllowed: those would let one file's script read another. Not
    // SecureScheme: the page keeps out of the APIs that need a secure context (the
    // asynchronous clipboard, media devices, workers of its own).
    scheme.setFlags(QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl AddressOf(const QString &path)
{
    QUrl address = QUrl::fromLocalFile(path);
    address.setScheme(QString::fromLatin1(SchemeName));
    address.setHost(Host);
    return address;
}

QString FileOf(const QUrl &address)
{
    if (address.scheme() != QLatin1String(SchemeName) || address.host() != Host
        || !address.path().startsWith(u'/'))
        return {};
    return address.path(QUrl::FullyDecoded);
}

QIODevice *PageFiles::open(const QString &path, QByteArray &mimeType)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    static const QMimeDatabase mimes;
    QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (type.isDefault())  // no telling extension: look at the bytes, as a browser would
        type = mimes.mimeTypeForData(file->peek(4096));
    mimeType = type.name().toLatin1();
    return file.release();
}

void PageFiles::requestStarted(QWebEngineUrlRequestJob *job)
{
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = FileOf(job->requestUrl());
    QByteArray mimeType;
    QIODevice *bytes = path.isEmpty() ? nullptr : open(path, mimeType);
    if (!bytes) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    bytes->setParent(job);  // read by the engine until the job ends
    job->reply(mimeType, bytes);
}

}
