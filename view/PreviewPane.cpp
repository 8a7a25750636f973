#include "view/PreviewPane.h"

#include "app/platform/Platform.h"
#include "view/PreviewEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QPalette>
#include <QStackedLayout>

namespace {

QtMessageHandler previousHandler = nullptr;

// Started after the application object exists, the engine warns that it should have been set
// up before it, and its shared context finds no OpenGL; it sets itself up now, drawing in
// software (see tavroPreviewEngine), and the preview needs no more.
void withoutLateStartNotices(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (type == QtWarningMsg
        && (msg.startsWith(u"Qt WebEngine seems to be initialized from a plugin")
            || msg.startsWith(u"Attribute Qt::AA_ShareOpenGLContexts must be set before")
            || msg.startsWith(u"QXcbIntegration: Cannot create platform OpenGL context")))
        return;
    if (previousHandler)
        previousHandler(type, context, msg);
}

PreviewEngine *loadEngine(QString &error)
{
    QLibrary module(QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/'
                                    + QStringLiteral(TAVRO_PREVIEW_MODULE)));
    previousHandler = qInstallMessageHandler(withoutLateStartNotices);
    using Entry = PreviewEngine *(*)();
    const auto entry = module.load() ? reinterpret_cast<Entry>(module.resolve(PreviewEngineEntry)) : nullptr;
    PreviewEngine *engine = entry ? entry() : nullptr;
    qInstallMessageHandler(previousHandler);
    if (!engine)
        error = module.errorString();
    return engine;
}

} // namespace

PreviewPane::PreviewPane(QWidget *parent) : QWidget(parent)
{
    // What the engine's empty page shows: white, edge to edge.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QWidget *PreviewPane::view()
{
    if (view_ || failed_)
        return view_;
    QString error;
    engine_ = loadEngine(error);
    if (!engine_) {
        failed_ = true;
        qWarning("preview module: %s", qPrintable(error));
        platform().MsgBox(window(), QStringLiteral("プレビューの部品を読み込めませんでした。\n%1").arg(error),
                          MsgStyle{MsgButtons::OK, MsgIcon::Critical}, QStringLiteral("Tavro"));
        return nullptr;
    }
    const bool hadFocus = hasFocus();
    view_ = engine_->createView(this);
    view_->setObjectName(objectName());
    layout()->addWidget(view_);
    // Focus given to the pane (Tab, browser priority) goes on to the page.
    setFocusProxy(view_);
    if (hadFocus)
        view_->setFocus();
    return view_;
}

void PreviewPane::showStoredFile(const QString &path, const QString &encoding)
{
    if (QWidget *shown = view())
        engine_->showStoredFile(*shown, path, encoding);
}
