#pragma once
// The application a benchmark runs the real windows in: offscreen when there is no display,
// the browser engine allowed to run as root, and a scratch settings folder so that the user's
// fn.dat is left alone.
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"
#include "app/platform/Platform.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

class BenchApp {
public:
    BenchApp(int &argc, char **argv) : app_((prepare(config_), argc), argv)
    {
        initTavroResources();
        installJapaneseUi(app_);
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
        return config;
    }

    QTemporaryDir config_;
    QApplication app_;
};

// Answers every open and save dialog with one path; any question is a failure of the run.
class BenchPlatform final : public PlatformServices {
public:
    QString path;
    int questions = 0;
    MsgAnswer MsgBox(QWidget *, const QString &prompt, MsgStyle, const QString &) override
    {
        ++questions;
        std::printf("unexpected message: %s\n", qPrintable(prompt));
        return MsgAnswer::Cancel;
    }
    std::optional<QString> InputBox(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void openInBrowser(const QUrl &) override {}
    std::optional<QString> getOpenFileName(QWidget *, const FileDialogRequest &) override { return path; }
    std::optional<QString> getSaveFileName(QWidget *, const FileDialogRequest &) override { return path; }
    std::optional<QFont> getFont(QWidget *, const QFont &) override { return std::nullopt; }
    void clipboardSetText(const QString &) override {}
    QString clipboardGetText() override { return {}; }
    void endProgram() override {}
};
