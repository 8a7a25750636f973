#include "view/PreviewProfile.h"

#include "view/PreviewFiles.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace Preview {
namespace {

// What a page may load: the preview's own addresses, and the engine's schemes for inline data,
// blobs the page made and blank frames; none of them leaves the machine or reads a file.
bool mayLoad(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == u"data" || scheme == u"blob" || scheme == u"about" || !fileOf(url).isEmpty();
}

class LocalOnlyInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override { info.block(!mayLoad(info.requestUrl())); }
};

// Switches the engine reads once, when it starts; the program sets them itself so that they
// hold however it is started. WebRTC opens its own sockets, which no request interceptor sees:
// with non-proxied UDP disabled it sends no UDP at all, and its TCP goes only through the
// proxy, here a closed port; only the preview's own server is reached without it. The user's
// own switches come first, so that where a switch is given twice the program's wins, and their
// proxy and WebRTC switches are dropped: a proxy of theirs (or none) would carry WebRTC's TCP out.
void setEngineSwitches()
{
    static constexpr char Name[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    QByteArrayList flags;
    for (const QByteArray &flag : qgetenv(Name).simplified().split(' ')) {
        const QByteArray lower = flag.toLower();
        if (!flag.isEmpty() && !lower.contains("proxy") && !lower.contains("webrtc"))
            flags += flag;
    }
    flags += {"--force-webrtc-ip-handling-policy=disable_non_proxied_udp",
              "--proxy-server=socks5://127.0.0.1:9", "--proxy-bypass-list=<-loopback>;" + serverHostPort()};
    qputenv(Name, flags.join(' '));
}

// The page never writes the clipboard: copy and cut events (the page's execCommand('copy'),
// a key in the page) reach no handler of the page and copy nothing. The preview's own コピー
// takes the selected text from outside the page. Runs in a world of its own, before any script
// of the page, in every frame.
QWebEngineScript noClipboardWrites()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("tavro-no-clipboard-writes"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "for (const type of ['copy', 'cut'])"
        "  window.addEventListener(type, e => { e.stopImmediatePropagation(); e.preventDefault(); }, true);"));
    return script;
}

void configure(QWebEngineSettings &s)
{
    using S = QWebEngineSettings;
    s.setAttribute(S::JavascriptEnabled, true);
    // On by default; pages come through the preview's own server and never need file:.
    s.setAttribute(S::LocalContentCanAccessFileUrls, false);
    s.setAttribute(S::LocalContentCanAccessRemoteUrls, false);
    s.setAttribute(S::JavascriptCanOpenWindows, false);
    s.setAttribute(S::JavascriptCanAccessClipboard, false);
    s.setAttribute(S::JavascriptCanPaste, false);
    s.setAttribute(S::WebRTCPublicInterfacesOnly, true);
    s.setAttribute(S::PluginsEnabled, false);
    s.setAttribute(S::PdfViewerEnabled, false);
    s.setAttribute(S::FullScreenSupportEnabled, false);
    s.setAttribute(S::ScreenCaptureEnabled, false);
    s.setAttribute(S::AllowRunningInsecureContent, false);
    s.setAttribute(S::AllowGeolocationOnInsecureOrigins, false);
    s.setAttribute(S::AllowWindowActivationFromJavaScript, false);
    s.setAttribute(S::DnsPrefetchEnabled, false);
    s.setAttribute(S::HyperlinkAuditingEnabled, false);
    s.setAttribute(S::NavigateOnDropEnabled, false);
    s.setAttribute(S::LocalStorageEnabled, false);
    s.setAttribute(S::XSSAuditingEnabled, true);
}

} // namespace

QWebEngineProfile &sandboxProfile()
{
    static QWebEngineProfile *profile = [] {
        setEngineSwitches();
        // No storage name: off the record, nothing written to disk.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        p->setUrlRequestInterceptor(new LocalOnlyInterceptor(p));
        p->scripts()->insert(noClipboardWrites());
        configure(*p->settings());
        // Nothing is ever downloaded.
        QObject::connect(p, &QWebEngineProfile::downloadRequested, p,
                         [](QWebEngineDownloadRequest *download) { download->cancel(); });
        return p;
    }();
    return *profile;
}

}
