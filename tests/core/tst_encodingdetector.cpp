// Which encoding a file is read in: its byte-order mark, its declaration when the bytes fit it,
// and otherwise the bytes alone (Shift_JIS or EUC-JP as the detector scores them), on short
// texts and on real pages.
#include "app/core/DocumentCodec.h"
#include "support/Encodings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray readPage(const QString &name)
{
    QFile f(QDir(qEnvironmentVariable("TAVRO_TEST_DATA")).filePath(QStringLiteral("pages/") + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isUtf16(TextEncoding e) { return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be; }

// A file's code units as characters (bytes as Latin-1; UTF-16 without its mark), so a page
// can be changed as a converter would change it, whatever its encoding.
QString toUnits(const QByteArray &bytes, TextEncoding e)
{
    if (!isUtf16(e))
        return QString::fromLatin1(bytes);
    return QStringDecoder(e == TextEncoding::Utf16Le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                          QStringDecoder::Flag::ConvertInitialBom)
        .decode(bytes);
}

QByteArray fromUnits(const QString &units, TextEncoding e)
{
    if (!isUtf16(e))
        return units.toLatin1();
    const bool le = e == TextEncoding::Utf16Le;
    return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") +
        QStringEncoder(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE).encode(units);
}

} // namespace

class TestEncodingDetector : public QObject
{
    Q_OBJECT

private slots:
    void detectsEncoding_data();
    void detectsEncoding();
    void declaredEncoding_data();
    void declaredEncoding();
    void corpusPages_data();
    void corpusPages();
    void detectsUndeclaredPages_data();
    void detectsUndeclaredPages();
    void detectsShortTexts_data();
    void detectsShortTexts();
    void declarationMustDecodeCleanly();
};

void TestEncodingDetector::detectsEncoding_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii reads as shift_jis") << QByteArray("<p>a\\b~</p>") << TextEncoding::ShiftJis
                                              << QString("<p>a\\b~</p>");
    QTest::newRow("utf-8 without mark") << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC") << TextEncoding::Utf8
                                        << U("日本");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF\xE6\x97\xA5") << TextEncoding::Utf8Bom
                                     << U("日");
    QTest::newRow("ascii with mark") << QByteArray("\xEF\xBB\xBFx") << TextEncoding::Utf8Bom
                                     << QString("x");
    QTest::newRow("mark alone") << QByteArray("\xEF\xBB\xBF") << TextEncoding::Utf8Bom << QString();
    QTest::newRow("second mark is text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") << TextEncoding::Utf8Bom << QString(QChar(0xFEFF));
    QTest::newRow("shift_jis") << QByteArray("\x93\xFA\x96\x7B") << TextEncoding::ShiftJis << U("日本");
    QTest::newRow("shift_jis katakana") << QByteArray("\xB1\xB2") << TextEncoding::ShiftJis << U("ｱｲ");
}

void TestEncodingDetector::detectsEncoding()
{
    QFETCH(QByteArray, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    const DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.encoding, encoding);
    QCOMPARE(doc.text, text);
    QVERIFY(!doc.hadInvalidBytes);
    QVERIFY(!doc.hasNul);
}

void TestEncodingDetector::declaredEncoding_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("declared"); // -1: none

    const int sjis = int(TextEncoding::ShiftJis), utf8 = int(TextEncoding::Utf8);
    QTest::newRow("charset double quotes") << "<head><meta charset=\"utf-8\"></head>" << utf8;
    QTest::newRow("charset unquoted") << "<meta charset=UTF-8>" << utf8;
    QTest::newRow("charset single quotes") << "<meta charset='Shift_JIS'>" << sjis;
    QTest::newRow("spaces, upper case, self-closing")
        << "<META\n  CHARSET = \" x-sjis \" />" << sjis;
    QTest::newRow("unquoted before slash") << "<meta charset=utf8/>" << -1;
    QTest::newRow("unquoted then self-closing") << "<meta charset=utf8 />" << utf8;
    QTest::newRow("http-equiv") << "<meta http-equiv=\"Content-Type\" "
                                   "content=\"text/html; charset=Shift_JIS\">"
                                << sjis;
    QTest::newRow("http-equiv after content")
        << "<meta content='text/html;charset=utf-8' http-equiv='content-type'>" << utf8;
    QTest::newRow("http-equiv unquoted")
        << "<meta http-equiv=Content-Type content=\"text/html; charset = windows-31j\">" << sjis;
    QTest::newRow("quoted charset inside content")
        << "<meta http-equiv=\"Content-Type\" content='text/html; charset=\"cp932\"'>" << sjis;
    QTest::newRow("MS_Kanji") << "<meta charset=\"MS_Kanji\">" << sjis;
    QTest::newRow("shift-jis") << "<meta charset=\"shift-jis\">" << sjis;
    QTest::newRow("sjis") << "<meta charset=\"SJIS\">" << sjis;
    QTest::newRow("other charset") << "<meta charset=\"iso-8859-1\">" << -1;
    QTest::newRow("none") << "<html><head><title>x</title></head></html>" << -1;
    QTest::newRow("commented out")
        << "<!-- <meta charset=\"utf-8\"> --><meta charset=\"shift_jis\">" << sjis;
    QTest::newRow("unterminated comment") << "<!-- <meta charset=\"utf-8\">" << -1;
    QTest::newRow("name=charset is not a declaration")
        << "<meta name=\"charset\" content=\"utf-8\">" << -1;
    QTest::newRow("other element") << "<metadata charset=\"utf-8\">" << -1;
    QTest::newRow("first declaration decides")
        << "<meta charset=\"utf-8\"><meta charset=\"shift_jis\">" << utf8;
    QTest::newRow("first unknown declaration decides")
        << "<meta charset=\"koi8-r\"><meta charset=\"shift_jis\">" << -1;
    QTest::newRow("meta without charset is skipped")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html\"><meta charset=\"utf-8\">" << utf8;
    QTest::newRow("refresh is not content-type")
        << "<meta http-equiv=\"refresh\" content=\"5; charset=utf-8\">" << -1;
    QTest::newRow("'>' inside a quoted value")
        << "<meta name=\"a>b\" charset=\"utf-8\">" << utf8;
    QTest::newRow("unterminated tag") << "<meta charset=\"utf-8" << utf8;
    QTest::newRow("bare <meta at the end") << "<meta" << -1;
}

void TestEncodingDetector::declaredEncoding()
{
    QFETCH(QString, html);
    QFETCH(int, declared);
    QCOMPARE(::declaredEncoding(html), optionalEncoding(declared));
}

void TestEncodingDetector::corpusPages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("declare");  // the label the page's declaration is changed to
    QTest::addColumn<QString>("breaks");   // the line ends the page's LF are changed to
    QTest::addColumn<QString>("typed");    // what a typed line break is written as
    const QStringList python{U("Python の開発は、1990 年ごろから開始されています。"), U("「ABC」")};
    const QStringList rbe{U("<title>変数束縛 - Rust By Example</title>"), U("静的な型付けによる型安全性を提供します。")};
    const QString lf = "\n", crLf = "\r\n", cr = "\r";
    auto page = [&](const char *name, const char *file, TextEncoding e, const QStringList &words,
                    const QString &declare = QString(), const QString &breaks = "\n",
                    const QString &typed = "\n") {
        QTest::newRow(name) << file << e << words << declare << breaks << typed;
    };
    page("python shift_jis", "python-shift_jis.txt", TextEncoding::ShiftJis, python);
    page("python euc-jp", "python-euc-jp.txt", TextEncoding::EucJp, python);
    page("python iso-2022-jp", "python-iso-2022-jp.txt", TextEncoding::Iso2022Jp, python);
    page("python utf-8", "python-utf-8.txt", TextEncoding::Utf8, python);
    page("page shift_jis", "rbe-shift_jis.html", TextEncoding::ShiftJis, rbe);
    page("page euc-jp", "rbe-euc-jp.html", TextEncoding::EucJp, rbe);
    page("page iso-2022-jp", "rbe-iso-2022-jp.html", TextEncoding::Iso2022Jp, rbe);
    page("page utf-8", "rbe-utf-8.html", TextEncoding::Utf8, rbe);
    page("page utf-16le", "rbe-utf-16le.html", TextEncoding::Utf16Le, rbe);
    page("page utf-16be", "rbe-utf-16be.html", TextEncoding::Utf16Be, rbe);
    // Converted by a tool that left the declaration alone: the bytes decide.
    page("utf-16le declaring utf-8", "rbe-utf-16le.html", TextEncoding::Utf16Le, rbe, "UTF-8");
    page("utf-16be declaring utf-8", "rbe-utf-16be.html", TextEncoding::Utf16Be, rbe, "UTF-8");
    page("iso-2022-jp declaring shift_jis", "rbe-iso-2022-jp.html", TextEncoding::Iso2022Jp, rbe, "Shift_JIS");
    page("iso-2022-jp declaring utf-8", "rbe-iso-2022-jp.html", TextEncoding::Iso2022Jp, rbe, "UTF-8");
    page("shift_jis declaring utf-8", "rbe-shift_jis.html", TextEncoding::ShiftJis, rbe, "UTF-8");
    page("shift_jis declaring euc-jp", "rbe-shift_jis.html", TextEncoding::ShiftJis, rbe, "EUC-JP");
    page("utf-8 declaring shift_jis", "rbe-utf-8.html", TextEncoding::Utf8, rbe, "Shift_JIS");
    page("euc-jp declaring utf-8", "rbe-euc-jp.html", TextEncoding::EucJp, rbe, "UTF-8");
    page("euc-jp declaring shift_jis", "rbe-euc-jp.html", TextEncoding::EucJp, rbe, "Shift_JIS");
    // Line ends: lf is "line i ends as breaks[i % n]".
    page("shift_jis CR LF", "rbe-shift_jis.html", TextEncoding::ShiftJis, rbe, {}, crLf, crLf);
    page("euc-jp lone CR", "rbe-euc-jp.html", TextEncoding::EucJp, rbe, {}, cr, cr);
    page("utf-16le CR LF", "rbe-utf-16le.html", TextEncoding::Utf16Le, rbe, {}, crLf, crLf);
    page("utf-8 mixed, mostly LF", "rbe-utf-8.html", TextEncoding::Utf8, rbe, {}, "\r\n|\n|\n|\r", lf);
    page("iso-2022-jp mixed, mostly CR", "python-iso-2022-jp.txt", TextEncoding::Iso2022Jp, python, {},
         "\n|\r|\r", cr);
}

void TestEncodingDetector::corpusPages()
{
    QFETCH(QString, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QStringList, words);
    QFETCH(QString, declare);
    QFETCH(QString, breaks);
    QFETCH(QString, typed);
    QByteArray bytes = readPage(file);
    QVERIFY(!bytes.isEmpty());
    QString units = toUnits(bytes, encoding);
    if (!declare.isEmpty()) {
        const qsizetype at = units.indexOf(QStringLiteral("charset=")) + 9;
        QVERIFY(at > 8);
        units.replace(at, units.indexOf(u'"', at) - at, declare);
    }
    const QStringList ends = breaks.split(u'|');
    QStringList lines = units.split(u'\n');
    units = lines.takeFirst();
    for (qsizetype i = 0; i < lines.size(); ++i)
        units += ends[i % ends.size()] + lines[i];
    bytes = fromUnits(units, encoding);

    DecodedDocument doc = decodeDocument(bytes);
    QCOMPARE(doc.encoding, encoding);
    QVERIFY(!doc.hadInvalidBytes);
    for (const QString &word : words)
        QVERIFY2(doc.text.contains(word), qPrintable(word));
    const TextEncoding writeAs = chooseWriteEncoding(doc.text, doc.encoding, doc.declared);
    QCOMPARE(writeAs, encoding);
    const EncodedDocument out = encodeDocument(doc.text, writeAs, doc.spellings, doc.lineEnds);
    QVERIFY(!out.unstorable);
    QVERIFY(out.bytes == bytes);

    // A line break typed after the first one takes the file's style.
    const qsizetype at = doc.text.indexOf(u'\n') + 1;
    doc.text.insert(at, u'\n');
    shiftSpellings(doc.spellings, at, 0, 1);
    shiftSpellings(doc.lineEnds.others, at, 0, 1);
    const qsizetype unitAt = units.indexOf(QRegularExpression("[\r\n]"));
    units.insert(unitAt + (units.mid(unitAt, 2) == "\r\n" ? 2 : 1), typed);
    QVERIFY(encodeDocument(doc.text, writeAs, doc.spellings, doc.lineEnds).bytes == fromUnits(units, encoding));
}

void TestEncodingDetector::detectsUndeclaredPages_data()
{
    corpusPages_data();
}

void TestEncodingDetector::detectsUndeclaredPages()
{
    // The same pages with their declaration made unreadable: the bytes alone decide.
    QFETCH(QString, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QStringList, words);
    QFETCH(QString, declare);
    QByteArray bytes = readPage(file);
    if (!declare.isEmpty())
        QSKIP("the page as it is is enough");
    if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be)
        QSKIP("a byte-order mark decides");
    bytes.replace("charset", "charsex");
    const DecodedDocument doc = decodeDocument(bytes);
    QCOMPARE(doc.encoding, encoding);
    QVERIFY(!doc.hadInvalidBytes);
    QVERIFY(doc.text.contains(words.first()));
}

void TestEncodingDetector::detectsShortTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    const QStringList texts{U("日本"), U("あ"), U("カタカナ"), U("漢字仮名交じり文"), U("第１章　概要"),
                            U("<p>お問い合わせは、こちらへどうぞ。</p>"), U("ｶﾀｶﾅと平仮名")};
    for (const QString &text : texts) {
        QTest::addRow("shift_jis %s", qPrintable(text)) << text << TextEncoding::ShiftJis
                                                         << QByteArray(QStringEncoder("Shift_JIS").encode(text));
        QTest::addRow("euc-jp %s", qPrintable(text)) << text << TextEncoding::EucJp
                                                      << QByteArray(QStringEncoder("EUC-JP").encode(text));
    }
    // Long texts: the same words many times over, after a long ASCII head.
    const QString body = QString(20000, u'x') + texts.join(u'\n').repeated(500);
    QTest::newRow("long shift_jis") << body << TextEncoding::ShiftJis << QByteArray(QStringEncoder("Shift_JIS").encode(body));
    QTest::newRow("long euc-jp") << body << TextEncoding::EucJp << QByteArray(QStringEncoder("EUC-JP").encode(body));
    const QString fullWidth = texts.mid(0, 6).join(u'\n'); // ISO-2022-JP has no half-width kana
    QTest::newRow("iso-2022-jp") << fullWidth << TextEncoding::Iso2022Jp
                                 << QByteArray(QStringEncoder("ISO-2022-JP").encode(fullWidth));
}

void TestEncodingDetector::detectsShortTexts()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, bytes);
    const DecodedDocument doc = decodeDocument(bytes);
    QCOMPARE(doc.encoding, encoding);
    QCOMPARE(doc.text, text);
}

void TestEncodingDetector::declarationMustDecodeCleanly()
{
    // A Shift_JIS page that claims EUC-JP: the declaration is not believed.
    const QString page = U("<meta charset=\"euc-jp\"><p>日本語のページです。</p>");
    const DecodedDocument doc = decodeDocument(encodeShiftJis(page));
    QCOMPARE(doc.encoding, TextEncoding::ShiftJis);
    QCOMPARE(doc.text, page);
    // Believed when it fits, even where the statistics alone would not decide so.
    const QByteArray kana = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>\xB1\xB2\xB3</a>";
    QCOMPARE(decodeDocument(kana).encoding, TextEncoding::ShiftJis);
    const QByteArray euc = "<?xml version='1.0' encoding='EUC-JP'?><a>\xB1\xB2</a>";
    QCOMPARE(decodeDocument(euc).encoding, TextEncoding::EucJp);
}

QTEST_GUILESS_MAIN(TestEncodingDetector)
#include "tst_encodingdetector.moc"
