#include "view/PreviewProfile.h"

#include "view/PreviewScheme.h"

#include <QCoreApplication>
#include <QUrl>
#include <algorithm>
#include <initializer_list>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace Preview {
namespace {

// What a page may load besides the preview's own addresses: the engine's schemes for inline
// data, blobs the page made and blank frames; none of them leaves the machine or reads a file.
bool IsAllowedScheme(const QString &scheme)
{
    return scheme == QLatin1String(SchemeName) || scheme == u"data" || scheme == u"blob"
        || scheme == u"about";
}

// The engine's loader for a scheme of the program's own marks no response as cross-origin:
// a page could read a picture through a canvas (refused by a switch below), or the rules of a
// style sheet and the errors of a script. Whatever other file is loaded as a style sheet or a
// script must therefore at least be named as one.
bool NamedAs(const QUrl &url, std::initializer_list<QLatin1String> suffixes)
{
    const QString path = url.path();
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [&](QLatin1String s) { return path.endsWith(s, Qt::CaseInsensitive); });
}

class LocalOnlyInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        using R = QWebEngineUrlRequestInfo;
        const QUrl &url = info.requestUrl();
        if (!IsAllowedScheme(url.scheme())) {
            info.block(true);
            return;
        }
        if (url.scheme() != QLatin1String(SchemeName))
            return;
        switch (info.resourceType()) {
        case R::ResourceTypeStylesheet:
            info.block(!NamedAs(url, {QLatin1String(".css")}));
            break;
        case R::ResourceTypeScript:
        case R::ResourceTypeWorker:
        case R::ResourceTypeSharedWorker:
        case R::ResourceTypeServiceWorker:
            info.block(!NamedAs(url, {QLatin1String(".js"), QLatin1String(".mjs")}));
            break;
        default:
            break;
        }
    }
};

// Switches the engine reads once, when it starts; the program sets them itself so that they
// hold however it is started. WebRTC opens its own sockets, which no request interceptor sees:
// with non-proxied UDP disabled it sends no UDP at all, and its TCP goes only through the
// proxy, here a closed port. The user's own switches come first, so that where a switch is
// given twice the program's wins, and their proxy and WebRTC switches are dropped: a proxy of
// theirs (or none) would carry WebRTC's TCP out.
void SetEngineSwitches()
{
    static constexpr char Name[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    QByteArrayList flags;
    for (const QByteArray &flag : qgetenv(Name).simplified().split(' ')) {
        const QByteArray lower = flag.toLower();
        if (!flag.isEmpty() && !lower.contains("proxy") && !lower.contains("webrtc"))
            flags += flag;
    }
    flags += {"--force-webrtc-ip-handling-policy=disable_non_proxied_udp",
              "--proxy-server=socks5://127.0.0.1:9", "--proxy-bypass-list=<-loopback>",
              // A CSS module would hand a script a style sheet's text through import().
              "--disable-blink-features=CSSModules",
              // The engine would not taint a canvas with a picture of the preview's scheme.
              "--disable-reading-from-canvas"};
    qputenv(Name, flags.join(' '));
}

// The page never writes the clipboard: copy and cut events (the page's execCommand('copy'),
// a key in the page) reach no handler of the page and copy nothing. The preview's own コピー
// takes the selected text from outside the page. Runs in a world of its own, before any script
// of the page, in every frame.
QWebEngineScript NoClipboardWrites()
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

void Configure(QWebEngineSettings &s)
{
    using S = QWebEngineSettings;
    s.setAttribute(S::JavascriptEnabled, true);
    // On by default; pages come through the preview's own scheme and never need file:.
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

QWebEngineProfile &SandboxProfile()
{
    static QWebEngineProfile *profile = [] {
        SetEngineSwitches();
        RegisterScheme();
        // No storage name: off the record, nothing written to disk.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        p->setUrlRequestInterceptor(new LocalOnlyInterceptor(p));
        p->installUrlSchemeHandler(SchemeName, new PageFiles(p));
        p->scripts()->insert(NoClipboardWrites());
        Configure(*p->settings());
        // Nothing is ever downloaded.
        QObject::connect(p, &QWebEngineProfile::downloadRequested, p,
                         [](QWebEngineDownloadRequest *download) { download->cancel(); });
        return p;
    }();
    return *profile;
}

}
