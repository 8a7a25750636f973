// The main window as it starts: state, caption, menus, toolbar, the keys it owns, the splash.
#include "app/core/AppInfo.h"
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "view/MDL.h"
#include "windows/frmFirst.h"

#include <QAction>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

namespace {


struct ExpectedItem {
    const char *name;
    QString caption;
    QKeySequence shortcut;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsUntitledAndUnmodified()
    {
        MainFormFixture f;
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題"));
        QCOMPARE(f.doc().IsModified(), false);
        QCOMPARE(f.doc().ExitRequested(), false);
        QVERIFY(f.doc().FilePath().isEmpty());
        QCOMPARE(f.form().viewMode(), ViewMode::Normal);
        QCOMPARE(AppTitle, QStringLiteral("Tavro"));
        QCOMPARE(Client(f.form())->width(), 792);
        QCOMPARE(Client(f.form())->height(), 554);
    }

    void typingMarksModifiedAndTheStarStays()
    {
        MainFormFixture f;
        f.showActive();
        txtHTML(f.form())->setFocus();
        QTest::keyClicks(txtHTML(f.form()), QStringLiteral("a"));
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題 *"));
        QVERIFY(f.doc().IsModified());
        QTest::keyClick(txtHTML(f.form()), Qt::Key_Backspace);
        QVERIFY(txtHTML(f.form())->Text().isEmpty());
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題 *"));
        // Assigning the text counts as a change too.
        f.doc().setModified(false);
        txtHTML(f.form())->SetText(QStringLiteral("<p>"));
        QVERIFY(f.doc().IsModified());
    }

    void fontChangeIsNotAnEdit()
    {
        MainFormFixture f;
        txtHTML(f.form())->SetText(QStringLiteral("abc"));
        f.doc().setModified(false);
        QFont font = txtHTML(f.form())->font();
        font.setPointSize(20);
        txtHTML(f.form())->setFont(font);
        QVERIFY(!f.doc().IsModified());
    }

    void captionFollowsTheDocument()
    {
        MainFormFixture f;
        f.doc().setModified(true);
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題 *"));
        f.doc().setFile(f.path(QStringLiteral("page.html")), QStringLiteral("page.htm"),
                        TextEncoding::ShiftJis);
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - page.htm *"));
        f.doc().setModified(false);
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - page.htm"));
        f.doc().makeUntitled();
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題"));
    }

    void menuCaptionsAndShortcuts()
    {
        MainFormFixture f;
        const QKeySequence none;
        const QList<ExpectedItem> items = {
            {"mnuNew", "新規作成(&N)", QKeySequence("Ctrl+N")},
            {"mnuOpen", "開く(&O)", QKeySequence("Ctrl+O")},
            {"mnuSave", "上書き保存(&S)", QKeySequence("Ctrl+S")},
            {"mnuSaveAll", "名前を付けて保存(&A)", none},
            {"mnuExit", "終了(&X)", none},
            {"mnuCut", "切り取り(&T)", QKeySequence("Ctrl+X")},
            {"mnuCopy", "コピー(&C)", QKeySequence("Ctrl+C")},
            {"mnuParst", "貼り付け(&P)", QKeySequence("Ctrl+V")},
            {"mnuDelete", "削除(&D)", QKeySequence("Del")},
            {"mnuSelectAll", "全て選択", QKeySequence("Ctrl+A")},
            {"mnuWeb", "Web確認(&W)", QKeySequence("F5")},
            {"mnuColor", "カラー[１６進数]", QKeySequence("Ctrl+W")},
            {"mnuFont", "フォントの指定(&F)", none},
            {"mnuDText", "テキスト優先(&T)", QKeySequence("Ctrl+H")},
            {"mnuNormal", "標準(&N)", QKeySequence("Ctrl+J")},
            {"mnuBrouser", "ブラウザ優先(&B)", QKeySequence("Ctrl+K")},
            {"mnuTopic", "タグヘルプ(&T)", QKeySequence("Ctrl+T")},
            {"mnuVersion", "バージョン情報(&A)", none},
            {"mnuTopicAtCaret", "カーソル位置のタグのヘルプ(&C)", QKeySequence("F1")},
        };
        for (const auto &item : items) {
            QAction *a = MenuItem(f.form(), QLatin1String(item.name));
            QVERIFY2(a, item.name);
            QCOMPARE(a->text(), item.caption);
            QCOMPARE(a->shortcut(), item.shortcut);
            QVERIFY(a->isEnabled() && a->isVisible() && !a->isCheckable());
        }
        // The bar's heads, in order, and where each item lives.
        QStringList heads;
        for (QAction *a : f.form().menuBar()->actions())
            heads << a->text();
        QCOMPARE(heads, QStringList({"ファイル(&F)", "編集(&E)", "オプション(&O)", "ヘルプ(&H)"}));
        auto *file = f.form().findChild<QMenu *>("mnuFile");
        QStringList fileItems;
        for (QAction *a : file->actions())
            fileItems << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(fileItems, QStringList({"新規作成(&N)", "開く(&O)", "-", "上書き保存(&S)",
                                         "名前を付けて保存(&A)", "-", "終了(&X)"}));
        // New items come after the old ones.
        QStringList helpItems;
        for (QAction *a : f.form().findChild<QMenu *>("mnuHelp")->actions())
            helpItems << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(helpItems, QStringList({"mnuTopic", "-", "mnuVersion", "-", "mnuTopicAtCaret"}));
        auto *display = f.form().findChild<QMenu *>("mnuDisplay");
        QVERIFY(display);
        QCOMPARE(display->title(), QStringLiteral("画面比率(&D)"));
        QStringList cascade;
        for (QAction *a : display->actions())
            cascade << a->objectName();
        QCOMPARE(cascade, QStringList({"mnuDText", "mnuNormal", "mnuBrouser"}));
    }

    void editorKeysRunTheMenuHandlers()
    {
        MainFormFixture f;
        f.recordCommands();
        frmMain *rec = &f.form();
        f.showActive();
        txtHTML(*rec)->SetText(QStringLiteral("abc"));
        txtHTML(*rec)->setFocus();
        txtHTML(*rec)->setSelStart(1);
        const struct { QKeyCombination key; const char *handler; } keys[] = {
            {QKeyCombination(Qt::ControlModifier, Qt::Key_H), "mnuDText_Click"},
            {QKeyCombination(Qt::Key_Delete), "mnuDelete_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_A), "mnuSelectAll_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_C), "mnuCopy_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_X), "mnuCut_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_V), "mnuParst_Click"},
            {QKeyCombination(Qt::Key_F5), "mnuWeb_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_J), "mnuNormal_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_K), "mnuBrouser_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_W), "mnuColor_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_T), "mnuTopic_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_N), "mnuNew_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_O), "mnuOpen_Click"},
            {QKeyCombination(Qt::ControlModifier, Qt::Key_S), "mnuSave_Click"},
        };
        for (const auto &k : keys) {
            f.calls.clear();
            QTest::keyClick(txtHTML(*rec), k.key.key(), k.key.keyboardModifiers());
            QCOMPARE(f.calls, QStringList{QLatin1String(k.handler)});
        }
        // The pane's own handling did not run: no backspace, no deletion, no paste.
        QCOMPARE(txtHTML(*rec)->Text(), QStringLiteral("abc"));
        // Keys no menu item owns still edit.
        f.calls.clear();
        QTest::keyClick(txtHTML(*rec), Qt::Key_End);
        QTest::keyClicks(txtHTML(*rec), QStringLiteral("d"));
        QTest::keyClick(txtHTML(*rec), Qt::Key_Backspace);
        QTest::keyClick(txtHTML(*rec), Qt::Key_Backspace);
        QCOMPARE(txtHTML(*rec)->Text(), QStringLiteral("ab"));
        QVERIFY(f.calls.isEmpty());
        // Ctrl+Z is the Edit menu's undo, which takes back the pane's own history.
        QTest::keyClick(txtHTML(*rec), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.calls, QStringList{QStringLiteral("mnuUndo_Click")});
        rec->mnuUndo_Click();
        QVERIFY(txtHTML(*rec)->Text() != QStringLiteral("ab"));
    }

    void toolbarButtonsPicturesAndTips()
    {
        MainFormFixture f;
        f.recordCommands();
        frmMain *rec = &f.form();
        const QList<QAction *> actions = Toolbar1(*rec)->actions();
        QCOMPARE(actions.size(), 17);
        const QStringList tips = {"新規作成", "開く", "上書き保存", "", "切り取り", "コピー",
                                  "貼り付け", "", "Web確認", "", "テキスト優先", "標準",
                                  "ブラウザ優先", "", "カラー", "", "タグヘルプ"};
        const QStringList handlers = {"mnuNew_Click", "mnuOpen_Click", "mnuSave_Click", "",
                                      "mnuCut_Click", "mnuCopy_Click", "mnuParst_Click", "",
                                      "mnuWeb_Click", "", "mnuDText_Click", "mnuNormal_Click",
                                      "mnuBrouser_Click", "", "mnuColor_Click", "",
                                      "mnuTopic_Click"};
        for (int i = 0; i < 17; ++i) {
            QAction *a = actions[i];
            const bool separator = tips[i].isEmpty();
            QCOMPARE(a->isSeparator(), separator);
            if (separator)
                continue;
            QCOMPARE(a->toolTip(), tips[i]);
            QVERIFY(a->text().isEmpty() || Toolbar1(*rec)->toolButtonStyle() == Qt::ToolButtonIconOnly);
            QVERIFY(!a->whatsThis().isEmpty());
            const QPixmap pm = a->icon().pixmap(16, 16);
            QVERIFY(!pm.isNull());
            QCOMPARE(pm.size(), QSize(16, 16));
            auto *button = qobject_cast<QToolButton *>(Toolbar1(*rec)->widgetForAction(a));
            QVERIFY(button);
            QCOMPARE(button->size(), QSize(24, 22));
            // A click on the button reaches its menu handler and nothing else.
            f.calls.clear();
            button->click();
            QCOMPARE(f.calls, QStringList{handlers[i]});
        }
        QCOMPARE(actions[14]->whatsThis(), QStringLiteral("[オプション]-[カラー[１６進数]"));
        QCOMPARE(actions[1]->whatsThis(), QStringLiteral("[ファイル]-[開く...]"));
        QCOMPARE(Toolbar1(*rec)->geometry(), QRect(0, 0, 792, 28));
    }

    void splashShowsTheLoadedMainWindowOnce()
    {
        // Watch the main window's first show: its load must be complete by then.
        struct ShowWatch : QObject {
            QStringList titlesAtShow;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Show && o->objectName() == QLatin1String("frmMain"))
                    titlesAtShow << static_cast<QWidget *>(o)->windowTitle();
                return false;
            }
        } watch;
        qApp->installEventFilter(&watch);
        std::unique_ptr<frmMain> mainWindow;
        QPointer<frmFirst> splash = new frmFirst([&mainWindow]() -> QWidget * {
            mainWindow = std::make_unique<frmMain>();
            return mainWindow.get();
        });
        splash->show();
        // The main window is on the screen before the splash goes.
        bool mainShownWhenSplashWent = false;
        connect(splash, &QObject::destroyed, [&] {
            mainShownWhenSplashWent = mainWindow && mainWindow->isVisible();
        });
        QVERIFY(splash->Timer1.isActive());
        QCOMPARE(splash->Timer1.interval(), 500);
        QCOMPARE(splash->size(), QSize(401, 249));
        QTest::qWait(200);
        QVERIFY(!mainWindow);
        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 5000);
        QVERIFY(mainWindow);
        QVERIFY(mainShownWhenSplashWent);
        QTest::qWait(700);
        int mains = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            mains += w->objectName() == QLatin1String("frmMain");
        QCOMPARE(mains, 1);
        QCOMPARE(watch.titlesAtShow, QStringList{QStringLiteral("Tavro - 無題")});
        qApp->removeEventFilter(&watch);
    }
};

TAVRO_TEST_MAIN(TestMainWindow)
#include "tst_frmmain.moc"
