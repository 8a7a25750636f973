// Tavro: an HTML source editor with a browser preview.
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"
#include "windows/frmFirst.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavro"));
    QApplication::setApplicationVersion(QStringLiteral(TAVRO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavro"));
    InitTavroResources();
    InstallJapaneseUi(app);
    // The program lives as long as its main window; the splash closing must not end it.
    app.setQuitOnLastWindowClosed(false);

    auto *splash = new frmFirst;
    splash->show();
    return app.exec();
}
