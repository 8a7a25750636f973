#pragma once
// The editor's one main window: the editing pane txtHTML, the preview pane Web, the toolbar
// and the menu bar. Every command is one handler here; the toolbar and the shortcut keys reach
// the same handler. The handlers are spread over the subsystems' folders (app/, view/, edit/,
// windows/); this class only wires them.
#include "app/platform/CommonDialog.h"
#include "app/platform/TextBox.h"

#include <QMainWindow>

class QToolBar;
class QWebEngineView;
class QMenu;
class QAction;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    // Controls.
    TextBox *txtHTML = nullptr;
    QWebEngineView *Web = nullptr;
    QToolBar *Toolbar1 = nullptr;
    CommonDialog cmd{this};
    QWidget *Client = nullptr;  // the client area: menu bar excluded, toolbar inside
    QMenu *mnuEdit = nullptr;

    // The client area's size, in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;
    QAction *MenuItem(const QString &name) const;

    // Window events.
    void Form_Load();
    virtual void Form_Resize();
    void Form_Unload(bool &cancel);
    void txtHTML_Change();
    void Toolbar1_ButtonClick(int Index);

    // Menu handlers (virtual so tests can watch which one a key or button reaches).
    virtual void mnuNew_Click();
    virtual void mnuOpen_Click();
    virtual void mnuSave_Click();
    virtual void mnuSaveAll_Click();
    virtual void mnuExit_Click();
    virtual void mnuCut_Click();
    virtual void mnuCopy_Click();
    virtual void mnuParst_Click();
    virtual void mnuDelete_Click();
    virtual void mnuSelectAll_Click();
    virtual void mnuWeb_Click();
    virtual void mnuColor_Click();
    virtual void mnuFont_Click();
    virtual void mnuDText_Click();
    virtual void mnuNormal_Click();
    virtual void mnuBrouser_Click();
    virtual void mnuTopic_Click();
    virtual void mnuVersion_Click();
    virtual void mnuUndo_Click();
    virtual void mnuRedo_Click();
    virtual void mnuFind_Click();
    virtual void mnuFindNext_Click();
    virtual void mnuFindPrevious_Click();
    virtual void mnuReplace_Click();
    virtual void mnuSyntaxColor_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    QList<QKeySequence> ownedKeys_;
    bool firstShowDone_ = false;
};

// The one process-wide main window. MainForm() creates it and runs its load on first use.
frmMain &MainForm();
frmMain *MainFormIfLoaded();
// Tests: use this window (already constructed, not yet loaded) as the instance, then load it.
frmMain &LoadMainForm(frmMain *window);
// Tests: destroy the instance so the next MainForm() starts afresh.
void UnloadMainForm();
