#include "view/PreviewProfile.h"

#include <QCoreApplication>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

namespace Preview {
namespace {

// The engine's own schemes a page needs for itself (inline data, blobs it made, blank frames);
// none of them leaves the machine.
bool IsLocalScheme(const QString &scheme)
{
    return scheme == u"file" || scheme == u"data" || scheme == u"blob" || scheme == u"about"
        || scheme == u"qrc";
}

// Kinds of request by which script (rather than the page's markup) would read a file: fetch,
// XHR, beacons, workers and their scripts.
bool IsScriptRead(QWebEngineUrlRequestInfo::ResourceType type)
{
    using R = QWebEngineUrlRequestInfo;
    switch (type) {
    case R::ResourceTypeXhr:
    case R::ResourceTypeSubResource:
    case R::ResourceTypePing:
    case R::ResourceTypeCspReport:
    case R::ResourceTypePrefetch:
    case R::ResourceTypeWorker:
    case R::ResourceTypeSharedWorker:
    case R::ResourceTypeServiceWorker:
    case R::ResourceTypePluginResource:
    case R::ResourceTypeNavigationPreloadMainFrame:
    case R::ResourceTypeNavigationPreloadSubFrame:
    case R::ResourceTypeWebSocket:
    case R::ResourceTypeUnknown:
        return true;
    default:
        return false;
    }
}

// Scripts load only from files named as scripts: import() of a JSON file (a JSON module) is
// a script request too, and would hand the file's data to the page.
bool IsScriptFile(const QUrl &url)
{
    const QString path = url.path();
    return path.endsWith(u".js", Qt::CaseInsensitive) || path.endsWith(u".mjs", Qt::CaseInsensitive);
}

class LocalOnlyInterceptor final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QString scheme = info.requestUrl().scheme();
        if (!IsLocalScheme(scheme))
            info.block(true);
        else if (scheme == u"file")
            info.block(IsScriptRead(info.resourceType())
                       || (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeScript
                           && !IsScriptFile(info.requestUrl())));
    }
};

// Switches the engine reads once, when it starts; the program sets them itself so that they
// hold however it is started (anything the user set is kept after them). WebRTC opens its own
// sockets, which no request interceptor sees: with non-proxied UDP disabled (and no proxy) it
// gathers no candidates and sends no STUN or TURN packet.
void SetEngineSwitches()
{
    static constexpr char Name[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    // A CSS module would hand a script a style sheet's text through import().
    QByteArray flags = "--force-webrtc-ip-handling-policy=disable_non_proxied_udp"
                       " --proxy-server=socks5://127.0.0.1:9 --proxy-bypass-list=<-loopback>"
                       " --disable-blink-features=CSSModules";
    const QByteArray user = qgetenv(Name);
    if (!user.isEmpty())
        flags += ' ' + user;
    qputenv(Name, flags);
}

void Configure(QWebEngineSettings &s)
{
    using S = QWebEngineSettings;
    s.setAttribute(S::JavascriptEnabled, true);
    // Off would also refuse the page its own pictures and style sheets (the engine then loads no
    // file: sub-resource at all); script reads of files are refused by the interceptor instead.
    s.setAttribute(S::LocalContentCanAccessFileUrls, true);
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
        // No storage name: off the record, nothing written to disk.
        auto *p = new QWebEngineProfile(QCoreApplication::instance());
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        p->setUrlRequestInterceptor(new LocalOnlyInterceptor(p));
        Configure(*p->settings());
        // Nothing is ever downloaded.
        QObject::connect(p, &QWebEngineProfile::downloadRequested, p,
                         [](QWebEngineDownloadRequest *download) { download->cancel(); });
        return p;
    }();
    return *profile;
}

}
