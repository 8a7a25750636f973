// New, Open, Save, Save As, Exit and the close box, with scripted answers: what is asked,
// what is written, and that no answer loses text the user asked to keep.
#include "app/core/Document.h"
#include "app/DocumentCommands.h"
#include "app/FontSettings.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QTimer>

namespace {

const QString SaveChanges = QStringLiteral("変更を保存しますか？");
const QString SaveBeforeOpen = QStringLiteral("保存してよろしいですか？");
const QString Skeleton = QStringLiteral(
    "<html>\n<head>\n<title>\n\n</title>\n</head>\n<body>\n\n\n\n</body>\n</html>");

} // namespace

using Answer = std::optional<MsgAnswer>;

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    // Every row of the close handling, through the window's close box.
    void closeHandling_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("exitRequested");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<Answer>("answer");  // none: no question expected
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("exitAfter");
        QTest::addColumn<bool>("fileWritten");

        QTest::newRow("unmodified, no exit") << false << false << true << Answer() << true << false << false;
        QTest::newRow("unmodified, exit") << false << true << true << Answer() << true << true << false;
        QTest::newRow("modified, no exit: silent refusal") << true << false << true << Answer() << false << false << false;
        QTest::newRow("exit, Yes, has a file") << true << true << true << Answer(MsgAnswer::Yes) << true << true << true;
        QTest::newRow("exit, Yes, untitled, dialog cancelled") << true << true << false << Answer(MsgAnswer::Yes) << false << false << false;
        QTest::newRow("exit, No") << true << true << true << Answer(MsgAnswer::No) << true << true << false;
        QTest::newRow("exit, Cancel") << true << true << true << Answer(MsgAnswer::Cancel) << false << true << false;
    }

    void closeHandling()
    {
        QFETCH(bool, modified);
        QFETCH(bool, exitRequested);
        QFETCH(bool, hasFile);
        QFETCH(Answer, answer);
        QFETCH(bool, ends);
        QFETCH(bool, exitAfter);
        QFETCH(bool, fileWritten);
        DocumentFixture d;
        d.form().show();
        if (hasFile)
            d.haveFile(QStringLiteral("a.html"), "old\r\n");
        if (modified)
            d.edit(QStringLiteral("new"));
        d.doc().setExitRequested(exitRequested);
        if (answer)
            d.platform().msgBoxAnswers.enqueue(*answer);

        QCOMPARE(d.closeBox(), ends);
        QCOMPARE(d.platform().endProgramCalls, ends ? 1 : 0);
        QCOMPARE(d.platform().prompts(), answer ? QStringList{SaveChanges} : QStringList());
        if (answer)
            QCOMPARE(d.platform().messages[0].style, (MsgStyle{MsgButtons::YesNoCancel, MsgIcon::Question}));
        QCOMPARE(d.doc().ExitRequested(), exitAfter);
        if (hasFile)
            QCOMPARE(fileBytes(d.path(QStringLiteral("a.html"))),
                     fileWritten ? QByteArray("new\r\n") : QByteArray("old\r\n"));
        // Whenever the window stays, the text is still there and still flagged.
        if (!ends && modified) {
            QVERIFY(d.doc().IsModified());
            QVERIFY(d.title().endsWith(QStringLiteral(" *")));
            QCOMPARE(d.pane().Text(), QStringLiteral("new"));
        }
    }

    void exitCommand()
    {
        DocumentFixture d;
        // No unsaved changes: ends at once, no question.
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().endProgramCalls, 1);
        QVERIFY(d.platform().messages.isEmpty());

        // Cancel: the window stays; afterwards the close box asks as Exit does.
        d.platform().endProgramCalls = 0;
        d.doc().setExitRequested(false);
        d.edit(QStringLiteral("text"));
        QVERIFY(!d.closeBox());
        QVERIFY(d.platform().messages.isEmpty());
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Cancel);
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().endProgramCalls, 0);
        QVERIFY(d.doc().ExitRequested());
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        QVERIFY(d.closeBox());
        QCOMPARE(d.platform().prompts(), QStringList({SaveChanges, SaveChanges}));
        QCOMPARE(d.platform().endProgramCalls, 1);
    }

    void exitYesWithCancelledSaveKeepsAskingAndRunning()
    {
        DocumentFixture d;
        d.edit(QStringLiteral("keep me"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);  // save dialog: cancelled (empty queue)
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(d.platform().endProgramCalls, 0);
        QVERIFY(!d.doc().ExitRequested());
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題 *"));
        // The second Exit asks again instead of ending silently.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Cancel);
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().prompts(), QStringList({SaveChanges, SaveChanges}));
        QCOMPARE(d.platform().endProgramCalls, 0);

        // Yes with a name: written, then the program ends.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("kept.html")));
        d.form().mnuExit_Click();
        QCOMPARE(fileBytes(d.path(QStringLiteral("kept.html"))), QByteArray("keep me\r\n"));
        QCOMPARE(d.platform().endProgramCalls, 1);
    }

    void exitYesWithFailedWriteStays()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("gone/a.html"), "old\r\n");
        QVERIFY(QDir(d.path(QStringLiteral("gone"))).removeRecursively());
        d.edit(QStringLiteral("unsaved"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().endProgramCalls, 0);
        QCOMPARE(d.platform().messages.size(), 2);  // the question, then the failure
        QCOMPARE(d.platform().messages[1].style, (MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}));
        QCOMPARE(d.platform().messages[1].title, QStringLiteral("Tavro"));
        QVERIFY(d.platform().messages[1].prompt.contains(QDir::toNativeSeparators(d.doc().FilePath())));
        QVERIFY(!d.doc().ExitRequested());
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - a.html *"));
    }

    void exitYesWhenOnlyTheSettingsFileFailsStays()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("a.html"), "old\r\n");
        d.edit(QStringLiteral("saved"));
        QFile::remove(fontSettingsPath());
        QVERIFY(QDir().mkpath(fontSettingsPath() + QStringLiteral("/blocked")));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuExit_Click();
        // The document is stored and shown as such; the settings failure was reported and the
        // program stays so the message is not the last thing it does.
        QCOMPARE(fileBytes(d.path(QStringLiteral("a.html"))), QByteArray("saved\r\n"));
        QVERIFY(!d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - a.html"));
        QCOMPARE(d.platform().messages.size(), 2);
        QVERIFY(d.platform().messages[1].prompt.contains(QStringLiteral("fn.dat")));
        QCOMPARE(d.platform().endProgramCalls, 0);
        QVERIFY(!d.doc().ExitRequested());
        d.form().mnuExit_Click();
        QCOMPARE(d.platform().endProgramCalls, 1);
    }

    void newCommand()
    {
        DocumentFixture d;
        // Unmodified: no question, the skeleton, untitled and unmodified.
        d.form().mnuNew_Click();
        QVERIFY(d.platform().messages.isEmpty());
        QCOMPARE(d.pane().Text(), Skeleton);
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題"));
        QVERIFY(!d.doc().IsModified());

        // With a file: Yes writes it, then the skeleton; d.doc().FilePath() still names the old file.
        d.haveFile(QStringLiteral("a.html"), "a\r\n");
        d.edit(QStringLiteral("edited"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuNew_Click();
        QCOMPARE(d.platform().prompts(), QStringList{SaveChanges});
        QCOMPARE(d.platform().messages[0].style, (MsgStyle{MsgButtons::YesNoCancel, MsgIcon::Question}));
        QCOMPARE(d.platform().messages[0].title, QStringLiteral("Tavro"));
        QVERIFY(d.platform().saveRequests.isEmpty());
        QCOMPARE(fileBytes(d.path(QStringLiteral("a.html"))), QByteArray("edited\r\n"));
        QCOMPARE(d.pane().Text(), Skeleton);
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("無題"));
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("a.html")));
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題"));

        // Untitled, Yes, save dialog cancelled: the text stays.
        d.edit(QStringLiteral("precious"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuNew_Click();
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(d.pane().Text(), QStringLiteral("precious"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題 *"));

        // Cancel: nothing changes.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Cancel);
        d.form().mnuNew_Click();
        QCOMPARE(d.pane().Text(), QStringLiteral("precious"));
        QVERIFY(d.doc().IsModified());

        // No: the skeleton, nothing written.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.form().mnuNew_Click();
        QCOMPARE(d.pane().Text(), Skeleton);
        QVERIFY(!d.doc().IsModified());
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(fileBytes(d.path(QStringLiteral("a.html"))), QByteArray("edited\r\n"));
    }

    void newYesWithFailedWriteKeepsText()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("gone/a.html"), "a\r\n");
        QVERIFY(QDir(d.path(QStringLiteral("gone"))).removeRecursively());
        d.edit(QStringLiteral("edited"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuNew_Click();
        QCOMPARE(d.platform().messages.size(), 2);
        QCOMPARE(d.pane().Text(), QStringLiteral("edited"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - a.html *"));
    }

    void openCommand()
    {
        DocumentFixture d;
        writeFile(d.path(QStringLiteral("b.html")), "<p>b</p>\r\n");
        // Unmodified: no question; the file, its name, no star.
        d.platform().openAnswers.enqueue(d.path(QStringLiteral("b.html")));
        d.form().mnuOpen_Click();
        QVERIFY(d.platform().messages.isEmpty());
        QCOMPARE(d.pane().Text(), QStringLiteral("<p>b</p>\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - b.html"));
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("b.html"));
        QVERIFY(!d.doc().IsModified());

        // Yes on a document that has a file: the save dialog all the same.
        d.edit(QStringLiteral("b edited"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("copy.html")));
        writeFile(d.path(QStringLiteral("c.html")), "c\r\n");
        d.platform().openAnswers.enqueue(d.path(QStringLiteral("c.html")));
        d.form().mnuOpen_Click();
        QCOMPARE(d.platform().prompts(), QStringList{SaveBeforeOpen});
        QCOMPARE(d.platform().messages[0].style, (MsgStyle{MsgButtons::YesNoCancel, MsgIcon::Question}));
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(fileBytes(d.path(QStringLiteral("copy.html"))), QByteArray("b edited\r\n"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("b.html"))), QByteArray("<p>b</p>\r\n"));
        QCOMPARE(d.pane().Text(), QStringLiteral("c\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - c.html"));

        // Yes, save dialog cancelled: nothing is opened, the text stays modified.
        d.edit(QStringLiteral("c edited"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuOpen_Click();
        QCOMPARE(d.platform().saveRequests.size(), 2);
        QCOMPARE(d.platform().openRequests.size(), 2);
        QCOMPARE(d.pane().Text(), QStringLiteral("c edited"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - c.html *"));

        // No, then the open dialog cancelled: the text, the file and the star all stay.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.form().mnuOpen_Click();
        QCOMPARE(d.platform().openRequests.size(), 3);
        QCOMPARE(d.pane().Text(), QStringLiteral("c edited"));
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - c.html *"));
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("c.html")));

        // Cancel: not even the dialog.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Cancel);
        d.form().mnuOpen_Click();
        QCOMPARE(d.platform().openRequests.size(), 3);
        QVERIFY(d.doc().IsModified());

        // No, then a file that cannot be read: reported by name and reason; nothing changes.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.platform().openAnswers.enqueue(d.path(QStringLiteral("vanished.html")));
        d.form().mnuOpen_Click();
        const QString report = d.platform().messages.last().prompt;
        QVERIFY2(report.contains(QDir::toNativeSeparators(d.path(QStringLiteral("vanished.html"))))
                     && !report.section(u'\n', 1).trimmed().isEmpty(),
                 qPrintable(report));
        QCOMPARE(d.pane().Text(), QStringLiteral("c edited"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - c.html *"));
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("c.html")));
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("c.html"));

        // Unmodified and the open dialog cancelled: still unmodified, nothing else touched.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.platform().openAnswers.enqueue(d.path(QStringLiteral("b.html")));
        d.form().mnuOpen_Click();
        const int asked = d.platform().messages.size();
        d.form().mnuOpen_Click();
        QCOMPARE(d.platform().messages.size(), asked);
        QCOMPARE(d.title(), QStringLiteral("Tavro - b.html"));
        QVERIFY(!d.doc().IsModified());
    }

    void anyFileOpensWithOrWithoutADot()
    {
        DocumentFixture d;
        // The open dialog lists every file and adds no extension; the save dialog adds one.
        d.form().mnuOpen_Click();
        const FileDialogRequest open = d.platform().openRequests.value(0);
        QCOMPARE(open.filter.split(QStringLiteral(";;")).last(), QStringLiteral("全てのファイル(*)"));
        QVERIFY(open.defaultSuffix.isEmpty());
        d.form().mnuSaveAll_Click();
        QCOMPARE(d.platform().saveRequests.value(0).defaultSuffix, QStringLiteral("html"));

        // The program's own dialog, given a typed name without a dot, opens that very file.
        for (const QString &name : {QStringLiteral("README"), QStringLiteral("無題")}) {
            writeFile(d.path(name), "dot-less\r\n");
            setPlatform(nullptr);
            QTimer::singleShot(0, [&d, name] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                dialog->selectFile(d.path(name));
                QMetaObject::invokeMethod(dialog, &QDialog::accept);
            });
            d.form().mnuOpen_Click();
            setPlatform(&d.platform());
            QCOMPARE(d.doc().FilePath(), d.path(name));
            QCOMPARE(d.pane().Text(), QStringLiteral("dot-less\n"));
        }
    }

    void saveAndSaveAs()
    {
        DocumentFixture d;
        // Save on an untitled document: the dialog, and no question before writing.
        d.edit(QStringLiteral("x"));
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("page.htm")));
        d.form().mnuSave_Click();
        QVERIFY(d.platform().messages.isEmpty());
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(fileBytes(d.path(QStringLiteral("page.html"))), QByteArray("x\r\n"));
        QVERIFY(!QFile::exists(d.path(QStringLiteral("page.htm"))));
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("page.html")));
        QCOMPARE(d.title(), QStringLiteral("Tavro - page.htm"));

        // Save on a titled document writes straight away, asking nothing.
        d.edit(QStringLiteral("y"));
        d.form().mnuSave_Click();
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QVERIFY(d.platform().messages.isEmpty());
        QCOMPARE(fileBytes(d.path(QStringLiteral("page.html"))), QByteArray("y\r\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - page.htm"));

        // Only upper case ".HTM" stays as chosen; ".html" is left alone.
        d.edit(QStringLiteral("z"));
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("PAGE.HTM")));
        d.form().mnuSaveAll_Click();
        QCOMPARE(fileBytes(d.path(QStringLiteral("PAGE.HTM"))), QByteArray("z\r\n"));
        QVERIFY(!QFile::exists(d.path(QStringLiteral("PAGE.HTML"))));
        QCOMPARE(d.title(), QStringLiteral("Tavro - PAGE.HTM"));
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("other.html")));
        d.form().mnuSaveAll_Click();
        QCOMPARE(fileBytes(d.path(QStringLiteral("other.html"))), QByteArray("z\r\n"));
        QVERIFY(d.platform().messages.isEmpty());

        // New: untitled again although d.doc().FilePath() still names the last file; Save asks for a name.
        d.form().mnuNew_Click();
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("other.html")));
        d.edit(QStringLiteral("fresh"));
        d.form().mnuSave_Click();  // dialog cancelled
        QCOMPARE(d.platform().saveRequests.size(), 4);
        QCOMPARE(fileBytes(d.path(QStringLiteral("other.html"))), QByteArray("z\r\n"));
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題 *"));
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("無題"));
    }

    void fileNamedUntitledAlwaysAsksForAName()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("無題"), "old\r\n");
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題"));
        d.edit(QStringLiteral("new"));
        d.form().mnuSave_Click();
        QCOMPARE(d.platform().saveRequests.size(), 1);
        QCOMPARE(fileBytes(d.path(QStringLiteral("無題"))), QByteArray("old\r\n"));
    }

    void saveAsAsksBeforeReplacing()
    {
        DocumentFixture d;
        writeFile(d.path(QStringLiteral("page.html")), "existing\r\n");
        d.edit(QStringLiteral("new"));
        // page.htm chosen, page.html exists: the question names page.html. No: choose again.
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("page.htm")));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("page.htm")));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.form().mnuSaveAll_Click();
        QCOMPARE(d.platform().saveRequests.size(), 2);
        QCOMPARE(d.platform().messages.size(), 2);
        for (const auto &m : d.platform().messages) {
            QVERIFY2(m.prompt.contains(QStringLiteral("「page.html」")), qPrintable(m.prompt));
            QCOMPARE(m.style.buttons, MsgButtons::YesNo);
        }
        QCOMPARE(fileBytes(d.path(QStringLiteral("page.html"))), QByteArray("new\r\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - page.htm"));

        // No, then the dialog cancelled: nothing written, nothing changed, exit withdrawn.
        d.edit(QStringLiteral("newer"));
        writeFile(d.path(QStringLiteral("other.html")), "other\r\n");
        d.doc().setExitRequested(true);
        d.platform().saveAnswers.enqueue(d.path(QStringLiteral("other.html")));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.form().mnuSaveAll_Click();
        QCOMPARE(fileBytes(d.path(QStringLiteral("other.html"))), QByteArray("other\r\n"));
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("page.html")));
        QCOMPARE(d.title(), QStringLiteral("Tavro - page.htm *"));
        QVERIFY(!d.doc().ExitRequested());
    }

    void cancelledSaveAsKeepsStateAndWithdrawsExit()
    {
        DocumentFixture d;
        // Unmodified document, exit pending: the cancel still withdraws it.
        d.doc().setExitRequested(true);
        d.saveAs();
        QVERIFY(!d.doc().ExitRequested());
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題"));
        QVERIFY(!d.lastSave.written());

        d.edit(QStringLiteral("t"));
        d.doc().setExitRequested(true);
        d.form().mnuSaveAll_Click();
        QVERIFY(!d.doc().ExitRequested());
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題 *"));
        QVERIFY(d.doc().FilePath().isEmpty());
        QCOMPARE(QDir(d.dir()).entryList(QDir::Files), QStringList());
    }

    // Another program writes the document's file after it was opened: saving asks first, and
    // the default answer keeps the other version. A deleted file is simply written again.
    void changedOnDiskAsksBeforeOverwriting()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("ext.html"), "mine\r\n");
        const QString path = d.path(QStringLiteral("ext.html"));
        writeFile(path, "theirs, longer\r\n");
        d.edit(QStringLiteral("mine, edited"));
        d.doc().setExitRequested(true);
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.save();
        QCOMPARE(d.lastSave.outcome, SaveOutcome::Cancelled);
        QVERIFY(d.prompts().value(0).contains(QStringLiteral("ほかのプログラム")));
        QVERIFY(d.platform().messages.value(0).style.noIsDefault);
        QCOMPARE(fileBytes(path), QByteArray("theirs, longer\r\n"));
        QVERIFY(d.doc().IsModified());
        QVERIFY(!d.doc().ExitRequested());

        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.save();
        QVERIFY(d.lastSave.written());
        QCOMPARE(fileBytes(path), QByteArray("mine, edited\r\n"));
        d.edit(QStringLiteral("again"));
        d.save();  // the version on disk is the one just written: no question
        QCOMPARE(d.prompts().size(), 2);

        QVERIFY(QFile::remove(path));
        d.edit(QStringLiteral("after deletion"));
        d.save();
        QCOMPARE(d.prompts().size(), 2);
        QCOMPARE(fileBytes(path), QByteArray("after deletion\r\n"));
    }

    // Coming back to the window after another program changed the file: with no unsaved
    // changes the new version is offered; a No is not asked again for the same version.
    void changedOnDiskIsOfferedForReloading()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("ext.html"), "one\r\n");
        writeFile(d.path(QStringLiteral("ext.html")), "two, from elsewhere\r\n");
        DocumentContext c = d.form().context();
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        DocumentCommands::offerReload(c);
        DocumentCommands::offerReload(c);
        QCOMPARE(d.prompts().size(), 1);
        QCOMPARE(d.pane().Text(), QStringLiteral("one\n"));

        writeFile(d.path(QStringLiteral("ext.html")), "three\r\n");
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        DocumentCommands::offerReload(c);
        QCOMPARE(d.pane().Text(), QStringLiteral("three\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - ext.html"));

        // Unsaved changes are never replaced by a reload offer.
        d.edit(QStringLiteral("typed"));
        writeFile(d.path(QStringLiteral("ext.html")), "four\r\n");
        DocumentCommands::offerReload(c);
        QCOMPARE(d.prompts().size(), 2);
    }

    // A file whose mode allows no writing is replaced only after a Yes, and keeps its mode.
    void readOnlyFileIsReplacedOnlyWhenTheUserAgrees()
    {
        DocumentFixture d;
        d.haveFile(QStringLiteral("ro.html"), "old\r\n");
        const QString path = d.path(QStringLiteral("ro.html"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        d.edit(QStringLiteral("new"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.save();
        QVERIFY(!d.lastSave.written());
        QVERIFY(d.prompts().value(0).contains(QStringLiteral("読み取り専用")));
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.save();
        QVERIFY(d.lastSave.written());
        QCOMPARE(fileBytes(path), QByteArray("new\r\n"));
        QCOMPARE(QFileInfo(path).permissions() & 0x7077, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }

    // A file dropped on the pane is opened as Open would, with Open's question first when there
    // are unsaved changes; dropped text is still inserted as text.
    void droppedFileIsOpened()
    {
        DocumentFixture d;
        d.form().show();
        writeFile(d.path(QStringLiteral("drop.html")), "<p>dropped</p>\r\n");
        d.edit(QStringLiteral("unsaved"));
        auto drop = [&](QMimeData *mime) {
            QWidget *target = d.pane().viewport();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDropEvent event(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
            QTest::qWait(20);
        };
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(d.path(QStringLiteral("drop.html")))});
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        drop(&files);
        QCOMPARE(d.prompts(), QStringList{SaveBeforeOpen});
        QCOMPARE(d.pane().Text(), QStringLiteral("<p>dropped</p>\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - drop.html"));

        QMimeData text;
        text.setText(QStringLiteral("typed "));
        drop(&text);
        QVERIFY(d.pane().Text().contains(QStringLiteral("typed ")));
    }
};

TAVRO_TEST_MAIN(TestDocuments)
#include "tst_documentcommands.moc"
