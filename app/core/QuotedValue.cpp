#include "app/core/QuotedValue.h"

#include "app/core/DocumentCodec.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isFieldSpace(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Plain decimal: [+-] digits [. digits] [(e|E) [+-] digits], at least one mantissa digit.
std::optional<double> parseNumber(QStringView field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    if (i < n && (field[i] == u'+' || field[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(field[i]))
        ++i, ++digits;
    if (i < n && field[i] == u'.') {
        ++i;
        while (i < n && isDigit(field[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (field[i] == u'e' || field[i] == u'E')) {
        ++i;
        if (i < n && (field[i] == u'+' || field[i] == u'-'))
            ++i;
        qsizetype expDigits = 0;
        while (i < n && isDigit(field[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    // from_chars is locale-independent but takes no '+'.
    const QByteArray ascii = field.toLatin1();
    const char *first = ascii.constData();
    const char *last = first + ascii.size();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QuotedValue classifyUnquoted(QStringView field)
{
    if (field.compare(u"#TRUE#", Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare(u"#FALSE#", Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = parseNumber(field))
        return *number;
    return field.toString();
}

} // namespace

std::vector<QuotedValue> readQuotedFields(QStringView text, std::size_t maxFields)
{
    std::vector<QuotedValue> fields;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (fields.size() < maxFields) {
        while (pos < n && isFieldSpace(text[pos]))
            ++pos;
        if (pos >= n)
            break;
        if (text[pos] == u'"') {
            qsizetype end = pos + 1;
            while (end < n && text[end] != u'"' && !isLineEnd(text[end]))
                ++end;
            fields.emplace_back(text.sliced(pos + 1, end - pos - 1).toString());
            pos = end;
            if (pos < n && text[pos] == u'"')
                ++pos;
            while (pos < n && text[pos] != u',' && !isLineEnd(text[pos]))
                ++pos; // stray characters after the closing quote
        } else {
            qsizetype end = pos;
            while (end < n && text[end] != u',' && !isLineEnd(text[end]))
                ++end;
            qsizetype last = end;
            while (last > pos && isFieldSpace(text[last - 1]))
                --last;
            fields.push_back(classifyUnquoted(text.sliced(pos, last - pos)));
            pos = end;
        }
        // Consume the separator: a comma, or one line break.
        if (pos < n && text[pos] == u',') {
            ++pos;
        } else if (pos < n && text[pos] == u'\r') {
            ++pos;
            if (pos < n && text[pos] == u'\n')
                ++pos;
        } else if (pos < n && text[pos] == u'\n') {
            ++pos;
        }
    }
    return fields;
}

QString writeQuotedValue(const QuotedValue &value)
{
    if (const auto *s = std::get_if<QString>(&value)) {
        QString out;
        out.reserve(s->size() + 2);
        out.append(u'"');
        for (QChar c : *s)
            if (c != u'"' && !isLineEnd(c))
                out.append(c);
        out.append(u'"');
        return out;
    }
    if (const auto *b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#");

    const double number = std::get<double>(value);
    if (!std::isfinite(number))
        return QStringLiteral("0"); // the syntax has no infinity; reading never yields one
    // Fixed notation never uses an exponent; the longest double needs about 330 characters.
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number,
                                         std::chars_format::fixed);
    if (ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, end - buffer);
}

std::optional<FontSettingsValues> parseFontSettings(QByteArrayView fileBytes)
{
    if (fileBytes.size() > MaxFontSettingsBytes)
        return std::nullopt;
    const std::vector<QuotedValue> fields = readQuotedFields(decodeShiftJis(fileBytes), 4);
    if (fields.size() != 4)
        return std::nullopt;
    const auto *name = std::get_if<QString>(&fields[0]);
    const auto *size = std::get_if<double>(&fields[1]);
    const auto *bold = std::get_if<bool>(&fields[2]);
    const auto *italic = std::get_if<bool>(&fields[3]);
    if (!name || !size || !bold || !italic)
        return std::nullopt;
    // A name the writer could not reproduce, or one holding undecodable bytes, is damage.
    if (name->isEmpty() || name->contains(u'"') || name->contains(QChar::ReplacementCharacter))
        return std::nullopt;
    if (!(*size > 0 && *size <= MaxFontPointSize))
        return std::nullopt;
    return FontSettingsValues{*name, *size, *bold, *italic};
}

QByteArray formatFontSettings(const FontSettingsValues &values)
{
    QString text;
    for (const QuotedValue &v : {QuotedValue(values.name), QuotedValue(values.size),
                                 QuotedValue(values.bold), QuotedValue(values.italic)}) {
        text += writeQuotedValue(v);
        text += u"\r\n";
    }
    return encodeShiftJis(text);
}
