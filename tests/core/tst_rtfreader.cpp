#include "windows/core/HelpFile.h"
#include "windows/core/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

namespace {

QString dataDir()
{
    return qEnvironmentVariable("TAVRO_TEST_DATA");
}

// Reads a file the way the help window does: ANSI (Shift_JIS) lines, each followed by CR LF.
QString readAsHelpWindow(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? helpTextFromBytes(f.readAll()) : QString();
}

QString read(const QString &rtf, QTextDocument &doc)
{
    readRtf(rtf, doc);
    return doc.toRawText();
}

QString read(const QString &rtf)
{
    QTextDocument doc;
    return read(rtf, doc);
}

// The format of the first occurrence of text, which must lie within one run.
QTextCharFormat formatOf(const QTextDocument &doc, const QString &text)
{
    const QTextCursor c = doc.find(text);
    if (c.isNull()) {
        qWarning() << "not found:" << text;
        return {};
    }
    QTextCursor start(c);
    start.setPosition(c.selectionStart() + 1);
    if (start.charFormat() != c.charFormat())
        qWarning() << "format changes inside" << text;
    return c.charFormat();
}

// The texts of all runs, in document order, table cells included.
QStringList runs(const QTextDocument &doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            out << it.fragment().text();
    return out;
}

const QString GothicName = QStringLiteral("ＭＳ ゴシック");
const char *const GothicRtf = "\\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e";

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void decoding_data();
    void decoding();
    void fontNamesKeepTheirJapaneseSpelling();
    void formattingRunsCoverExactlyTheirCharacters();
    void paragraphFormatting();
    void destinationsThatAreNotShown();
    void bulletsAndNumbersShowTheirText();
    void table();
    void brokenInputShowsWhatItCan_data();
    void brokenInputShowsWhatItCan();
    void deepNesting();
    void manyDistinctFormatsKeepTheirOwn();
    void readReplacesPreviousContent();
    void helpFiles();
    void libreOfficeDocument();
};

void TestRtfReader::decoding_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");

    const QString sjisFont = QStringLiteral("{\\fonttbl{\\f0\\fnil\\fcharset128 Gothic;}}");
    QTest::newRow("fcharset128") << "{\\rtf1\\ansi\\deff0" + sjisFont + "\\f0 \\'82\\'a0\\'82\\'a2 abc}"
                                 << u"あい abc"_qs;
    QTest::newRow("ansicpg932, no font") << "{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}"
                                         << u"日本"_qs;
    QTest::newRow("pair split by a line end") << "{\\rtf1\\ansi\\ansicpg932 \\'82\r\n\\'a0}"
                                              << u"あ"_qs;
    QTest::newRow("trail byte in the ASCII range") << "{\\rtf1\\ansicpg932 \\'83\\'5c\\'95\\'5c}"
                                                   << u"ソ表"_qs;
    QTest::newRow("trail byte written plain") << "{\\rtf1\\ansicpg932 \\'83@\\'83A}" << u"ァア"_qs;
    QTest::newRow("dangling lead byte dropped") << "{\\rtf1\\ansicpg932 a\\'82}" << u"a"_qs;
    QTest::newRow("default cp1252") << "{\\rtf1\\ansi \\'93q\\'94 \\'e9}" << u"“q” é"_qs;
    QTest::newRow("fcharset0 under ansicpg932")
        << "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset128 G;}}"
           "\\f0 \\'e9\\f1 \\'82\\'a0}"
        << u"éあ"_qs;
    QTest::newRow("cyrillic font") << "{\\rtf1{\\fonttbl{\\f0\\fcharset204 X;}}\\f0 \\'c0\\'e1}"
                                   << u"Аб"_qs;
    QTest::newRow("deff font's charset")
        << "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset128 G;}}\\'82\\'a0}"
        << u"あ"_qs;
    QTest::newRow("raw text already decoded") << u"{\\rtf1\\ansicpg932 日本語}"_qs << u"日本語"_qs;
    QTest::newRow("uc1") << "{\\rtf1\\uc1\\u12354?\\u12356?}" << u"あい"_qs;
    QTest::newRow("uc0") << "{\\rtf1\\uc0\\u12354 x}" << u"あx"_qs;
    QTest::newRow("negative u") << "{\\rtf1\\u-255?}" << u"！"_qs;
    QTest::newRow("surrogate pair") << "{\\rtf1\\u-10179?\\u-8704?}" << u"😀"_qs;
    QTest::newRow("uc2 skips a \\'hh pair") << "{\\rtf1\\ansicpg932\\uc2\\u26085\\'93\\'fa\\'96\\'7b}"
                                            << u"日本"_qs;
    QTest::newRow("fallback skip ends at a brace") << "{\\rtf1\\uc3\\u26085{X}}" << u"日X"_qs;
    QTest::newRow("uc is scoped to its group") << "{\\rtf1{\\uc0 }\\u26085?}" << u"日"_qs;
    QTest::newRow("control word counts as one fallback") << "{\\rtf1\\u26085\\emdash X}" << u"日X"_qs;
    QTest::newRow("symbols") << "{\\rtf1 \\~\\_\\-\\{\\}\\\\}" << u"\u00A0\u2011\u00AD{}\\"_qs;
    QTest::newRow("named characters")
        << "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\tab|\\line|}"
        << u"—–•‘’“”\t|\u2028|"_qs;
    QTest::newRow("par and page") << "{\\rtf1 a\\par b\\page c}" << u"a\u2029b\u2029c"_qs;
    QTest::newRow("backslash line end is a par") << "{\\rtf1 a\\\r\nb}" << u"a\u2029b"_qs;
    QTest::newRow("line ends ignored") << "{\\rtf1 a\r\nb\rc\nd}" << u"abcd"_qs;
    QTest::newRow("delimiting space eaten") << "{\\rtf1\\b  two}" << u" two"_qs;
    QTest::newRow("stops at the end of the document") << "{\\rtf1 a}trailing}" << u"a"_qs;
}

void TestRtfReader::decoding()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    QCOMPARE(read(rtf), text);
}

void TestRtfReader::fontNamesKeepTheirJapaneseSpelling()
{
    QTextDocument doc;
    const QString rtf = QStringLiteral("{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl"
                                       "{\\f0\\fnil\\fcharset128 %1;}"
                                       "{\\f1\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 0202}Times New Roman;}"
                                       "{\\f2\\fmodern\\fprq1\\fcharset128 %1}}"
                                       "a\\f1 b\\f2 c\\f7 d}")
                            .arg(QLatin1String(GothicRtf));
    QCOMPARE(read(rtf, doc), u"abcd"_qs);
    QCOMPARE(formatOf(doc, "a").fontFamilies().toStringList(), QStringList{GothicName});
    QCOMPARE(formatOf(doc, "b").fontFamilies().toStringList(), QStringList{"Times New Roman"});
    // An entry without its closing ';' still counts.
    const QTextCharFormat c = formatOf(doc, "c");
    QCOMPARE(c.fontFamilies().toStringList(), QStringList{GothicName});
    QVERIFY(c.fontFixedPitch());
    QCOMPARE(c.fontStyleHint(), QFont::TypeWriter);
    QVERIFY(!formatOf(doc, "d").hasProperty(QTextFormat::FontFamilies));

    // The non-grouped form of the table.
    QCOMPARE(read("{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1\\froman Times;}\\f1 x}", doc), u"x"_qs);
    QCOMPARE(formatOf(doc, "x").fontFamilies().toStringList(), QStringList{"Times"});
}

void TestRtfReader::formattingRunsCoverExactlyTheirCharacters()
{
    QTextDocument doc;
    QCOMPARE(read("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                  "a{\\b bb}{\\i c}{\\ul d}e{\\fs40 f}{\\cf1 g}{\\cb2 h}{\\strike i}"
                  "{\\super j}{\\sub k}\\b l\\b0 m\\ul n\\ulnone o\\b\\i p\\plain q{\\cf0 r}}",
                  doc),
             u"abbcdefghijklmnopqr"_qs);
    QCOMPARE(runs(doc), (QStringList{"a", "bb", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l",
                                     "m", "n", "o", "p", "qr"}));

    const QTextCharFormat plain = formatOf(doc, "a");
    QVERIFY(!plain.fontWeight() || plain.fontWeight() == QFont::Normal);
    QVERIFY(!plain.fontItalic());
    QVERIFY(!plain.fontUnderline());
    QCOMPARE(plain.fontPointSize(), 12.0);
    QCOMPARE(formatOf(doc, "bb").fontWeight(), int(QFont::Bold));
    QVERIFY(formatOf(doc, "c").fontItalic());
    QVERIFY(formatOf(doc, "d").fontUnderline());
    QCOMPARE(formatOf(doc, "e"), plain);
    QCOMPARE(formatOf(doc, "f").fontPointSize(), 20.0);
    QCOMPARE(formatOf(doc, "g").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(doc, "h").background().color(), QColor(0, 0, 255));
    QVERIFY(formatOf(doc, "i").fontStrikeOut());
    QCOMPARE(formatOf(doc, "j").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatOf(doc, "k").verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatOf(doc, "l").fontWeight(), int(QFont::Bold));
    QCOMPARE(formatOf(doc, "m"), plain);
    QVERIFY(formatOf(doc, "n").fontUnderline());
    QCOMPARE(formatOf(doc, "o"), plain);
    QVERIFY(formatOf(doc, "p").fontItalic());
    QCOMPARE(formatOf(doc, "p").fontWeight(), int(QFont::Bold));
    // \plain ends everything; colour 0 of the table is "automatic", not a colour.
    QCOMPARE(formatOf(doc, "qr"), plain);
}

void TestRtfReader::paragraphFormatting()
{
    QTextDocument doc;
    QCOMPARE(read("{\\rtf1\\pard\\qc\\li720\\ri360\\fi-360\\sb240\\sa120 one\\par"
                  "\\qr two\\par\\pard\\qj three\\par\\pard\\qc four}",
                  doc),
             u"one\u2029two\u2029three\u2029four"_qs);
    const QTextBlockFormat one = doc.findBlockByNumber(0).blockFormat();
    QCOMPARE(one.alignment(), Qt::AlignHCenter);
    QCOMPARE(one.leftMargin(), 48.0);
    QCOMPARE(one.rightMargin(), 24.0);
    QCOMPARE(one.textIndent(), -24.0);
    QCOMPARE(one.topMargin(), 16.0);
    QCOMPARE(one.bottomMargin(), 8.0);
    const QTextBlockFormat two = doc.findBlockByNumber(1).blockFormat();
    QCOMPARE(two.alignment(), Qt::AlignRight);
    QCOMPARE(two.leftMargin(), 48.0);
    QCOMPARE(doc.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignJustify);
    QCOMPARE(doc.findBlockByNumber(2).blockFormat().leftMargin(), 0.0);
    // The last paragraph has no \par but keeps its format.
    QCOMPARE(doc.findBlockByNumber(3).blockFormat().alignment(), Qt::AlignHCenter);

    // A hanging indent is a tab stop: text after "1.\tab" lines up with the following lines.
    read("{\\rtf1\\fi-360\\li600 1.\\tab X\\par\\pard\\tx1200 2.\\tab Y}", doc);
    doc.setTextWidth(400);
    (void)doc.size();   // lays the document out
    auto xOf = [&](const QString &s) {
        const QTextBlock b = doc.find(s).block();
        const QTextLine line = b.layout()->lineAt(0);
        return line.isValid() ? line.cursorToX(b.text().indexOf(s)) : -1.0;
    };
    QCOMPARE(xOf("X"), 40.0);
    QCOMPARE(xOf("Y"), 80.0);
}

void TestRtfReader::destinationsThatAreNotShown()
{
    QTextDocument doc;
    const QString shown = read(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\stylesheet{\\s0 Normal;}{\\s1 Heading;}}{\\info{\\title T}{\\author A}}"
        "{\\header H}{\\footer F}{\\headerl H}{\\footerf F}{\\*\\generator G;}"
        "{\\*\\unknowndest U{\\nested N}\\par}{\\pict\\pngblip 89504e47\\bin4 }}}}}"
        "{\\object\\objemb{\\*\\objclass X}{\\objdata 0102}{\\result R}}"
        "{\\pn\\pnlvlblt{\\pntxtb X}}{\\*\\pn Y}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"
        " Body vis{\\v hid}ible A\\bin3 }}}B{\\*\\listtable{\\list{\\listlevel{\\leveltext 1;}}}}"
        "{\\*\\bkmkstart b}{\\footnote note}\\par}",
        doc);
    QCOMPARE(shown, u"link Body visible AB"_qs);
}

void TestRtfReader::bulletsAndNumbersShowTheirText()
{
    QCOMPARE(read("{\\rtf1\\ansicpg932{\\fonttbl{\\f0\\fcharset128 G;}}\\f0"
                  "{\\*\\pn\\pnlvlblt\\pnf0{\\pntxtb \\'81\\'45}}"
                  "{\\pntext\\f0 \\'81\\'45\\tab}\\'8d\\'80\\'96\\'da\\par"
                  "{\\listtext\\pard\\plain 2.\\tab}two\\par}"),
             u"・\t項目\u2029" "2.\ttwo"_qs);
}

void TestRtfReader::table()
{
    QTextDocument doc;
    read("{\\rtf1 Before\\par"
         "\\trowd\\trgaph108\\clbrdrt\\brdrs\\cellx1500\\cellx3000"
         "\\pard\\intbl A1\\cell B{\\b x}\\cell\\row"
         "\\trowd\\cellx1500\\cellx3000\\pard\\intbl A2\\par more\\cell\\cell\\row"
         "\\pard After\\par}",
         doc);
    QCOMPARE(doc.toPlainText().simplified(), u"Before A1 Bx A2 more After"_qs);
    QTextTable *table = doc.find("A1").currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    auto cellText = [&](int r, int c) {
        QTextCursor cur = table->cellAt(r, c).firstCursorPosition();
        cur.setPosition(table->cellAt(r, c).lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return cur.selectedText();
    };
    QCOMPARE(cellText(0, 0), u"A1"_qs);
    QCOMPARE(cellText(0, 1), u"Bx"_qs);
    QCOMPARE(cellText(1, 0), u"A2\u2029more"_qs);
    QCOMPARE(cellText(1, 1), QString());
    QCOMPARE(formatOf(doc, "x").fontWeight(), int(QFont::Bold));
    // Cell boundaries keep their proportions; the table spans the pane.
    QCOMPARE(table->format().columnWidthConstraints().value(0).rawValue(), 50.0);
    QCOMPARE(table->format().width().type(), QTextLength::PercentageLength);
    // The paragraph after a table keeps its space before, which Qt would drop.
    read("{\\rtf1\\trowd\\cellx1000\\intbl x\\cell\\row\\pard\\sb240 Heading\\par}", doc);
    QCOMPARE(doc.find("x").currentTable()->format().bottomMargin(), 16.0);
    read("{\\rtf1 Before\\par"
         "\\trowd\\trgaph108\\clbrdrt\\brdrs\\cellx1500\\cellx3000"
         "\\pard\\intbl A1\\cell B{\\b x}\\cell\\row\\pard After}",
         doc);
    table = doc.find("A1").currentTable();
    QCOMPARE(table->format().bottomMargin(), 0.0);
    // No empty paragraph before the table, nor after the last one.
    QCOMPARE(table->firstCursorPosition().block().previous().text(), u"Before"_qs);
    QCOMPARE(doc.lastBlock().text(), u"After"_qs);
    QVERIFY(table->format().border() > 0);
    QVERIFY(!doc.find("Before").currentTable());
    QVERIFY(!doc.find("After").currentTable());

    // A list in a cell: the number's group resets its paragraph, not the cell's.
    read("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl{\\listtext\\pard\\plain 1.\\tab}one\\par"
         "{\\listtext\\pard\\plain 2.\\tab}two\\cell X\\cell\\row\\pard after}", doc);
    table = doc.find("one").currentTable();
    QVERIFY(table);
    QCOMPARE(doc.find("two").currentTable(), table);
    QCOMPARE(doc.find("X").currentTable(), table);
    QCOMPARE(table->columns(), 2);

    // A long table, to its last row and no further, whether the document goes on or ends.
    QString rows = "{\\rtf1";
    for (int r = 0; r < 3000; ++r)
        rows += QString("\\trowd\\cellx500\\cellx1000\\pard\\intbl a%1\\cell b%1\\cell\\row").arg(r);
    for (const QString &tail : {u"}"_qs, u"\\pard after}"_qs}) {
        read(rows + tail, doc);
        table = doc.find("a0").currentTable();
        QVERIFY(table);
        QCOMPARE(table->rows(), 3000);
        QCOMPARE(doc.find("b2999").currentTable(), table);
        QCOMPARE(doc.toPlainText().count('b'), 3000);
    }

    // A writer that leaves out \intbl, and a row with more cells than defined.
    read("{\\rtf1\\trowd\\cellx1000 X\\cell Y\\cell\\row\\pard Z}", doc);
    table = doc.find("X").currentTable();
    QVERIFY(table);
    QCOMPARE(table->columns(), 2);
    QCOMPARE(doc.find("Y").currentTable(), table);
    QVERIFY(!doc.find("Z").currentTable());
}

void TestRtfReader::brokenInputShowsWhatItCan_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("stray closing braces") << "}}}abc{{{def" << u"abcdef"_qs;
    QTest::newRow("truncated in a word") << "{\\rtf1 abc\\pa" << u"abc"_qs;
    QTest::newRow("truncated in an escape") << "{\\rtf1 abc\\'8" << u"abc"_qs;
    QTest::newRow("truncated after backslash") << "{\\rtf1 abc\\" << u"abc"_qs;
    QTest::newRow("bad hex") << "{\\rtf1 a\\'zzb\\'8zc}" << u"azzbzc"_qs;
    QTest::newRow("control bytes") << "{\\rtf1 a\\'00\\'0d\\'0a\\u0 \\u7 \\'09b}" << u"a\tb"_qs;
    QTest::newRow("huge parameters")
        << "{\\rtf1\\fs999999999999999999999\\li-99999999999999\\cf99999999999\\f-5 a"
           "{\\uc99999999999\\u99999999999 bcd}e\\u-99999999999 f}"
        << u"ae"_qs;
    QTest::newRow("huge bin") << "{\\rtf1 x\\bin99999999999999999 yz}" << u"x"_qs;
    QTest::newRow("negative bin") << "{\\rtf1 x\\bin-5 yz}" << u"xyz"_qs;
    QTest::newRow("word over 32 letters")
        << "{\\rtf1 a\\bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb b}" << u"ab"_qs;
    QTest::newRow("unclosed skipped destination") << "{\\rtf1 a{\\*\\x b" << u"a"_qs;
    QTest::newRow("star at top level") << "a\\*b" << u"ab"_qs;
    QTest::newRow("no header at all") << "plain words" << u"plain words"_qs;
    QTest::newRow("control characters") << QString("a\x01\x02\tb") << u"a\tb"_qs;
    QTest::newRow("cell and row out of place") << "{\\rtf1\\row a\\row}" << u"a"_qs;
}

void TestRtfReader::brokenInputShowsWhatItCan()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    QCOMPARE(read(rtf), text);
}

void TestRtfReader::deepNesting()
{
    // Far deeper than any state is kept for: the text still shows, the braces still match.
    const int depth = 100000;
    QCOMPARE(read(QString(depth, u'{') + "x" + QString(depth, u'}') + "y"), u"xy"_qs);
    QCOMPARE(read(QString(depth, u'{') + "x"), u"x"_qs);
    QCOMPARE(read("{\\*\\skip" + QString(depth, u'{') + "x" + QString(depth, u'}') + "}y"), u"y"_qs);

    // Formatting set beyond the kept depth ends when the groups close.
    QTextDocument doc;
    QString rtf = "{\\rtf1 ";
    for (int i = 0; i < 2000; ++i)
        rtf += "{\\b ";
    rtf += "x" + QString(2000, u'}') + "y}";
    QCOMPARE(read(rtf, doc), u"xy"_qs);
    QCOMPARE(formatOf(doc, "x").fontWeight(), int(QFont::Bold));
    QVERIFY(formatOf(doc, "y").fontWeight() != QFont::Bold);
}

void TestRtfReader::manyDistinctFormatsKeepTheirOwn()
{
    // Each run has a face of its own and each paragraph its own tab stops; none is merged with
    // another that differs only there.
    const int n = 2000;
    const int faces = 500;
    QString rtf = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < faces; ++i)
        rtf += QString("{\\f%1 Face%1;}").arg(i);
    rtf += "}";
    for (int i = 0; i < n; ++i)
        rtf += QString("\\pard\\tx%1{\\f%2 r%3}\\par ").arg(15 * (i + 1)).arg(i % faces).arg(i);
    QTextDocument doc;
    read(rtf + "}", doc);
    QCOMPARE(doc.blockCount(), n);
    int i = 0;
    for (QTextBlock b = doc.begin(); i < n; b = b.next(), ++i) {
        const QTextFragment run = b.begin().fragment();
        QCOMPARE(run.text(), QString("r%1").arg(i));
        QCOMPARE(run.charFormat().fontFamilies().toStringList(),
                 QStringList{QString("Face%1").arg(i % faces)});
        QCOMPARE(b.blockFormat().tabPositions().value(0).position, i + 1.0);
    }
}

void TestRtfReader::readReplacesPreviousContent()
{
    QTextDocument doc;
    doc.setUndoRedoEnabled(true);
    read("{\\rtf1\\trowd\\cellx100\\intbl old\\cell\\row}", doc);
    QCOMPARE(read("{\\rtf1 new}", doc), u"new"_qs);
    QCOMPARE(doc.blockCount(), 1);
    QVERIFY(doc.isUndoRedoEnabled());
    QVERIFY(!doc.isUndoAvailable());
}

void TestRtfReader::helpFiles()
{
    // Each entry of the tag list and the tags its help must name.
    const QList<QStringList> tags = {
        {"<!--", "-->"}, {"<A"}, {"<B>"}, {"<BGSOUND"}, {"<BLINK>"}, {"<BODY"}, {"<BR>"},
        {"<CENTER>"}, {"<EMBED"}, {"<FONT"}, {"<FORM"}, {"<FRAME"}, {"<FRAMESET"}, {"<HR"},
        {"<I>"}, {"<IMG"}, {"<INPUT"}, {"<MAP", "<AREA"}, {"<MARQUEE"}, {"<NOBR>"},
        {"<OL", "<LI>"}, {"<P"}, {"<U>"}, {"<SELECT", "<OPTION"}, {"<SUB>"}, {"<SUP>"},
        {"<TABLE", "<TR", "<TD"}, {"<TITLE>"}, {"<UL", "<LI>"}};
    QCOMPARE(tags.size(), 29);
    // Each file's title is its list entry (the comment's as it is written), so the Japanese must
    // come through the Shift_JIS escapes exactly.
    QStringList titles = tagHelpEntries();
    QCOMPARE(titles.size(), 29);
    titles[0] = u"<!-- -->　コメント文"_qs;
    const QDir help(dataDir() + "/../../assets/help");
    const QRegularExpression controlWord(R"(\\[A-Za-z])");
    for (int n = 0; n < 29; ++n) {
        const QString path = help.filePath(QString::number(n) + ".rtf");
        const QString rtf = readAsHelpWindow(path);
        QVERIFY2(rtf.startsWith("{\\rtf1"), qPrintable(path));
        QTextDocument doc;
        readRtf(rtf, doc);
        const QString text = doc.toPlainText();
        QCOMPARE(doc.firstBlock().text(), titles[n]);
        QVERIFY2(text.trimmed().size() > 200, qPrintable(path));
        QVERIFY2(!text.contains(controlWord), qPrintable(path + ": " + text));
        QVERIFY2(!text.contains(QChar::ReplacementCharacter), qPrintable(path));
        for (const QString &tag : tags[n])
            QVERIFY2(text.contains(tag, Qt::CaseInsensitive), qPrintable(path + " lacks " + tag));
        // A bold heading and a monospaced example, both in the fonts a Japanese system has.
        bool heading = false, example = false;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                heading |= f.fontWeight() == QFont::Bold && f.fontPointSize() > 12;
                example |= f.fontFixedPitch() &&
                           f.fontFamilies().toStringList() == QStringList{GothicName};
            }
        }
        QVERIFY2(heading, qPrintable(path));
        QVERIFY2(example, qPrintable(path));
    }
    QVERIFY(!QFile::exists(help.filePath("29.rtf")));
}

void TestRtfReader::libreOfficeDocument()
{
    QFile expected(dataDir() + "/libreoffice.txt");
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QTextDocument doc;
    readRtf(readAsHelpWindow(dataDir() + "/libreoffice.rtf"), doc);
    auto lines = [](const QString &s) {
        QStringList out;
        for (const QString &l : s.split(QRegularExpression("[\n\u2028\u2029]")))
            if (!l.trimmed().isEmpty())
                out << l.simplified();
        return out;
    };
    QCOMPARE(lines(doc.toPlainText()), lines(QString::fromUtf8(expected.readAll())));
    QCOMPARE(formatOf(doc, u"太字"_qs).fontWeight(), int(QFont::Bold));
    QVERIFY(formatOf(doc, u"斜体"_qs).fontItalic());
    QTextTable *table = doc.find(u"りんご"_qs).currentTable();
    QVERIFY(table);
    QCOMPARE(table->columns(), 2);
    QCOMPARE(doc.find(u"百円"_qs).currentTable(), table);
    QVERIFY(!doc.find(u"表の後"_qs).currentTable());
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
