// The text that reaches a recovery file: copied from the document a slice at a time while it is
// edited, and written a piece at a time, whole either way.
#include "app/core/Recovery.h"
#include "app/core/TextSnapshot.h"

#include <QCoreApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    // The recovery copy is taken a slice at a time; an edit during it starts it again, and what
    // it hands on is the whole text, a long line and an empty one included.
    void recoveryCopyIsTheWholeText()
    {
        QStringList lines;
        for (int i = 0; i < 100000; ++i)
            lines << QStringLiteral("<p>行 %1</p>").arg(i);
        lines.insert(500, QString(300000, QLatin1Char('x')));
        lines << QString() << QStringLiteral("end");
        QTextDocument doc;
        doc.documentLayout();  // as in the pane: without a layout a document reports no change
        doc.setPlainText(lines.join(QLatin1Char('\n')));
        TextSnapshot snapshot(&doc);
        QStringList copies;
        connect(&snapshot, &TextSnapshot::done, this, [&](const QString &text) { copies << text; });
        snapshot.start();
        QCoreApplication::processEvents();  // one slice, not the whole copy
        QVERIFY(snapshot.running());
        // Edits before, inside and after what is copied so far, a line break removed among them.
        QTextCursor(&doc).insertText(QStringLiteral("先頭"));
        QTextCursor end(&doc);
        end.movePosition(QTextCursor::End);
        end.insertText(QStringLiteral("末尾"));
        QTextCursor middle(doc.findBlockByNumber(50000));
        middle.deletePreviousChar();
        const QString now = doc.toRawText();
        QTRY_COMPARE(copies.size(), 1);
        QCOMPARE(copies[0], now);
        QVERIFY(now.startsWith(QStringLiteral("先頭")) && now.endsWith(QStringLiteral("末尾")));
    }

    // The recovery file is written a piece at a time: a CR LF or a surrogate pair that falls on
    // a piece's edge comes through whole, converted as one text would be.
    void recoveryFileHoldsTheWholeText()
    {
        QString text = QStringLiteral("<p>x");  // a CR on the first edge, a pair on the second
        while (text.size() < 300000)
            text += QStringLiteral("a\r\n\U0001F600");
        const auto convert = [](QString t) { return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); };
        const auto read = parseRecovery(formatRecovery(RecoveredDocument{text, {}, QStringLiteral("t"), {}, {}}, convert));
        QVERIFY(read);
        QCOMPARE(read->text, convert(text));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
