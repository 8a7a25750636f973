#pragma once
// One page in the preview: it may show local files and nothing else. Links to the web go to
// the user's browser, other schemes and pop-ups are refused, permissions are denied, and a page
// may hold the editor up with at most two script dialogs per load the user started.
#include <QElapsedTimer>
#include <QWebEnginePage>

class QWidget;

namespace Preview {

class SandboxPage : public QWebEnginePage {
    Q_OBJECT
public:
    // dialogParent: the window script dialogs are modal to.
    explicit SandboxPage(QWidget *dialogParent, QObject *parent = nullptr);

    // A load the user started (F5, the context menu): the page gets its dialogs afresh.
    void BeginUserLoad();
    // The user clicked or pressed a key in the page; a link followed right after is theirs.
    void NoteUserInput();

    // Dialogs a page load may show before the rest are answered without asking.
    static constexpr int DialogsPerLoad = 2;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                  const QString &) override {}

private:
    bool takeDialog();
    bool takeUserGesture();

    QWidget *dialogParent_;
    int dialogsLeft_ = DialogsPerLoad;
    QElapsedTimer lastInput_;
};

}
