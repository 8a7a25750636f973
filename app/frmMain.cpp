#include "app/frmMain.h"

#include "app/MenuTable.h"
#include "app/SharedState.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"
#include "edit/ToolbarTable.h"
#include "edit/EditingExtras.h"
#include "view/MDL.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

namespace {
frmMain *g_main = nullptr;

constexpr QSize DesignClientSize(792, 554);
constexpr int ToolbarHeight = 28;
constexpr QSize ToolbarButtonSize(24, 22);
}

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
    QFont design(QStringLiteral("ＭＳ Ｐゴシック"));
    design.setPointSizeF(12);
    txtHTML->setFont(design);

    Web = new QWebEngineView(Client);
    Web->setObjectName(QStringLiteral("Web"));
    Web->setGeometry(392, 32, 401, 521);

    Toolbar1 = new QToolBar(Client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setGeometry(0, 0, DesignClientSize.width(), ToolbarHeight);

    buildMenus();
    buildToolbar();
    InstallEditingExtras(*this);
    setTabOrder(txtHTML, Web);
    setTabOrder(Web, Toolbar1);

    // The edit commands are the pane's context menu too: one implementation of each.
    txtHTML->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtHTML, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { mnuEdit->exec(txtHTML->mapToGlobal(pos)); });

    connect(txtHTML, &TextBox::Change, this, &frmMain::txtHTML_Change);
    Client->installEventFilter(this);
    qApp->installEventFilter(this);

    resize(DesignClientSize.width(), DesignClientSize.height() + menuBar()->sizeHint().height());
    layout()->activate();  // the client area has its size before the first show
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

frmMain::~frmMain()
{
    if (g_main == this)
        g_main = nullptr;
}

void frmMain::buildMenus()
{
    QMenu *head = nullptr;
    QMenu *cascade = nullptr;
    for (int i = 0; i < MenuTableSize; ++i) {
        const MenuEntry &e = MenuTable[i];
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
        if (e.shortcut.key() != Qt::Key_unknown && e.shortcut.toCombined() != 0) {
            action->setShortcut(QKeySequence(e.shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
            ownedKeys_ << action->shortcut();
        }
        const auto handler = e.handler;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
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
    for (int i = 0; i < ToolbarButtonCount; ++i) {
        const ToolbarEntry &e = ToolbarTable[i];
        if (!e.handler) {
            Toolbar1->addSeparator();
            continue;
        }
        const QIcon icon(QStringLiteral(":/toolbar/%1.png").arg(e.picture));
        QAction *a = Toolbar1->addAction(icon, QString::fromUtf16(e.tooltip));
        a->setObjectName(QStringLiteral("Toolbar1_%1").arg(i + 1));
        a->setToolTip(QString::fromUtf16(e.tooltip));
        a->setWhatsThis(QString::fromUtf16(e.description));
        a->setProperty("Description", QString::fromUtf16(e.description));
        a->setProperty("Index", i + 1);
        const int index = i + 1;
        connect(a, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        if (QWidget *button = Toolbar1->widgetForAction(a)) {
            button->setFixedSize(ToolbarButtonSize);
            button->setFocusPolicy(Qt::NoFocus);
        }
    }
}

QAction *frmMain::MenuItem(const QString &name) const
{
    return findChild<QAction *>(name);
}

int frmMain::ScaleWidth() const
{
    return Client->width();
}

int frmMain::ScaleHeight() const
{
    return Client->height();
}

void frmMain::Form_Load()
{
    // The design's one extra integer setting of the pane needs no counterpart here.
    mdlIO::LoadFontSettings();
    ViewMode = 0;
    ExitRequested = false;
    IsModified = false;
    FileTitle = UntitledName;
    AppTitle = QStringLiteral("Tavro");
    MDL::ApplyNormalLayout();
    MDL::UpdateCaption(0);
}

void frmMain::Form_Resize()
{
    switch (ViewMode) {
    case 0: MDL::ApplyNormalLayout(); break;
    case 1: MDL::ApplyTextLayout(); break;
    case 2: MDL::ApplyBrowserLayout(); break;
    default: break;
    }
}

void frmMain::txtHTML_Change()
{
    MDL::UpdateCaption(1);
}

void frmMain::Toolbar1_ButtonClick(int Index)
{
    DispatchToolbarButton(*this, Index);
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

frmMain *MainFormIfLoaded()
{
    return g_main;
}

frmMain &LoadMainForm(frmMain *window)
{
    g_main = window;
    window->Form_Load();
    return *window;
}

frmMain &MainForm()
{
    if (!g_main)
        LoadMainForm(new frmMain);
    return *g_main;
}

void UnloadMainForm()
{
    delete g_main;
    g_main = nullptr;
}
