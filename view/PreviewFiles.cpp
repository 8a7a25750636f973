#include "view/PreviewFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Preview {
namespace {

// Every document served is a sandbox without its own origin. Scripts run, forms and script
// dialogs work as before (their navigations and dialogs are the page's to allow or refuse).
const QByteArray Sandbox = "Content-Security-Policy: sandbox allow-scripts allow-forms allow-modals";
// A file is a script or a style sheet only when it is named as one: nothing else (a key, a
// text file) runs or styles a page.
const QByteArray TypesAsNamed = "X-Content-Type-Options: nosniff";

// Where the server listens, fixed once it has started.
struct Address {
    quint16 port = 0;
    QString secret;  // the first folder of every address: no other program can guess one
};

class PageConnection final : public QObject {
public:
    explicit PageConnection(QTcpSocket *socket) : socket_(socket)
    {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, &PageConnection::read);
        connect(socket_, &QTcpSocket::bytesWritten, this, &PageConnection::send);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        // A caller that never finishes asking (or never reads) is dropped.
        idle_.setSingleShot(true);
        idle_.setInterval(IdleMs);
        connect(&idle_, &QTimer::timeout, socket_, &QTcpSocket::abort);
        idle_.start();
    }

private:
    static constexpr int IdleMs = 30'000;
    static constexpr qsizetype LongestHead = 32 * 1024;
    static constexpr qint64 Chunk = 256 * 1024;

    void read()
    {
        idle_.start();
        if (answered_) {
            socket_->readAll();
            return;
        }
        head_ += socket_->readAll();
        const qsizetype end = head_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (head_.size() > LongestHead)
                socket_->abort();
            return;
        }
        answered_ = true;
        answer(parse(head_.left(end)));
    }

    static PageRequest parse(const QByteArray &head)
    {
        PageRequest request;
        const QByteArrayList lines = head.split('\n');
        const QByteArrayList first = lines.value(0).trimmed().split(' ');
        if (first.size() == 3) {
            request.method = first[0];
            request.target = first[1];
        }
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        return request;
    }

    void answer(PageRequest request)
    {
        answer_ = PageFiles::answer(request);
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer_.status) + ' ' + reason(answer_.status) + "\r\n";
        for (const QByteArray &header : answer_.headers)
            head += header + "\r\n";
        head += "Content-Length: " + QByteArray::number(answer_.length) + "\r\nConnection: close\r\n\r\n";
        socket_->write(head);
        if (!answer_.body || (answer_.offset > 0 && !answer_.body->seek(answer_.offset)))
            answer_.length = 0;
        left_ = answer_.length;
        send();
    }

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200: return "OK";
        case 206: return "Partial Content";
        case 403: return "Forbidden";
        case 405: return "Method Not Allowed";
        case 416: return "Range Not Satisfiable";
        default: return "Not Found";
        }
    }

    // Writes the body a piece at a time, as the engine reads it.
    void send()
    {
        if (!answered_)
            return;
        idle_.start();
        while (left_ > 0 && socket_->bytesToWrite() < Chunk) {
            const QByteArray piece = answer_.body->read(std::min(left_, Chunk));
            if (piece.isEmpty()) {  // the file shrank under us: the length said is a lie now
                socket_->abort();
                return;
            }
            left_ -= piece.size();
            socket_->write(piece);
        }
        if (left_ == 0 && !closing_) {
            closing_ = true;
            socket_->disconnectFromHost();
        }
    }

    QTcpSocket *socket_;
    QTimer idle_;
    QByteArray head_;
    PageAnswer answer_;
    qint64 left_ = 0;
    bool answered_ = false;
    bool closing_ = false;
};

const Address &serverAddress()
{
    static const Address address = [] {
        Address a;
        quint32 secret[4];
        QRandomGenerator::system()->fillRange(secret);
        a.secret = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(secret), sizeof secret).toHex());
        auto *thread = new QThread;
        thread->setObjectName(QStringLiteral("tavro-pages"));
        // Listens on a thread of its own, so that a large page or picture never waits for the editor.
        auto *server = new QTcpServer;
        QObject::connect(server, &QTcpServer::newConnection, server, [server] {
            while (QTcpSocket *socket = server->nextPendingConnection())
                new PageConnection(socket);
        });
        if (!server->listen(QHostAddress::LocalHost, 0))
            qWarning("Preview: cannot listen on the loopback interface: %s", qPrintable(server->errorString()));
        a.port = server->serverPort();
        server->moveToThread(thread);
        QObject::connect(thread, &QThread::finished, server, &QObject::deleteLater);
        thread->start();
        if (QCoreApplication *app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, thread, [thread] {
                thread->quit();
                thread->wait();
                delete thread;
            }, Qt::DirectConnection);
        return a;
    }();
    return address;
}

// The first and last byte of "bytes=N-" or "bytes=N-M" within size, or false when not so.
bool rangeOf(const QByteArray &range, qint64 size, qint64 &first, qint64 &last)
{
    static const QRegularExpression form(QStringLiteral("^bytes=(\\d{1,18})-(\\d{0,18})$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(range));
    if (!m.hasMatch())
        return false;
    first = m.captured(1).toLongLong();
    last = m.captured(2).isEmpty() ? size - 1 : std::min(m.captured(2).toLongLong(), size - 1);
    return first <= last;
}

bool isFont(const QByteArray &mimeType)
{
    return mimeType.startsWith("font/") || mimeType.startsWith("application/x-font-")
        || mimeType == "application/vnd.ms-fontobject";
}

} // namespace

QByteArray serverHostPort()
{
    return "127.0.0.1:" + QByteArray::number(serverAddress().port);
}

QUrl addressOf(const QString &path)
{
    const Address &server = serverAddress();
    QUrl address;
    address.setScheme(QStringLiteral("http"));
    address.setHost(QStringLiteral("127.0.0.1"));
    address.setPort(server.port);
    address.setPath(u'/' + server.secret + QUrl::fromLocalFile(path).path(QUrl::FullyDecoded), QUrl::DecodedMode);
    return address;
}

QString fileOf(const QUrl &address)
{
    const Address &server = serverAddress();
    const QString folder = u'/' + server.secret + u'/';
    const QString path = address.path(QUrl::FullyDecoded);
    if (address.scheme() != u"http" || address.host() != u"127.0.0.1" || address.port() != server.port
        || !address.userInfo().isEmpty() || !path.startsWith(folder) || path.contains(QChar(0)))
        return {};
    return path.mid(folder.size() - 1);
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

PageAnswer PageFiles::answer(const PageRequest &request)
{
    PageAnswer answer;
    answer.headers = {Sandbox, TypesAsNamed, "Cache-Control: no-store", "Referrer-Policy: no-referrer"};
    if (request.method != "GET") {
        answer.status = 405;
        return answer;
    }
    const QByteArray kind = request.headers.value("sec-fetch-dest");
    // Only the engine, asked for what a page shows, is answered: not a script's fetch or XHR
    // ("empty"), not a caller that reaches the port by another name.
    if (request.headers.value("host") != serverHostPort() || kind.isEmpty() || kind == "empty") {
        answer.status = 403;
        return answer;
    }
    const QString path = fileOf(QUrl::fromEncoded("http://" + serverHostPort() + request.target, QUrl::StrictMode));
    QByteArray mimeType;
    std::unique_ptr<QIODevice> body(path.isEmpty() ? nullptr : open(path, mimeType));
    if (!body)
        return answer;
    answer.headers += "Content-Type: " + mimeType;
    answer.headers += "Accept-Ranges: bytes";
    // A font shows its letters and nothing else; the engine asks for fonts as shared reads.
    if (kind == "font" && isFont(mimeType))
        answer.headers += "Access-Control-Allow-Origin: *";
    const qint64 size = body->size();
    answer.status = 200;
    answer.length = size;
    if (const QByteArray range = request.headers.value("range"); !range.isEmpty()) {
        qint64 first = 0, last = 0;
        if (!rangeOf(range, size, first, last)) {
            answer.status = 416;
            answer.length = 0;
            answer.headers += "Content-Range: bytes */" + QByteArray::number(size);
            return answer;
        }
        answer.status = 206;
        answer.offset = first;
        answer.length = last - first + 1;
        answer.headers += "Content-Range: bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
            + QByteArray::number(size);
    }
    answer.body = std::move(body);
    return answer;
}

}
