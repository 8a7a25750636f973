// The editing pane's HTML features without a window around them: finding and replacing in the
// text as one string, the colouring of HTML (its states across lines, what it colours while a
// large document is open, the contrast of its colours); the typing aids as keys reach them
// (closing, the completion list, undo, an input method, the mark, F1, the switch).
#include "app/frmMain.h"
#include "edit/pane/TextBox.h"
#include "edit/HtmlHighlighter.h"
#include "edit/core/PaneText.h"
#include "edit/core/TextSearch.h"
#include "edit/TagAssist.h"
#include "windows/core/HelpFile.h"
#include "windows/frmHelp.h"
#include "support/MainFormFixture.h"
#include "support/PaneColours.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextLayout>

namespace {

// The relative luminance contrast of a colour against white, as WCAG defines it.
double contrastAgainstWhite(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    const double l = 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    return 1.05 / (l + 0.05);
}

QList<HtmlSpan> spansOf(const QString &line, int state = HtmlState::Text, int *end = nullptr)
{
    QList<HtmlSpan> spans;
    const int e = scanHtmlLine(line, state, &spans);
    if (end)
        *end = e;
    return spans;
}

// The first block in view.
QTextBlock shownBlock(const TextBox &pane)
{
    return pane.cursorForPosition(QPoint(2, 2)).block();
}

HtmlRole roleAt(const QList<HtmlSpan> &spans, int position)
{
    for (const HtmlSpan &s : spans)
        if (position >= s.start && position < s.start + s.length)
            return s.role;
    return HtmlRole(-1);
}

// Keys as a user types them: '\t' Tab, '\n' Enter, '\x1b' Esc, '\x1f' Down, '\x1a' undo;
// between two '\x0e' an input method composes the letters one by one, then commits them.
void typeKeys(TextBox &pane, const QString &keys)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const char16_t k = keys[i].unicode();
        if (k == u'\x0e') {
            const qsizetype end = keys.indexOf(QChar(u'\x0e'), i + 1);
            const QString composed = keys.mid(i + 1, end - i - 1);
            for (qsizetype n = 1; n <= composed.size(); ++n) {
                QInputMethodEvent compose(composed.left(n), {});
                QApplication::sendEvent(&pane, &compose);
                QVERIFY(!TagAssist::of(pane).list()->isVisible());
            }
            QInputMethodEvent commit;
            commit.setCommitString(composed);
            QApplication::sendEvent(&pane, &commit);
            i = end;
        } else if (k == u'\x1a') {
            pane.undo();
        } else {
            const Qt::Key key = k == u'\t' ? Qt::Key_Tab : k == u'\n' ? Qt::Key_Return : k == 0x1b ? Qt::Key_Escape
                                : k == 0x1f ? Qt::Key_Down : Qt::Key(QChar(k).toUpper().unicode());
            // As a keyboard sends them: Shift goes down on its own first.
            const bool shifted = QChar(k).isUpper() || QStringView(u"<>\"!:").contains(QChar(k));
            if (shifted)
                QTest::keyPress(&pane, Qt::Key_Shift);
            QTest::keyClick(&pane, key, shifted ? Qt::ShiftModifier : Qt::NoModifier);
            if (shifted)
                QTest::keyRelease(&pane, Qt::Key_Shift, Qt::ShiftModifier);
        }
    }
}

QString withCaret(const TextBox &pane)
{
    return pane.Text().insert(pane.SelStart(), u'|');
}

} // namespace

class TestHtmlEditing : public QObject {
    Q_OBJECT
private slots:
    void findsAndWraps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<int>("found");
        QTest::addColumn<bool>("wrapped");
        QTest::newRow("next after the caret") << "ab ab ab" << "ab" << 1 << 0 << false << false << 3 << false;
        QTest::newRow("next after a selected match") << "ab ab ab" << "ab" << 3 << 2 << false << false << 6 << false;
        QTest::newRow("round the end") << "ab ab ab" << "ab" << 6 << 2 << false << false << 0 << true;
        QTest::newRow("previous") << "ab ab ab" << "ab" << 6 << 2 << true << false << 3 << false;
        QTest::newRow("previous round the start") << "ab ab ab" << "ab" << 0 << 2 << true << false << 6 << true;
        QTest::newRow("the one match, selected") << "xx ab" << "ab" << 3 << 2 << false << false << 3 << true;
        QTest::newRow("across a line break") << "<p>\n</p>" << ">\n<" << 0 << 0 << false << false << 2 << false;
        QTest::newRow("any case") << "<P> <p>" << "<p>" << 1 << 0 << false << false << 4 << false;
        QTest::newRow("case matched") << "<p> <P>" << "<P>" << 0 << 0 << false << true << 4 << false;
        QTest::newRow("Japanese") << "本文と日本語の本" << "日本語" << 0 << 0 << false << false << 3 << false;
        QTest::newRow("full width is not half width") << "ＡＢＣ abc" << "ABC" << 0 << 0 << false << false << 4 << false;
        QTest::newRow("half-width kana is not full") << "ｶﾀｶﾅ" << "カタカナ" << 0 << 0 << false << false << -1 << false;
        QTest::newRow("not there") << "abc" << "x" << 0 << 0 << false << false << -1 << false;
    }

    void findsAndWraps()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(bool, backward);
        QFETCH(bool, matchCase);
        QFETCH(int, found);
        QFETCH(bool, wrapped);
        const SearchHit hit = findInText(text, needle, selStart, selStart + selLength,
                                         backward ? SearchDirection::Backward : SearchDirection::Forward,
                                         matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
        QCOMPARE(hit.start, qsizetype(found));
        QCOMPARE(hit.wrapped, wrapped);
    }

    void replacesAllInOneSpan()
    {
        const QString text = QStringLiteral("<b>x</b> 日本 <B>y</B>\n<b>");
        const ReplaceAllResult r = replaceAllInText(text, QStringLiteral("<b>"), QStringLiteral("<strong>"),
                                                    Qt::CaseInsensitive);
        QCOMPARE(r.count, 3);
        QString applied = text;
        applied.replace(r.spanStart, r.spanEnd - r.spanStart, r.replacement);
        QCOMPARE(applied, QStringLiteral("<strong>x</b> 日本 <strong>y</B>\n<strong>"));
        QCOMPARE(replaceAllInText(text, QStringLiteral("ＢＢ"), QStringLiteral("x"), Qt::CaseInsensitive).count, 0);
    }

    void scansWhatACodeReaderSees()
    {
        int end = -1;
        // A '>' inside a quoted value ends neither the value nor the tag.
        QString line = QStringLiteral("<a title=\"a>b\" href='/x'>t&amp;u</a>");
        QList<HtmlSpan> spans = spansOf(line, HtmlState::Text, &end);
        QCOMPARE(roleAt(spans, 0), HtmlRole::Tag);
        QCOMPARE(roleAt(spans, 3), HtmlRole::AttributeName);
        QCOMPARE(roleAt(spans, line.indexOf(u'>')), HtmlRole::AttributeValue);
        QCOMPARE(roleAt(spans, line.indexOf(u"/x")), HtmlRole::AttributeValue);
        QCOMPARE(roleAt(spans, line.indexOf(u"'>") + 1), HtmlRole::Tag);
        QCOMPARE(roleAt(spans, line.indexOf(u"&amp;") + 2), HtmlRole::CharacterReference);
        QCOMPARE(roleAt(spans, line.indexOf(u"</a") + 1), HtmlRole::Tag);
        QCOMPARE(end, int(HtmlState::Text));

        spans = spansOf(QStringLiteral("<!DOCTYPE html><p>"), HtmlState::Text, &end);
        QCOMPARE(roleAt(spans, 3), HtmlRole::Doctype);
        QCOMPARE(roleAt(spans, 16), HtmlRole::Tag);

        // States that span lines: a comment, a quoted value, script and style contents.
        const struct {
            QStringList lines;
            HtmlRole role;  // of the last line's first character
        } cases[] = {
            {{"a <!-- one", "two --> <p>"}, HtmlRole::Comment},
            {{"<p title=\"one", "two\" id=x>"}, HtmlRole::AttributeValue},
            {{"<script type=\"x\">", "if (a < b && c > d) {}", "</script>"}, HtmlRole::Tag},
            {{"<script>", "if (a < b) {}"}, HtmlRole::Script},
            {{"<STYLE>", "p > a { color: red }"}, HtmlRole::Style},
            {{"<!-- <script>", "-->x"}, HtmlRole::Comment},
        };
        for (const auto &c : cases) {
            int state = HtmlState::Text;
            for (int i = 0; i + 1 < c.lines.size(); ++i)
                state = scanHtmlLine(c.lines[i], state, nullptr);
            QCOMPARE(roleAt(spansOf(c.lines.last(), state), 0), c.role);
        }
        // After a comment that ends the text is plain again.
        QCOMPARE(roleAt(spansOf(QStringLiteral("--> x"), HtmlState::Comment), 4), HtmlRole(-1));
    }

    void coloursAreReadableOnWhite()
    {
        const QList<HtmlRole> roles = HtmlHighlighter::roles();
        QVERIFY(roles.size() >= 8);
        for (const HtmlRole role : roles)
            QVERIFY2(contrastAgainstWhite(HtmlHighlighter::colourOf(role)) >= 4.5,
                     qPrintable(HtmlHighlighter::colourOf(role).name()));
    }

    // The pane shows the end of a long document; a comment opened and closed far above it
    // changes the colours shown, and lines never shown stay uncoloured.
    void colouringFollowsWhatIsShown()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        QStringList lines;
        for (int i = 0; i < 5000; ++i)
            lines << QStringLiteral("<p class=\"c\">%1</p>").arg(i);
        pane.SetText(lines.join(QLatin1Char('\n')));
        pane.moveCursor(QTextCursor::End);
        QTest::qWait(50);
        QTextDocument *doc = pane.document();
        const QTextBlock shown = shownBlock(pane);
        QVERIFY(shown.blockNumber() > 4900);
        QCOMPARE(colourAt(shown, 0), HtmlHighlighter::colourOf(HtmlRole::Tag));
        QVERIFY(doc->findBlockByNumber(2500).layout()->formats().isEmpty());

        QTextCursor top(doc);
        top.insertText(QStringLiteral("<!--"));
        QTest::qWait(50);
        QCOMPARE(colourAt(shownBlock(pane), 0), HtmlHighlighter::colourOf(HtmlRole::Comment));
        top.setPosition(10);  // inside the first line's class value
        top.insertText(QStringLiteral("-->"));
        QTest::qWait(50);
        QCOMPARE(colourAt(shownBlock(pane), 0), HtmlHighlighter::colourOf(HtmlRole::Tag));
        QVERIFY(doc->findBlockByNumber(2500).layout()->formats().isEmpty());

        // Off: no colours but the text and the pane's state stay as they were.
        pane.setSyntaxColouring(false);
        QTest::qWait(50);
        QVERIFY(shownBlock(pane).layout()->formats().isEmpty());
        pane.setSyntaxColouring(true);
        QTest::qWait(50);
        QCOMPARE(colourAt(shownBlock(pane), 0), HtmlHighlighter::colourOf(HtmlRole::Tag));
        QCOMPARE(pane.Text().left(15), QStringLiteral("<!--<p cla-->ss"));

        // Only the line being edited keeps its shaped glyphs: a line left gives them up.
        QVERIFY(doc->firstBlock().layout()->cacheEnabled());
        QTextCursor(shownBlock(pane)).insertText(QStringLiteral(" "));
        QTest::qWait(50);
        QVERIFY(shownBlock(pane).layout()->cacheEnabled());
        QVERIFY(!doc->firstBlock().layout()->cacheEnabled());
    }

    // Turned off, the choice is kept in the per-user settings folder for the next start.
    void colouringChoiceIsRemembered()
    {
        MainFormFixture f;
        QAction *item = MenuItem(f.form(), QStringLiteral("mnuSyntaxColor"));
        QVERIFY(item->isCheckable() && item->isChecked());
        f.form().mnuSyntaxColor_Click();
        QVERIFY(!item->isChecked());
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QVERIFY(QFile::exists(folder + QStringLiteral("/editor.ini")));

        frmMain form;  // the next start
        QVERIFY(!MenuItem(form, QStringLiteral("mnuSyntaxColor"))->isChecked());
        txtHTML(form)->SetText(QStringLiteral("<p>"));
        QTest::qWait(20);
        QVERIFY(txtHTML(form)->document()->firstBlock().layout()->formats().isEmpty());
        form.mnuSyntaxColor_Click();
        QVERIFY(MenuItem(form, QStringLiteral("mnuSyntaxColor"))->isChecked());
    }

    void typingAids_data()
    {
        QTest::addColumn<QString>("text");  // '|' is the caret
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("listShown");
        QTest::newRow("an end tag") << "|" << "<ul><li>x</" << "<ul><li>x</li>|" << false;
        QTest::newRow("typed in full, as typed") << "|" << "<ul><li>x</li></ul>" << "<ul><li>x</li></ul>|" << false;
        QTest::newRow("an optional end tag left out") << "<ul><li>x|" << "</ul>" << "<ul><li>x</ul>|" << false;
        QTest::newRow("typing goes on after it") << "<ul><li>x|" << "</<b>" << "<ul><li>x</li><b>|" << false;
        QTest::newRow("another name typed") << "<div><p>x|" << "</div>" << "<div><p>x</div>|" << false;
        QTest::newRow("before a >, typed in full") << "<b>x|>" << "</b>" << "<b>x</b>|>" << false;
        QTest::newRow("undone, the typed </ stays") << "<ul><li>x|" << "</\x1a" << "<ul><li>x</|" << false;
        QTest::newRow("the list opens") << "<p>|</p>" << "<t" << "<p><t|</p>" << true;
        QTest::newRow("Tab accepts") << "|" << "<ta\t" << "<table|" << false;
        QTest::newRow("Down and Enter") << "|" << "<t\x1f\n" << "<tbody|" << false;
        QTest::newRow("Enter after a whole name is a line break") << "|" << "<b\n" << "<b\n|" << false;
        QTest::newRow("Esc, then Enter is a line break") << "|" << "<ta\x1b\n" << "<ta\n|" << false;
        QTest::newRow("other keys go on typing") << "|" << "<b>x" << "<b>x|" << false;
        QTest::newRow("an attribute") << "<a |>" << "hr\t" << "<a href=\"|\">" << false;
        QTest::newRow("undone, the typed name stays") << "|" << "<ta\t\x1a" << "<ta|" << false;
        QTest::newRow("in a comment") << "<!-- |" << "<t" << "<!-- <t|" << false;
        QTest::newRow("in a script") << "<script>|" << "<t" << "<script><t|" << false;
        QTest::newRow("an input method composing") << "|" << "<t\x0e" "a\x0e" << "<ta|" << false;
    }

    void typingAids()
    {
        QFETCH(QString, text);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        QFETCH(bool, listShown);
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        pane.SetText(QString(text).remove(u'|'));
        pane.setSelStart(int(text.indexOf(u'|')));
        typeKeys(pane, keys);
        QCOMPARE(withCaret(pane), expected);
        QCOMPARE(TagAssist::of(pane).list()->isVisible(), listShown);
    }

    // The tag at the caret and its partner are marked; in a long line only while both are drawn.
    void marksTheMatchingTag()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        auto marks = [&pane](int caret) {
            pane.setSelStart(caret);
            QTest::qWait(200);  // the mark follows once the caret rests
            QStringList marked;
            for (const QTextEdit::ExtraSelection &s : pane.extraSelections())
                marked << paneLineBreaks(s.cursor.selectedText());
            return marked;
        };
        pane.SetText(QStringLiteral("<ul>\n<li>日本語</li>\n</ul>"));
        QCOMPARE(marks(1), QStringList({"<ul>", "</ul>"}));
        QCOMPARE(marks(11), QStringList());
        const QString filler(30000, u'x');
        pane.SetText(QStringLiteral("<b>y</b>") + filler);
        QCOMPARE(marks(1), QStringList({"<b>", "</b>"}));
        pane.SetText(QStringLiteral("<b>") + filler + QStringLiteral("</b>"));
        QCOMPARE(marks(1), QStringList());
    }

    // F1 shows the entry of the tag at the caret; on text or a tag no entry covers, the window
    // as Ctrl+T shows it.
    void helpForTheTagAtTheCaret()
    {
        MainFormFixture f;
        f.showActive();
        TextBox &pane = *txtHTML(f.form());
        const QStringList entries = tagHelpEntries();
        auto entryOf = [&entries](const QString &tag) {
            for (int i = 0; i < entries.size(); ++i)
                if (entries[i].startsWith(tag))
                    return i;
            return -1;
        };
        pane.SetText(QStringLiteral("<ol><li>項目</li></ol><span>x</span>"));
        pane.setSelStart(5);
        QTest::keyClick(&pane, Qt::Key_F1);
        QVERIFY(tagHelpIfLoaded() && tagHelpIfLoaded()->isVisible());
        QCOMPARE(tagHelpIfLoaded()->List->currentRow(), entryOf(QStringLiteral("<OL>")));
        tagHelpIfLoaded()->close();
        QTest::qWait(10);
        for (const int caret : {9, 24}) {  // on text, on <span>
            pane.setSelStart(caret);
            f.form().mnuTopicAtCaret_Click();
            QVERIFY(tagHelpIfLoaded() && tagHelpIfLoaded()->isVisible());
            QCOMPARE(tagHelpIfLoaded()->List->currentRow(), -1);
        }
        tagHelpIfLoaded()->close();
    }

    // One switch, on at first and remembered, turns closing and completion off.
    void typingAidsSwitch()
    {
        MainFormFixture f;
        f.showActive();
        QAction *item = MenuItem(f.form(), QStringLiteral("mnuTypingAids"));
        QVERIFY(item->isCheckable() && item->isChecked());
        f.form().mnuTypingAids_Click();
        QVERIFY(!item->isChecked());
        TextBox &pane = *txtHTML(f.form());
        typeKeys(pane, QStringLiteral("<ul><li>x</<t"));
        QCOMPARE(pane.Text(), QStringLiteral("<ul><li>x</<t"));
        QVERIFY(!TagAssist::of(pane).list()->isVisible());
        frmMain next;  // the next start
        QVERIFY(!MenuItem(next, QStringLiteral("mnuTypingAids"))->isChecked());
    }
};

TAVRO_TEST_MAIN(TestHtmlEditing)
#include "tst_htmlediting.moc"
