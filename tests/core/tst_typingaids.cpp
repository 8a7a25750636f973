// The typing aids on text alone: the end tag "</" completes, the names the list offers and what
// accepting one writes, the partner of the tag at the caret, and the tag help entry for it.
#include "edit/core/HtmlVocabulary.h"
#include "edit/core/TypingAids.h"
#include "windows/core/HelpFile.h"

#include <QRegularExpression>
#include <QTest>

namespace {

const HtmlVocabulary &names()
{
    return HtmlVocabulary::standard();
}

// "a|b" is the text "ab" with the caret after "a".
struct Caret {
    QString text;
    int caret;
};
Caret caretIn(QString text)
{
    const int at = int(text.indexOf(u'|'));
    text.remove(at, 1);
    return {text, at};
}

// The tags marked as "[<tag>]".
QString withMarks(const QString &text, const TypingAids::TagPair &p)
{
    QString out = text;
    const int first = qMin(p.start, p.partnerStart), second = qMax(p.start, p.partnerStart);
    const int firstEnd = first == p.start ? p.end : p.partnerEnd, secondEnd = second == p.start ? p.end : p.partnerEnd;
    out.insert(secondEnd, u']').insert(second, u'[').insert(firstEnd, u']').insert(first, u'[');
    return out;
}

} // namespace

class TestTypingAids : public QObject {
    Q_OBJECT
private slots:
    // Typed at the caret: "</" asks for the end tag, a final Tab accepts the first name offered.
    void typing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("an open li") << "<ul><li>x|" << "</" << "<ul><li>x</li>|";
        QTest::newRow("nested") << "<div><p>a</p>|" << "</" << "<div><p>a</p></div>|";
        QTest::newRow("void elements hold nothing") << "<p>a<br><img src=x><input/>|" << "</" << "<p>a<br><img src=x><input/></p>|";
        QTest::newRow("an li ends the li before") << "<ul><li>a<li>b</li>|" << "</" << "<ul><li>a<li>b</li></ul>|";
        QTest::newRow("a nested list keeps its li") << "<ul><li>a<ol><li>b</ol>|" << "</" << "<ul><li>a<ol><li>b</ol></li>|";
        QTest::newRow("a div ends the p") << "<div><p>a<div>b</div>|" << "</" << "<div><p>a<div>b</div></div>|";
        QTest::newRow("cells and rows") << "<table><tr><td>a<td>b<tr><td>c</td>|" << "</" << "<table><tr><td>a<td>b<tr><td>c</td></tr>|";
        QTest::newRow("options") << "<select><option>a<option>b|" << "</" << "<select><option>a<option>b</option>|";
        QTest::newRow("an end tag closes what is inside") << "<div><span><b>x</div>|" << "</" << "<div><span><b>x</div></" "|";
        QTest::newRow("a stray end tag is ignored") << "<p>a</b>|" << "</" << "<p>a</b></p>|";
        QTest::newRow("as the start tag was written") << "<P>本文|" << "</" << "<P>本文</P>|";
        QTest::newRow("Japanese around") << "<p>日本語の<b>文章|です" << "</" << "<p>日本語の<b>文章</b>|です";
        QTest::newRow("before a >") << "<b>x|>" << "</" << "<b>x</b|>";
        QTest::newRow("before a name") << "<b>x|b>" << "</" << "<b>x</|b>";
        QTest::newRow("nothing open") << "text|" << "</" << "text</|";
        QTest::newRow("in a comment") << "<div><!-- |" << "</" << "<div><!-- </|";
        QTest::newRow("in a script") << "<div><script>if (a|" << "</" << "<div><script>if (a</|";
        QTest::newRow("after a script") << "<div><script>a</script>|" << "</" << "<div><script>a</script></div>|";
        QTest::newRow("in a style") << "<style>p|" << "</" << "<style>p</|";
        QTest::newRow("in a quoted value") << "<p><a title=\"|" << "</" << "<p><a title=\"</|";
        QTest::newRow("a value holding > and <") << "<div title=\"a>b<i>\"><span>x|" << "</" << "<div title=\"a>b<i>\"><span>x</span>|";
        QTest::newRow("across lines") << "<ul>\n  <li>a\n  <li>b\n|" << "</" << "<ul>\n  <li>a\n  <li>b\n</li>|";

        QTest::newRow("an element") << "<|" << "ta\t" << "<table|";
        QTest::newRow("in capitals") << "<p><|" << "TA\t" << "<p><TABLE|";
        QTest::newRow("current before obsolete") << "<|" << "fo\t" << "<footer|";
        QTest::newRow("an obsolete one") << "<|" << "cen\t" << "<center|";
        QTest::newRow("no such element") << "<|" << "qz\t" << "<qz\t|";
        QTest::newRow("an attribute takes a value") << "<a |" << "hr\t" << "<a href=\"|\"";
        QTest::newRow("a boolean attribute") << "<input |" << "chec\t" << "<input checked|";
        QTest::newRow("a global attribute") << "<span |" << "cl\t" << "<span class=\"|\"";
        QTest::newRow("one already there is left out") << "<a href=\"x\" |" << "h\t" << "<a href=\"x\" hreflang=\"|\"";
        QTest::newRow("an obsolete attribute") << "<body |" << "bgc\t" << "<body bgcolor=\"|\"";
        QTest::newRow("a value already follows") << "<a |=\"x\"" << "hr\t" << "<a href|=\"x\"";
        QTest::newRow("on a later line of the tag") << "<img src=x\n     |" << "al\t" << "<img src=x\n     alt=\"|\"";
        QTest::newRow("Japanese around a name") << "日本語<|です" << "sp\t" << "日本語<span|です";
        QTest::newRow("not in an end tag") << "<b>x</|" << "b\t" << "<b>x</b\t|";
        QTest::newRow("not in a comment") << "<!-- <|" << "ta\t" << "<!-- <ta\t|";
        QTest::newRow("not in a script") << "<script>x <|" << "ta\t" << "<script>x <ta\t|";
        QTest::newRow("not in a style") << "<style>a <|" << "ta\t" << "<style>a <ta\t|";
        QTest::newRow("not in a quoted value") << "<a title=\"<|" << "ta\t" << "<a title=\"<ta\t|";
        QTest::newRow("not in a value") << "<a href=|" << "ht\t" << "<a href=ht\t|";
        QTest::newRow("not in text") << "a |" << "ta\t" << "a ta\t|";
    }

    void typing()
    {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        const Caret c = caretIn(text);
        const bool accept = typed.endsWith(u'\t');
        QString now = c.text;
        now.insert(c.caret, accept ? typed.chopped(1) : typed);
        const int caret = c.caret + int(typed.size()) - (accept ? 1 : 0);
        std::optional<TextEdit> edit;
        if (accept) {
            const NameCompletion offered = TypingAids::completionAt(now, 0, caret, names());
            if (!offered.names.isEmpty())
                edit = TypingAids::acceptCompletion(now, offered, offered.names.first(), names());
            else
                edit = TextEdit{caret, caret, QStringLiteral("\t"), caret + 1};
        } else {
            edit = TypingAids::closeTag(now, 0, caret, names());
        }
        QString result = now;
        int at = caret;
        if (edit) {
            result.replace(edit->start, edit->end - edit->start, edit->text);
            at = edit->caret;
        }
        QCOMPARE(result.insert(at, u'|'), expected);
    }

    void offersNamesInOrder()
    {
        const NameCompletion e = TypingAids::completionAt(u"<f", 0, 2, names());
        QCOMPARE(e.kind, NameCompletion::Kind::Element);
        QVERIFY(e.names.indexOf(QStringLiteral("form")) < e.names.indexOf(QStringLiteral("font")));
        QVERIFY(e.names.contains(QStringLiteral("frameset")));
        const NameCompletion a = TypingAids::completionAt(u"<img a", 0, 6, names());
        QCOMPARE(a.element, QStringLiteral("img"));
        // Its own first (alt), then the global ones (accesskey), then the obsolete (align).
        QVERIFY(a.names.indexOf(QStringLiteral("alt")) < a.names.indexOf(QStringLiteral("accesskey")));
        QVERIFY(a.names.indexOf(QStringLiteral("accesskey")) < a.names.indexOf(QStringLiteral("align")));
    }

    void marksTheMatchingTag_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marked");  // empty: nothing marked
        QTest::newRow("end tag") << "<div><p>a</p>|</div>" << "[<div>]<p>a</p>[</div>]";
        QTest::newRow("start tag, within its name") << "<d|iv class=\"a\"><p>x</p></div>" << "[<div class=\"a\">]<p>x</p>[</div>]";
        QTest::newRow("same name nested") << "<div><div>x</div>|</div>" << "[<div>]<div>x</div>[</div>]";
        QTest::newRow("inner of the same name") << "<div><|div>x</div></div>" << "<div>[<div>]x[</div>]</div>";
        QTest::newRow("after its >") << "<b>x</b>|" << "[<b>]x[</b>]";
        QTest::newRow("across lines") << "<ul>\n<li>x</li>\n|</ul>" << "[<ul>]\n<li>x</li>\n[</ul>]";
        QTest::newRow("a > in a value") << "<a title=\"a>b\">x</|a>" << "[<a title=\"a>b\">]x[</a>]";
        QTest::newRow("a tag in a comment") << "<div><!-- </div> -->|</div>" << "[<div>]<!-- </div> -->[</div>]";
        QTest::newRow("Japanese inside") << "<p>日本<b>語</b>で|</p>" << "[<p>]日本<b>語</b>で[</p>]";
        QTest::newRow("an li ended by the next") << "<ul><l|i>a<li>b</li></ul>" << "";
        QTest::newRow("unclosed") << "<div><sp|an>x</div>" << "";
        QTest::newRow("a stray end tag") << "<p>x</sp|an></p>" << "";
        QTest::newRow("void") << "<p><b|r></p>" << "";
        QTest::newRow("in text") << "<b>x|y</b>" << "";
    }

    void marksTheMatchingTag()
    {
        QFETCH(QString, text);
        QFETCH(QString, marked);
        const Caret c = caretIn(text);
        const std::optional<TypingAids::TagPair> pair = TypingAids::matchingTags(c.text, 0, c.caret, names());
        QCOMPARE(pair ? withMarks(c.text, *pair) : QString(), marked);
    }

    void findsTheHelpEntry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("entry");  // how the entry begins; empty: none covers it
        QTest::newRow("a start tag") << "<ta|ble border=1>" << "<TABLE>";
        QTest::newRow("a cell") << "<table><tr><t|d>" << "<TABLE>";
        QTest::newRow("an end tag") << "<font>x</fo|nt>" << "<FONT>";
        QTest::newRow("li of a numbered list") << "<ol><li>a</l|i></ol>" << "<OL>";
        QTest::newRow("li of a plain list") << "<ul><li|>a</ul>" << "<UL>";
        QTest::newRow("just before the tag") << "a|<br>" << "<BR>";
        QTest::newRow("a comment") << "<!-- a| -->" << "<!--";
        QTest::newRow("text") << "<p>te|xt</p>" << "";
        QTest::newRow("a tag the help does not cover") << "<sp|an>" << "";
    }

    void findsTheHelpEntry()
    {
        QFETCH(QString, text);
        QFETCH(QString, entry);
        const Caret c = caretIn(text);
        const QStringList entries = tagHelpEntries();
        const int found = TypingAids::helpEntryAt(c.text, 0, c.caret, entries, names());
        QCOMPARE(found < 0 ? QString() : entries[found].left(entry.size()), entry);
    }

    // Every tag the help list names is one the completion offers.
    void helpTagsAreKnownNames()
    {
        static const QRegularExpression tag(QStringLiteral("<([A-Z]+)>"));
        for (const QString &entry : tagHelpEntries())
            for (const QRegularExpressionMatch &m : tag.globalMatch(entry))
                QVERIFY2(names().element(m.captured(1)), qPrintable(m.captured(1)));
    }
};

QTEST_GUILESS_MAIN(TestTypingAids)
#include "tst_typingaids.moc"
