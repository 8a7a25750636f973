#include "windows/core/HelpFile.h"

#include "app/core/DocumentCodec.h"

#include <cmath>

QStringList tagHelpEntries()
{
    // The gap is an ideographic space, except in entries 2 and 3 (an ordinary space).
    return {
        QStringLiteral("<!--  ->　コメント文"),
        QStringLiteral("<A>　ハイパーリンク"),
        QStringLiteral("<B> 太字"),
        QStringLiteral("<BGSOUND> ＢＧＭ"),
        QStringLiteral("<BLINK>　点滅"),
        QStringLiteral("<BODY>　色設定"),
        QStringLiteral("<BR>　改行"),
        QStringLiteral("<CENTER>　センタリング"),
        QStringLiteral("<EMBED>　埋め込みオブジェクト"),
        QStringLiteral("<FONT>　文字設定"),
        QStringLiteral("<FORM>　フォーム"),
        QStringLiteral("<FRAME>　フレーム"),
        QStringLiteral("<FRAMESET>　フレーム定義"),
        QStringLiteral("<HR>　横線"),
        QStringLiteral("<I>　イタリック体"),
        QStringLiteral("<IMG>　イメージ表示"),
        QStringLiteral("<INPUT>　入力エリア、ボタン設定"),
        QStringLiteral("<MAP><AREA>　マップデータ作成"),
        QStringLiteral("<MARQUEE>　マーキー（文字移動）"),
        QStringLiteral("<NOBR>　改行の禁止"),
        QStringLiteral("<OL><LI>　番号付きリスト"),
        QStringLiteral("<P>　段落"),
        QStringLiteral("<U>　アンダーライン"),
        QStringLiteral("<SELECT><OPTION>　選択、フィールド型リスト"),
        QStringLiteral("<SUB>　下付表示"),
        QStringLiteral("<SUP>　上付表示"),
        QStringLiteral("<TABLE><TR><TD>　表"),
        QStringLiteral("<TITLE>　タイトル"),
        QStringLiteral("<UL><LI>　番号無しリスト"),
    };
}

qint32 helpListWidth(double innerWidth)
{
    // nearbyint rounds to even in the default rounding mode.
    return qint32(std::nearbyint(innerWidth / 3.0));
}

QString helpTextFromBytes(const QByteArray &bytes)
{
    // CR is never a trail byte in Shift_JIS, so the whole file decodes at once and the line
    // ends are found in the decoded text.
    const QString raw = decodeShiftJis(bytes);
    QString out;
    out.reserve(raw.size() + raw.size() / 16 + 2);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\r'))
            continue;
        out.append(QStringView(raw).mid(lineStart, i - lineStart));
        out.append(QLatin1String("\r\n"));
        if (i + 1 < raw.size() && raw[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < raw.size()) {
        out.append(QStringView(raw).mid(lineStart));
        out.append(QLatin1String("\r\n"));
    }
    return out;
}
