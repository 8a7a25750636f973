#pragma once
// A freshly loaded main window per test, with scripted dialogs and its own settings folder.
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "support/ScriptedPlatform.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <optional>

class MainFormFixture {
public:
    // window: a subclass to load instead of frmMain (takes ownership), or nullptr.
    // fnDat: bytes of a settings file to place before the window loads.
    explicit MainFormFixture(frmMain *window = nullptr,
                             std::optional<QByteArray> fnDat = std::nullopt);
    ~MainFormFixture();

    frmMain &form() { return *MainFormIfLoaded(); }
    ScriptedPlatform &platform() { return scripted_.platform; }
    QString dir() const { return dir_.path(); }       // a scratch folder for documents
    QString path(const QString &name) const { return dir_.filePath(name); }

    // Shows the window and makes it active, so shortcut keys reach it.
    void showActive();

private:
    QTemporaryDir dir_;
    ScopedScriptedPlatform scripted_;
};
