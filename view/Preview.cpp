#include "view/Preview.h"

#include "view/PreviewPage.h"
#include "view/PreviewProfile.h"
#include "view/PreviewFiles.h"
#include "app/platform/Platform.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
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

QString shortToolTip(const QString &tip)
{
    // The engine wraps plain text so; anything else it passes on as it came, which Qt would
    // show as rich text. A title is plain text either way.
    static const QString Before = QStringLiteral("<p style=\"white-space:pre-wrap\">");
    static const QString After = QStringLiteral("</p>");
    QString text = tip;
    if (tip.startsWith(Before) && tip.endsWith(After)) {
        text = tip.mid(Before.size(), tip.size() - Before.size() - After.size());
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
    }
    if (text.size() > PreviewView::LongestToolTip) {
        const qsizetype cut = text.at(PreviewView::LongestToolTip - 1).isHighSurrogate() ? PreviewView::LongestToolTip - 1 : PreviewView::LongestToolTip;
        text = text.left(cut) + u'…';
    }
    return Before + text.toHtmlEscaped() + After;
}

// The profile first: the engine's switches must be set before the engine starts.
PreviewView::PreviewView(QWidget *parent) : QWebEngineView(&sandboxProfile(), parent)
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

void PreviewView::showStoredFile(const QString &path, const QString &encoding)
{
    if (path.isEmpty())
        return;
    if (!encoding.isEmpty()) {
        encoding_ = encoding;
        settings()->setDefaultTextEncoding(encoding);
    }
    const QUrl url = addressOf(path);
    const auto load = [this, url] {
        if (!encoding_.isEmpty())
            settings()->setDefaultTextEncoding(encoding_);
        sandboxPage().beginUserLoad();
        // Navigating to the page already shown may keep the old document; the file has just
        // been rewritten, so read it (and its pictures and style sheets) afresh.
        if (this->url() == url)
            triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
        else
            setUrl(url);
    };
    whenResponsive([this, load] {
        load();
        againIfLeavingHangs(load);
    });
}

void PreviewView::againIfLeavingHangs(std::function<void()> load)
{
    // The page being left runs its unload handlers first; one that never ends keeps the new
    // page from loading. A load that has made no progress past its start by the time the page
    // should answer, on a page that then does not answer, is started again on a fresh page.
    auto underWay = std::make_shared<bool>(false);
    QWebEnginePage *watched = page();
    const auto progressed = [underWay](int percent) {
        if (percent > StartProgress)
            *underWay = true;
    };
    const QList<QMetaObject::Connection> watches{
        connect(watched, &QWebEnginePage::loadProgress, this, progressed),
        connect(watched, &QWebEnginePage::loadFinished, this, [underWay] { *underWay = true; })};
    QTimer::singleShot(HangTimeoutMs, this, [this, underWay, watched, load, watches] {
        for (const QMetaObject::Connection &c : watches)
            disconnect(c);
        if (*underWay || page() != watched)
            return;
        whenResponsive([this, watched, load] {
            if (page() != watched)  // it was hung and has been replaced
                load();
        });
    });
}

void PreviewView::userLoad(QWebEnginePage::WebAction action)
{
    whenResponsive([this, action] {
        sandboxPage().beginUserLoad();
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
    // The selected text, taken from outside the page: the page's own copy handlers never run.
    add(QStringLiteral("コピー"), hasSelection(), [this] { platform().clipboardSetText(selectedText()); });
    add(QStringLiteral("全て選択"), !url().isEmpty(),
        [this] { triggerPageAction(QWebEnginePage::SelectAll); });
    menu.exec(event->globalPos());
}

bool PreviewView::event(QEvent *event)
{
    // The engine sets the page's title text as this view's tooltip (up to a megabyte of it,
    // which takes seconds to lay out): keep a short plain-text version instead.
    if (event->type() == QEvent::ToolTipChange && !toolTip().isEmpty()) {
        const QString shortTip = shortToolTip(toolTip());
        if (shortTip != toolTip()) {
            setToolTip(shortTip);
            return true;
        }
    }
    return QWebEngineView::event(event);
}

bool PreviewView::eventFilter(QObject *watched, QEvent *event)
{
    // The engine takes input in widgets of its own inside the view, made anew for each page.
    // Only these events, which no script can make, count as the user's clicks.
    const auto inPane = [&] {
        return current_ && watched->isWidgetType() && isAncestorOf(static_cast<QWidget *>(watched));
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (inPane())
            current_->noteInputStarted();
        break;
    case QEvent::MouseButtonRelease:
        if (inPane() && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            current_->noteClick();
        break;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

void showStoredFile(QWebEngineView &web, const QString &path, const QString &encoding)
{
    // Only the sandboxed pane may show a stored page.
    if (auto *preview = qobject_cast<PreviewView *>(&web))
        preview->showStoredFile(path, encoding);
    else
        qWarning("Preview::showStoredFile: not a preview pane");
}

}
