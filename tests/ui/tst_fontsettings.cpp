// The editor font: fn.dat read and applied at start-up, written back with the values read
// then, and the font command that changes the pane for the rest of the run only.
#include "app/FontSettings.h"
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "view/MDL.h"

#include <algorithm>

#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QTimer>
#include <QStringEncoder>

namespace {

QByteArray sjis(const QString &s)
{
    QStringEncoder enc("Shift_JIS");
    return enc(s);
}

QByteArray readFnDat()
{
    QFile f(fontSettingsPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QFont fontOf(const QString &family, double size, bool bold, bool italic)
{
    QFont f(family);
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

class TestFontSettings : public QObject {
    Q_OBJECT
private slots:
    void startUpAppliesTheStoredFontAndWritesItBack()
    {
        const QByteArray stored = sjis(QStringLiteral("\"IPAGothic\"\r\n20\r\n#TRUE#\r\n#FALSE#\r\n"));
        MainFormFixture f(stored);
        const QFont font = txtHTML(f.form())->font();
        QCOMPARE(font.family(), QStringLiteral("IPAGothic"));
        QCOMPARE(font.pointSizeF(), 20.0);
        QVERIFY(font.bold());
        QVERIFY(!font.italic());
        QCOMPARE(readFnDat(), stored);
        QVERIFY(!f.doc().IsModified());
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - 無題"));
    }

    void otherAcceptedFormsAreRewrittenCanonically()
    {
        const QByteArray stored = sjis(QStringLiteral("  \"ＭＳ Ｐゴシック\", 10.5 ,#FALSE#,  #TRUE#\r\n"));
        MainFormFixture f(stored);
        const QFont font = txtHTML(f.form())->font();
        QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(font.pointSizeF(), 10.5);
        QVERIFY(font.italic());
        QCOMPARE(readFnDat(), sjis(QStringLiteral("\"ＭＳ Ｐゴシック\"\r\n10.5\r\n#FALSE#\r\n#TRUE#\r\n")));
    }

    void unusableFilesLeaveTheDesignFontAndAreMadeAnew_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("stored");
        QTest::newRow("missing") << std::optional<QByteArray>();
        QTest::newRow("empty") << std::optional<QByteArray>(QByteArray());
        QTest::newRow("truncated") << std::optional<QByteArray>("\"IPAGothic\"\r\n20\r\n");
        QTest::newRow("name split by a comma")
            << std::optional<QByteArray>("IPA,Gothic\r\n20\r\n#TRUE#\r\n#FALSE#\r\n");
        QTest::newRow("size zero") << std::optional<QByteArray>("\"IPAGothic\"\r\n0\r\n#TRUE#\r\n#FALSE#\r\n");
        QTest::newRow("size negative") << std::optional<QByteArray>("\"IPAGothic\"\r\n-3\r\n#TRUE#\r\n#FALSE#\r\n");
        QTest::newRow("size absurd") << std::optional<QByteArray>("\"IPAGothic\"\r\n1e9\r\n#TRUE#\r\n#FALSE#\r\n");
        QTest::newRow("flags swapped for text")
            << std::optional<QByteArray>("\"IPAGothic\"\r\n20\r\nyes\r\nno\r\n");
        QTest::newRow("binary") << std::optional<QByteArray>(QByteArray("\x00\xff\x81\"", 4));
        QTest::newRow("far too large")
            << std::optional<QByteArray>("\"IPAGothic\"\r\n20\r\n#TRUE#\r\n#FALSE#\r\n" + QByteArray(1 << 20, ' '));
    }
    void unusableFilesLeaveTheDesignFontAndAreMadeAnew()
    {
        QFETCH(std::optional<QByteArray>, stored);
        MainFormFixture f(stored);
        const QFont font = txtHTML(f.form())->font();
        QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(font.pointSizeF(), 12.0);
        QVERIFY(!font.bold() && !font.italic());
        QCOMPARE(readFnDat(), sjis(QStringLiteral("\"ＭＳ Ｐゴシック\"\r\n12\r\n#FALSE#\r\n#FALSE#\r\n")));
        QVERIFY(f.platform().messages.isEmpty());
    }

    void fontCommandChangesThePaneOnly()
    {
        const QByteArray stored = sjis(QStringLiteral("\"IPAGothic\"\r\n20\r\n#TRUE#\r\n#FALSE#\r\n"));
        MainFormFixture f(stored);
        txtHTML(f.form())->SetText(QStringLiteral("<p>abc</p>"));
        f.doc().setModified(false);
        const QString title = f.form().windowTitle();

        // Cancel: nothing changes; the dialog was offered the pane's font.
        f.platform().fontAnswers.enqueue(std::nullopt);
        f.form().mnuFont_Click();
        QCOMPARE(f.platform().fontRequests.size(), 1);
        QCOMPARE(f.platform().fontRequests[0].family(), QStringLiteral("IPAGothic"));
        QCOMPARE(f.platform().fontRequests[0].pointSizeF(), 20.0);
        QVERIFY(f.platform().fontRequests[0].bold());
        QCOMPARE(txtHTML(f.form())->font().family(), QStringLiteral("IPAGothic"));

        f.platform().fontAnswers.enqueue(fontOf(QStringLiteral("IPAMincho"), 14, false, true));
        f.form().mnuFont_Click();
        const QFont font = txtHTML(f.form())->font();
        QCOMPARE(font.family(), QStringLiteral("IPAMincho"));
        QCOMPARE(font.pointSizeF(), 14.0);
        QVERIFY(!font.bold());
        QVERIFY(font.italic());
        QVERIFY(!f.doc().IsModified());
        QCOMPARE(f.form().windowTitle(), title);
        QCOMPARE(readFnDat(), stored);  // the command does not touch the settings file

        // A save rewrites the values read at start-up, not the chosen font.
        QFile::remove(fontSettingsPath());
        f.form().fontSettings().SaveFontSettings(&f.form());
        QCOMPARE(readFnDat(), stored);
    }

    void fontDialogStartsAtThePaneFontAndOkKeepsIt_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("design font") << QStringLiteral("ＭＳ Ｐゴシック") << 12.0 << false << false;
        QTest::newRow("10.5 bold") << QStringLiteral("ＭＳ Ｐゴシック") << 10.5 << true << false;
        QTest::newRow("italic") << QStringLiteral("IPAGothic") << 9.0 << false << true;
        // A face with many styles: the list selects the one drawn as bold and italic say.
        QTest::newRow("bold, many styles") << QStringLiteral("DejaVu Sans") << 12.0 << true << false;
        QTest::newRow("italic, many styles") << QStringLiteral("DejaVu Sans") << 12.0 << false << true;
    }
    void fontDialogStartsAtThePaneFontAndOkKeepsIt()
    {
        // The program's own dialog, read and answered as the user would.
        QFETCH(QString, stored);
        QFETCH(double, size);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        const auto flag = [](bool b) { return b ? "#TRUE#" : "#FALSE#"; };
        MainFormFixture f(sjis(QStringLiteral("\"%1\"\r\n%2\r\n%3\r\n%4\r\n")
                                            .arg(stored).arg(size).arg(flag(bold), flag(italic))));
        setPlatform(nullptr);
        const QFont before = txtHTML(f.form())->font();
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto *dlg = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            for (QLineEdit *field : dlg->findChildren<QLineEdit *>())
                if (field->isVisible())
                    seen << field->text();
            for (const char *box : {"bold", "italic"}) {
                const auto *b = dlg->findChild<QCheckBox *>(QLatin1String(box));
                seen << (b ? QString::number(b->isChecked()) : QStringLiteral("no box"));
            }
            dlg->accept();
        });
        f.form().mnuFont_Click();
        setPlatform(&f.platform());
        // Face (the installed one that shows the stored name), style, size, bold, italic.
        QCOMPARE(seen.value(0), QFontInfo(before).family());
        QCOMPARE(seen.value(2), QString::number(size));
        QCOMPARE(seen.mid(3), QStringList({QString::number(bold), QString::number(italic)}));
        const QString face = seen.value(0), style = seen.value(1);
        const auto drawsAsStored = [&](const QString &s) {
            return (QFontDatabase::weight(face, s) >= QFont::Bold) == bold && QFontDatabase::italic(face, s) == italic;
        };
        const QStringList styles = QFontDatabase::styles(face);
        if (std::any_of(styles.begin(), styles.end(), drawsAsStored))
            QVERIFY2(drawsAsStored(style), qPrintable(style));
        const QFont after = txtHTML(f.form())->font();
        QCOMPARE(after.family(), stored);
        QCOMPARE(after.pointSizeF(), size);
        QCOMPARE(after.weight(), before.weight());
        QCOMPARE(after.italic(), italic);
    }

    void aFailedSettingsWriteIsReportedOnceAndStartUpGoesOn()
    {
        // A folder where the file should be: the write cannot succeed.
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/fn.dat/blocked")));
        ScopedScriptedPlatform scripted;
        frmMain form;
        QCOMPARE(scripted.platform.messages.size(), 1);
        QVERIFY(scripted.platform.messages[0].prompt.contains(QStringLiteral("fn.dat")));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tavro - 無題"));
        QVERIFY(!form.fontSettings().SaveFontSettings(&form));
        QCOMPARE(scripted.platform.messages.size(), 2);
    }
};

TAVRO_TEST_MAIN(TestFontSettings)
#include "tst_fontsettings.moc"
