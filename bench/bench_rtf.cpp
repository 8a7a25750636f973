// Reads a generated 5 MB RTF file (Japanese as \'hh pairs, formatting, paragraphs, small
// tables) into a QTextDocument and prints the reading speed and the memory it took.
#include "windows/core/RtfReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStringEncoder>
#include <QTextDocument>

#include <cstdio>

namespace {

long vmHwmKiB()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

QString hexEscaped(const QString &japanese)
{
    QStringEncoder sjis("Shift_JIS");
    const QByteArray bytes = sjis.encode(japanese);
    QString out;
    for (unsigned char b : bytes)
        out += b < 0x80 ? QString(QChar(b)) : QString::asprintf("\\'%02x", b);
    return out;
}

QString generate(qsizetype targetBytes)
{
    const QStringList sentences = {
        hexEscaped(u"ハイパーリンクは別のページへ移動するための仕組みです。"_qs),
        hexEscaped(u"属性の値は引用符で囲んでください。"_qs),
        hexEscaped(u"表は行と列からなり、セルに文字を入れます。"_qs),
        hexEscaped(u"古いタグは現在のブラウザーでは表示されないことがあります。"_qs),
    };
    QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
        "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
        "{\\f1\\fmodern\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
        "{\\f2\\fswiss\\fcharset0 Arial;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue160;\\red160\\green0\\blue0;}\r\n");
    rtf.reserve(targetBytes + 4096);
    int n = 0;
    while (rtf.size() < targetBytes) {
        ++n;
        if (n % 40 == 0) {
            rtf += "\\pard\\plain\\sb120\\b\\fs28\\cf2 " + sentences[n % 4] + "\\par\r\n";
        } else if (n % 97 == 0) {
            for (int r = 0; r < 5; ++r)
                rtf += "\\trowd\\trgaph108\\clbrdrt\\brdrs\\cellx2000\\cellx6000\\pard\\intbl\\plain "
                       "{\\f1 <TD>}\\cell " + sentences[r % 4] + "\\cell\\row\r\n";
            rtf += "\\pard\\plain\r\n";
        } else {
            rtf += "\\pard\\plain\\li240\\fs21 " + sentences[n % 4] + " plain ASCII text "
                   "{\\b " + sentences[(n + 1) % 4] + "}{\\f1\\cf3 <A HREF=\"x.html\">}"
                   "\\u12354?\\tab{\\i italic}" + sentences[(n + 2) % 4] + "\\par\r\n";
        }
    }
    rtf += "}";
    return rtf;
}

// A worst case for tables: every row of 16 cells.
QString generateTable(qsizetype targetBytes)
{
    const QString cell = hexEscaped(u"セル"_qs);
    QString row = "\\trowd\\trgaph108";
    for (int c = 1; c <= 16; ++c)
        row += QString("\\clbrdrt\\brdrs\\cellx%1").arg(c * 600);
    row += "\\pard\\intbl\\plain ";
    for (int c = 0; c < 16; ++c)
        row += cell + QString::number(c) + "\\cell ";
    row += "\\row\r\n";
    QString rtf = "{\\rtf1\\ansi\\ansicpg932\r\n";
    while (rtf.size() < targetBytes)
        rtf += row;
    return rtf + "}";
}

void measure(const char *what, const QString &rtf, bool layout)
{
    const double megabytes = rtf.size() / (1024.0 * 1024.0);
    const long before = vmHwmKiB();
    QElapsedTimer timer;
    timer.start();
    QTextDocument doc;
    readRtf(rtf, doc);
    const qint64 ms = std::max<qint64>(1, timer.elapsed());
    const long after = vmHwmKiB();
    std::printf("%s: %.2f MB read in %lld ms, %.1f MB/s; %d blocks, %lld characters shown; "
                "peak memory %ld KiB before, %ld KiB after (+%ld KiB)\n",
                what, megabytes, static_cast<long long>(ms), megabytes * 1000.0 / ms,
                doc.blockCount(), static_cast<long long>(doc.characterCount()), before, after,
                after - before);
    if (layout) {
        timer.restart();
        doc.setTextWidth(600);
        const QSizeF size = doc.size();
        std::printf("%s: layout at 600 px wide in %lld ms, %.0f px tall\n", what,
                    static_cast<long long>(timer.elapsed()), size.height());
    }
}

// Many distinct fonts, each used once, or many distinct sets of tab stops: every run or
// paragraph has a format of its own.
QString generateDistinctFormats(int fonts, int tabSets)
{
    QString rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl";
    for (int f = 0; f < fonts; ++f)
        rtf += QString("{\\f%1\\fswiss Face %1;}").arg(f);
    rtf += "}\r\n";
    for (int f = 0; f < fonts; ++f)
        rtf += QString("{\\f%1 x}").arg(f);
    for (int t = 0; t < tabSets; ++t)
        rtf += QString("\\pard\\tx%1\\tx%2 stop\\tab %3\\par\r\n")
                   .arg(100 + t % 5000)
                   .arg(6000 + t)
                   .arg(t);
    return rtf + "}";
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    measure("mixed text", generate(5 * 1024 * 1024), true);
    measure("mixed text, again", generate(5 * 1024 * 1024), false);
    measure("16-column table", generateTable(5 * 1024 * 1024), false);
    measure("32,000 distinct fonts", generateDistinctFormats(32000, 0), true);
    measure("16,000 distinct tab-stop sets", generateDistinctFormats(0, 16000), true);
    return 0;
}
