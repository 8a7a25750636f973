// The preview module's entry point: the program reaches the sandboxed view through it.
#include "view/Preview.h"
#include "view/PreviewEngine.h"

#include <QQuickWindow>

// The engine's own set-up, which it runs itself when it is linked into a program: loaded later,
// it must be asked (it makes the OpenGL context its threads share).
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

namespace {

class Engine final : public PreviewEngine {
public:
    QWidget *createView(QWidget *parent) override { return new Preview::PreviewView(parent); }
    void showStoredFile(QWidget &view, const QString &path, const QString &encoding) override
    {
        Preview::showStoredFile(static_cast<QWebEngineView &>(view), path, encoding);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT PreviewEngine *tavroPreviewEngine()
{
    static Engine *engine = [] {
        // Drawn with OpenGL, the view would make Qt create the (already shown) main window
        // anew, under another window id, and load the graphics stack into the program: the
        // page is composed in software instead.
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // The engine wants a shared context to exist even when it draws in software; made
        // without the platform's OpenGL, it costs no graphics driver.
        if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
            qputenv("QT_XCB_GL_INTEGRATION", "none");
        QtWebEngineCore::initialize();
        return new Engine;
    }();
    return engine;
}
