#pragma once
// The preview pane: shows a stored document in a sandbox (see PreviewPage.h, PreviewProfile.h).
#include <QString>
#include <QWebEngineView>
#include <functional>

namespace Preview {

class SandboxPage;

class PreviewView : public QWebEngineView {
    Q_OBJECT
public:
    explicit PreviewView(QWidget *parent = nullptr);

    // See Preview::showStoredFile below.
    void showStoredFile(const QString &path, const QString &encoding);
    SandboxPage &sandboxPage() const;

    // How long the page may take to answer before it counts as hung and is replaced.
    static constexpr int HangTimeoutMs = 700;
    // The progress the engine reports as a load starts, before the page being left has gone.
    static constexpr int StartProgress = 10;

    // The longest tooltip a page's title gives, in characters: it lays out in well under a frame.
    static constexpr int LongestToolTip = 1000;

protected:
    bool event(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installPage();
    void replaceHungPage();
    // Runs then once the page answers, or on a fresh page when it does not (a script that never
    // ends, a renderer that died): whatever the last page did, the user's next load happens.
    void whenResponsive(std::function<void()> then);
    // Runs load once more on a fresh page if the page being left hangs.
    void againIfLeavingHangs(std::function<void()> load);
    // A load the user asked for from the context menu.
    void userLoad(QWebEnginePage::WebAction action);

    SandboxPage *current_ = nullptr;
    QString encoding_;
    bool rendererGone_ = false;
};

// A page's tooltip as the view shows it: plain text, at most LongestToolTip characters and an
// ellipsis. Applying it twice changes nothing more.
QString shortToolTip(const QString &tip);

// Loads the file at path into web, always as it is on disk now (a second load of the same file
// bypasses every cache). encoding ("shift_jis", "utf-8") is what the file was written in: the
// page is read in it unless the page declares its own charset. An empty path loads nothing.
// web must be a PreviewView (the main window's pane).
void showStoredFile(QWebEngineView &web, const QString &path, const QString &encoding);
}
