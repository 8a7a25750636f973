// Tavro: an HTML source editor with a browser preview.
#include "app/AppInfo.h"
#include "app/frmMain.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"
#include "windows/frmFirst.h"

#include <QApplication>
#include <QTimer>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavro"));
    QApplication::setApplicationVersion(AppVersion);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavro"));
    InitTavroResources();
    InstallJapaneseUi(app);
    // The program lives as long as its main window; the splash closing must not end it.
    app.setQuitOnLastWindowClosed(false);

    std::unique_ptr<frmMain> mainWindow;
    auto *splash = new frmFirst([&mainWindow]() -> QWidget * {
        mainWindow = std::make_unique<frmMain>();
        return mainWindow.get();
    });
    // Once the splash has handed over: text an earlier run lost is offered back.
    QObject::connect(splash, &QObject::destroyed, [&mainWindow] {
        if (mainWindow)
            QTimer::singleShot(0, mainWindow.get(), &frmMain::OfferRecovery);
    });
    splash->show();
    return app.exec();
}
