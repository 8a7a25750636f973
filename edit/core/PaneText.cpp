#include "edit/core/PaneText.h"

#include <QColor>

namespace {
struct Pair {
    char16_t original;
    char16_t standIn;
};
constexpr Pair Pairs[] = {
    {u'\u2028', u'\uFDD2'},
    {u'\u2029', u'\uFDD3'},
    {u'\uFDD0', u'\uFDD4'},
    {u'\uFDD1', u'\uFDD5'},
};

bool holdsAny(const QString &text, bool standIns)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // All eight lie in two narrow ranges: one comparison rules most characters out.
        if (u < 0x2028)
            continue;
        for (const Pair &p : Pairs)
            if (u == (standIns ? p.standIn : p.original))
                return true;
    }
    return false;
}
}

QString toPaneText(QString text)
{
    if (holdsAny(text, false))
        for (const Pair &p : Pairs)
            text.replace(QChar(p.original), QChar(p.standIn));
    return text;
}

QString fromPaneText(QString text)
{
    text = paneLineBreaks(std::move(text));
    if (holdsAny(text, true))
        for (const Pair &p : Pairs)
            text.replace(QChar(p.standIn), QChar(p.original));
    return text;
}

bool isHiddenStandIn(QChar c)
{
    return c.unicode() >= 0xFDD2 && c.unicode() <= 0xFDD5;
}

QTextCharFormat hiddenCharacterFormat()
{
    QTextCharFormat format;
    format.setForeground(QColor(0xC0, 0x00, 0x00));
    format.setBackground(QColor(0xFF, 0xE0, 0xE0));  // seen even where it has no glyph
    return format;
}

QString paneLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
