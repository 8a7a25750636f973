#pragma once
// One page in the preview: it may show local files (through the preview's own server) and
// nothing else. A web address leaves for the user's browser only when the user clicked a link
// to it that the page's stored source holds; any other asks first. Other schemes and pop-ups
// are refused, permissions are denied, and a page may hold the editor up with at most two
// script dialogs per load the user started.
#include <QByteArray>
#include <QUrl>
#include <QWebEnginePage>

class QWidget;

namespace Preview {

class SandboxPage : public QWebEnginePage {
    Q_OBJECT
public:
    // dialogParent: the window script dialogs are modal to.
    explicit SandboxPage(QWidget *dialogParent, QObject *parent = nullptr);

    // A load the user started (F5, the context menu): the page gets its dialogs afresh.
    void beginUserLoad();
    // The user pressed a mouse button or a key in the page: any earlier click is spent.
    void noteInputStarted();
    // The user let go of the left mouse button in the page: the link under the pointer, if
    // any, is the one address the next navigation may open without asking.
    void noteClick();

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
    // The user's browser gets url: at once for the link just clicked, else after a question.
    void offerToBrowser(const QUrl &url, bool clicked);

    QWidget *dialogParent_;
    int dialogsLeft_ = DialogsPerLoad;
    QString hoveredLink_;  // as the engine reports the link under the pointer
    bool clickPending_ = false;  // a click not yet spent by a navigation or other input
    bool asking_ = false;
};

// Whether source (a page's stored bytes) writes address out in full, as an attribute value or
// text of its own: not merely as the start of a longer address.
bool sourceHasAddress(const QByteArray &source, const QUrl &address);

// Addresses longer than this are refused rather than put to the user, who could not check them.
inline constexpr int LongestAddressAsked = 2000;

}
