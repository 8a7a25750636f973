#include "view/PreviewPage.h"

#include "app/platform/Platform.h"
#include "view/PreviewProfile.h"
#include "view/PreviewFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace Preview {
namespace {

const QString DialogTitle = QStringLiteral("Tavro");

// A stored page larger than this is not searched for the address of a clicked link.
constexpr qint64 LargestSourceSearched = 64 << 20;

// Characters that end an address written in a page: quotes, white space, markup, a closing
// parenthesis of url(...).
bool endsAddress(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == '\'' || c == '<' || c == '>'
        || c == ')' || c == '`';
}

// The page's stored bytes, UTF-16 ones as UTF-8, so that an address is searched as ASCII.
QByteArray storedSource(const QUrl &address)
{
    QFile file(fileOf(address));
    if (file.size() > LargestSourceSearched || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder utf16(bytes.startsWith("\xff") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QString(utf16(bytes)).toUtf8();
    }
    return bytes;
}

// The whole address, broken into lines the message box can show.
QString inLines(const QString &address)
{
    QString lines;
    for (qsizetype at = 0; at < address.size(); at += 80)
        lines += address.mid(at, 80) + u'\n';
    return lines;
}

QString fromPage(const QString &msg)
{
    return QStringLiteral("プレビュー中のページからのメッセージ:\n\n%1").arg(msg);
}

// The engine asks "leave this page?" through the confirm hook with its own (English) text.
bool isLeaveQuestion(const QString &msg)
{
    return msg == QCoreApplication::translate(
               "QWebEnginePage",
               "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

} // namespace

SandboxPage::SandboxPage(QWidget *dialogParent, QObject *parent)
    : QWebEnginePage(&sandboxProfile(), parent), dialogParent_(dialogParent)
{
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::quotaRequested, this,
            [](QWebEngineQuotaRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::linkHovered, this, [this](const QString &url) { hoveredLink_ = url; });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
}

void SandboxPage::beginUserLoad()
{
    dialogsLeft_ = DialogsPerLoad;
    clickPending_ = false;
}

void SandboxPage::noteInputStarted()
{
    clickPending_ = false;
}

void SandboxPage::noteClick()
{
    clickPending_ = true;
}

bool SandboxPage::takeDialog()
{
    if (dialogsLeft_ <= 0)
        return false;
    --dialogsLeft_;
    return true;
}

bool SandboxPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const QString scheme = url.scheme();
    // The user's click, if it landed on a link to where this leads (the engine reports the
    // link under the pointer before it hands on the click); the click is then spent, and
    // whatever a script of the page starts after it is not the user's.
    const bool clicked = isMainFrame && type == NavigationTypeLinkClicked && clickPending_
        && !hoveredLink_.isEmpty() && url == QUrl(hoveredLink_);
    if (isMainFrame)
        clickPending_ = false;
    if (!fileOf(url).isEmpty()) {
        // A page the user chose to go to; the ones scripts reach on their own do not count.
        if (clicked)
            beginUserLoad();
        return true;
    }
    if (scheme == u"http" || scheme == u"https") {
        if (isMainFrame)
            offerToBrowser(url, clicked);
        return false;
    }
    // Frames may be blank or hold inline content; nothing else is ever started.
    if (!isMainFrame && (scheme == u"about" || scheme == u"data" || scheme == u"blob"))
        return true;
    return url.toString() == u"about:blank";
}

void SandboxPage::offerToBrowser(const QUrl &url, bool clicked)
{
    if (clicked && sourceHasAddress(storedSource(this->url()), url)) {
        platform().openInBrowser(url);
        return;
    }
    // One question at a time; a page asks without a click only within its dialogs.
    if (asking_ || url.toEncoded().size() > LongestAddressAsked || (!clicked && !takeDialog()))
        return;
    asking_ = true;
    // Asked once the engine has had its answer: a modal box inside this call would hold it up.
    QTimer::singleShot(0, this, [this, url] {
        const QString prompt = QStringLiteral("プレビュー中のページが次のアドレスを開こうとしています。\n\n%1\n"
                                              "ブラウザーで開きますか？")
                                   .arg(inLines(QString::fromLatin1(url.toEncoded())));
        QPointer<SandboxPage> self(this);
        const MsgAnswer answer = platform().MsgBox(dialogParent_, prompt,
                                                   MsgStyle{MsgButtons::YesNo, MsgIcon::Question, true}, DialogTitle);
        if (!self)
            return;
        asking_ = false;
        if (answer == MsgAnswer::Yes)
            platform().openInBrowser(url);
    });
}

bool sourceHasAddress(const QByteArray &source, const QUrl &address)
{
    QByteArrayList written{address.toEncoded(), address.toString().toUtf8()};
    // The engine adds the slash of an empty path: "http://example.com" leads to ".../".
    if (address.path() == u"/" && !address.hasQuery() && !address.hasFragment())
        written += address.toEncoded().chopped(1);
    for (const QByteArray &plain : QByteArrayList(written))
        if (plain.contains('&'))
            written += QByteArray(plain).replace("&", "&amp;");
    for (const QByteArray &text : written) {
        for (qsizetype at = source.indexOf(text); at >= 0; at = source.indexOf(text, at + 1)) {
            const qsizetype end = at + text.size();
            if (end == source.size() || endsAddress(source.at(end)))
                return true;
        }
    }
    return false;
}

QWebEnginePage *SandboxPage::createWindow(WebWindowType)
{
    return nullptr;
}

QStringList SandboxPage::chooseFiles(FileSelectionMode, const QStringList &, const QStringList &)
{
    return {};
}

void SandboxPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    if (takeDialog())
        platform().MsgBox(dialogParent_, fromPage(msg), MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}, DialogTitle);
}

bool SandboxPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    const bool leaving = isLeaveQuestion(msg);
    if (!takeDialog())
        return leaving;  // a page past its dialogs cannot keep the user on it
    const QString prompt = leaving
        ? QStringLiteral("このページから移動しますか？\n行った変更が保存されない可能性があります。")
        : fromPage(msg);
    return platform().MsgBox(dialogParent_, prompt, MsgStyle{MsgButtons::OKCancel, MsgIcon::Question}, DialogTitle) == MsgAnswer::OK;
}

bool SandboxPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                                   QString *result)
{
    if (!takeDialog())
        return false;
    const std::optional<QString> answer =
        platform().InputBox(dialogParent_, fromPage(msg), DialogTitle, defaultValue);
    if (answer && result)
        *result = *answer;
    return answer.has_value();
}

}
