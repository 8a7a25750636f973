#include "app/core/DocumentCodec.h"
#include "app/core/QuotedValue.h"
#include "support/Encodings.h"

#include <QLocale>
#include <QTest>

#include <clocale>
#include <limits>

namespace {

// One readable line per value list: S"text" N12.5 B1 ...
QString describe(const std::vector<QuotedValue> &values)
{
    QStringList parts;
    for (const QuotedValue &v : values) {
        if (const auto *s = std::get_if<QString>(&v))
            parts << "S\"" + *s + "\"";
        else if (const auto *d = std::get_if<double>(&v))
            parts << "N" + QString::number(*d, 'g', 17);
        else
            parts << (std::get<bool>(v) ? "B1" : "B0");
    }
    return parts.join(u' ');
}

// "ＭＳ Ｐゴシック" in Shift_JIS.
const QByteArray MsPGothic("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");

} // namespace

class TestQuotedValue : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void readsFields_data();
    void readsFields();
    void stopsAtMaxFields();
    void writesValues_data();
    void writesValues();
    void numbersRoundTrip();
    void ignoresQtLocale();
    void ignoresCLocale();
    void parsesFontSettings_data();
    void parsesFontSettings();
    void rejectsUnusableFontSettings_data();
    void rejectsUnusableFontSettings();
    void formatsFontSettings();
    void rewritesOtherFormsCanonically();
};

void TestQuotedValue::cleanup()
{
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
}

void TestQuotedValue::readsFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fields");

    QTest::newRow("one per line") << U("\"ＭＳ Ｐゴシック\"\r\n12\r\n#TRUE#\r\n#FALSE#\r\n")
                                  << U("S\"ＭＳ Ｐゴシック\" N12 B1 B0");
    QTest::newRow("leading spaces and tabs") << "   \"MS Gothic\"\r\n  10.5\r\n \t#FALSE#\r\n\t#TRUE#"
                                             << "S\"MS Gothic\" N10.5 B0 B1";
    QTest::newRow("sharing a line") << "\"a\",12,#TRUE#,#FALSE#" << "S\"a\" N12 B1 B0";
    QTest::newRow("spaces around commas") << "\"a\" , 12 ,#TRUE# , #FALSE#" << "S\"a\" N12 B1 B0";
    QTest::newRow("comma inside quotes") << "\"a,b\",1" << "S\"a,b\" N1";
    QTest::newRow("spaces inside quotes kept") << "\"  a  \"" << "S\"  a  \"";
    QTest::newRow("unquoted name split at its comma")
        << "MS, Gothic\r\n12\r\n#TRUE#\r\n" << "S\"MS\" S\"Gothic\" N12 B1";
    QTest::newRow("unquoted string, trailing spaces trimmed")
        << "Arial Black   \r\n" << "S\"Arial Black\"";
    QTest::newRow("missing closing quote ends at the line")
        << "\"abc\r\n12" << "S\"abc\" N12";
    QTest::newRow("text after closing quote ignored") << "\"a\" x,1" << "S\"a\" N1";
    QTest::newRow("quoted boolean is a string") << "\"#TRUE#\"" << "S\"#TRUE#\"";
    QTest::newRow("boolean in lower case") << "#true#,#False#" << "B1 B0";
    QTest::newRow("booleans with spaces") << "#TRUE# \r\n" << "B1";
    QTest::newRow("broken boolean") << "#TRUE" << "S\"#TRUE\"";
    QTest::newRow("signs and points") << "-3,+4.5,.5,5.,-0.25" << "N-3 N4.5 N0.5 N5 N-0.25";
    QTest::newRow("exponent") << "1e3,2.5E-1" << "N1000 N0.25";
    QTest::newRow("not numbers")
        << "10.5.1,0x10,12abc,inf,nan,1e,+,.,1 2,1e999"
        << "S\"10.5.1\" S\"0x10\" S\"12abc\" S\"inf\" S\"nan\" S\"1e\" S\"+\" S\".\" S\"1 2\" S\"1e999\"";
    QTest::newRow("decimal comma splits") << "10,5" << "N10 N5";
    QTest::newRow("empty fields") << "a,,b" << "S\"a\" S\"\" S\"b\"";
    QTest::newRow("empty line is an empty field") << "\"a\"\r\n\r\n1" << "S\"a\" S\"\" N1";
    QTest::newRow("comma at line end") << "a,\r\nb" << "S\"a\" S\"\" S\"b\"";
    QTest::newRow("lone LF and lone CR") << "\"a\"\n12\r#TRUE#\n\r" << "S\"a\" N12 B1 S\"\"";
    QTest::newRow("nothing") << "" << "";
    QTest::newRow("only spaces") << "   " << "";
}

void TestQuotedValue::readsFields()
{
    QFETCH(QString, text);
    QFETCH(QString, fields);
    QCOMPARE(describe(readQuotedFields(text, 100)), fields);
}

void TestQuotedValue::stopsAtMaxFields()
{
    QCOMPARE(describe(readQuotedFields(u"1,2,3,4,5", 2)), QString("N1 N2"));
    QVERIFY(readQuotedFields(u"1,2", 0).empty());
}

void TestQuotedValue::writesValues_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("expected");
    auto row = [](const char *name, const QuotedValue &v, const QString &expected) {
        QTest::newRow(name) << writeQuotedValue(v) << expected;
    };
    row("string", QString("MS Gothic"), "\"MS Gothic\"");
    row("japanese string", U("ＭＳ Ｐゴシック"), U("\"ＭＳ Ｐゴシック\""));
    row("empty string", QString(), "\"\"");
    row("quote and line breaks left out", QString("a\"b\r\nc"), "\"abc\"");
    row("whole number", 12.0, "12");
    row("fraction", 10.5, "10.5");
    row("shortest form", 0.1, "0.1");
    row("negative", -2.25, "-2.25");
    row("large, no exponent", 1e20, "100000000000000000000");
    row("small, no exponent", 1e-7, "0.0000001");
    row("zero", 0.0, "0");
    row("infinity has no form", std::numeric_limits<double>::infinity(), "0");
    row("true", true, "#TRUE#");
    row("false", false, "#FALSE#");
}

void TestQuotedValue::writesValues()
{
    QFETCH(QString, written);
    QFETCH(QString, expected);
    QCOMPARE(written, expected);
}

void TestQuotedValue::numbersRoundTrip()
{
    for (double d : {10.5, 0.1, 1.0 / 3, 1638.0, 7.25, 123456789.125, 1e-300, 1.7976931348623157e308,
                     std::numeric_limits<double>::denorm_min()}) {
        const QString written = writeQuotedValue(d);
        QVERIFY2(!written.contains(u'e') && !written.contains(u'E'), qPrintable(written));
        const auto back = readQuotedFields(written, 1);
        QCOMPARE(back.size(), size_t(1));
        QCOMPARE(std::get<double>(back[0]), d);
    }
}

static void checkDecimalPoint()
{
    QCOMPARE(writeQuotedValue(10.5), QString("10.5"));
    QCOMPARE(describe(readQuotedFields(u"10.5", 1)), QString("N10.5"));
    const QByteArray file = "\"Arial\"\r\n10.5\r\n#TRUE#\r\n#FALSE#\r\n";
    const auto values = parseFontSettings(file);
    QVERIFY(values);
    QCOMPARE(values->size, 10.5);
    QCOMPARE(formatFontSettings(*values), file);
}

void TestQuotedValue::ignoresQtLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    checkDecimalPoint();
}

void TestQuotedValue::ignoresCLocale()
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
        QSKIP("no German C locale installed");
    checkDecimalPoint();
}

void TestQuotedValue::parsesFontSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");

    QTest::newRow("as written") << "\"" + MsPGothic + "\"\r\n12\r\n#FALSE#\r\n#FALSE#\r\n"
                                << U("ＭＳ Ｐゴシック") << 12.0 << false << false;
    QTest::newRow("fractional size, bold italic") << QByteArray("\"Arial\"\r\n10.5\r\n#TRUE#\r\n#TRUE#\r\n")
                                                  << "Arial" << 10.5 << true << true;
    QTest::newRow("one line") << QByteArray("\"Arial\",9,#FALSE#,#TRUE#")
                              << "Arial" << 9.0 << false << true;
    QTest::newRow("leading spaces, LF ends")
        << QByteArray("  \"Arial\"\n  8\n  #TRUE#\n  #FALSE#\n") << "Arial" << 8.0 << true << false;
    QTest::newRow("unquoted name") << QByteArray("Courier New\r\n11\r\n#FALSE#\r\n#FALSE#\r\n")
                                   << "Courier New" << 11.0 << false << false;
    QTest::newRow("largest size") << QByteArray("\"a\"\r\n1638\r\n#FALSE#\r\n#FALSE#\r\n")
                                  << "a" << 1638.0 << false << false;
    QTest::newRow("more lines after the four") << QByteArray("\"a\"\r\n9\r\n#FALSE#\r\n#FALSE#\r\nxyz\r\n")
                                               << "a" << 9.0 << false << false;
}

void TestQuotedValue::parsesFontSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(double, size);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    const auto values = parseFontSettings(file);
    QVERIFY(values);
    QCOMPARE(*values, (FontSettingsValues{name, size, bold, italic}));
}

void TestQuotedValue::rejectsUnusableFontSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("three values") << QByteArray("\"a\"\r\n12\r\n#TRUE#\r\n");
    QTest::newRow("cut inside the size") << QByteArray("\"a\"\r\n1");
    QTest::newRow("name split by its comma") << QByteArray("MS, Gothic\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("number as name") << QByteArray("12\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("boolean as name") << QByteArray("#TRUE#\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("empty name") << QByteArray("\"\"\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("name with a quote") << QByteArray("a\"b\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("undecodable name") << QByteArray("\"a\x80\"\r\n12\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("quoted size") << QByteArray("\"a\"\r\n\"12\"\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("decimal comma size") << QByteArray("\"a\"\r\n10,5\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("zero size") << QByteArray("\"a\"\r\n0\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("negative size") << QByteArray("\"a\"\r\n-9\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("huge size") << QByteArray("\"a\"\r\n1638.5\r\n#TRUE#\r\n#FALSE#\r\n");
    QTest::newRow("number as flag") << QByteArray("\"a\"\r\n12\r\n-1\r\n#FALSE#\r\n");
    QTest::newRow("string as flag") << QByteArray("\"a\"\r\n12\r\n#TRUE#\r\n\"#FALSE#\"\r\n");
    QTest::newRow("missing flag line") << QByteArray("\"a\"\r\n12\r\n\r\n#FALSE#\r\n");
}

void TestQuotedValue::rejectsUnusableFontSettings()
{
    QFETCH(QByteArray, file);
    QVERIFY(!parseFontSettings(file));
}

void TestQuotedValue::formatsFontSettings()
{
    const QByteArray expected = "\"" + MsPGothic + "\"\r\n12\r\n#FALSE#\r\n#FALSE#\r\n";
    QCOMPARE(formatFontSettings({U("ＭＳ Ｐゴシック"), 12, false, false}), expected);
    const auto back = parseFontSettings(expected);
    QVERIFY(back);
    QCOMPARE(formatFontSettings(*back), expected);

    QCOMPARE(formatFontSettings({"Arial", 10.5, true, false}),
             QByteArray("\"Arial\"\r\n10.5\r\n#TRUE#\r\n#FALSE#\r\n"));
}

void TestQuotedValue::rewritesOtherFormsCanonically()
{
    const auto values = parseFontSettings("  \"Arial\" ,  +10.50 ,#true#,#FALSE#");
    QVERIFY(values);
    QCOMPARE(formatFontSettings(*values), QByteArray("\"Arial\"\r\n10.5\r\n#TRUE#\r\n#FALSE#\r\n"));
}

QTEST_GUILESS_MAIN(TestQuotedValue)
#include "tst_quotedvalue.moc"
