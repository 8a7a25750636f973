// The tag help window: its list, its pane arithmetic, and how it reads and shows help files.
#include "app/frmMain.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "windows/core/HelpFile.h"
#include "windows/RichTextBox.h"
#include "windows/frmHelp.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>

namespace {


QByteArray rtfSaying(const QByteArray &text)
{
    return "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Gothic;}}\\f0 " + text + "\\par}";
}

} // namespace

class TestTagHelp : public QObject {
    Q_OBJECT
    QTemporaryDir data_;

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(data_.path()).mkpath(QStringLiteral("help")));
        for (int i = 0; i < 29; ++i)
            writeFile(data_.filePath(QStringLiteral("help/%1.rtf").arg(i)),
                      rtfSaying("entry-" + QByteArray::number(i)));
        qputenv("TAVRO_DATA_DIR", data_.path().toLocal8Bit());
    }

    void cleanup()
    {
        if (frmHelp *w = tagHelpIfLoaded())
            delete w;
    }

    void theTwentyNineEntriesExactly()
    {
        const QStringList e = tagHelpEntries();
        QCOMPARE(e.size(), 29);
        QCOMPARE(e[0], QStringLiteral("<!--  ->\u3000コメント文"));
        QCOMPARE(e[2], QStringLiteral("<B> 太字"));
        QCOMPARE(e[3], QStringLiteral("<BGSOUND> \uFF22\uFF27\uFF2D"));
        QCOMPARE(e[18], QStringLiteral("<MARQUEE>\u3000マーキー\uFF08文字移動\uFF09"));
        QCOMPARE(e[22], QStringLiteral("<U>\u3000アンダーライン"));
        QCOMPARE(e[23], QStringLiteral("<SELECT><OPTION>\u3000選択、フィールド型リスト"));
        QCOMPARE(e[26], QStringLiteral("<TABLE><TR><TD>\u3000表"));
        QCOMPARE(e[28], QStringLiteral("<UL><LI>\u3000番号無しリスト"));
        for (int i = 0; i < 29; ++i) {
            if (i == 2 || i == 3)
                QVERIFY(!e[i].contains(QChar(0x3000)));
            else
                QCOMPARE(e[i].count(QChar(0x3000)), 1);
        }
    }

    void paneArithmetic()
    {
        QCOMPARE(helpListWidth(3000), 1000);
        QCOMPARE(3000 - helpListWidth(3000), 2000);
        QCOMPARE(helpListWidth(100), 33);
        QCOMPARE(100 - helpListWidth(100), 67);
        QCOMPARE(helpListWidth(101), 34);
        QCOMPARE(101 - helpListWidth(101), 67);
        QCOMPARE(helpListWidth(8850), 2950);
        QCOMPARE(helpListWidth(0), 0);
        QCOMPARE(helpListWidth(1.5 * 3), 2);  // 1.5 goes to the even neighbour
    }

    void helpTextLines()
    {
        QCOMPARE(helpTextFromBytes("a\r\nb\r\nc"), QStringLiteral("a\r\nb\r\nc\r\n"));
        QCOMPARE(helpTextFromBytes("a\r\nb\r\n"), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(helpTextFromBytes("a\rb"), QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(helpTextFromBytes("a\nb"), QStringLiteral("a\nb\r\n"));  // a lone LF stays
        QCOMPARE(helpTextFromBytes(""), QString());
        QCOMPARE(helpTextFromBytes("\x95\x5c"), QStringLiteral("表\r\n"));  // 0x5C trail byte
    }

    void opensWithTheListAndNothingChosen()
    {
        MainFormFixture f;
        f.form().mnuTopic_Click();
        frmHelp *w = tagHelpIfLoaded();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Help"));
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(w->size(), QSize(590, 466));
        QCOMPARE(w->List->count(), 29);
        for (int i = 0; i < 29; ++i)
            QCOMPARE(w->List->item(i)->text(), tagHelpEntries()[i]);
        QVERIFY(w->List->selectedItems().isEmpty());
        QVERIFY(w->Web2->toPlainText().isEmpty());
        // The focus in the list chooses nothing either.
        QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(w->List, &focusIn);
        QCOMPARE(w->List->currentRow(), -1);
        QVERIFY(w->Web2->toPlainText().isEmpty());
        QCOMPARE(w->List->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(w->List->font().pointSizeF(), 11.25);
        QCOMPARE(w->List->geometry(), QRect(0, 0, 197, 466));
        QCOMPARE(w->Web2->geometry(), QRect(197, 0, 393, 466));
        w->resize(300, 200);
        QCOMPARE(w->List->geometry(), QRect(0, 0, 100, 200));
        QCOMPARE(w->Web2->geometry(), QRect(100, 0, 200, 200));

        // A second command brings the same window forward; it is not rebuilt.
        w->List->setCurrentRow(5);
        f.form().mnuTopic_Click();
        QCOMPARE(tagHelpIfLoaded(), w);
        QCOMPARE(w->List->currentRow(), 5);
        QCOMPARE(w->List->count(), 29);

        // Closing unloads it; the next command fills a fresh list once.
        QPointer<frmHelp> old = w;
        w->close();
        QTRY_VERIFY(old.isNull());
        f.form().mnuTopic_Click();
        QVERIFY(tagHelpIfLoaded());
        QCOMPARE(tagHelpIfLoaded()->List->count(), 29);
        QVERIFY(tagHelpIfLoaded()->Web2->toPlainText().isEmpty());
    }

    void choosingAnEntryShowsItsFileAndReplacesThePrevious()
    {
        frmHelp *w = showTagHelp();
        w->List->setCurrentRow(0);
        QCOMPARE(w->Web2->toPlainText().trimmed(), QStringLiteral("entry-0"));
        QCOMPARE(w->Web2->TextRTF(), QString::fromLatin1(rtfSaying("entry-0") + "\r\n"));
        w->List->setCurrentRow(28);
        QCOMPARE(w->Web2->toPlainText().trimmed(), QStringLiteral("entry-28"));
        w->List->setCurrentRow(26);
        QCOMPARE(w->Web2->toPlainText().trimmed(), QStringLiteral("entry-26"));

        // Reading again picks up a changed file: nothing is cached.
        writeFile(data_.filePath(QStringLiteral("help/26.rtf")), rtfSaying("changed"));
        w->List_Click();
        QCOMPARE(w->Web2->toPlainText().trimmed(), QStringLiteral("changed"));
        writeFile(data_.filePath(QStringLiteral("help/26.rtf")), rtfSaying("entry-26"));

        // An empty file gives an empty pane.
        writeFile(data_.filePath(QStringLiteral("help/empty.rtf")), QByteArray());
        w->List_Load(QStringLiteral("empty"));
        QVERIFY(w->Web2->toPlainText().isEmpty());
    }

    void aMissingFileIsSaidInThePane()
    {
        frmHelp *w = showTagHelp();
        w->List_Load(QStringLiteral("nothere"));
        const QString shown = w->Web2->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("nothere.rtf")), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("ヘルプファイル")));
    }

    void theShippedFilesAllShowFormattedText()
    {
        // The real help files, as built into the data folder.
        const QString shipped = QStringLiteral(TAVRO_SOURCE_DIR "/assets/help");
        if (!QFile::exists(shipped + QStringLiteral("/0.rtf")))
            QSKIP("help files not there yet");
        qputenv("TAVRO_DATA_DIR", QByteArray(TAVRO_SOURCE_DIR "/assets"));
        frmHelp *w = showTagHelp();
        for (int i = 0; i < 29; ++i) {
            w->List->setCurrentRow(i);
            const QString shown = w->Web2->toPlainText();
            QVERIFY2(shown.size() > 100, qPrintable(QStringLiteral("entry %1").arg(i)));
            static const QRegularExpression controlWord(QStringLiteral("\\\\[a-z]+"));
            QVERIFY2(!shown.contains(controlWord), qPrintable(QStringLiteral("entry %1").arg(i)));
        }
        qputenv("TAVRO_DATA_DIR", data_.path().toLocal8Bit());
    }

    // The help pane keeps the RTF it was given and shows it, tables included.
    void richTextBoxShowsWhatItWasGiven()
    {
        RichTextBox box;
        QVERIFY(box.isReadOnly());
        const QString first = "{\\rtf1 {\\b first} text\\par second\\par}";
        box.setTextRTF(first);
        QCOMPARE(box.TextRTF(), first);
        QCOMPARE(box.property("TextRTF").toString(), first);
        QCOMPARE(box.toPlainText(), QStringLiteral("first text\nsecond"));
        QVERIFY(box.setProperty("TextRTF", QString("{\\rtf1\\trowd\\cellx500\\intbl cell\\cell\\row}")));
        QVERIFY(box.document()->find("cell").currentTable());
        box.setTextRTF("{\\rtf1 only}");
        QCOMPARE(box.toPlainText(), QStringLiteral("only"));
        QCOMPARE(box.TextRTF(), QStringLiteral("{\\rtf1 only}"));
        QCOMPARE(box.textCursor().position(), 0);
        box.setTextRTF(QString());
        QVERIFY(box.document()->isEmpty());
    }
};

TAVRO_TEST_MAIN(TestTagHelp)
#include "tst_frmhelp.moc"
