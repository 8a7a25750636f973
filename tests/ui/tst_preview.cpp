// The preview: F5 saves the document and the preview pane shows the file as just written.
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "view/MDL.h"
#include "view/Preview.h"
#include "view/PreviewPage.h"
#include "view/PreviewFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <QImage>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

constexpr int LoadTimeout = 20000;

// Waits for the next finished load (the spy counts loadFinished) and answers whether it succeeded.
bool waitLoaded(QSignalSpy &spy, int before)
{
    if (!QTest::qWaitFor([&] { return spy.size() > before; }, LoadTimeout))
        return false;
    return spy.at(before).at(0).toBool();
}

QString pageText(QWebEngineView &web)
{
    QString text;
    bool done = false;
    web.page()->toPlainText([&](const QString &t) { text = t; done = true; });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        qWarning("no page text within the timeout");
    return text;
}

QVariant runScript(QWebEngineView &web, const QString &script)
{
    QVariant result;
    bool done = false;
    web.page()->runJavaScript(script, [&](const QVariant &v) { result = v; done = true; });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        qWarning("no script result within the timeout");
    return result;
}

// A document that has a file: the state a completed open or save leaves.
void giveFile(MainFormFixture &f, const QString &name, const QString &text)
{
    f.doc().setFile(f.path(name), name, TextEncoding::ShiftJis);
    txtHTML(f.form())->SetText(text);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The stored page at name, shown as F5 shows it; answers whether it loaded.
bool showPage(MainFormFixture &f, const QString &name, const QByteArray &html)
{
    writeFile(f.path(name), html);
    QSignalSpy loaded(Web(f.form()), &QWebEngineView::loadFinished);
    Preview::showStoredFile(*Web(f.form()), f.path(name), QStringLiteral("utf-8"));
    return waitLoaded(loaded, 0);
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void f5ShowsTheFileAsJustWritten()
    {
        MainFormFixture f;
        f.showActive();
        QImage picture(7, 5, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(f.path(QStringLiteral("pic.png"))));
        giveFile(f, QStringLiteral("page.html"),
                 QStringLiteral("<html><body><p>最初の版 first</p><img src=\"pic.png\"></body></html>"));
        QWebEngineView &web = *Web(f.form());
        QSignalSpy loaded(&web, &QWebEngineView::loadFinished);

        QTest::keyClick(txtHTML(f.form()), Qt::Key_F5);
        QVERIFY(waitLoaded(loaded, 0));
        QCOMPARE(web.url(), Preview::addressOf(f.doc().FilePath()));
        QCOMPARE(web.settings()->defaultTextEncoding(), encodingLabel(*f.doc().encoding()));
        QVERIFY(!f.doc().IsModified());
        QCOMPARE(f.form().windowTitle(), QStringLiteral("Tavro - page.html"));
        // No charset declared: the Japanese text still reads as Japanese.
        QVERIFY2(pageText(web).contains(QStringLiteral("最初の版 first")), qPrintable(pageText(web)));
        // The picture was found beside the file.
        QCOMPARE(runScript(web, QStringLiteral("document.images[0].naturalWidth")).toInt(), 7);

        // Edit (and change the picture), preview again: the same address now shows both
        // changes, not a cached page.
        picture = QImage(9, 5, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(f.path(QStringLiteral("pic.png"))));
        txtHTML(f.form())->SetText(
            QStringLiteral("<html><body><p>二番目 second</p><img src=\"pic.png\"></body></html>"));
        QTest::keyClick(txtHTML(f.form()), Qt::Key_F5);
        QVERIFY(waitLoaded(loaded, 1));
        QCOMPARE(web.url(), Preview::addressOf(f.doc().FilePath()));
        const QString text = pageText(web);
        QVERIFY2(text.contains(QStringLiteral("二番目 second")), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("first")));
        QCOMPARE(runScript(web, QStringLiteral("document.images[0].naturalWidth")).toInt(), 9);
    }

    // A page gets two dialogs per load the user started, in Japanese, titled Tavro; later ones
    // answer by themselves (Cancel, nothing), and the next F5 gives the page two again.
    void scriptDialogsStopAfterTwo()
    {
        MainFormFixture f;
        f.showActive();
        f.platform().msgBoxAnswers.enqueue(MsgAnswer::OK);
        f.platform().inputAnswers.enqueue(QStringLiteral("答え"));
        QVERIFY(showPage(f, QStringLiteral("d.html"), "<p>dialogs</p>"));
        QWebEngineView &web = *Web(f.form());
        const QString script = QStringLiteral(
            "[confirm('one'), prompt('two', 'x'), alert('three'), confirm('four'), prompt('five')]");
        QCOMPARE(runScript(web, script).toList(),
                 QVariantList({true, QStringLiteral("答え"), QVariant(), false, QVariant()}));
        QCOMPARE(f.platform().messages.size(), 1);
        QCOMPARE(f.platform().inputs.size(), 1);
        QCOMPARE(f.platform().messages[0].title, QStringLiteral("Tavro"));
        QCOMPARE(f.platform().inputs[0].title, QStringLiteral("Tavro"));
        QVERIFY(f.platform().messages[0].prompt.contains(QStringLiteral("メッセージ")));
        QVERIFY(f.platform().messages[0].prompt.contains(QStringLiteral("one")));

        // Reloading by script is not a load the user started; F5 is.
        runScript(web, QStringLiteral("location.reload()"));
        QTest::qWait(500);
        runScript(web, QStringLiteral("alert('six')"));
        QCOMPARE(f.platform().messages.size(), 1);
        QVERIFY(showPage(f, QStringLiteral("d2.html"), "<p>again</p>"));
        runScript(web, QStringLiteral("alert('seven')"));
        QCOMPARE(f.platform().messages.size(), 2);
    }

    // A page that asks before it is left asks in Japanese; the answer decides.
    void leavingAPageAsksInJapanese()
    {
        MainFormFixture f;
        f.showActive();
        QVERIFY(showPage(f, QStringLiteral("stay.html"),
                         "<script>onbeforeunload = e => { e.preventDefault(); e.returnValue = ''; }</script>"));
        QWebEngineView &web = *Web(f.form());
        QTest::qWait(300);
        QTest::mouseClick(web.focusProxy(), Qt::LeftButton);  // the engine asks only after a click
        f.platform().msgBoxAnswers.enqueue(MsgAnswer::Cancel);
        f.platform().msgBoxAnswers.enqueue(MsgAnswer::OK);
        for (const QString &expected : {QStringLiteral("stay.html"), QStringLiteral("next.html")}) {
            writeFile(f.path(QStringLiteral("next.html")), "<p>next</p>");
            Preview::showStoredFile(web, f.path(QStringLiteral("next.html")), QString());
            QTest::qWait(1500);
            QCOMPARE(web.url(), Preview::addressOf(f.path(expected)));
        }
        QCOMPARE(f.platform().messages.size(), 2);
        QVERIFY2(f.platform().messages[0].prompt.contains(QStringLiteral("移動しますか")),
                 qPrintable(f.platform().messages[0].prompt));
    }

    // A click on a local link shows the page; a click on a web link the page's source holds
    // hands it to the browser. Any other web address asks first (answered here with Yes or No);
    // other schemes, and local pages no one clicked, go nowhere else.
    void linksAndNavigation_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("how");          // "click", "script" (a.click()) or "built" by script
        QTest::addColumn<QString>("answer");       // "Yes" or "No" to the question, if one is asked
        QTest::addColumn<QString>("shownFile");    // the page shown afterwards
        QTest::addColumn<QString>("browserUrl");   // what the browser was given, if anything
        QTest::addColumn<int>("questions");
        const QString web = QStringLiteral("https://example.invalid/x?a=1&b=2");
        QTest::newRow("local link") << "next.html" << "click" << "" << "next.html" << "" << 0;
        QTest::newRow("web link") << web << "click" << "" << "links.html" << web << 0;
        QTest::newRow("other scheme") << "evilscheme://run?arg=--x" << "click" << "" << "links.html" << "" << 0;
        QTest::newRow("script to the web, No") << web << "script" << "No" << "links.html" << "" << 1;
        QTest::newRow("script to the web, Yes") << web << "script" << "Yes" << "links.html" << web << 1;
        QTest::newRow("built address clicked, No") << web << "built" << "No" << "links.html" << "" << 1;
        QTest::newRow("script to a local page") << "next.html" << "script" << "" << "next.html" << "" << 0;
    }
    void linksAndNavigation()
    {
        QFETCH(QString, href);
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QString, shownFile);
        QFETCH(QString, browserUrl);
        QFETCH(int, questions);
        MainFormFixture f;
        f.showActive();
        if (!answer.isEmpty())
            f.platform().msgBoxAnswers.enqueue(answer == u"Yes" ? MsgAnswer::Yes : MsgAnswer::No);
        writeFile(f.path(QStringLiteral("next.html")), "<p>next page</p>");
        // A built address is made by script, and the source holds only its halves.
        const QString source = how == u"built"
            ? QStringLiteral("<a id=a style='position:fixed;inset:0'>x</a><script>a.href = '%1' + '%2'</script>")
                  .arg(href.left(10), href.mid(10))
            : QStringLiteral("<a id=a href='%1' style='position:fixed;inset:0'>x</a>").arg(href.toHtmlEscaped());
        QVERIFY(showPage(f, QStringLiteral("links.html"), source.toUtf8()));
        QWebEngineView &web = *Web(f.form());
        if (how == u"script") {
            runScript(web, QStringLiteral("document.getElementById('a').click()"));
        } else {
            QTest::qWait(300);  // the pane has painted and takes input
            QWidget *input = web.focusProxy();
            QSignalSpy hovered(web.page(), &QWebEnginePage::linkHovered);
            // The engine tells which link is under the pointer, as it does for a person.
            for (int i = 0; i < 20 && hovered.isEmpty(); ++i) {
                QTest::mouseMove(input, input->rect().center() + QPoint(i % 2, 0));
                QTest::qWait(100);
            }
            QVERIFY(!hovered.isEmpty());
            QTest::mouseClick(input, Qt::LeftButton, {}, input->rect().center());
        }
        QTest::qWait(1500);
        QCOMPARE(web.url(), Preview::addressOf(f.path(shownFile)));
        QCOMPARE(f.platform().browserUrls, browserUrl.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(browserUrl)});
        QCOMPARE(f.platform().messages.size(), questions);
        if (questions) {
            const auto &asked = f.platform().messages[0];
            QVERIFY2(asked.prompt.contains(QUrl(href).toEncoded()), qPrintable(asked.prompt));
            QCOMPARE(asked.style, (MsgStyle{MsgButtons::YesNo, MsgIcon::Question, true}));
        }
    }

    // Whether a page's source writes an address out in full.
    void sourceHoldsTheWholeAddress_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("holds");
        QTest::newRow("quoted") << QByteArray("<a href=\"http://a.example/p?q=1\">") << "http://a.example/p?q=1" << true;
        QTest::newRow("entity") << QByteArray("<a href='http://a.example/?x=1&amp;y=2'>") << "http://a.example/?x=1&y=2" << true;
        QTest::newRow("no slash") << QByteArray("<a href=http://a.example>") << "http://a.example/" << true;
        QTest::newRow("longer in source") << QByteArray("'http://a.example/p?q=1'") << "http://a.example/p" << false;
        QTest::newRow("data added") << QByteArray("'http://a.example/p'") << "http://a.example/p?d=secret" << false;
        QTest::newRow("in halves") << QByteArray("'http://a.' + 'example/p'") << "http://a.example/p" << false;
    }
    void sourceHoldsTheWholeAddress()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, address);
        QFETCH(bool, holds);
        QCOMPARE(Preview::sourceHasAddress(source, QUrl(address)), holds);
    }

    // The preview's server serves regular files with their type, to the engine's own loads
    // only, each answer a sandbox; its addresses map back to the files.
    void serverAnswersPageLoadsOnly()
    {
        QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("ページ #1%.html"));
        writeFile(page, "<p>x</p>");
        const QUrl address = Preview::addressOf(page);
        QCOMPARE(Preview::fileOf(address), page);
        QCOMPARE(Preview::fileOf(QUrl::fromLocalFile(page)), QString());
        QUrl otherPort = address;
        otherPort.setPort(address.port() + 1);
        QCOMPARE(Preview::fileOf(otherPort), QString());
        QCOMPARE(Preview::fileOf(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(address.port()).arg(page))), QString());

        const auto ask = [&](const QByteArray &dest, const QString &path = {}, const QByteArray &method = "GET",
                             const QByteArray &range = {}) {
            Preview::PageRequest request{method, Preview::addressOf(path.isEmpty() ? page : path).toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority), {}};
            request.headers.insert("host", Preview::serverHostPort());
            if (!dest.isNull())
                request.headers.insert("sec-fetch-dest", dest);
            if (!range.isEmpty())
                request.headers.insert("range", range);
            return Preview::PageFiles::answer(request);
        };
        Preview::PageAnswer shown = ask("document");
        QCOMPARE(shown.status, 200);
        QVERIFY(shown.headers.contains("Content-Type: text/html"));
        QVERIFY(shown.headers.contains("X-Content-Type-Options: nosniff"));
        QVERIFY(std::any_of(shown.headers.begin(), shown.headers.end(), [](const QByteArray &h) {
            return h.startsWith("Content-Security-Policy: sandbox") && !h.contains("allow-same-origin");
        }));
        QVERIFY(!shown.headers.join().contains("Access-Control"));
        QCOMPARE(shown.body->readAll(), QByteArray("<p>x</p>"));
        QVERIFY(!ask("font").headers.join().contains("Access-Control"));  // a page is no font
        const QString font = dir.filePath(QStringLiteral("own.woff2"));
        writeFile(font, "wOF2");
        QVERIFY(ask("font", font).headers.contains("Access-Control-Allow-Origin: *"));
        Preview::PageAnswer part = ask("video", {}, "GET", "bytes=3-");
        QCOMPARE(part.status, 206);
        QCOMPARE(part.offset, 3);
        QCOMPARE(part.length, 5);
        QCOMPARE(ask("video", {}, "GET", "bytes=9-").status, 416);
        // Script reads, other callers and other methods are refused before a file is opened.
        for (const QByteArray &dest : {QByteArray("empty"), QByteArray()})
            QCOMPARE(ask(dest).status, 403);
        QCOMPARE(ask("document", {}, "POST").status, 405);
        Preview::PageRequest elsewhere{"GET", "/" + address.path().section(u'/', 1, 1).toLatin1() + "/etc/hostname", {{"host", "localhost"}, {"sec-fetch-dest", "document"}}};
        QCOMPARE(Preview::PageFiles::answer(elsewhere).status, 403);

        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &refused : {fifo, dir.path(), QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("none"))})
            QVERIFY2(ask("iframe", refused).status == 404, qPrintable(refused));
    }

    // A page's title becomes a short plain-text tooltip, and stays so when set again.
    void tooltipsAreShortPlainText()
    {
        const QString wrap = QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>");
        const QString huge = wrap.arg(QString(3'000'000, u'a') + QStringLiteral("&lt;"));
        const QString cut = Preview::shortToolTip(huge);
        QCOMPARE(cut, wrap.arg(QString(Preview::PreviewView::LongestToolTip, u'a') + u'…'));
        QCOMPARE(Preview::shortToolTip(cut), cut);
        QCOMPARE(Preview::shortToolTip(QStringLiteral("<img src=x>")), wrap.arg(QStringLiteral("&lt;img src=x&gt;")));
    }

    // The profile keeps nothing and grants nothing a page asks for.
    void nothingKeptNothingGranted()
    {
        MainFormFixture f;
        f.showActive();
        QVERIFY(showPage(f, QStringLiteral("ask.html"), "<p>asking</p>"));
        QWebEngineView &web = *Web(f.form());
        QVERIFY(web.page()->profile()->isOffTheRecord());
        QCOMPARE(web.page()->profile()->httpCacheType(), QWebEngineProfile::NoCache);
        runScript(web, QStringLiteral(
            "window.r = [];"
            "const ask = f => { try { f(); } catch (e) { r.push('no'); } };"  // absent counts as refused
            "ask(() => navigator.geolocation.getCurrentPosition(() => r.push('geolocation granted'), () => r.push('no')));"
            "ask(() => Notification.requestPermission().then(p => r.push(p == 'granted' ? 'notifications granted' : 'no')));"
            "ask(() => navigator.mediaDevices.getUserMedia({audio: true}).then(() => r.push('media granted'), () => r.push('no')));"
            "ask(() => navigator.clipboard.readText().then(() => r.push('clipboard granted'), () => r.push('no')));"));
        QTRY_COMPARE_WITH_TIMEOUT(runScript(web, QStringLiteral("r.length")).toInt(), 4, LoadTimeout);
        QCOMPARE(runScript(web, QStringLiteral("r.filter(x => x != 'no').join()")).toString(), QString());
    }

    // Back from browser priority, typing goes into the text again.
    void leavingBrowserPriorityFocusesTheText()
    {
        MainFormFixture f;
        f.showActive();
        txtHTML(f.form())->setFocus();
        f.form().mnuBrouser_Click();
        QTRY_VERIFY(Web(f.form())->hasFocus());
        f.form().mnuNormal_Click();
        QTRY_VERIFY(txtHTML(f.form())->hasFocus());
        f.form().mnuBrouser_Click();
        f.form().mnuDText_Click();
        QTRY_VERIFY(txtHTML(f.form())->hasFocus());
    }

    // A page whose script never ends, or whose renderer died, does not keep F5 from showing
    // the next page.
    void stuckOrCrashedPageIsReplaced()
    {
        MainFormFixture f;
        f.showActive();
        QWebEngineView &web = *Web(f.form());
        QVERIFY(showPage(f, QStringLiteral("hang.html"),
                         "<script>setTimeout(function () { while (true) {} }, 50)</script>"));
        QTest::qWait(300);
        QVERIFY(showPage(f, QStringLiteral("after.html"), "<p>after the hang</p>"));
        QVERIFY(pageText(web).contains(QStringLiteral("after the hang")));

        web.page()->load(QUrl(QStringLiteral("chrome://crash")));
        QTest::qWait(1000);
        QVERIFY(showPage(f, QStringLiteral("crash.html"), "<p>after the crash</p>"));
        QVERIFY(pageText(web).contains(QStringLiteral("after the crash")));
    }

    void shiftJisPageWithoutCharsetReadsAsJapanese()
    {
        MainFormFixture f;
        f.form().show();
        // 日本語の文章 in Shift_JIS, no charset declaration anywhere.
        const QByteArray bytes = QByteArray("<html><body><p>")
            + QByteArray::fromHex("93fa967b8cea82cc95b68fcd") + "</p></body></html>\r\n";
        const QString path = f.path(QStringLiteral("sjis.html"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        QWebEngineView &web = *Web(f.form());
        QSignalSpy loaded(&web, &QWebEngineView::loadFinished);
        Preview::showStoredFile(web, path, QStringLiteral("shift_jis"));
        QVERIFY(waitLoaded(loaded, 0));
        QCOMPARE(web.settings()->defaultTextEncoding(), QStringLiteral("shift_jis"));
        const QString text = pageText(web);
        QVERIFY2(text.contains(QStringLiteral("日本語の文章")), qPrintable(text));
    }

    void textPriorityLoadsIntoTheHiddenPane()
    {
        MainFormFixture f;
        f.form().show();
        giveFile(f, QStringLiteral("hidden.html"), QStringLiteral("<p>loaded while hidden</p>"));
        f.form().mnuDText_Click();
        QWebEngineView &web = *Web(f.form());
        QSignalSpy loaded(&web, &QWebEngineView::loadFinished);

        f.form().mnuWeb_Click();
        QVERIFY(waitLoaded(loaded, 0));
        QVERIFY(WebPane(f.form())->isHidden());
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);
        QCOMPARE(web.url(), Preview::addressOf(f.doc().FilePath()));
        QVERIFY(pageText(web).contains(QStringLiteral("loaded while hidden")));

        // Back in normal mode the page is there, without loading again.
        f.form().mnuNormal_Click();
        QVERIFY(web.isVisible());
        QCOMPARE(web.url(), Preview::addressOf(f.doc().FilePath()));
        QVERIFY(pageText(web).contains(QStringLiteral("loaded while hidden")));
        QCOMPARE(loaded.size(), 1);
    }

    void withoutAWrittenFileThePaneStaysAsItWas()
    {
        MainFormFixture f;
        f.form().show();
        QWebEngineView &web = *Web(f.form());
        QSignalSpy started(&web, &QWebEngineView::loadStarted);
        QSignalSpy loaded(&web, &QWebEngineView::loadFinished);

        // Untitled, nothing ever chosen: the save dialog is cancelled and the path is empty.
        txtHTML(f.form())->SetText(QStringLiteral("<p>never stored</p>"));
        f.form().mnuWeb_Click();
        QCOMPARE(f.platform().saveRequests.size(), 1);
        QVERIFY(f.doc().FilePath().isEmpty());
        QVERIFY(web.url().isEmpty());
        Preview::showStoredFile(web, QString(), QStringLiteral("utf-8"));
        QVERIFY(web.url().isEmpty());

        // A page on show, then a new untitled document whose save is cancelled: the path still
        // names the earlier file, which must not be shown as if it were this document.
        giveFile(f, QStringLiteral("earlier.html"), QStringLiteral("<p>earlier document</p>"));
        f.form().mnuWeb_Click();
        QVERIFY(waitLoaded(loaded, 0));
        const QUrl shown = web.url();
        const QByteArray stored = fileBytes(f.doc().FilePath());
        QVERIFY(!stored.isEmpty());
        f.doc().makeUntitled();
        txtHTML(f.form())->SetText(QStringLiteral("<p>new untitled text</p>"));
        f.form().mnuWeb_Click();
        QCOMPARE(f.platform().saveRequests.size(), 2);
        QCOMPARE(fileBytes(f.doc().FilePath()), stored);

        // A titled document whose file cannot be written: nothing new to show either.
        giveFile(f, QStringLiteral("no-such-folder/gone.html"), QStringLiteral("<p>unwritable</p>"));
        f.form().mnuWeb_Click();
        QVERIFY(!QFile::exists(f.doc().FilePath()));

        QTest::qWait(500);  // give a wrongly started load the chance to show itself
        QCOMPARE(started.size(), 1);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(web.url(), shown);
        QVERIFY(pageText(web).contains(QStringLiteral("earlier document")));
    }
};

TAVRO_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
