// The toolbar's buttons reach the menu handler of their position and nothing else: every
// position, separators, positions with no button, real clicks and the focus.
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "view/MDL.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

class TestToolbar : public QObject {
    Q_OBJECT
private slots:
    void everyPositionReachesItsHandler_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("handler");  // empty: nothing may run
        const QList<std::pair<int, const char *>> rows = {
            {-32768, ""}, {-1, ""}, {0, ""},
            {1, "mnuNew_Click"}, {2, "mnuOpen_Click"}, {3, "mnuSave_Click"}, {4, ""},
            {5, "mnuCut_Click"}, {6, "mnuCopy_Click"}, {7, "mnuParst_Click"}, {8, ""},
            {9, "mnuWeb_Click"}, {10, ""},
            {11, "mnuDText_Click"}, {12, "mnuNormal_Click"}, {13, "mnuBrouser_Click"}, {14, ""},
            {15, "mnuColor_Click"}, {16, ""}, {17, "mnuTopic_Click"},
            {18, ""}, {32767, ""},
        };
        for (const auto &[index, handler] : rows)
            QTest::addRow("%d", index) << index << QString::fromLatin1(handler);
    }

    void everyPositionReachesItsHandler()
    {
        QFETCH(int, index);
        QFETCH(QString, handler);
        MainFormFixture f;
        f.recordCommands();
        frmMain *rec = &f.form();
        txtHTML(*rec)->SetText(QStringLiteral("abc"));
        f.doc().setModified(false);
        const QString title = rec->windowTitle();

        const QList<QAction *> buttons = Toolbar1(*rec)->actions();  // by position, from 1
        if (index >= 1 && index <= buttons.size())
            buttons[index - 1]->trigger();
        QCOMPARE(f.calls, handler.isEmpty() ? QStringList() : QStringList{handler});
        // The dispatch itself changes nothing.
        QCOMPARE(txtHTML(*rec)->Text(), QStringLiteral("abc"));
        QCOMPARE(rec->windowTitle(), title);
        QCOMPARE(f.doc().IsModified(), false);
        QCOMPARE(f.form().viewMode(), ViewMode::Normal);
    }

    // Mouse clicks on the buttons: each command button reaches its handler once, with the
    // focus left in the editing pane; the separators run nothing.
    void clicksKeepTheFocusAndSeparatorsDoNothing()
    {
        MainFormFixture f;
        f.recordCommands();
        frmMain *rec = &f.form();
        f.showActive();
        txtHTML(*rec)->setFocus();
        QVERIFY(txtHTML(*rec)->hasFocus());

        const QList<QAction *> actions = Toolbar1(*rec)->actions();
        QCOMPARE(actions.size(), 17);
        QStringList reached;
        for (int i = 0; i < actions.size(); ++i) {
            QWidget *w = Toolbar1(*rec)->widgetForAction(actions[i]);
            QVERIFY(w);
            f.calls.clear();
            f.focusAtCall.clear();
            QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
            QVERIFY2(f.calls.size() <= 1, qPrintable(f.calls.join(',')));
            reached << f.calls.value(0);
            if (!f.calls.isEmpty())
                QCOMPARE(f.focusAtCall.value(0), static_cast<QWidget *>(txtHTML(*rec)));
            QVERIFY(txtHTML(*rec)->hasFocus());
        }
        QCOMPARE(reached, QStringList({"mnuNew_Click", "mnuOpen_Click", "mnuSave_Click", "",
                                       "mnuCut_Click", "mnuCopy_Click", "mnuParst_Click", "",
                                       "mnuWeb_Click", "", "mnuDText_Click", "mnuNormal_Click",
                                       "mnuBrouser_Click", "", "mnuColor_Click", "",
                                       "mnuTopic_Click"}));
    }

    // With the real handlers, the toolbar's cut and paste act as the menu's: the selection
    // is kept while the button is clicked, the caption shows the change.
    void cutAndPasteThroughTheButtons()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        f.showActive();
        txtHTML(form)->setFocus();
        txtHTML(form)->SetText(QStringLiteral("one two"));
        form.document().setModified(false);
        txtHTML(form)->setSelStart(0);
        txtHTML(form)->setSelLength(4);

        auto button = [&](int index) {
            return Toolbar1(form)->widgetForAction(Toolbar1(form)->actions().at(index - 1));
        };
        QTest::mouseClick(button(5), Qt::LeftButton);
        QCOMPARE(f.platform().clipboard, QStringLiteral("one "));
        QCOMPARE(txtHTML(form)->Text(), QStringLiteral("two"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tavro - 無題 *"));

        txtHTML(form)->setSelStart(3);
        QTest::mouseClick(button(7), Qt::LeftButton);
        QCOMPARE(txtHTML(form)->Text(), QStringLiteral("twoone "));
        QCOMPARE(txtHTML(form)->SelStart(), 7);
        QCOMPARE(f.platform().clipboardSetCalls, 1);
        QVERIFY(txtHTML(form)->hasFocus());
    }
};

TAVRO_TEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
