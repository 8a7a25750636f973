#include "view/PreviewPage.h"

#include "app/platform/Platform.h"
#include "view/PreviewProfile.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace Preview {
namespace {

const QString DialogTitle = QStringLiteral("Tavro");

// How long after a click or key press a navigation still counts as the user's.
constexpr qint64 GestureMs = 1000;

QString FromPage(const QString &msg)
{
    return QStringLiteral("プレビュー中のページからのメッセージ:\n\n%1").arg(msg);
}

// The engine asks "leave this page?" through the confirm hook with its own (English) text.
bool IsLeaveQuestion(const QString &msg)
{
    return msg == QCoreApplication::translate(
               "QWebEnginePage",
               "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

} // namespace

SandboxPage::SandboxPage(QWidget *dialogParent, QObject *parent)
    : QWebEnginePage(&SandboxProfile(), parent), dialogParent_(dialogParent)
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
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
}

void SandboxPage::BeginUserLoad()
{
    dialogsLeft_ = DialogsPerLoad;
}

void SandboxPage::NoteUserInput()
{
    lastInput_.start();
}

bool SandboxPage::takeUserGesture()
{
    if (!lastInput_.isValid() || lastInput_.elapsed() > GestureMs)
        return false;
    lastInput_.invalidate();  // one gesture, one navigation
    return true;
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
    const bool clicked = type == NavigationTypeLinkClicked && isMainFrame && takeUserGesture();
    if (scheme == u"file") {
        // A page the user chose to go to; the ones scripts reach on their own do not count.
        if (clicked)
            BeginUserLoad();
        return true;
    }
    if (scheme == u"http" || scheme == u"https") {
        if (clicked)
            Platform().OpenInBrowser(url);
        return false;
    }
    // Frames may be blank or hold inline content; nothing else is ever started.
    if (!isMainFrame && (scheme == u"about" || scheme == u"data" || scheme == u"blob"))
        return true;
    return url.toString() == u"about:blank";
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
        Platform().MsgBox(dialogParent_, FromPage(msg), MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}, DialogTitle);
}

bool SandboxPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    const bool leaving = IsLeaveQuestion(msg);
    if (!takeDialog())
        return leaving;  // a page past its dialogs cannot keep the user on it
    const QString prompt = leaving
        ? QStringLiteral("このページから移動しますか？\n行った変更が保存されない可能性があります。")
        : FromPage(msg);
    return Platform().MsgBox(dialogParent_, prompt, MsgStyle{MsgButtons::OKCancel, MsgIcon::Question}, DialogTitle) == MsgAnswer::OK;
}

bool SandboxPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                                   QString *result)
{
    if (!takeDialog())
        return false;
    const std::optional<QString> answer =
        Platform().InputBox(dialogParent_, FromPage(msg), DialogTitle, defaultValue);
    if (answer && result)
        *result = *answer;
    return answer.has_value();
}

}
