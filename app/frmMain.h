#pragma once
// The editor's one main window: the editing pane txtHTML, the preview pane Web, the toolbar
// and the menu bar. It owns the document and wires every command to one QAction, shared by
// the menu, the toolbar and the shortcut keys; the commands themselves live with their
// subsystems (app/, view/, edit/, windows/) and take what they work on as parameters.
#include "app/core/Document.h"
#include "app/DocumentCommands.h"
#include "app/FontSettings.h"
#include "app/core/Recovery.h"
#include "app/core/TextSnapshot.h"
#include "app/platform/CommonDialog.h"
#include "edit/pane/TextBox.h"
#include "view/MDL.h"
#include "view/PreviewPane.h"

#include <QMainWindow>
#include <QTimer>

class QToolBar;
class QMenu;
class QAction;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its load: font from the settings file, an untitled document,
    // normal layout, caption.
    frmMain();
    ~frmMain() override;

    Document &document() { return doc_; }
    FontSettings &fontSettings() { return font_; }
    // What the document commands work on.
    DocumentContext context();
    RecoveryStore &recovery() { return recovery_; }
    TextSnapshot &recoverySnapshot() { return *recoverySnapshot_; }
    // How the panes share the client area now.
    ViewMode viewMode() const { return viewMode_; }
    // At start, once the window is on the screen: offers back text an earlier run lost.
    void offerRecovery();
    // Opens a file handed over by the desktop (command line, drop).
    void openFile(const QString &path);

    // Window events.
    void Form_Resize();
    void Form_Unload(bool &cancel);

    // Menu handlers.
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAll_Click();
    void mnuExit_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuParst_Click();
    void mnuDelete_Click();
    void mnuSelectAll_Click();
    void mnuWeb_Click();
    void mnuColor_Click();
    void mnuFont_Click();
    void mnuDText_Click();
    void mnuNormal_Click();
    void mnuBrouser_Click();
    void mnuTopic_Click();
    void mnuVersion_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuFind_Click();
    void mnuFindNext_Click();
    void mnuFindPrevious_Click();
    void mnuReplace_Click();
    void mnuSyntaxColor_Click();
    void mnuTypingAids_Click();
    void mnuTopicAtCaret_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Controls, known to tests by their object names.
    TextBox *txtHTML = nullptr;
    PreviewPane *Web = nullptr;  // white until a page is first shown
    QToolBar *Toolbar1 = nullptr;
    CommonDialog cmd{this};
    QWidget *Client = nullptr;  // the client area: menu bar excluded, toolbar inside
    QMenu *mnuEdit = nullptr;

    using Handler = void (frmMain::*)();
    // The action of a menu handler; the toolbar shares these.
    QAction *actionOf(Handler handler) const;

    void Form_Load();
    void buildMenus();
    void buildToolbar();
    void keepForRecovery(const QString &paneText);
    void openDropped(const QStringList &files);
    MDL::Panes panes();

    Document doc_;
    FontSettings font_;
    RecoveryStore recovery_;
    QTimer recoveryTimer_;  // typing paused: time to keep the text
    TextSnapshot *recoverySnapshot_ = nullptr;
    bool offeringReload_ = false;
    QList<QKeySequence> ownedKeys_;
    ViewMode viewMode_ = ViewMode::Normal;
    QList<std::pair<Handler, QAction *>> actions_;  // one for each menu handler
};
