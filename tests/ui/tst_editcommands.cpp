// Cut, copy, paste, delete and select all on the editing pane: the clipboard, the text, the
// selection, the modified flag and the caption after each, by handler, by key and while the
// pane is hidden.
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "edit/FindBar.h"
#include "view/MDL.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QClipboard>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

namespace {

const QString Clean = QStringLiteral("Tavro - 無題");
const QString Dirty = QStringLiteral("Tavro - 無題 *");

// Puts text in the pane as an unchanged document, with the given selection.
void startWith(frmMain &form, const QString &text, int selStart = 0, int selLength = 0)
{
    txtHTML(form)->SetText(text);
    form.document().setModified(false);
    txtHTML(form)->setSelStart(selStart);
    txtHTML(form)->setSelLength(selLength);
}

void expectUnchangedDocument(frmMain &form, const QString &text)
{
    QCOMPARE(txtHTML(form)->Text(), text);
    QCOMPARE(form.document().IsModified(), false);
    QCOMPARE(form.windowTitle(), Clean);
}

void expectChangedDocument(frmMain &form, const QString &text)
{
    QCOMPARE(txtHTML(form)->Text(), text);
    QCOMPARE(form.document().IsModified(), true);
    QCOMPARE(form.windowTitle(), Dirty);
}

// The checks above only leave their helper on failure; these leave the test.
#define EXPECT_UNCHANGED(form, text) \
    do { expectUnchangedDocument(form, text); if (QTest::currentTestFailed()) return; } while (0)
#define EXPECT_CHANGED(form, text) \
    do { expectChangedDocument(form, text); if (QTest::currentTestFailed()) return; } while (0)

void clickToolbar(frmMain &form, int index)
{
    QAction *a = Toolbar1(form)->actions().at(index - 1);
    auto *button = qobject_cast<QToolButton *>(Toolbar1(form)->widgetForAction(a));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestEditCommands : public QObject {
    Q_OBJECT
private slots:

    // The new items come after every existing one, behind a separator, with their keys.
    void undoRedoFindAndReplaceInTheEditMenu()
    {
        MainFormFixture f;
        QStringList items;
        for (QAction *a : mnuEdit(f.form())->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char(' ') + a->shortcut().toString());
        QCOMPARE(items.mid(0, 7), QStringList({"切り取り(&T) Ctrl+X", "コピー(&C) Ctrl+C", "貼り付け(&P) Ctrl+V",
                                                "削除(&D) Del", "-", "全て選択 Ctrl+A", "-"}));
        QCOMPARE(items.mid(7), QStringList({"元に戻す(&U) Ctrl+Z", "やり直し(&R) Ctrl+Y", "-", "検索(&F)... Ctrl+F",
                                             "次を検索(&N) F3", "前を検索(&V) Shift+F3", "置換(&E)... Ctrl+R", "-",
                                             "タグを色分け(&L) ", "入力補完(&I) "}));
        QVERIFY(MenuItem(f.form(), QStringLiteral("mnuSyntaxColor"))->isChecked());
    }

    void undoAndRedoByKey()
    {
        MainFormFixture f;
        f.showActive();
        frmMain &form = f.form();
        startWith(form, QStringLiteral("abc"), 3);
        txtHTML(form)->setFocus();
        QTest::keyClicks(txtHTML(form), QStringLiteral("de"));
        QTest::keyClick(txtHTML(form), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(txtHTML(form)->Text(), QStringLiteral("abc"));
        QTest::keyClick(txtHTML(form), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(txtHTML(form)->Text(), QStringLiteral("abcde"));
        // Undo never goes back past a new text: it must not bring back another file.
        txtHTML(form)->SetText(QStringLiteral("other"));
        form.mnuUndo_Click();
        QCOMPARE(txtHTML(form)->Text(), QStringLiteral("other"));
    }

    // Ctrl+F takes the selection, Enter and F3 go forward round the end with a notice,
    // Shift+F3 goes back, and Esc gives the text its focus back with the match selected.
    void findByKeys()
    {
        MainFormFixture f;
        f.showActive();
        frmMain &form = f.form();
        TextBox *pane = txtHTML(form);
        startWith(form, QStringLiteral("<p>日本語</p>\n<P>ｶﾅ</P>\n<p>"), 0, 3);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_F, Qt::ControlModifier);
        FindBar &bar = FindBar::of(pane);
        QVERIFY(bar.isVisible());
        QCOMPARE(bar.findEdit()->text(), QStringLiteral("<p>"));
        QVERIFY(bar.findEdit()->hasFocus());
        const struct { QKeyCombination key; int selStart; bool notice; } steps[] = {
            {QKeyCombination(Qt::Key_Return), 11, false},
            {QKeyCombination(Qt::Key_F3), 21, false},
            {QKeyCombination(Qt::Key_F3), 0, true},
            {QKeyCombination(Qt::ShiftModifier, Qt::Key_F3), 21, true},
        };
        for (const auto &step : steps) {
            QTest::keyClick(bar.findEdit(), step.key.key(), step.key.keyboardModifiers());
            QCOMPARE(pane->SelStart(), step.selStart);
            QCOMPARE(pane->SelLength(), 3);
            QCOMPARE(!bar.notice().isEmpty(), step.notice);
        }
        bar.caseOption()->setChecked(true);
        QTest::keyClick(bar.findEdit(), Qt::Key_Return);
        QCOMPARE(pane->SelStart(), 0);
        // Editing keys in the bar edit its text, not the page.
        QTest::keyClick(bar.findEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(bar.findEdit(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(bar.findEdit()->text(), QString());
        QTest::keyClick(bar.findEdit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(bar.findEdit()->text(), QStringLiteral("<p>"));
        // Tab stays in the bar: it never types over the match in the page.
        QTest::keyClick(bar.findEdit(), Qt::Key_Tab);
        QTest::keyClick(bar.findEdit(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(bar.findEdit()->hasFocus());
        QCOMPARE(pane->Text(), QStringLiteral("<p>日本語</p>\n<P>ｶﾅ</P>\n<p>"));
        QTest::keyClick(bar.findEdit(), Qt::Key_Escape);
        QVERIFY(!bar.isVisible());
        QVERIFY(pane->hasFocus());
        QCOMPARE(pane->SelText(), QStringLiteral("<p>"));
        QCOMPARE(form.document().IsModified(), false);
    }

    void replaceAndReplaceAllAreUndoneInOneStep()
    {
        MainFormFixture f;
        f.showActive();
        frmMain &form = f.form();
        TextBox *pane = txtHTML(form);
        const QString text = QStringLiteral("<b>1</b>\n<B>2</B>\n<b>３</b>");
        startWith(form, text);
        form.mnuReplace_Click();
        FindBar &bar = FindBar::of(pane);
        // Tab and Shift+Tab move between the two texts.
        QTest::keyClick(bar.findEdit(), Qt::Key_Tab);
        QVERIFY(bar.replaceEdit()->hasFocus());
        QTest::keyClick(bar.replaceEdit(), Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(bar.findEdit()->hasFocus());
        bar.findEdit()->setText(QStringLiteral("<b>"));
        bar.replaceEdit()->setText(QStringLiteral("<strong>"));
        bar.replaceCurrent();  // finds the first
        QCOMPARE(pane->Text(), text);
        bar.replaceCurrent();  // replaces it and finds the next
        EXPECT_CHANGED(form, QStringLiteral("<strong>1</b>\n<B>2</B>\n<b>３</b>"));
        QCOMPARE(pane->SelText(), QStringLiteral("<B>"));
        pane->undo();
        QCOMPARE(pane->Text(), text);

        QCOMPARE(bar.replaceAll(), 3);
        QCOMPARE(pane->Text(), QStringLiteral("<strong>1</b>\n<strong>2</B>\n<strong>３</b>"));
        pane->undo();
        QCOMPARE(pane->Text(), text);
        bar.caseOption()->setChecked(true);
        QCOMPARE(bar.replaceAll(), 2);
        QCOMPARE(pane->Text(), QStringLiteral("<strong>1</b>\n<B>2</B>\n<strong>３</b>"));
    }
    void copyPutsTheSelectionOnTheClipboard()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        auto &clip = f.platform().clipboard;

        clip = QStringLiteral("before");
        startWith(form, QStringLiteral("abc def"), 3);
        form.mnuCopy_Click();
        QCOMPARE(f.platform().clipboardSetCalls, 0);
        QCOMPARE(clip, QStringLiteral("before"));
        EXPECT_UNCHANGED(form, QStringLiteral("abc def"));

        txtHTML(form)->setSelStart(4);
        txtHTML(form)->setSelLength(3);
        form.mnuCopy_Click();
        QCOMPARE(clip, QStringLiteral("def"));
        EXPECT_UNCHANGED(form, QStringLiteral("abc def"));
        QCOMPARE(txtHTML(form)->SelStart(), 4);
        QCOMPARE(txtHTML(form)->SelLength(), 3);

        // Line breaks reach the clipboard as '\n', never as paragraph separators.
        startWith(form, QStringLiteral("<p>\nx\n</p>"), 1, 6);
        form.mnuCopy_Click();
        QCOMPARE(clip, QStringLiteral("p>\nx\n<"));
        QCOMPARE(f.platform().clipboardSetCalls, 2);
    }

    void cutMovesTheSelectionToTheClipboard()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        auto &clip = f.platform().clipboard;

        // Nothing selected: nothing happens, and the document stays unmodified.
        clip = std::nullopt;
        startWith(form, QStringLiteral("abc def"), 7);
        form.mnuCut_Click();
        QCOMPARE(f.platform().clipboardSetCalls, 0);
        QVERIFY(!clip.has_value());
        EXPECT_UNCHANGED(form, QStringLiteral("abc def"));

        txtHTML(form)->setSelStart(0);
        txtHTML(form)->setSelLength(4);
        form.mnuCut_Click();
        QCOMPARE(clip, QStringLiteral("abc "));
        EXPECT_CHANGED(form, QStringLiteral("def"));
        QCOMPARE(txtHTML(form)->SelStart(), 0);
        QCOMPARE(txtHTML(form)->SelLength(), 0);

        // Across lines: the lines join where the cut was.
        startWith(form, QStringLiteral("one\ntwo\nthree"), 2, 7);
        form.mnuCut_Click();
        QCOMPARE(clip, QStringLiteral("e\ntwo\nt"));
        EXPECT_CHANGED(form, QStringLiteral("onhree"));
        QCOMPARE(txtHTML(form)->document()->blockCount(), 1);
    }

    void paste_data()
    {
        QTest::addColumn<bool>("hasText");
        QTest::addColumn<QString>("clipText");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("expected");  // empty: the document must stay as it was
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("lines");

        // "abc def" is the document in every row.
        QTest::newRow("image, no text") << false << QString() << 4 << 3 << QString() << 0 << 1;
        QTest::newRow("empty text") << true << QString() << 4 << 3 << QString() << 0 << 1;
        QTest::newRow("one space at caret") << true << " " << 3 << 0 << "abc  def" << 4 << 1;
        QTest::newRow("one line break") << true << "\n" << 3 << 0 << "abc\n def" << 4 << 2;
        QTest::newRow("over a selection") << true << "XYZ!" << 4 << 3 << "abc XYZ!" << 8 << 1;
        QTest::newRow("at the start") << true << "<" << 0 << 0 << "<abc def" << 1 << 1;
        QTest::newRow("at the end") << true << ">" << 7 << 0 << "abc def>" << 8 << 1;
        QTest::newRow("CR LF lines") << true << "1\r\n2\r\n" << 4 << 0 << "abc 1\n2\ndef" << 8 << 3;
        QTest::newRow("LF lines") << true << "1\n2\n" << 4 << 0 << "abc 1\n2\ndef" << 8 << 3;
        QTest::newRow("CR lines") << true << "1\r2\r" << 4 << 0 << "abc 1\n2\ndef" << 8 << 3;
        QTest::newRow("CR LF over a selection") << true << "\r\n" << 4 << 3 << "abc \n" << 5 << 2;
        QTest::newRow("blank lines") << true << "\r\r\n\n" << 0 << 0 << "\n\n\nabc def" << 3 << 4;
        QTest::newRow("Japanese") << true << "日本語" << 4 << 3 << "abc 日本語" << 7 << 1;
    }

    void paste()
    {
        QFETCH(bool, hasText);
        QFETCH(QString, clipText);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        QFETCH(int, lines);

        MainFormFixture f;
        frmMain &form = f.form();
        auto &clip = f.platform().clipboard;
        clip = hasText ? std::optional<QString>(clipText) : std::nullopt;
        startWith(form, QStringLiteral("abc def"), selStart, selLength);
        form.mnuParst_Click();

        if (expected.isEmpty()) {
            EXPECT_UNCHANGED(form, QStringLiteral("abc def"));
            QCOMPARE(txtHTML(form)->SelStart(), selStart);
            QCOMPARE(txtHTML(form)->SelLength(), selLength);
        } else {
            EXPECT_CHANGED(form, expected);
            QCOMPARE(txtHTML(form)->SelStart(), caret);
            QCOMPARE(txtHTML(form)->SelLength(), 0);
            QCOMPARE(txtHTML(form)->textLength(), int(expected.size()));
        }
        QVERIFY(!txtHTML(form)->Text().contains(QLatin1Char('\r')));
        QCOMPARE(txtHTML(form)->document()->blockCount(), lines);
        // Paste reads the clipboard and leaves it as it was.
        QCOMPARE(f.platform().clipboardSetCalls, 0);
        QCOMPARE(clip.has_value(), hasText);
        if (hasText)
            QCOMPARE(*clip, clipText);
    }

    void deleteRemovesOnlyASelection()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        auto &clip = f.platform().clipboard;
        clip = QStringLiteral("kept");

        startWith(form, QStringLiteral("a\nb"), 1);
        form.mnuDelete_Click();
        EXPECT_UNCHANGED(form, QStringLiteral("a\nb"));
        QCOMPARE(txtHTML(form)->SelStart(), 1);

        txtHTML(form)->setSelLength(1);  // the line break
        form.mnuDelete_Click();
        EXPECT_CHANGED(form, QStringLiteral("ab"));
        QCOMPARE(txtHTML(form)->SelStart(), 1);
        QCOMPARE(txtHTML(form)->SelLength(), 0);
        QCOMPARE(clip, QStringLiteral("kept"));
        QCOMPARE(f.platform().clipboardSetCalls, 0);
    }

    void selectAllSelectsTheWholeTextAndFocusesThePane()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        f.showActive();
        form.setFocus();
        QVERIFY(!txtHTML(form)->hasFocus());

        startWith(form, QString());
        form.mnuSelectAll_Click();
        QVERIFY(txtHTML(form)->hasFocus());
        QCOMPARE(txtHTML(form)->SelStart(), 0);
        QCOMPARE(txtHTML(form)->SelLength(), 0);

        const QString text = QStringLiteral("<html>\n日本語\n\n</html>");
        startWith(form, text, 5, 2);
        form.setFocus();
        form.mnuSelectAll_Click();
        QVERIFY(txtHTML(form)->hasFocus());
        QCOMPARE(txtHTML(form)->SelStart(), 0);
        QCOMPARE(txtHTML(form)->SelLength(), int(text.size()));
        QCOMPARE(txtHTML(form)->SelText(), text);
        EXPECT_UNCHANGED(form, text);
    }

    // The keys of the Edit menu, typed into the focused pane, run the commands once and the
    // pane's own clipboard handling never (the real clipboard would show it).
    void keysInTheFocusedPane()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        TextBox *pane = txtHTML(form);
        auto &clip = f.platform().clipboard;
        f.showActive();
        pane->setFocus();
        QClipboard *real = QGuiApplication::clipboard();
        real->setText(QStringLiteral("REAL"));

        // Del without a selection does not delete the character after the caret.
        startWith(form, QStringLiteral("abc"), 1);
        QTest::keyClick(pane, Qt::Key_Delete);
        EXPECT_UNCHANGED(form, QStringLiteral("abc"));
        // Ctrl+H switches the layout and is no backspace.
        QTest::keyClick(pane, Qt::Key_H, Qt::ControlModifier);
        EXPECT_UNCHANGED(form, QStringLiteral("abc"));
        QCOMPARE(pane->SelStart(), 1);

        // Del with a selection removes it.
        pane->setSelLength(1);
        QTest::keyClick(pane, Qt::Key_Delete);
        EXPECT_CHANGED(form, QStringLiteral("ac"));

        // Ctrl+A, then Ctrl+C copies the whole text through the commands only.
        startWith(form, QStringLiteral("ab\ncd"), 2);
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(pane->SelLength(), 5);
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clip, QStringLiteral("ab\ncd"));
        QCOMPARE(f.platform().clipboardSetCalls, 1);

        // Ctrl+X cuts once.
        pane->setSelStart(3);
        pane->setSelLength(2);
        QTest::keyClick(pane, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(clip, QStringLiteral("cd"));
        QCOMPARE(f.platform().clipboardSetCalls, 2);
        EXPECT_CHANGED(form, QStringLiteral("ab\n"));

        // Ctrl+V pastes once, and only the command's clipboard.
        clip = QStringLiteral("X\r\nY");
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        EXPECT_CHANGED(form, QStringLiteral("ab\nX\nY"));
        QCOMPARE(pane->SelStart(), 6);

        // Keys without a menu item still type.
        QTest::keyClicks(pane, QStringLiteral("z"));
        QCOMPARE(pane->Text(), QStringLiteral("ab\nX\nYz"));
        QCOMPARE(real->text(), QStringLiteral("REAL"));
    }

    // Browser priority hides the pane; the commands keep working on its text and selection,
    // by menu item and by toolbar button, and select all leaves the focus where it is.
    void commandsWorkOnTheHiddenPane()
    {
        MainFormFixture f;
        frmMain &form = f.form();
        TextBox *pane = txtHTML(form);
        auto &clip = f.platform().clipboard;
        f.showActive();
        pane->setFocus();
        startWith(form, QStringLiteral("<b>bold</b>"), 3, 4);
        form.mnuBrouser_Click();
        QVERIFY(!pane->isVisible());
        WebPane(form)->setFocus();  // the user works in the preview
        QVERIFY(!pane->hasFocus());
        QCOMPARE(pane->SelStart(), 3);
        QCOMPARE(pane->SelLength(), 4);

        clickToolbar(form, 6);  // copy
        QCOMPARE(clip, QStringLiteral("bold"));
        EXPECT_UNCHANGED(form, QStringLiteral("<b>bold</b>"));

        clickToolbar(form, 5);  // cut
        EXPECT_CHANGED(form, QStringLiteral("<b></b>"));
        QCOMPARE(pane->SelStart(), 3);

        clip = QStringLiteral("i");
        clickToolbar(form, 7);  // paste
        QCOMPARE(pane->Text(), QStringLiteral("<b>i</b>"));

        form.document().setModified(false);
        pane->setSelStart(4);
        pane->setSelLength(4);
        MenuItem(form, QStringLiteral("mnuDelete"))->trigger();
        EXPECT_CHANGED(form, QStringLiteral("<b>i"));

        QWidget *focusBefore = QApplication::focusWidget();
        MenuItem(form, QStringLiteral("mnuSelectAll"))->trigger();
        QCOMPARE(pane->SelStart(), 0);
        QCOMPARE(pane->SelLength(), 4);
        QVERIFY(!pane->hasFocus());
        QCOMPARE(QApplication::focusWidget(), focusBefore);
        QVERIFY(!pane->isVisible());
        QCOMPARE(form.viewMode(), ViewMode::BrowserPriority);

        // Keys still reach the commands, and typing does not reach the hidden pane.
        QWidget *target = focusBefore ? focusBefore : &form;
        QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clip, QStringLiteral("<b>i"));
        QTest::keyClicks(target, QStringLiteral("q"));
        QCOMPARE(pane->Text(), QStringLiteral("<b>i"));
    }
};

TAVRO_TEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
