#pragma once
// The application a benchmark runs the real windows in: offscreen when there is no display,
// the browser engine allowed to run as root, and a scratch settings folder so that the user's
// fn.dat is left alone.
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"

#include <QApplication>
#include <QTemporaryDir>

class BenchApp {
public:
    BenchApp(int &argc, char **argv) : app_((prepare(config_), argc), argv)
    {
        InitTavroResources();
        InstallJapaneseUi(app_);
        app_.setQuitOnLastWindowClosed(false);
    }

private:
    static QTemporaryDir &prepare(QTemporaryDir &config)
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", (config.path() + QStringLiteral("/state")).toLocal8Bit());
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return config;
    }

    QTemporaryDir config_;
    QApplication app_;
};
