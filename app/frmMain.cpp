#include "app/frmMain.h"

#include "app/core/AppInfo.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"
#include "edit/core/PaneText.h"
#include "edit/EditCommands.h"
#include "edit/HtmlHighlighter.h"
#include "edit/TagAssist.h"
#include "view/ViewCommands.h"
#include "windows/WindowCommands.h"
#include "windows/core/HelpFile.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QLayout>
#include <QMenuBar>
#include <QToolBar>
#include <QTextDocument>
#include <QToolButton>

namespace {

constexpr QSize DesignClientSize(792, 554);
constexpr int ToolbarHeight = 28;
constexpr QSize ToolbarButtonSize(24, 22);

// The menu bar as data: level 0 heads, level 1 items, level 2 the display cascade.
struct MenuEntry {
    int level;
    const char *name;
    const char16_t *caption;  // "-" for a separator
    QKeyCombination shortcut;
    void (frmMain::*handler)();  // nullptr for a head, a cascade head or a separator
};

constexpr QKeyCombination none{};
constexpr QKeyCombination ctrl(Qt::Key k) { return QKeyCombination(Qt::ControlModifier, k); }

const MenuEntry MenuTable[] = {
    {0, "mnuFile", u"ファイル(&F)", none, nullptr},
    {1, "mnuNew", u"新規作成(&N)", ctrl(Qt::Key_N), &frmMain::mnuNew_Click},
    {1, "mnuOpen", u"開く(&O)", ctrl(Qt::Key_O), &frmMain::mnuOpen_Click},
    {1, "mnuH1", u"-", none, nullptr},
    {1, "mnuSave", u"上書き保存(&S)", ctrl(Qt::Key_S), &frmMain::mnuSave_Click},
    {1, "mnuSaveAll", u"名前を付けて保存(&A)", none, &frmMain::mnuSaveAll_Click},
    {1, "mnuH2", u"-", none, nullptr},
    {1, "mnuExit", u"終了(&X)", none, &frmMain::mnuExit_Click},
    {0, "mnuEdit", u"編集(&E)", none, nullptr},
    {1, "mnuCut", u"切り取り(&T)", ctrl(Qt::Key_X), &frmMain::mnuCut_Click},
    {1, "mnuCopy", u"コピー(&C)", ctrl(Qt::Key_C), &frmMain::mnuCopy_Click},
    {1, "mnuParst", u"貼り付け(&P)", ctrl(Qt::Key_V), &frmMain::mnuParst_Click},
    {1, "mnuDelete", u"削除(&D)", QKeyCombination(Qt::Key_Delete), &frmMain::mnuDelete_Click},
    {1, "mnuH4", u"-", none, nullptr},
    {1, "mnuSelectAll", u"全て選択", ctrl(Qt::Key_A), &frmMain::mnuSelectAll_Click},
    {1, "mnuH11", u"-", none, nullptr},
    {1, "mnuUndo", u"元に戻す(&U)", ctrl(Qt::Key_Z), &frmMain::mnuUndo_Click},
    {1, "mnuRedo", u"やり直し(&R)", ctrl(Qt::Key_Y), &frmMain::mnuRedo_Click},
    {1, "mnuH12", u"-", none, nullptr},
    {1, "mnuFind", u"検索(&F)...", ctrl(Qt::Key_F), &frmMain::mnuFind_Click},
    {1, "mnuFindNext", u"次を検索(&N)", QKeyCombination(Qt::Key_F3), &frmMain::mnuFindNext_Click},
    {1, "mnuFindPrevious", u"前を検索(&V)", QKeyCombination(Qt::ShiftModifier, Qt::Key_F3),
     &frmMain::mnuFindPrevious_Click},
    {1, "mnuReplace", u"置換(&E)...", ctrl(Qt::Key_R), &frmMain::mnuReplace_Click},
    {1, "mnuH13", u"-", none, nullptr},
    {1, "mnuSyntaxColor", u"タグを色分け(&L)", none, &frmMain::mnuSyntaxColor_Click},
    {1, "mnuTypingAids", u"入力補完(&I)", none, &frmMain::mnuTypingAids_Click},
    {0, "mnuOption", u"オプション(&O)", none, nullptr},
    {1, "mnuWeb", u"Web確認(&W)", QKeyCombination(Qt::Key_F5), &frmMain::mnuWeb_Click},
    {1, "mnuH6", u"-", none, nullptr},
    {1, "mnuColor", u"カラー[１６進数]", ctrl(Qt::Key_W), &frmMain::mnuColor_Click},
    {1, "mnuH10", u"-", none, nullptr},
    {1, "mnuFont", u"フォントの指定(&F)", none, &frmMain::mnuFont_Click},
    {1, "mnuDisplay", u"画面比率(&D)", none, nullptr},
    {2, "mnuDText", u"テキスト優先(&T)", ctrl(Qt::Key_H), &frmMain::mnuDText_Click},
    {2, "mnuNormal", u"標準(&N)", ctrl(Qt::Key_J), &frmMain::mnuNormal_Click},
    {2, "mnuBrouser", u"ブラウザ優先(&B)", ctrl(Qt::Key_K), &frmMain::mnuBrouser_Click},
    {0, "mnuHelp", u"ヘルプ(&H)", none, nullptr},
    {1, "mnuTopic", u"タグヘルプ(&T)", ctrl(Qt::Key_T), &frmMain::mnuTopic_Click},
    {1, "mnuH5", u"-", none, nullptr},
    {1, "mnuVersion", u"バージョン情報(&A)", none, &frmMain::mnuVersion_Click},
    {1, "mnuH14", u"-", none, nullptr},
    {1, "mnuTopicAtCaret", u"カーソル位置のタグのヘルプ(&C)", QKeyCombination(Qt::Key_F1), &frmMain::mnuTopicAtCaret_Click},
};

// The toolbar's 17 positions, each the action of a menu item; the order is fixed, since a
// button is known by its position.
struct ToolbarEntry {
    int picture;               // 1..12 in the picture list, 0 for a separator
    void (frmMain::*item)();   // the menu handler whose action the button shows
    const char16_t *tooltip;
    const char16_t *menuPath;  // where the command is in the menus
};

const ToolbarEntry ToolbarTable[] = {
    {1, &frmMain::mnuNew_Click, u"新規作成", u"[ファイル]-[新規作成]"},
    {2, &frmMain::mnuOpen_Click, u"開く", u"[ファイル]-[開く...]"},
    {3, &frmMain::mnuSave_Click, u"上書き保存", u"[ファイル]-[上書き保存]"},
    {0, nullptr, nullptr, nullptr},
    {4, &frmMain::mnuCut_Click, u"切り取り", u"[編集]-[切り取り]"},
    {5, &frmMain::mnuCopy_Click, u"コピー", u"[編集]-[コピー]"},
    {6, &frmMain::mnuParst_Click, u"貼り付け", u"[編集]-[貼り付け]"},
    {0, nullptr, nullptr, nullptr},
    {7, &frmMain::mnuWeb_Click, u"Web確認", u"[オプション]-[Web確認]"},
    {0, nullptr, nullptr, nullptr},
    {8, &frmMain::mnuDText_Click, u"テキスト優先", u"[オプション]-[画面比率]-[テキスト優先]"},
    {9, &frmMain::mnuNormal_Click, u"標準", u"[オプション]-[画面比率]-[標準]"},
    {10, &frmMain::mnuBrouser_Click, u"ブラウザ優先", u"[オプション]-[画面比率]-[ブラウザ優先]"},
    {0, nullptr, nullptr, nullptr},
    {11, &frmMain::mnuColor_Click, u"カラー", u"[オプション]-[カラー[１６進数]"},
    {0, nullptr, nullptr, nullptr},
    {12, &frmMain::mnuTopic_Click, u"タグヘルプ", u"[ヘルプ]-[タグヘルプ]"},
};

} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("HTML"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tavro.png")));

    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(Client);

    txtHTML = new TextBox(Client);
    txtHTML->setObjectName(QStringLiteral("txtHTML"));
    txtHTML->setGeometry(0, 32, 377, 473);
    txtHTML->setFont(designFont(12));
    txtHTML->setColouring(new HtmlHighlighter(txtHTML->document()));

    Web = ViewCommands::createPreviewPane(Client);
    Web->setObjectName(QStringLiteral("Web"));
    Web->setGeometry(392, 32, 401, 521);

    Toolbar1 = new QToolBar(Client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, DesignClientSize.width(), ToolbarHeight);

    buildMenus();
    buildToolbar();
    // The colour switch shows whether colouring is on, as the user last chose it.
    QAction *colour = actionOf(&frmMain::mnuSyntaxColor_Click);
    colour->setCheckable(true);
    colour->setChecked(EditCommands::tagColouring());
    txtHTML->setSyntaxColouring(colour->isChecked());
    QAction *aids = actionOf(&frmMain::mnuTypingAids_Click);
    aids->setCheckable(true);
    aids->setChecked(EditCommands::typingAids());
    TagAssist::of(*txtHTML).setEnabled(aids->isChecked());
    setTabOrder(txtHTML, Web);
    setTabOrder(Web, Toolbar1);

    // The edit commands are the pane's context menu too: one implementation of each.
    txtHTML->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtHTML, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { mnuEdit->exec(txtHTML->mapToGlobal(pos)); });

    // Every change of the text, typed or assigned, is an unsaved change. The text is kept for
    // crash recovery two seconds after the first change not yet kept, between keystrokes and
    // never on one: at most the last two seconds of typing can be lost.
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(2000);
    connect(&recoveryTimer_, &QTimer::timeout, this, [this] {
        if (doc_.IsModified())
            recoverySnapshot_->start();
    });
    recoverySnapshot_ = new TextSnapshot(txtHTML->document(), this);
    connect(recoverySnapshot_, &TextSnapshot::done, this, &frmMain::keepForRecovery);
    recovery_.setTextConverter([](QString text) { return fromPaneText(std::move(text)); });
    connect(txtHTML, &TextBox::Change, this, [this] {
        doc_.setModified(true);
        if (!recoveryTimer_.isActive())
            recoveryTimer_.start();
    });
    // Only the characters: an input method's composition changes how a line is shown, and must
    // not make the document forget how an unedited character was written.
    connect(txtHTML, &TextBox::Change, &doc_, &Document::textChanged);
    connect(&doc_, &Document::captionChanged, this, &QWidget::setWindowTitle);
    // A file dropped on the window or the pane is opened, after the drop has finished.
    setAcceptDrops(true);
    connect(txtHTML, &TextBox::filesDropped, this, &frmMain::openDropped);
    connect(&doc_, &Document::modifiedChanged, this, [this](bool modified) {
        if (!modified) {  // saved or discarded: nothing left to recover
            recoveryTimer_.stop();
            recoverySnapshot_->cancel();
            recovery_.discard();
        }
    });
    Client->installEventFilter(this);
    qApp->installEventFilter(this);

    resize(DesignClientSize.width(), DesignClientSize.height() + menuBar()->sizeHint().height());
    layout()->activate();  // the client area has its size before the first show
    centreOnScreen(*this);
    Form_Load();
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    // Only a normal end gets here: the text was saved or the user chose not to keep it.
    recovery_.discard();
}

void frmMain::keepForRecovery(const QString &paneText)
{
    if (!doc_.IsModified())
        return;
    recovery_.keep(RecoveredDocument{paneText, doc_.FilePath(), doc_.FileTitle(), doc_.encoding(),
                                     doc_.diskIdentity(), doc_.fileLineEnds().style});
}

void frmMain::openFile(const QString &path)
{
    DocumentContext c = context();
    DocumentCommands::openFile(c, path);
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    openDropped(files);
}

void frmMain::openDropped(const QStringList &files)
{
    // One document per window: the first file is opened, once the drop has finished.
    if (!files.isEmpty())
        QTimer::singleShot(0, this, [this, path = files.first()] { openFile(path); });
}

void frmMain::offerRecovery()
{
    DocumentContext c = context();
    DocumentCommands::offerRecovery(c, recovery_);
}

void frmMain::buildMenus()
{
    QMenu *head = nullptr;
    QMenu *cascade = nullptr;
    for (const MenuEntry &e : MenuTable) {
        const QString caption = QString::fromUtf16(e.caption);
        if (e.level == 0) {
            head = menuBar()->addMenu(caption);
            head->setObjectName(QLatin1String(e.name));
            head->menuAction()->setObjectName(QLatin1String(e.name));
            if (qstrcmp(e.name, "mnuEdit") == 0)
                mnuEdit = head;
            cascade = nullptr;
            continue;
        }
        QMenu *into = (e.level == 2 && cascade) ? cascade : head;
        if (caption == QLatin1String("-")) {
            into->addSeparator()->setObjectName(QLatin1String(e.name));
            continue;
        }
        if (!e.handler) {  // a cascade head
            cascade = into->addMenu(caption);
            cascade->setObjectName(QLatin1String(e.name));
            cascade->menuAction()->setObjectName(QLatin1String(e.name));
            continue;
        }
        auto *action = new QAction(caption, this);
        action->setObjectName(QLatin1String(e.name));
        if (e.shortcut.key() != Qt::Key_unknown) {
            action->setShortcut(QKeySequence(e.shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
            ownedKeys_ << action->shortcut();
        }
        connect(action, &QAction::triggered, this, e.handler);
        actions_.append({e.handler, action});
        into->addAction(action);
        if (e.level == 1)
            cascade = nullptr;
    }
}

void frmMain::buildToolbar()
{
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolbarEntry &e : ToolbarTable) {
        QAction *action = e.item ? actionOf(e.item) : nullptr;
        if (!action) {
            Toolbar1->addSeparator();
            continue;
        }
        action->setIcon(QIcon(QStringLiteral(":/toolbar/%1.png").arg(e.picture)));
        action->setIconVisibleInMenu(false);  // the menus show no pictures
        action->setToolTip(QString::fromUtf16(e.tooltip));
        action->setWhatsThis(QString::fromUtf16(e.menuPath));
        Toolbar1->addAction(action);
        if (QWidget *button = Toolbar1->widgetForAction(action)) {
            button->setFixedSize(ToolbarButtonSize);
            button->setFocusPolicy(Qt::NoFocus);
        }
    }
}

DocumentContext frmMain::context()
{
    return DocumentContext{this, doc_, *txtHTML, cmd, font_};
}

MDL::Panes frmMain::panes()
{
    return MDL::Panes{*this, *Client, *txtHTML, *Web};
}

QAction *frmMain::actionOf(Handler handler) const
{
    for (const auto &[h, action] : actions_)
        if (h == handler)
            return action;
    return nullptr;
}

void frmMain::Form_Load()
{
    font_.LoadFontSettings(*txtHTML, this);
    MDL::ApplyNormalLayout(panes(), viewMode_);
    doc_.setModified(false);
}

void frmMain::Form_Resize()
{
    MDL::applyCurrentLayout(panes(), viewMode_);
}

void frmMain::Form_Unload(bool &cancel)
{
    DocumentContext c = context();
    cancel = DocumentCommands::refuseClose(c);
}

void frmMain::mnuNew_Click() { DocumentContext c = context(); DocumentCommands::newDocument(c); }
void frmMain::mnuOpen_Click() { DocumentContext c = context(); DocumentCommands::open(c); }
void frmMain::mnuSave_Click() { DocumentContext c = context(); DocumentCommands::save(c); }
void frmMain::mnuSaveAll_Click() { DocumentContext c = context(); DocumentCommands::saveAs(c); }
void frmMain::mnuExit_Click() { DocumentContext c = context(); DocumentCommands::exitProgram(c); }
void frmMain::mnuCut_Click() { EditCommands::cut(*txtHTML); }
void frmMain::mnuCopy_Click() { EditCommands::copy(*txtHTML); }
void frmMain::mnuParst_Click() { EditCommands::paste(*txtHTML); }
void frmMain::mnuDelete_Click() { EditCommands::deleteSelection(*txtHTML); }
void frmMain::mnuSelectAll_Click() { EditCommands::selectAll(*txtHTML); }
void frmMain::mnuWeb_Click()
{
    DocumentContext c = context();
    ViewCommands::preview(doc_, *Web, [&c]() -> std::optional<TextEncoding> {
        const SaveResult saved = mdlIO::SaveDocument(c);
        return saved.written() ? std::optional(saved.encoding) : std::nullopt;
    });
}
void frmMain::mnuColor_Click() { WindowCommands::showColorPicker(); }
void frmMain::mnuFont_Click() { chooseEditorFont(*txtHTML, cmd); }
void frmMain::mnuDText_Click() { MDL::ApplyTextLayout(panes(), viewMode_); }
void frmMain::mnuNormal_Click() { MDL::ApplyNormalLayout(panes(), viewMode_); }
void frmMain::mnuBrouser_Click() { ViewCommands::browserPriority(panes(), viewMode_, *Web); }
void frmMain::mnuTopic_Click() { WindowCommands::showTagHelp(); }
void frmMain::mnuVersion_Click() { WindowCommands::showVersion(); }
void frmMain::mnuTopicAtCaret_Click()
{
    WindowCommands::showTagHelp(TagAssist::of(*txtHTML).helpEntryAtCaret(tagHelpEntries()));
}
void frmMain::mnuUndo_Click() { txtHTML->undo(); }
void frmMain::mnuRedo_Click() { txtHTML->redo(); }
void frmMain::mnuFind_Click() { EditCommands::find(*txtHTML); }
void frmMain::mnuFindNext_Click() { EditCommands::findNext(*txtHTML); }
void frmMain::mnuFindPrevious_Click() { EditCommands::findPrevious(*txtHTML); }
void frmMain::mnuReplace_Click() { EditCommands::replace(*txtHTML); }
void frmMain::mnuSyntaxColor_Click()
{
    const bool on = !EditCommands::tagColouring();
    EditCommands::setTagColouring(*txtHTML, on);
    actionOf(&frmMain::mnuSyntaxColor_Click)->setChecked(on);
}
void frmMain::mnuTypingAids_Click()
{
    const bool on = !EditCommands::typingAids();
    EditCommands::setTypingAids(*txtHTML, on);
    actionOf(&frmMain::mnuTypingAids_Click)->setChecked(on);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Restoring from the taskbar lays the panes out again for the current mode.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        Form_Resize();
    // Coming back to the window: the file may have been changed by another program meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !offeringReload_) {
        QTimer::singleShot(0, this, [this] {
            if (offeringReload_ || !isActiveWindow() || QApplication::activeModalWidget())
                return;
            offeringReload_ = true;
            DocumentContext c = context();
            DocumentCommands::offerReload(c);
            offeringReload_ = false;
        });
    }
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Client && event->type() == QEvent::Resize) {
        Toolbar1->setGeometry(0, 0, Client->width(), ToolbarHeight);
        Form_Resize();
        return false;
    }
    // The menu's shortcut keys belong to the whole window: no control of it may claim them
    // (Qt's text editors claim Ctrl+C, Ctrl+V, Del and the like through ShortcutOverride).
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->window() == this) {
            auto *ke = static_cast<QKeyEvent *>(event);
            const QKeySequence pressed(QKeyCombination(
                ke->modifiers() & ~Qt::KeypadModifier, Qt::Key(ke->key())));
            if (ownedKeys_.contains(pressed)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
