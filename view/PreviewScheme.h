#pragma once
// The address scheme the preview loads pages through. A stored page and everything it embeds
// are served as tavro://files/<absolute path>; the scheme gives every resource an opaque origin
// of its own, so a page can show a picture, style sheet, script or frame from any folder but no
// script can read one (frames are cross-origin, canvases tainted, style rules closed, module
// and fetch reads refused). Only regular files are served, read-only.
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QIODevice;

namespace Preview {

inline constexpr char SchemeName[] = "tavro";

// Registers the scheme with the engine; must run before the engine starts (the preview
// profile does it as it is made).
void RegisterScheme();

// The preview address of a local file, and back; an empty string for an address that is not
// a preview address.
QUrl AddressOf(const QString &path);
QString FileOf(const QUrl &address);

// Serves preview addresses. Every request becomes bytes in open(): today the file on disk; a
// live preview would answer the document's own address here with the editor's text instead.
class PageFiles final : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override;

    // The bytes at path with their MIME type, or nullptr when path is not a regular file that
    // can be read (a folder, device, FIFO or socket is refused without being opened for reading).
    static QIODevice *open(const QString &path, QByteArray &mimeType);
};

}
