// Recovery offered at the next start, with the main window: what is offered, what a Yes and a No
// do, and when the recovery file goes.
#include "app/core/Recovery.h"
#include "app/DocumentCommands.h"
#include "support/Files.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>

class TestRecoveryOffer : public QObject {
    Q_OBJECT
private slots:
    // The unsaved text of an editor that did not end normally is offered at the next start;
    // a running editor's text is never taken.
    void recoveryOffersTheTextOfAnEditorThatDied()
    {
        DocumentFixture d;
        const QString folder = RecoveryStore::defaultFolder();
        QVERIFY(folder.startsWith(d.dir()));
        RecoveryStore running(folder);
        running.keep({QStringLiteral("alive"), QString(), QStringLiteral("無題"), std::nullopt, std::nullopt});
        running.flush();
        QVERIFY(QFile::exists(running.fileName()));
        DocumentContext c = d.form().context();
        DocumentCommands::offerRecovery(c, d.form().recovery());
        QVERIFY(d.prompts().isEmpty());

        // A file nobody holds: an editor that was killed.
        const RecoveredDocument lost{QStringLiteral("<p>lost 日本語</p>\n"), d.path(QStringLiteral("p.html")),
                                     QStringLiteral("p.htm"), TextEncoding::Utf8, std::nullopt,
                                     LineBreak::Lf};
        writeFile(QDir(folder).filePath(QStringLiteral("dead.recovery")), formatRecovery(lost));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        DocumentCommands::offerRecovery(c, d.form().recovery());
        QVERIFY(d.prompts().value(0).contains(QStringLiteral("p.htm")));
        QCOMPARE(d.pane().Text(), lost.text);
        QCOMPARE(d.title(), QStringLiteral("Tavro - p.htm *"));
        QCOMPARE(d.doc().FilePath(), lost.path);
        QVERIFY(!QFile::exists(QDir(folder).filePath(QStringLiteral("dead.recovery"))));
        QVERIFY(QFile::exists(d.form().recovery().fileName()));  // kept by this editor now

        // Saving ends the need: the file goes. So does a No at the offer.
        d.save();
        QVERIFY(d.lastSave.written());
        QCOMPARE(fileBytes(lost.path), lost.text.toUtf8());  // the file's encoding and line ends
        QVERIFY(!QFile::exists(d.form().recovery().fileName()));
        writeFile(QDir(folder).filePath(QStringLiteral("dead2.recovery")), formatRecovery(lost));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        DocumentCommands::offerRecovery(c, d.form().recovery());
        QVERIFY(!QFile::exists(QDir(folder).filePath(QStringLiteral("dead2.recovery"))));
        QCOMPARE(d.pane().Text(), lost.text);
        running.discard();
        QVERIFY(!QFile::exists(running.fileName()));
    }
};

TAVRO_TEST_MAIN(TestRecoveryOffer)
#include "tst_recoveryoffer.moc"
