#include "view/Preview.h"

#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace Preview {

void ShowStoredFile(QWebEngineView &web, const QString &path, const QString &encoding)
{
    if (path.isEmpty())
        return;
    if (!encoding.isEmpty())
        web.settings()->setDefaultTextEncoding(encoding);
    const QUrl url = QUrl::fromLocalFile(path);
    // Navigating to the page already shown may keep the old document; the file has just been
    // rewritten, so read it (and its pictures and style sheets) afresh.
    if (web.url() == url)
        web.triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    else
        web.setUrl(url);
}

}
