// Tavro: an HTML source editor with a browser preview.
#include "app/core/AppInfo.h"
#include "app/frmMain.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"
#include "windows/frmFirst.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <memory>

namespace {

// The command line: tavro [file]. --help and --version print and end the program in process().
QString fileToOpen(QCoreApplication &app)
{
    QCoreApplication::setApplicationName(QStringLiteral("tavro"));
    QCoreApplication::setApplicationVersion(AppVersion);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("HTML エディタ"));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("file"), QStringLiteral("開く HTML ファイル"),
                                  QStringLiteral("[file]"));
    options.process(app);
    return options.positionalArguments().value(0);
}

// True when the command line only asks for help or the version: no display is needed for that.
bool onlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v"
            || arg == "--version")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        fileToOpen(app);
        return 0;
    }
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("tavro"));
    const QString file = fileToOpen(app);

    initTavroResources();
    installJapaneseUi(app);
    // The program lives as long as its main window; the splash closing must not end it.
    app.setQuitOnLastWindowClosed(false);

    std::unique_ptr<frmMain> mainWindow;
    auto *splash = new frmFirst([&mainWindow]() -> QWidget * {
        mainWindow = std::make_unique<frmMain>();
        return mainWindow.get();
    });
    // Once the splash has handed over: text an earlier run lost is offered back.
    // A file named on the command line is opened then too, as Open would.
    QObject::connect(splash, &QObject::destroyed, [&mainWindow, file] {
        if (!mainWindow)
            return;
        QTimer::singleShot(0, mainWindow.get(), [window = mainWindow.get(), file] {
            window->offerRecovery();
            if (!file.isEmpty())
                window->openFile(file);
        });
    });
    splash->show();
    return app.exec();
}
