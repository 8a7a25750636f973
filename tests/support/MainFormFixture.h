#pragma once
// A freshly loaded main window per test, with scripted dialogs and its own settings folder.
#include "app/Document.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "support/ScriptedPlatform.h"

#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

class QWebEngineView;

class MainFormFixture {
public:
    // fnDat: bytes of a settings file to place before the window loads.
    explicit MainFormFixture(std::optional<QByteArray> fnDat = std::nullopt);
    ~MainFormFixture();

    frmMain &form() { return *form_; }
    Document &doc() { return form_->document(); }
    ScriptedPlatform &platform() { return scripted_.platform; }
    QString dir() const { return dir_.path(); }       // a scratch folder for documents
    QString path(const QString &name) const { return dir_.filePath(name); }

    // The preview pane's browser view, the engine started for it if it was not yet.
    QWebEngineView &previewView();

    // Shows the window and makes it active, so shortcut keys reach it.
    void showActive();

    // From now on the menu actions only record which handler they would run ("mnuSave_Click"),
    // with the widget that had the focus; keys, menus and toolbar buttons reach them as before.
    void recordCommands();
    QStringList calls;
    QList<QWidget *> focusAtCall;

private:
    QTemporaryDir dir_;
    ScopedScriptedPlatform scripted_;
    std::unique_ptr<frmMain> form_;
};

// A fresh window whose document is untitled and unmodified, with the steps document tests take.
struct DocumentFixture : MainFormFixture {
    TextBox &pane() { return *form().txtHTML; }
    QString title() { return form().windowTitle(); }
    QStringList prompts() { return platform().prompts(); }
    void edit(const QString &text) { pane().SetText(text); }
    // Open through the menu with the dialog answering name; true when the document is that file.
    bool open(const QString &name);
    // Save As with the dialog answering name (an empty name cancels it), and Save, as the menu
    // runs them; lastSave is what the save did.
    void saveAs(const QString &name = QString());
    void save();
    SaveResult lastSave;
    // The state a completed open leaves: a file with these bytes, its text, no unsaved changes.
    void haveFile(const QString &name, const QByteArray &bytes);
    // The window's close box (or Alt+F4); true when the window agreed to close.
    bool closeBox() { return form().close(); }
};
