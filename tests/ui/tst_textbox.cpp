// The editing pane itself: long lines drawn, typed in, moved in, clicked in and dropped on as any
// other line; what an input method sends; characters the pane holds by a stand-in coming back out
// exactly, through open, edit and save.
#include "app/core/Document.h"
#include "edit/pane/TextBox.h"
#include "edit/HtmlHighlighter.h"
#include "edit/core/PaneText.h"
#include "support/Files.h"
#include "support/MainFormFixture.h"
#include "support/PaneColours.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QMimeData>
#include <QImage>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

class TestTextBox : public QObject {
    Q_OBJECT
private slots:
    // A long line is drawn from the part in view: scrolled to its end, the text is there, and
    // so is a selection made there.
    void longLineIsDrawnWhereItIsShown()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        pane.SetText(QStringLiteral("<div class=\"c\"><span>日本語テキスト</span></div>").repeated(5000));
        pane.moveCursor(QTextCursor::End);
        QTest::qWait(50);
        QVERIFY(pane.horizontalScrollBar()->value() > 0);
        auto inkIn = [&pane](QRgb colour) {
            const QImage shot = pane.viewport()->grab().toImage();
            int count = 0;
            for (int y = 0; y < qMin(shot.height(), 40); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    count += (shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
            return count;
        };
        int dark = 0;
        const QImage shot = pane.viewport()->grab().toImage();
        for (int x = 0; x < shot.width(); ++x)
            for (int y = 0; y < 30; ++y)
                dark += qGray(shot.pixel(x, y)) < 128;
        QVERIFY(dark > 100);
        const QRgb highlight = pane.palette().color(QPalette::Active, QPalette::Highlight).rgb();
        const int before = inkIn(highlight);
        pane.setSelStart(pane.textLength() - 20);
        pane.setSelLength(20);
        QTest::qWait(50);
        QVERIFY(inkIn(highlight) > before + 100);
    }

    // A long line is laid out in pieces of its own; it is typed in, deleted in, moved in and
    // clicked in as any other line, a run of typing is one step of undo, and the caret stands
    // where the toolkit's layout of the whole line would put it.
    void longLineEditsAsAnyLine()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        const QString line = QStringLiteral("<a href=\"/x\">日本語</a>").repeated(3000);
        const QString original = QStringLiteral("<p>short</p>\n") + line + QStringLiteral("\n<p>after</p>");
        pane.SetText(original);
        const int lineStart = 13, lineEnd = lineStart + int(line.size());
        pane.setFocus();
        QTest::qWait(20);
        auto caretX = [&pane] { return pane.cursorRect().center().x() + pane.horizontalScrollBar()->value(); };

        QTextLayout whole(line, pane.document()->defaultFont());
        whole.beginLayout();
        QTextLine wholeLine = whole.createLine();
        wholeLine.setNumColumns(int(line.size()));
        whole.endLayout();
        pane.setSelStart(lineStart + 40000);
        QVERIFY(qAbs(caretX() - pane.document()->documentMargin() - wholeLine.cursorToX(40000)) < 8);

        // Typing at the end and Backspace, then Backspace and Right at the start.
        pane.setSelStart(lineEnd);
        QTest::keyClicks(&pane, "xyz");
        QTest::keyClick(&pane, Qt::Key_Backspace);
        QVERIFY(pane.cursorRect().right() < pane.viewport()->width() && pane.cursorRect().left() >= 0);
        pane.setSelStart(lineStart + 1);
        QTest::keyClick(&pane, Qt::Key_Backspace);
        QTest::keyClick(&pane, Qt::Key_Right);
        QTest::keyClick(&pane, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(pane.SelStart(), lineStart + 1);
        QCOMPARE(pane.SelText(), QStringLiteral(" "));
        QCOMPARE(pane.Text(), original.left(lineStart) + line.mid(1) + QStringLiteral("xy\n<p>after</p>"));
        pane.undo();
        QCOMPARE(pane.Text(), original.left(lineEnd) + QStringLiteral("xy\n<p>after</p>"));
        pane.undo();
        QCOMPARE(pane.Text(), original.left(lineEnd) + QStringLiteral("xyz\n<p>after</p>"));
        pane.undo();
        QCOMPARE(pane.Text(), original);

        // Up and Down keep the caret's x between short and long lines.
        pane.setSelStart(5);
        const int x = caretX();
        QTest::keyClick(&pane, Qt::Key_Down);
        QVERIFY(pane.SelStart() > lineStart && pane.SelStart() < lineStart + 10);
        QVERIFY(qAbs(caretX() - x) <= pane.fontMetrics().maxWidth());
        QTest::keyClick(&pane, Qt::Key_Down);
        QVERIFY(pane.SelStart() > lineEnd && qAbs(caretX() - x) <= pane.fontMetrics().maxWidth());

        // A click places the caret where it is clicked; Shift and a click select up to there.
        const int y = pane.cursorRect(QTextCursor(pane.document()->findBlockByNumber(1))).top() + 4;
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(200, y));
        const int clicked = pane.SelStart();
        QVERIFY(clicked > lineStart + 5 && clicked < lineStart + 100);
        QVERIFY(qAbs(pane.cursorRect().center().x() - 200) <= pane.fontMetrics().maxWidth());
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(300, y));
        QCOMPARE(pane.SelStart(), clicked);
        QVERIFY(pane.SelLength() > 5);

        // Text dropped from elsewhere goes where it is dropped.
        QMimeData dropped;
        dropped.setText(QStringLiteral("DROP"));
        QDragEnterEvent enter(QPoint(200, y), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane.viewport(), &enter);
        QDropEvent drop(QPointF(200, y), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane.viewport(), &drop);
        QCOMPARE(pane.Text().mid(clicked, 4), QStringLiteral("DROP"));
    }

    // A page up or down that lands in a long line keeps the caret's x, as it does in any line.
    void pageMoveIntoLongLineKeepsX()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        QStringList lines;
        for (int i = 0; i < 200; ++i)
            lines << QStringLiteral("<p>line %1</p>").arg(i, 3, 10, QLatin1Char('0'));
        lines[100] = QStringLiteral("<a href=\"/x\">日本語</a>").repeated(3000);
        pane.setFocus();
        for (const Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp}) {
            const int step = key == Qt::Key_PageDown ? 1 : -1;
            const int from = key == Qt::Key_PageDown ? 0 : 199;
            pane.SetText(lines.join(u'\n'));  // a long line not yet laid out
            QTest::qWait(20);
            pane.setSelStart(pane.document()->findBlockByNumber(from).position() + 5);
            QTest::keyClick(&pane, key);
            const int page = (pane.textCursor().blockNumber() - from) * step;
            pane.setSelStart(pane.document()->findBlockByNumber(100 - step * page).position() + 5);
            QTest::keyClick(&pane, key, Qt::ShiftModifier);
            QCOMPARE(pane.textCursor().blockNumber(), 100);
            QCOMPARE(pane.textCursor().positionInBlock(), 5);
            QVERIFY(pane.SelLength() > 0);
        }
    }

    // What an input method sends, straight to the pane: an empty pre-edit (sent on every focus
    // change), a composition with its underline and highlighted segment, a cancel and a commit,
    // on the last line (coloured, text after the caret) and in a long line. Until the commit the
    // file is unedited: saved, it keeps its bytes (a character's second code among them).
    void inputMethodComposes_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("caret");
        QTest::newRow("last line") << QByteArray("\x87\x90<p>x</p><b>after</b>")
                                   << QStringLiteral("≒<p>x</p><b>after</b>") << 9;
        const QString longLine = QStringLiteral("<a href=\"/x\">日本語</a>").repeated(3000);
        QTest::newRow("long line") << longLine.toUtf8() << longLine << 40000;
    }

    void inputMethodComposes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, line);
        QFETCH(int, caret);
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        const QString path = f.path(QStringLiteral("page.html"));
        writeFile(path, file);
        f.platform().openAnswers.enqueue(path);
        f.form().mnuOpen_Click();
        pane.setFocus();
        pane.setSelStart(caret);
        QTest::qWait(50);
        QSignalSpy changes(&pane, &TextBox::Change);
        auto send = [&pane](const QString &preedit, const QString &commit = QString()) {
            QList<QInputMethodEvent::Attribute> attributes;
            if (!preedit.isEmpty()) {
                QTextCharFormat underline;
                underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
                underline.setUnderlineColor(QColor(0x00, 0xA0, 0x00));
                QTextCharFormat segment;
                segment.setBackground(QColor(0x30, 0x60, 0xC0));
                attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline)
                           << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, 2, segment)
                           << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 2, 1);
            }
            QInputMethodEvent event(preedit, attributes);
            if (!commit.isNull())
                event.setCommitString(commit);
            QApplication::sendEvent(&pane, &event);
            QTest::qWait(20);
        };
        auto inkOf = [&pane](QRgb colour) {
            const QImage shot = pane.viewport()->grab().toImage();
            int count = 0;
            for (int y = 0; y < qMin(shot.height(), 40); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    count += (shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
            return count;
        };

        send(QString());
        QVERIFY(!f.doc().IsModified());
        const QRect caretRect = static_cast<QWidget &>(pane).inputMethodQuery(Qt::ImCursorRectangle).toRect();
        send(QStringLiteral("にほんご"));
        QVERIFY(!f.doc().IsModified());
        QCOMPARE(changes.count(), 0);
        QVERIFY(!f.form().windowTitle().endsWith(QLatin1String(" *")));
        // Drawn at the caret, underlined, the segment highlighted; the caret and the candidate
        // window go to the composition's cursor.
        QVERIFY(inkOf(qRgb(0x30, 0x60, 0xC0)) > 100);
        QVERIFY(inkOf(qRgb(0x00, 0xA0, 0x00)) > 20);
        const QRect composing = static_cast<QWidget &>(pane).inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QVERIFY(composing.left() > caretRect.left() + 10 && composing.left() < caretRect.left() + 3 * pane.fontMetrics().maxWidth());
        QCOMPARE(composing.top(), caretRect.top());
        if (line.size() < LongLineLength) {
            // The text after the caret keeps its colours, after the composition.
            const QTextBlock block = pane.document()->lastBlock();
            QCOMPARE(colourAt(block, caret + 4), HtmlHighlighter::colourOf(HtmlRole::Tag));
            QCOMPARE(colourAt(block, caret + 4 + 3), QColor(Qt::black));
            QCOMPARE(colourAt(block, 1), HtmlHighlighter::colourOf(HtmlRole::Tag));
        }

        send(QString());  // cancelled
        QVERIFY(!f.doc().IsModified());
        QCOMPARE(pane.Text(), line);
        QCOMPARE(changes.count(), 0);
        f.form().mnuSave_Click();
        QCOMPARE(fileBytes(path), file);  // the same bytes, without a final line break as read

        send(QStringLiteral("にほんご"));
        send(QString(), QStringLiteral("日本語"));
        QVERIFY(f.doc().IsModified());
        QCOMPARE(changes.count(), 1);
        QCOMPARE(pane.Text(), line.left(caret) + QStringLiteral("日本語") + line.mid(caret));
        QCOMPARE(pane.SelStart(), caret + 3);
        QVERIFY(pane.cursorRect().left() >= 0 && pane.cursorRect().right() < pane.viewport()->width());

        // A click ends a composition: none is left behind where the caret was.
        send(QStringLiteral("に"));
        QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(30, pane.cursorRect().center().y()));
        QVERIFY(pane.document()->lastBlock().layout()->preeditAreaText().isEmpty());
        QCOMPARE(pane.Text(), line.left(caret) + QStringLiteral("日本語") + line.mid(caret));
        pane.setSelStart(caret + 3);

        // Over a selection, the candidate window stands where the caret is drawn.
        pane.setSelStart(caret - 4);
        pane.setSelLength(4);
        QTest::qWait(20);
        QCOMPARE(static_cast<QWidget &>(pane).inputMethodQuery(Qt::ImCursorRectangle).toRect().left(), pane.cursorRect().left());
        send(QStringLiteral("ご"));
        send(QString(), QStringLiteral("語"));
        QCOMPARE(pane.Text(), line.left(caret - 4) + QStringLiteral("語日本語") + line.mid(caret));
    }

    void hiddenCharactersSurviveOpenEditAndSave()
    {
        MainFormFixture f;
        const QString original = QStringLiteral("<p>a\u2028b\u2029c\uFDD0d\uFDD1e</p>\r\n");
        const QString path = f.path(QStringLiteral("doc.html"));
        writeFile(path, original.toUtf8());
        f.platform().openAnswers.enqueue(path);
        f.form().mnuOpen_Click();
        TextBox &pane = *txtHTML(f.form());
        QCOMPARE(pane.document()->blockCount(), 2);  // no line break was made of them
        QCOMPARE(pane.Text(), QStringLiteral("<p>a\u2028b\u2029c\uFDD0d\uFDD1e</p>\n"));

        // Selected, they come out as themselves; typed over and undone, they come back.
        pane.setSelStart(4);
        pane.setSelLength(5);
        QCOMPARE(pane.SelText(), QStringLiteral("\u2028b\u2029c\uFDD0"));
        pane.setSelText(QStringLiteral("x"));
        pane.undo();
        pane.setSelStart(1);
        pane.setSelText(QStringLiteral("z"));
        pane.setSelStart(1);
        pane.setSelLength(1);
        pane.setSelText(QString());
        QVERIFY(f.doc().IsModified());
        f.form().mnuSave_Click();
        QCOMPARE(fileBytes(path), original.toUtf8());
    }
};

TAVRO_TEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
