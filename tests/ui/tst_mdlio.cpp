// The bytes of document files through the open and save commands: encodings, line ends,
// round trips, and writes that fail without harming the file already there.
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace {




const QByteArray Nihongo = QByteArray::fromHex("93fa967b8cea");  // 日本語 in Shift_JIS
const QByteArray NihongoUtf8 = QStringLiteral("日本語").toUtf8();


// Makes a file or folder immutable for the test's lifetime (root ignores permission bits).
struct Immutable {
    QString path;
    bool ok = false;
    explicit Immutable(const QString &p) : path(p)
    {
        ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~Immutable()
    {
        if (ok)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path});
    }
};

} // namespace

class TestDocumentFiles : public QObject {
    Q_OBJECT
private slots:
    void exactBytesWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty pane") << QString() << QByteArray("\r\n");
        QTest::newRow("Japanese") << QStringLiteral("<p>日本語</p>\n～∥－")
                                  << QByteArray("<p>") + Nihongo + "</p>\r\n\x81\x60\x81\x61\x81\x7c\r\n";
        QTest::newRow("final break kept single") << QStringLiteral("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("blank last line") << QStringLiteral("a\n\n") << QByteArray("a\r\n\r\n");
    }

    void exactBytesWritten()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        DocumentFixture d;
        d.pane().SetText(text);
        d.saveAs(QStringLiteral("out.html"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("out.html"))), bytes);
        QCOMPARE(encodingLabel(d.lastSave.encoding), QStringLiteral("shift_jis"));
        QVERIFY(d.platform().messages.isEmpty());
    }

    void skeletonBytes()
    {
        DocumentFixture d;
        d.form().mnuNew_Click();
        d.saveAs(QStringLiteral("new.htm"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("new.html"))),
                 QByteArray("<html>\r\n<head>\r\n<title>\r\n\r\n</title>\r\n</head>\r\n<body>\r\n"
                            "\r\n\r\n\r\n</body>\r\n</html>\r\n"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - new.htm"));
    }

    // Open and save without an edit, twice: the same bytes each time, line ends and a missing
    // final line break included.
    void openSaveRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("final CR LF") << QByteArray("a\r\n") + Nihongo + "\r\n" << QByteArray("a\r\n") + Nihongo + "\r\n";
        QTest::newRow("no final break") << QByteArray("a\r\nb") << QByteArray("a\r\nb");
        QTest::newRow("LF") << QByteArray("a\n") + Nihongo + "\n" << QByteArray("a\n") + Nihongo + "\n";
        QTest::newRow("lone CR and lone LF") << QByteArray("a\rb\nc\r\n") << QByteArray("a\rb\nc\r\n");
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + NihongoUtf8 + "\r\n"
                                        << QByteArray("\xEF\xBB\xBF") + NihongoUtf8 + "\r\n";
        QTest::newRow("UTF-8 without BOM") << NihongoUtf8 + "\r\n" << NihongoUtf8 + "\r\n";
        QTest::newRow("ASCII") << QByteArray("<p>x</p>\r\n") << QByteArray("<p>x</p>\r\n");
    }

    void openSaveRoundTrips()
    {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, saved);
        DocumentFixture d;
        const QString path = d.path(QStringLiteral("doc.html"));
        writeFile(path, original);
        for (int round = 0; round < 2; ++round) {
            QVERIFY(d.open(QStringLiteral("doc.html")));
            QVERIFY(!d.doc().IsModified());
            d.save();
            QCOMPARE(fileBytes(path), saved);
        }
        QVERIFY(d.platform().messages.isEmpty());
        QCOMPARE(entries(d.dir()), QStringList({QStringLiteral(".config"), QStringLiteral("doc.html")}));
    }

    void typedBreakTakesTheFilesStyle()
    {
        DocumentFixture d;
        writeFile(d.path(QStringLiteral("lf.html")), "a\nb\r\nc\n");
        QVERIFY(d.open(QStringLiteral("lf.html")));
        d.pane().setSelStart(1);
        QTest::keyClick(&d.pane(), Qt::Key_Return);
        d.save();
        QCOMPARE(fileBytes(d.path(QStringLiteral("lf.html"))), QByteArray("a\n\nb\r\nc\n"));
        // A new document's are CR LF.
        d.form().mnuNew_Click();
        d.pane().SetText(QString());
        QTest::keyClicks(&d.pane(), QStringLiteral("x"));
        QTest::keyClick(&d.pane(), Qt::Key_Return);
        d.saveAs(QStringLiteral("new.html"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("new.html"))), QByteArray("x\r\n"));
    }

    void linesAsThePaneSeesThem()
    {
        DocumentFixture d;
        writeFile(d.path(QStringLiteral("a.html")), "a\r\nb");
        QVERIFY(d.open(QStringLiteral("a.html")));
        QCOMPARE(d.pane().Text(), QStringLiteral("a\nb"));
        writeFile(d.path(QStringLiteral("b.html")), "a\rb\nc");
        QVERIFY(d.open(QStringLiteral("b.html")));
        QCOMPARE(d.pane().Text(), QStringLiteral("a\nb\nc"));
        QCOMPARE(d.pane().document()->blockCount(), 3);
    }

    void declaredEncodingDecides()
    {
        DocumentFixture d;
        // A new document that declares UTF-8 is written as UTF-8.
        const QString utf8Page = QStringLiteral("<meta charset=\"utf-8\">日本語");
        d.pane().SetText(utf8Page);
        d.saveAs(QStringLiteral("u.html"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("u.html"))),
                 QByteArray("<meta charset=\"utf-8\">") + NihongoUtf8 + "\r\n");
        QCOMPARE(encodingLabel(d.lastSave.encoding), QStringLiteral("utf-8"));

        // A file read as UTF-8 whose page now says Shift_JIS is written as Shift_JIS.
        d.pane().SetText(QStringLiteral(
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">日本語"));
        d.save();
        QCOMPARE(fileBytes(d.path(QStringLiteral("u.html"))),
                 QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">")
                     + Nihongo + "\r\n");
        QCOMPARE(encodingLabel(d.lastSave.encoding), QStringLiteral("shift_jis"));
        QVERIFY(d.platform().messages.isEmpty());

        // A UTF-8 file with a byte-order mark that declares UTF-8 keeps its mark (and, as it
        // had none, gets no final line break).
        writeFile(d.path(QStringLiteral("bom.html")), QByteArray("\xEF\xBB\xBF<meta charset=utf-8>x"));
        QVERIFY(d.open(QStringLiteral("bom.html")));
        d.pane().SetText(d.pane().Text() + QStringLiteral("日本語"));
        d.save();
        QCOMPARE(fileBytes(d.path(QStringLiteral("bom.html"))),
                 QByteArray("\xEF\xBB\xBF<meta charset=utf-8>x") + NihongoUtf8);

        // New forgets the encoding: an undeclared new page is Shift_JIS again.
        d.form().mnuNew_Click();
        d.pane().SetText(QStringLiteral("日本語"));
        d.saveAs(QStringLiteral("n.html"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("n.html"))), Nihongo + "\r\n");
    }

    void unstorableCharactersAskFirst()
    {
        DocumentFixture d;
        const QString text = QStringLiteral("한국어 ☃ 日本語");
        d.pane().SetText(text);
        // No: nothing written, still modified, a pending exit withdrawn.
        d.doc().setExitRequested(true);
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.saveAs(QStringLiteral("k.html"));
        QCOMPARE(d.prompts().size(), 1);
        QVERIFY(d.prompts()[0].contains(QStringLiteral("UTF-8")));
        QVERIFY(d.prompts()[0].contains(QStringLiteral("「k.html」")));
        QCOMPARE(d.platform().messages[0].style.buttons, MsgButtons::YesNo);
        QVERIFY(!QFile::exists(d.path(QStringLiteral("k.html"))));
        QVERIFY(!d.doc().ExitRequested());
        QVERIFY(d.doc().IsModified());
        QVERIFY(!d.lastSave.written());
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("無題"));

        // Yes: UTF-8 without a byte-order mark; later saves need no question.
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.saveAs(QStringLiteral("k.html"));
        QCOMPARE(fileBytes(d.path(QStringLiteral("k.html"))), text.toUtf8() + "\r\n");
        QCOMPARE(encodingLabel(d.lastSave.encoding), QStringLiteral("utf-8"));
        QVERIFY(!d.doc().IsModified());
        d.pane().SetText(text + QStringLiteral("!"));
        d.save();
        QCOMPARE(d.prompts().size(), 2);
        QCOMPARE(fileBytes(d.path(QStringLiteral("k.html"))), text.toUtf8() + "!\r\n");
        // Reopened, it reads back as it was.
        QVERIFY(d.open(QStringLiteral("k.html")));
        QCOMPARE(d.pane().Text(), text + QStringLiteral("!\n"));
    }

    void unstorableInADeclaredShiftJisPageGetsAByteOrderMark()
    {
        DocumentFixture d;
        const QString text = QStringLiteral("<meta charset=\"Shift_JIS\">☃");
        d.pane().SetText(text);
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::Yes);
        d.saveAs(QStringLiteral("s.html"));
        QVERIFY(d.prompts()[0].contains(QStringLiteral("BOM")));
        QCOMPARE(fileBytes(d.path(QStringLiteral("s.html"))),
                 QByteArray("\xEF\xBB\xBF") + text.toUtf8() + "\r\n");
        // The mark decides from then on: the next save asks nothing.
        d.pane().SetText(text + QStringLiteral("x"));
        d.save();
        QCOMPARE(d.prompts().size(), 1);
        QCOMPARE(fileBytes(d.path(QStringLiteral("s.html"))),
                 QByteArray("\xEF\xBB\xBF") + text.toUtf8() + "x\r\n");
        QVERIFY(!d.doc().IsModified());
    }

    void invalidBytesOpenWithAWarning()
    {
        DocumentFixture d;
        // 0x81 0x20: a lead byte without its trail byte; no valid UTF-8 either.
        writeFile(d.path(QStringLiteral("bad.html")), QByteArray("a\x81 b") + Nihongo + "\r\n");
        QVERIFY(d.open(QStringLiteral("bad.html")));
        QCOMPARE(d.pane().Text(), QStringLiteral("a\uFFFD b日本語\n"));
        QCOMPARE(d.prompts().size(), 1);
        QVERIFY(d.prompts()[0].contains(QDir::toNativeSeparators(d.path(QStringLiteral("bad.html")))));
        QVERIFY(d.prompts()[0].contains(QStringLiteral("置き換え")));
        QCOMPARE(d.platform().messages[0].style, (MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}));
        QVERIFY(!d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - bad.html"));
    }

    void nulBytesAreRefused()
    {
        DocumentFixture d;
        d.pane().SetText(QStringLiteral("mine"));
        writeFile(d.path(QStringLiteral("bin.html")), QByteArray("<p>\0</p>", 8));
        d.platform().msgBoxAnswers.enqueue(MsgAnswer::No);
        d.platform().openAnswers.enqueue(d.path(QStringLiteral("bin.html")));
        d.form().mnuOpen_Click();
        QCOMPARE(d.prompts().size(), 2);
        QVERIFY(d.prompts()[1].contains(QStringLiteral("NUL")));
        QVERIFY(d.prompts()[1].contains(QDir::toNativeSeparators(d.path(QStringLiteral("bin.html")))));
        QCOMPARE(d.pane().Text(), QStringLiteral("mine"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - 無題 *"));
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("無題"));
        QVERIFY(d.doc().FilePath().isEmpty());
    }

    // A failed write: a message with the file and the reason; the old file, the document
    // state and the star stay; no temporary file is left; a pending exit is withdrawn.
    void failedWritesKeepEverything_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("read-only file") << "read-only file";
        QTest::newRow("folder vanished") << "folder vanished";
        QTest::newRow("full disk") << "full disk";
    }

    void failedWritesKeepEverything()
    {
        QFETCH(QString, how);
        DocumentFixture d;
        const QString folder = d.path(QStringLiteral("docs"));
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<Immutable> locked;
#ifdef Q_OS_LINUX
        struct Unmount {
            QByteArray at;
            ~Unmount() { if (!at.isEmpty()) umount2(at.constData(), MNT_DETACH); }
        } unmount;
        if (how == QStringLiteral("full disk")) {
            if (geteuid() != 0)
                QSKIP("mounting a small file system needs root");
            if (mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("cannot mount a tmpfs here");
            unmount.at = QFile::encodeName(folder);
        }
#else
        if (how == QStringLiteral("full disk"))
            QSKIP("needs a small file system");
#endif
        const QString path = folder + QStringLiteral("/page.html");
        writeFile(path, "old\r\n");
        QVERIFY(d.open(QStringLiteral("docs/page.html")));
        const QString text = how == QStringLiteral("full disk") ? QString(1 << 20, u'x')
                                                                : QStringLiteral("new");
        d.pane().SetText(text);

        if (how == QStringLiteral("read-only file") || how == QStringLiteral("read-only folder")) {
            const QString target = how == QStringLiteral("read-only file") ? path : folder;
            if (geteuid() == 0) {
                locked = std::make_unique<Immutable>(target);
                if (!locked->ok)
                    QSKIP("chattr +i is not available here");
            } else {
                QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
            }
        } else if (how == QStringLiteral("folder vanished")) {
            QVERIFY(QDir(folder).removeRecursively());
        }

        d.doc().setExitRequested(true);
        d.save();
        QCOMPARE(d.prompts().size(), 1);
        const QString report = d.prompts()[0];
        QVERIFY2(report.contains(QDir::toNativeSeparators(path)), qPrintable(report));
        const QStringList lines = report.split(u'\n');
        QVERIFY2(lines.size() >= 2 && !lines.last().trimmed().isEmpty(), qPrintable(report));
        QVERIFY(!d.lastSave.written());
        QVERIFY(!d.doc().ExitRequested());
        QVERIFY(d.doc().IsModified());
        QCOMPARE(d.title(), QStringLiteral("Tavro - page.html *"));
        QCOMPARE(d.doc().FilePath(), path);
        if (how == QStringLiteral("folder vanished")) {
            QVERIFY(!QFileInfo::exists(folder));
        } else {
            QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
            QCOMPARE(entries(folder), QStringList{QStringLiteral("page.html")});
        }
        if (!locked && (how == QStringLiteral("read-only file") || how == QStringLiteral("read-only folder")))
            QFile::setPermissions(how == QStringLiteral("read-only file") ? path : folder,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void failedSaveAsKeepsTheDocumentsFile()
    {
        DocumentFixture d;
        writeFile(d.path(QStringLiteral("a.html")), "a\r\n");
        QVERIFY(d.open(QStringLiteral("a.html")));
        d.pane().SetText(QStringLiteral("edited"));
        d.saveAs(QStringLiteral("gone/b.html"));
        QCOMPARE(d.prompts().size(), 1);
        QVERIFY(d.prompts()[0].contains(QDir::toNativeSeparators(d.path(QStringLiteral("gone/b.html")))));
        // Save still means the document's own file.
        QCOMPARE(d.doc().FilePath(), d.path(QStringLiteral("a.html")));
        QCOMPARE(d.doc().FileTitle(), QStringLiteral("a.html"));
        QCOMPARE(d.title(), QStringLiteral("Tavro - a.html *"));
        d.save();
        QCOMPARE(fileBytes(d.path(QStringLiteral("a.html"))), QByteArray("edited\r\n"));
    }

    void keepsPermissionsOfTheReplacedFile()
    {
        DocumentFixture d;
        const QString path = d.path(QStringLiteral("p.html"));
        writeFile(path, "old\r\n");
        const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther
            | QFile::ReadUser | QFile::WriteUser;
        QVERIFY(QFile::setPermissions(path, perms));
        QVERIFY(d.open(QStringLiteral("p.html")));
        d.pane().SetText(QStringLiteral("new"));
        d.save();
        QCOMPARE(fileBytes(path), QByteArray("new\r\n"));
        QCOMPARE(QFile::permissions(path), perms);
    }
};

TAVRO_TEST_MAIN(TestDocumentFiles)
#include "tst_mdlio.moc"
