#include "app/core/DocumentCodec.h"
#include "support/Encodings.h"

#include <QTest>

Q_DECLARE_METATYPE(LegacyCodec)

namespace {

// The text a new document starts with: twelve lines, no final line break.
QString skeletonText()
{
    return QStringList{"<html>", "<head>", "<title>", "", "</title>", "</head>", "<body>", "",
                       "", "", "</body>", "</html>"}
        .join(u'\n');
}

// The bytes of one code of a legacy encoding.
QByteArray codeBytes(quint32 code)
{
    QByteArray out;
    if (code > 0xFFFF)
        out.append(char(code >> 16));
    out.append(char(code >> 8));
    out.append(char(code));
    return out;
}

} // namespace

class TestDocumentCodec : public QObject
{
    Q_OBJECT

private slots:
    void writesNewDocumentSkeleton();
    void writesEmptyTextAsLineBreak();
    void writesJapaneseAsShiftJis();
    void reopenAndSaveKeepsBytes_data();
    void reopenAndSaveKeepsBytes();
    void lineBreaks_data();
    void lineBreaks();
    void keepsEveryBreakOneBreak();
    void writesEveryKindOfBreakAsCrLf();
    void replacesInvalidBytes_data();
    void replacesInvalidBytes();
    void refusesNulBytes();
    void mapsAsCodePage932_data();
    void mapsAsCodePage932();
    void normalisesDuplicateCodesAsCodePage932();
    void keepsControlCodes();
    void reportsUnstorableCharacters_data();
    void reportsUnstorableCharacters();
    void utf8StoresEverythingButLoneSurrogates();
    void choosesWriteEncoding_data();
    void choosesWriteEncoding();
    void keepsEveryAlternateSpelling_data();
    void keepsEveryAlternateSpelling();
    void keepsBothSpellingsInOneFile();
    void rewritesEveryValidCode_data();
    void rewritesEveryValidCode();
    void editedTextGetsStandardSpelling();
    void shiftsSpellingsThroughEdits_data();
    void shiftsSpellingsThroughEdits();
    void iso2022JpForms_data();
    void iso2022JpForms();
    void utf16();
};

void TestDocumentCodec::writesNewDocumentSkeleton()
{
    const QString text = skeletonText();
    QCOMPARE(chooseWriteEncoding(text, std::nullopt), TextEncoding::ShiftJis);
    const EncodedDocument out = encodeDocument(text, TextEncoding::ShiftJis);
    QCOMPARE(out.bytes, QByteArray("<html>\r\n<head>\r\n<title>\r\n\r\n</title>\r\n</head>\r\n"
                                   "<body>\r\n\r\n\r\n\r\n</body>\r\n</html>\r\n"));
    QVERIFY(!out.unstorable);
}

void TestDocumentCodec::writesEmptyTextAsLineBreak()
{
    for (TextEncoding e : {TextEncoding::ShiftJis, TextEncoding::Utf8}) {
        const EncodedDocument out = encodeDocument(QString(), e);
        QCOMPARE(out.bytes, QByteArray("\r\n"));
        QVERIFY(!out.unstorable);
    }
    QCOMPARE(encodeDocument(QString(), TextEncoding::Utf8Bom).bytes, QByteArray("\xEF\xBB\xBF\r\n"));

    const DecodedDocument empty = decodeDocument(QByteArray());
    QCOMPARE(empty.text, QString());
    QCOMPARE(empty.encoding, TextEncoding::ShiftJis);
    QVERIFY(!empty.hadInvalidBytes && !empty.hasNul);
}

void TestDocumentCodec::writesJapaneseAsShiftJis()
{
    // 表 and ソ end in 0x5C, the backslash byte; ｱ is a single-byte katakana.
    const EncodedDocument out = encodeDocument(U("<title>日本語の表ソｱ</title>\n"),
                                               TextEncoding::ShiftJis);
    QCOMPARE(out.bytes, QByteArray("<title>\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\x5C\x83\x5C\xB1"
                                   "</title>\r\n"));
    QVERIFY(!out.unstorable);
}

void TestDocumentCodec::reopenAndSaveKeepsBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("ascii") << QByteArray("<html>\r\n<body>\r\n</body>\r\n</html>\r\n")
                           << TextEncoding::ShiftJis;
    QTest::newRow("shift_jis") << QByteArray("<p>\x95\x5C\x83\x5C\x5C\x81\x60\x87\x40</p>\r\n\r\n")
                               << TextEncoding::ShiftJis;
    QTest::newRow("utf-8") << QByteArray("<p>\xE6\x97\xA5\xE6\x9C\xAC</p>\r\n")
                           << TextEncoding::Utf8;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF<p>\xE6\x97\xA5</p>\r\n")
                               << TextEncoding::Utf8Bom;
    QTest::newRow("only a line break") << QByteArray("\r\n") << TextEncoding::ShiftJis;
    QTest::newRow("blank lines at the end") << QByteArray("a\r\n\r\n\r\n") << TextEncoding::ShiftJis;
}

void TestDocumentCodec::reopenAndSaveKeepsBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(TextEncoding, encoding);
    const DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.encoding, encoding);
    QVERIFY(!doc.hadInvalidBytes);
    QVERIFY(!doc.text.contains(u'\r'));
    const EncodedDocument out = encodeDocument(doc.text, chooseWriteEncoding(doc.text, doc.encoding));
    QCOMPARE(out.bytes, file);
    QVERIFY(!out.unstorable);
}

void TestDocumentCodec::lineBreaks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("no final break")
        << QByteArray("a\r\nb") << QString("a\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone CR") << QByteArray("a\rb\r") << QString("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << QString("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("LF CR is two breaks")
        << QByteArray("a\n\rb") << QString("a\n\nb") << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("mixed") << QByteArray("a\r\n\rb\nc\r\r\n")
                           << QString("a\n\nb\nc\n\n") << QByteArray("a\r\n\r\nb\r\nc\r\n\r\n");
    QTest::newRow("only CR") << QByteArray("\r") << QString("\n") << QByteArray("\r\n");
    QTest::newRow("shift_jis before CR LF")
        << QByteArray("\x82\xA0\r\n\x82\xA2") << U("あ\nい") << QByteArray("\x82\xA0\r\n\x82\xA2\r\n");
}

void TestDocumentCodec::lineBreaks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    const DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.text, text);
    // Unedited, the file's own breaks come back; the same text as a new document's is
    // written with CR LF.
    QCOMPARE(encodeDocument(doc.text, doc.encoding, {}, doc.lineEnds).bytes, file);
    QCOMPARE(encodeDocument(doc.text, doc.encoding).bytes, written);
    // Saving what was saved changes nothing more.
    QCOMPARE(encodeDocument(decodeDocument(written).text, doc.encoding).bytes, written);
}

void TestDocumentCodec::keepsEveryBreakOneBreak()
{
    // "a CR x LF b" with the x deleted: CR and LF side by side would read back as one break.
    DecodedDocument doc = decodeDocument("a\rx\nb\n");
    QCOMPARE(doc.text, QString("a\nx\nb\n"));
    doc.text.remove(2, 1);
    shiftSpellings(doc.lineEnds.others, 2, 1, 0);
    const QByteArray written = encodeDocument(doc.text, doc.encoding, {}, doc.lineEnds).bytes;
    QCOMPARE(written, QByteArray("a\r\n\nb\n"));
    QCOMPARE(decodeDocument(written).text, doc.text);
}

void TestDocumentCodec::writesEveryKindOfBreakAsCrLf()
{
    // Text handed in with CR LF or lone CR separators is written the same way.
    QCOMPARE(encodeDocument(u"a\r\nb\rc\nd", TextEncoding::ShiftJis).bytes,
             QByteArray("a\r\nb\r\nc\r\nd\r\n"));
    QCOMPARE(encodeDocument(u"x\r", TextEncoding::Utf8).bytes, QByteArray("x\r\n"));
    QCOMPARE(encodeDocument(u"x\r\n", TextEncoding::Utf8).bytes, QByteArray("x\r\n"));
    // A paragraph separator is a character of the file, not a line break.
    const QString ps = QString("a") + QChar(QChar::ParagraphSeparator);
    QCOMPARE(encodeDocument(ps, TextEncoding::Utf8).bytes, ps.toUtf8() + "\r\n");
    QCOMPARE(decodeDocument(ps.toUtf8()).text, ps);
}

void TestDocumentCodec::replacesInvalidBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    const QChar r = QChar::ReplacementCharacter;
    QTest::newRow("byte 0x80") << QByteArray("ab\x80" "cd") << TextEncoding::ShiftJis
                               << QString("ab") + r + "cd";
    QTest::newRow("bytes FD FF FE A0") << QByteArray("\xFD\xFF\xFE\xA0") << TextEncoding::ShiftJis
                                       << QString(4, r);
    QTest::newRow("lead byte at the end") << QByteArray("ab\x81") << TextEncoding::ShiftJis
                                          << QString("ab") + r;
    QTest::newRow("lead byte before CR LF keeps the break")
        << QByteArray("\x81\r\nx") << TextEncoding::ShiftJis << QString(r) + "\nx";
    QTest::newRow("lead byte before a digit keeps the digit")
        << QByteArray("\x81" "1\x82\xA0") << TextEncoding::ShiftJis << QString(r) + U("1あ");
    QTest::newRow("unassigned code") << QByteArray("\x85\x40z") << TextEncoding::ShiftJis
                                     << QString(r) + "z";
    QTest::newRow("broken utf-8 after a mark")
        << QByteArray("\xEF\xBB\xBF" "a\xE6\x97") << TextEncoding::Utf8Bom << QString("a") + r + r;
}

void TestDocumentCodec::replacesInvalidBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    const DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.encoding, encoding);
    QCOMPARE(doc.text, text);
    QVERIFY(doc.hadInvalidBytes);
    QVERIFY(!doc.hasNul);
}

void TestDocumentCodec::refusesNulBytes()
{
    for (const QByteArray &file : {QByteArray("a\0b", 3), QByteArray("\0", 1),
                                   QByteArray("\xFF\xFE<\0\0\0", 6)}) {
        const DecodedDocument doc = decodeDocument(file);
        QVERIFY(doc.hasNul);
        QVERIFY(doc.text.isEmpty());
    }
}

void TestDocumentCodec::mapsAsCodePage932_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    // Where code page 932 differs from the JIS-based Shift_JIS tables.
    QTest::newRow("wave dash as fullwidth tilde") << QByteArray("\x81\x60") << QString(QChar(0xFF5E));
    QTest::newRow("parallel") << QByteArray("\x81\x61") << QString(QChar(0x2225));
    QTest::newRow("fullwidth minus") << QByteArray("\x81\x7C") << QString(QChar(0xFF0D));
    QTest::newRow("fullwidth not sign") << QByteArray("\x81\xCA") << QString(QChar(0xFFE2));
    QTest::newRow("circled one (NEC row 13)") << QByteArray("\x87\x40") << QString(QChar(0x2460));
    QTest::newRow("roman numeral (IBM extension)") << QByteArray("\xFA\x40") << QString(QChar(0x2170));
    QTest::newRow("backslash") << QByteArray("\x5C") << QString("\\");
    QTest::newRow("tilde") << QByteArray("\x7E") << QString("~");
    QTest::newRow("user-defined area") << QByteArray("\xF0\x40") << QString(QChar(0xE000));
}

void TestDocumentCodec::mapsAsCodePage932()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    bool invalid = true;
    QCOMPARE(decodeShiftJis(bytes, &invalid), text);
    QVERIFY(!invalid);
    bool unstorable = true;
    QCOMPARE(encodeShiftJis(text, &unstorable), bytes);
    QVERIFY(!unstorable);
    // The same through the document layer, with a line break.
    const DecodedDocument doc = decodeDocument(bytes + "\r\n");
    QCOMPARE(doc.encoding, TextEncoding::ShiftJis);
    QCOMPARE(doc.text, text + "\n");
    QCOMPARE(encodeDocument(doc.text, doc.encoding).bytes, bytes + "\r\n");
}

void TestDocumentCodec::normalisesDuplicateCodesAsCodePage932()
{
    // Characters with two codes are written with the one code page 932 prefers: the
    // NEC-selected IBM extensions (row 0xED) as IBM extensions, NEC row 13 symbols as JIS.
    QCOMPARE(decodeShiftJis("\xED\x40"), QString(QChar(0x7E8A)));
    QCOMPARE(encodeShiftJis(QString(QChar(0x7E8A))), QByteArray("\xFA\x5C"));
    QCOMPARE(decodeShiftJis("\x87\x90"), QString(QChar(0x2252)));
    QCOMPARE(encodeShiftJis(QString(QChar(0x2252))), QByteArray("\x81\xE0"));
}

void TestDocumentCodec::keepsControlCodes()
{
    QByteArray bytes;
    for (int b = 1; b < 0x80; ++b)
        if (b != '\r' && b != '\n')
            bytes.append(char(b));
    bool invalid = true;
    const QString text = decodeShiftJis(bytes, &invalid);
    QVERIFY(!invalid);
    QCOMPARE(text, QString::fromLatin1(bytes));
    QCOMPARE(encodeShiftJis(text), bytes);
    QCOMPARE(encodeDocument(decodeDocument(bytes).text, TextEncoding::ShiftJis).bytes, bytes + "\r\n");
}

void TestDocumentCodec::reportsUnstorableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("emoji") << U("a😀b") << QByteArray("a?b\r\n");
    QTest::newRow("hangul") << U("<p>한글</p>") << QByteArray("<p>?" "?</p>\r\n");
    QTest::newRow("yen sign") << U("¥100") << QByteArray("?100\r\n");
    QTest::newRow("wave dash U+301C") << U("〜") << QByteArray("?\r\n");
    QTest::newRow("replacement character") << QString(QChar::ReplacementCharacter) + "x"
                                           << QByteArray("?x\r\n");
    // Characters the converter would drop silently must still show up as '?'.
    QTest::newRow("soft hyphen") << QString("a") + QChar(0x00AD) + "b" << QByteArray("a?b\r\n");
    QTest::newRow("zero width space") << QString("a") + QChar(0x200B) << QByteArray("a?\r\n");
    QTest::newRow("byte-order mark") << QString(QChar(0xFEFF)) + "a" << QByteArray("?a\r\n");
    QTest::newRow("lone surrogate") << QString("a") + QChar(0xD800) + "b" << QByteArray("a?b\r\n");
    QTest::newRow("lone surrogate at the end") << QString("a") + QChar(0xD800) << QByteArray("a?\r\n");
    QTest::newRow("next to storable kanji") << U("日😀本") << QByteArray("\x93\xFA?\x96\x7B\r\n");
}

void TestDocumentCodec::reportsUnstorableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    const EncodedDocument out = encodeDocument(text, TextEncoding::ShiftJis);
    QCOMPARE(out.bytes, written);
    QVERIFY(out.unstorable);
}

void TestDocumentCodec::utf8StoresEverythingButLoneSurrogates()
{
    const QString text = U("한글 😀 ¥ 〜 日本") + QChar(0x00AD);
    const EncodedDocument out = encodeDocument(text, TextEncoding::Utf8);
    QVERIFY(!out.unstorable);
    QCOMPARE(out.bytes, text.toUtf8() + "\r\n");
    const DecodedDocument back = decodeDocument(out.bytes);
    QCOMPARE(back.encoding, TextEncoding::Utf8);
    QCOMPARE(back.text, text + "\n");

    QVERIFY(encodeDocument(QString("a") + QChar(0xDC00), TextEncoding::Utf8Bom).unstorable);
}

void TestDocumentCodec::choosesWriteEncoding_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("readAs"); // -1: new document
    QTest::addColumn<TextEncoding>("writeAs");
    QTest::addColumn<int>("declaredWhenRead"); // -1: none

    const QString utf8Meta = "<meta charset=\"utf-8\">", sjisMeta = "<meta charset=\"shift_jis\">",
                  noMeta = "<p>x</p>", otherMeta = "<meta charset=\"koi8-r\">";
    const int sjis = int(TextEncoding::ShiftJis), utf8 = int(TextEncoding::Utf8),
              bom = int(TextEncoding::Utf8Bom);
    const int utf16be = int(TextEncoding::Utf16Be);
    QTest::newRow("new document") << noMeta << -1 << TextEncoding::ShiftJis << -1;
    QTest::newRow("new document declaring utf-8") << utf8Meta << -1 << TextEncoding::Utf8 << -1;
    QTest::newRow("read as shift_jis, utf-8 declared since") << utf8Meta << sjis << TextEncoding::Utf8 << -1;
    QTest::newRow("read as shift_jis, declaring utf-8 then") << utf8Meta << sjis << TextEncoding::ShiftJis << utf8;
    QTest::newRow("declaration changed since") << utf8Meta << sjis << TextEncoding::Utf8 << sjis;
    QTest::newRow("read with mark, declares utf-8") << utf8Meta << bom << TextEncoding::Utf8Bom << -1;
    QTest::newRow("read as utf-8, shift_jis declared since") << sjisMeta << utf8 << TextEncoding::ShiftJis << -1;
    QTest::newRow("read as utf-8, declaring shift_jis then") << sjisMeta << utf8 << TextEncoding::Utf8 << sjis;
    QTest::newRow("read with mark, declares shift_jis") << sjisMeta << bom << TextEncoding::Utf8Bom << -1;
    QTest::newRow("read as utf-16be, declares utf-8") << utf8Meta << utf16be << TextEncoding::Utf16Be << utf8;
    QTest::newRow("read as utf-8, no declaration") << noMeta << utf8 << TextEncoding::Utf8 << -1;
    QTest::newRow("read with mark, other declaration") << otherMeta << bom << TextEncoding::Utf8Bom << -1;
}

void TestDocumentCodec::choosesWriteEncoding()
{
    QFETCH(QString, html);
    QFETCH(int, readAs);
    QFETCH(TextEncoding, writeAs);
    QFETCH(int, declaredWhenRead);
    QCOMPARE(chooseWriteEncoding(html, optionalEncoding(readAs), optionalEncoding(declaredWhenRead)), writeAs);
}

void TestDocumentCodec::keepsEveryAlternateSpelling_data()
{
    QTest::addColumn<LegacyCodec>("codec");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("code page 932") << LegacyCodec::ShiftJis << TextEncoding::ShiftJis;
    QTest::newRow("euc-jp") << LegacyCodec::EucJp << TextEncoding::EucJp;
    QTest::newRow("iso-2022-jp") << LegacyCodec::Iso2022Jp << TextEncoding::Iso2022Jp;
}

void TestDocumentCodec::keepsEveryAlternateSpelling()
{
    QFETCH(LegacyCodec, codec);
    QFETCH(TextEncoding, encoding);
    const QList<AlternateSpelling> &all = alternateSpellings(codec);
    QVERIFY(!all.isEmpty());
    if (codec == LegacyCodec::ShiftJis)
        QCOMPARE(all.size(), 398); // as counted in code page 932's published table
    for (const AlternateSpelling &s : all) {
        const QString text = QString(QChar(s.character));
        QVERIFY(s.code != s.standard);
        // Both codes read as the character; without a record the standard one is written.
        // ISO-2022-JP shares EUC-JP's codes.
        const LegacyCodec codes = codec == LegacyCodec::ShiftJis ? codec : LegacyCodec::EucJp;
        QCOMPARE(decodeLegacy(codes, codeBytes(s.code)).text, text);
        if (s.standard != 0)
            QCOMPARE(decodeLegacy(codes, codeBytes(s.standard)).text, text);
        // A document that used the code gets it back.
        QByteArray file = "<p>" + codeBytes(s.code) + "</p>\r\n";
        if (codec == LegacyCodec::Iso2022Jp)
            file = encodeLegacy(codec, U("<p>") + text + U("</p>\r\n"), {{3, s.code}});
        const DecodedDocument doc = decodeDocumentAs(file, encoding);
        QVERIFY(!doc.hadInvalidBytes);
        QCOMPARE(doc.spellings, SpellingRecord({{3, s.code}}));
        QCOMPARE(encodeDocument(doc.text, encoding, doc.spellings).bytes, file);
        QVERIFY(encodeDocument(doc.text, encoding).bytes != file);
    }
}

void TestDocumentCodec::keepsBothSpellingsInOneFile()
{
    // ≒ three times: standard, NEC row 13, standard again; 纊 as NEC-selected and as IBM.
    const QByteArray file = "\x81\xE0\x87\x90\r\n\x81\xE0\xED\x40\xFA\x5C\xED\x40\r\n";
    const DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.encoding, TextEncoding::ShiftJis);
    QCOMPARE(doc.text, U("≒≒\n≒纊纊纊\n"));
    QCOMPARE(doc.spellings, SpellingRecord({{1, 0x8790}, {4, 0xED40}, {6, 0xED40}}));
    QCOMPARE(encodeDocument(doc.text, TextEncoding::ShiftJis, doc.spellings).bytes, file);
}

void TestDocumentCodec::rewritesEveryValidCode_data()
{
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("everyCode");
    QByteArray sjis, euc;
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if ((lead <= 0x9F || lead >= 0xE0) && trail != 0x7F)
                sjis += codeBytes(quint32(lead << 8 | trail));
    for (int a = 0xA1; a <= 0xFE; ++a)
        for (int b = 0xA1; b <= 0xFE; ++b)
            euc += codeBytes(quint32(a << 8 | b)) + codeBytes(quint32(0x8F0000 | a << 8 | b));
    QTest::newRow("code page 932") << TextEncoding::ShiftJis << sjis;
    QTest::newRow("euc-jp") << TextEncoding::EucJp << euc;
}

void TestDocumentCodec::rewritesEveryValidCode()
{
    // A file of every assigned code, in code order, comes back byte for byte.
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, everyCode);
    const QString all = decodeDocumentAs(everyCode, encoding).text;
    QByteArray file;
    qsizetype at = 0;
    for (QChar c : all) {
        const qsizetype length = encoding == TextEncoding::EucJp && everyCode.at(at) == '\x8F' ? 3 : 2;
        if (c != QChar::ReplacementCharacter)
            file += everyCode.mid(at, length) + (file.size() % 64 == 0 ? "\r\n" : "");
        at += length;
    }
    file += "\r\n";
    QVERIFY(file.size() > 10000);
    const DecodedDocument doc = decodeDocumentAs(file, encoding);
    QVERIFY(!doc.hadInvalidBytes);
    const EncodedDocument out = encodeDocument(doc.text, encoding, doc.spellings);
    QVERIFY(!out.unstorable);
    QVERIFY(out.bytes == file);
}

void TestDocumentCodec::editedTextGetsStandardSpelling()
{
    const QByteArray file = "\x87\x90\x87\x90\r\n";
    DecodedDocument doc = decodeDocument(file);
    QCOMPARE(doc.spellings.size(), 2);
    // Typed before both: the marks move with their characters; the typed one is standard.
    doc.text.insert(0, U("≒"));
    shiftSpellings(doc.spellings, 0, 0, 1);
    QCOMPARE(encodeDocument(doc.text, TextEncoding::ShiftJis, doc.spellings).bytes,
             QByteArray("\x81\xE0\x87\x90\x87\x90\r\n"));
    // The second one replaced by the same character typed anew.
    doc.text.replace(2, 1, U("≒"));
    shiftSpellings(doc.spellings, 2, 1, 1);
    QCOMPARE(encodeDocument(doc.text, TextEncoding::ShiftJis, doc.spellings).bytes,
             QByteArray("\x81\xE0\x87\x90\x81\xE0\r\n"));
    // A stale record never writes a code for another character.
    QCOMPARE(encodeDocument(U("ab"), TextEncoding::ShiftJis, {{0, 0x8790}, {7, 0xED40}}).bytes,
             QByteArray("ab\r\n"));
}

void TestDocumentCodec::shiftsSpellingsThroughEdits_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("added");
    QTest::addColumn<QList<qsizetype>>("after");
    // Marks at 2, 5 and 9.
    QTest::newRow("typed before all") << 0 << 0 << 3 << QList<qsizetype>{5, 8, 12};
    QTest::newRow("typed right before a mark") << 5 << 0 << 1 << QList<qsizetype>{2, 6, 10};
    QTest::newRow("typed right after a mark") << 6 << 0 << 1 << QList<qsizetype>{2, 5, 10};
    QTest::newRow("mark deleted") << 5 << 1 << 0 << QList<qsizetype>{2, 8};
    QTest::newRow("mark overwritten") << 4 << 2 << 2 << QList<qsizetype>{2, 9};
    QTest::newRow("range over two marks") << 1 << 6 << 0 << QList<qsizetype>{3};
    QTest::newRow("after all") << 10 << 4 << 0 << QList<qsizetype>{2, 5, 9};
    QTest::newRow("everything replaced") << 0 << 20 << 20 << QList<qsizetype>{};
}

void TestDocumentCodec::shiftsSpellingsThroughEdits()
{
    QFETCH(int, position);
    QFETCH(int, removed);
    QFETCH(int, added);
    QFETCH(QList<qsizetype>, after);
    SpellingRecord record{{2, 0x8790}, {5, 0x8791}, {9, 0x8792}};
    shiftSpellings(record, position, removed, added);
    QList<qsizetype> positions;
    for (const SpellingMark &m : record)
        positions.append(m.position);
    QCOMPARE(positions, after);
}

void TestDocumentCodec::iso2022JpForms_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("invalid");
    QTest::addColumn<bool>("rewritten"); // an unedited save writes the same bytes
    QTest::newRow("kanji") << QByteArray("a\x1B$BF|K\\\x1B(Bb\r\n") << U("a日本b\n") << false << true;
    QTest::newRow("half-width katakana") << QByteArray("\x1B(I1\x1B(B\r\n") << U("ｱ\n") << false << true;
    QTest::newRow("JIS Roman") << QByteArray("\x1B(J\\~\x1B(B\r\n") << U("¥‾\n") << false << true;
    QTest::newRow("NEC row 13") << QByteArray("\x1B$B-!\x1B(B\r\n") << U("①\n") << false << true;
    QTest::newRow("JIS C 6226 escape") << QByteArray("\x1B$@F|\x1B(B\r\n") << U("日\n") << false << false;
    QTest::newRow("half a character") << QByteArray("\x1B$BF\x1B(Bx") << U("\uFFFDx") << true << false;
    QTest::newRow("eight-bit byte") << QByteArray("a\x80") << U("a\uFFFD") << true << false;
}

void TestDocumentCodec::iso2022JpForms()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(bool, invalid);
    QFETCH(bool, rewritten);
    const DecodedDocument doc = decodeDocumentAs(file, TextEncoding::Iso2022Jp);
    QCOMPARE(doc.text, text);
    QCOMPARE(doc.hadInvalidBytes, invalid);
    if (!invalid)
        QCOMPARE(decodeDocument(file).encoding, TextEncoding::Iso2022Jp);
    const EncodedDocument out = encodeDocument(doc.text, TextEncoding::Iso2022Jp, doc.spellings);
    QCOMPARE(out.bytes == file, rewritten);
    if (!invalid)
        QCOMPARE(decodeDocumentAs(out.bytes, TextEncoding::Iso2022Jp).text, text);
}

void TestDocumentCodec::utf16()
{
    const QString text = U("<p>日本語 😀</p>\n");
    for (TextEncoding e : {TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        const EncodedDocument out = encodeDocument(text, e);
        QVERIFY(!out.unstorable);
        QVERIFY(out.bytes.startsWith(e == TextEncoding::Utf16Le ? "\xFF\xFE<\0" : "\xFE\xFF\0<"));
        const DecodedDocument doc = decodeDocument(out.bytes);
        QCOMPARE(doc.encoding, e);
        QCOMPARE(doc.text, text);
        QVERIFY(!doc.hadInvalidBytes);
        // A cut-off last byte is shown, not dropped silently.
        const DecodedDocument cut = decodeDocument(out.bytes.chopped(1));
        QVERIFY(cut.hadInvalidBytes);
    }
    QCOMPARE(chooseWriteEncoding(U("<meta charset=\"utf-16\">"), TextEncoding::Utf16Be), TextEncoding::Utf16Be);
}

QTEST_GUILESS_MAIN(TestDocumentCodec)
#include "tst_documentcodec.moc"
