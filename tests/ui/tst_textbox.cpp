// The editing pane's HTML features without a window around them: finding and replacing in the
// text as one string, the colouring of HTML (its states across lines, what it colours while a
// large document is open, the contrast of its colours), and characters the pane holds by a
// stand-in coming back out exactly, through open, edit and save; the typing aids as keys reach
// them (closing, the completion list, undo, an input method, the mark, F1, the switch).
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "edit/pane/TextBox.h"
#include "edit/HtmlHighlighter.h"
#include "edit/core/PaneText.h"
#include "edit/core/TextSearch.h"
#include "edit/TagAssist.h"
#include "windows/core/HelpFile.h"
#include "windows/frmHelp.h"
#include "support/Files.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QImage>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QInputMethodEvent>
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

// The colour the pane shows at a position of a block, or black where it has none.
QColor colourAt(const QTextBlock &block, int position)
{
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (position >= r.start && position < r.start + r.length)
            return r.format.foreground().color();
    return Qt::black;
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

TAVRO_TEST_MAIN(TestHtmlEditing)
#include "tst_textbox.moc"
