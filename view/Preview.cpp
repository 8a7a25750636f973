#include "view/Preview.h"

#include "view/PreviewPage.h"
#include "view/PreviewProfile.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <memory>
#include <utility>
#include <signal.h>

namespace Preview {

// The profile first: the engine's switches must be set before the engine starts.
PreviewView::PreviewView(QWidget *parent) : QWebEngineView(&SandboxProfile(), parent)
{
    installPage();
    qApp->installEventFilter(this);
}

SandboxPage &PreviewView::sandboxPage() const
{
    return *current_;
}

void PreviewView::installPage()
{
    auto *fresh = new SandboxPage(this, this);
    if (!encoding_.isEmpty())
        fresh->settings()->setDefaultTextEncoding(encoding_);
    connect(fresh, &QWebEnginePage::renderProcessTerminated, this, [this, fresh] {
        if (page() == fresh)
            rendererGone_ = true;
    });
    SandboxPage *old = std::exchange(current_, fresh);
    setPage(fresh);
    rendererGone_ = false;
    if (old)
        old->deleteLater();
}

void PreviewView::replaceHungPage()
{
    // The stuck renderer would go on spinning (and could be handed the next page): end it.
    if (const qint64 pid = page()->renderProcessPid(); pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    installPage();
}

void PreviewView::whenResponsive(std::function<void()> then)
{
    if (rendererGone_) {
        installPage();
        then();
        return;
    }
    if (page()->url().isEmpty()) {  // nothing shown yet: no renderer to ask
        then();
        return;
    }
    auto settled = std::make_shared<bool>(false);
    QPointer<PreviewView> self(this);
    QWebEnginePage *asked = page();
    page()->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [self, asked, settled, then](const QVariant &) {
                              if (*settled || !self || self->page() != asked)
                                  return;
                              *settled = true;
                              then();
                          });
    QTimer::singleShot(HangTimeoutMs, this, [this, settled, then] {
        if (*settled)
            return;
        *settled = true;
        replaceHungPage();
        then();
    });
}

void PreviewView::ShowStoredFile(const QString &path, const QString &encoding)
{
    if (path.isEmpty())
        return;
    if (!encoding.isEmpty()) {
        encoding_ = encoding;
        settings()->setDefaultTextEncoding(encoding);
    }
    const QUrl url = QUrl::fromLocalFile(path);
    whenResponsive([this, url] {
        if (!encoding_.isEmpty())
            settings()->setDefaultTextEncoding(encoding_);
        sandboxPage().BeginUserLoad();
        // Navigating to the page already shown may keep the old document; the file has just
        // been rewritten, so read it (and its pictures and style sheets) afresh.
        if (this->url() == url)
            triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
        else
            setUrl(url);
    });
}

void PreviewView::userLoad(QWebEnginePage::WebAction action)
{
    whenResponsive([this, action] {
        sandboxPage().BeginUserLoad();
        triggerPageAction(action);
    });
}

void PreviewView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    const auto add = [&](const QString &text, bool enabled, auto action) {
        menu.addAction(text, this, action)->setEnabled(enabled);
    };
    add(QStringLiteral("戻る"), history()->canGoBack(), [this] { userLoad(QWebEnginePage::Back); });
    add(QStringLiteral("進む"), history()->canGoForward(), [this] { userLoad(QWebEnginePage::Forward); });
    add(QStringLiteral("再読み込み"), !url().isEmpty(), [this] { userLoad(QWebEnginePage::Reload); });
    menu.addSeparator();
    add(QStringLiteral("コピー"), hasSelection(), [this] { triggerPageAction(QWebEnginePage::Copy); });
    add(QStringLiteral("全て選択"), !url().isEmpty(),
        [this] { triggerPageAction(QWebEnginePage::SelectAll); });
    menu.exec(event->globalPos());
}

bool PreviewView::eventFilter(QObject *watched, QEvent *event)
{
    // The engine takes input in widgets of its own inside the view, made anew for each page.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
        if (current_ && watched->isWidgetType() && isAncestorOf(static_cast<QWidget *>(watched)))
            current_->NoteUserInput();
        break;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

void ShowStoredFile(QWebEngineView &web, const QString &path, const QString &encoding)
{
    // Only the sandboxed pane may show a stored page.
    if (auto *preview = qobject_cast<PreviewView *>(&web))
        preview->ShowStoredFile(path, encoding);
    else
        qWarning("Preview::ShowStoredFile: not a preview pane");
}

}
