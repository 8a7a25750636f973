#pragma once
// Where the preview's pages come from. A stored page and everything it embeds are served over
// HTTP on the loopback interface, at http://127.0.0.1:<port>/<secret>/<absolute path>, by a
// server of the program's own whose address only the preview knows. Every answer makes its
// document a sandbox of an opaque origin of its own, so that no two files share an origin: a
// page shows pictures, style sheets, scripts, frames and fonts from any folder, but no script
// can read one (frames are cross-origin, canvases tainted, other sheets' rules closed, module
// and worker imports refused), and script reads (fetch, XHR) are refused before a file is opened.
// Only regular files are served, read-only.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>
#include <memory>

class QIODevice;

namespace Preview {

// The preview address of a local file, and back; an empty string for an address that is not
// a preview address. The first call starts the server.
QUrl addressOf(const QString &path);
QString fileOf(const QUrl &address);
// "127.0.0.1:<port>", where the server listens.
QByteArray serverHostPort();

// One request as the engine sent it; header names in lower case.
struct PageRequest {
    QByteArray method;
    QByteArray target;  // "/<secret>/<path>?<query>"
    QMap<QByteArray, QByteArray> headers;
};

struct PageAnswer {
    int status = 404;
    QByteArrayList headers;  // "Name: value"
    std::unique_ptr<QIODevice> body;
    qint64 offset = 0;  // of a range asked for
    qint64 length = 0;
};

// Every request becomes bytes here: today the file on disk; a live preview would answer the
// document's own address here with the editor's text instead.
class PageFiles {
public:
    static PageAnswer answer(const PageRequest &request);

    // The bytes at path with their MIME type, or nullptr when path is not a regular file that
    // can be read (a folder, device, FIFO or socket is refused without being opened for reading).
    static QIODevice *open(const QString &path, QByteArray &mimeType);
};

}
