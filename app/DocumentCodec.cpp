#include "app/DocumentCodec.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

// ICU resolves this name to its code page 932 table: the wave dash, parallel, minus, not sign
// and backslash map as Windows maps them.
constexpr char kShiftJisName[] = "Shift_JIS";
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool IsLeadByte(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(uchar b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool IsSingleByte(uchar b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

// ICU's table follows the IBM convention for three control codes (byte 0x1A <-> U+001C,
// 0x1C <-> U+007F, 0x7F <-> U+001A); code page 932 maps them to themselves. These undo and
// redo that swap around every call into the converter.
char16_t ControlFromIcu(char16_t c)
{
    switch (c) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return c;
    }
}

char16_t ControlToIcu(char16_t c)
{
    switch (c) {
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    case 0x7F: return 0x1A;
    default: return c;
    }
}

bool IsLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

bool IsStorableInShiftJis(char32_t cp, QHash<char32_t, bool> &known)
{
    if (cp < 0x80)
        return true;
    const auto it = known.constFind(cp);
    if (it != known.constEnd())
        return *it;
    // A fresh converter per distinct character: the converter's error flag cannot be reset.
    QStringEncoder probe(kShiftJisName, QStringEncoder::Flag::Stateless);
    // Built by hand: QString::fromUcs4 would swallow U+FEFF as a byte-order mark.
    const char16_t units[2] = {QChar::highSurrogate(cp), QChar::lowSurrogate(cp)};
    const QString single = QChar::requiresSurrogates(cp)
        ? QString(reinterpret_cast<const QChar *>(units), 2)
        : QString(QChar(char16_t(cp)));
    const QByteArray ignored = probe.encode(single);
    Q_UNUSED(ignored);
    const bool ok = !probe.hasError();
    known.insert(cp, ok);
    return ok;
}

// Encodes text whose control codes have already gone through ControlToIcu. The converter
// drops some unmappable characters instead of substituting them, so on any error the text is
// rebuilt with '?' for every character the code page cannot hold and encoded again.
QByteArray EncodePreparedShiftJis(const QString &prepared, bool *unstorable)
{
    QStringEncoder encoder(kShiftJisName, QStringEncoder::Flag::Stateless);
    QByteArray out = encoder.encode(prepared);
    if (!encoder.hasError()) {
        if (unstorable)
            *unstorable = false;
        return out;
    }
    QString clean;
    clean.reserve(prepared.size());
    QHash<char32_t, bool> known;
    const qsizetype n = prepared.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = prepared.at(i);
        if (c.isHighSurrogate() && i + 1 < n && prepared.at(i + 1).isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, prepared.at(i + 1));
            if (IsStorableInShiftJis(cp, known))
                clean.append(prepared.sliced(i, 2));
            else
                clean.append(u'?');
            ++i;
        } else if (c.isSurrogate() || !IsStorableInShiftJis(c.unicode(), known)) {
            clean.append(u'?');
        } else {
            clean.append(c);
        }
    }
    QStringEncoder again(kShiftJisName, QStringEncoder::Flag::Stateless);
    out = again.encode(clean);
    if (unstorable)
        *unstorable = true;
    return out;
}

// Replaces every CR LF, lone CR and lone LF by '\n' in place.
void NormaliseLineBreaks(QString &text)
{
    QChar *const begin = text.data();
    const QChar *read = begin;
    const QChar *const end = begin + text.size();
    QChar *write = begin;
    while (read != end) {
        if (*read == u'\r') {
            *write++ = u'\n';
            ++read;
            if (read != end && *read == u'\n')
                ++read;
        } else {
            *write++ = *read++;
        }
    }
    text.truncate(write - begin);
}

std::optional<TextEncoding> EncodingForLabel(QStringView label)
{
    const QString name = label.trimmed().toString().toLower();
    static const char *const utf8Labels[] = {"utf-8", "utf8", "unicode-1-1-utf-8",
                                             "unicode11utf8", "unicode20utf8", "x-unicode20utf8"};
    static const char *const sjisLabels[] = {"shift_jis", "shift-jis", "sjis", "x-sjis",
                                             "windows-31j", "cp932", "ms932", "ms_kanji",
                                             "csshiftjis"};
    for (const char *l : utf8Labels)
        if (name == QLatin1String(l))
            return TextEncoding::Utf8;
    for (const char *l : sjisLabels)
        if (name == QLatin1String(l))
            return TextEncoding::ShiftJis;
    return std::nullopt;
}

bool IsHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The charset named inside a Content-Type value such as "text/html; charset=Shift_JIS".
std::optional<QStringView> CharsetFromContent(QStringView content)
{
    qsizetype at = 0;
    while ((at = content.indexOf(u"charset", at, Qt::CaseInsensitive)) >= 0) {
        qsizetype i = at + 7;
        while (i < content.size() && IsHtmlSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != u'=') {
            at = i;
            continue;
        }
        ++i;
        while (i < content.size() && IsHtmlSpace(content[i]))
            ++i;
        if (i >= content.size())
            return std::nullopt;
        if (content[i] == u'"' || content[i] == u'\'') {
            const qsizetype close = content.indexOf(content[i], i + 1);
            if (close < 0)
                return std::nullopt;
            return content.sliced(i + 1, close - i - 1);
        }
        qsizetype e = i;
        while (e < content.size() && content[e] != u';' && !IsHtmlSpace(content[e]))
            ++e;
        return content.sliced(i, e - i);
    }
    return std::nullopt;
}

struct MetaTag {
    std::optional<QStringView> charset, httpEquiv, content;
    qsizetype end = 0; // index just past the tag
};

// Reads the attributes of a tag whose name ends at `pos`.
MetaTag ReadMetaAttributes(QStringView text, qsizetype pos)
{
    MetaTag tag;
    const qsizetype n = text.size();
    while (pos < n) {
        while (pos < n && (IsHtmlSpace(text[pos]) || text[pos] == u'/'))
            ++pos;
        if (pos >= n || text[pos] == u'>')
            break;
        const qsizetype nameStart = pos;
        while (pos < n && !IsHtmlSpace(text[pos]) && text[pos] != u'/' && text[pos] != u'>'
               && (text[pos] != u'=' || pos == nameStart))
            ++pos;
        const QStringView name = text.sliced(nameStart, pos - nameStart);
        QStringView value;
        qsizetype look = pos;
        while (look < n && IsHtmlSpace(text[look]))
            ++look;
        if (look < n && text[look] == u'=') {
            pos = look + 1;
            while (pos < n && IsHtmlSpace(text[pos]))
                ++pos;
            if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
                const QChar quote = text[pos];
                qsizetype close = text.indexOf(quote, pos + 1);
                if (close < 0)
                    close = n;
                value = text.sliced(pos + 1, close - pos - 1);
                pos = std::min(close + 1, n);
            } else {
                const qsizetype valueStart = pos;
                while (pos < n && !IsHtmlSpace(text[pos]) && text[pos] != u'>')
                    ++pos;
                value = text.sliced(valueStart, pos - valueStart);
            }
        }
        auto setOnce = [&](std::optional<QStringView> &slot) {
            if (!slot)
                slot = value;
        };
        if (name.compare(u"charset", Qt::CaseInsensitive) == 0)
            setOnce(tag.charset);
        else if (name.compare(u"http-equiv", Qt::CaseInsensitive) == 0)
            setOnce(tag.httpEquiv);
        else if (name.compare(u"content", Qt::CaseInsensitive) == 0)
            setOnce(tag.content);
    }
    tag.end = std::min(pos + 1, n);
    return tag;
}

} // namespace

QString DecodeShiftJis(QByteArrayView bytes, bool *invalid)
{
    QStringDecoder decoder(kShiftJisName, QStringDecoder::Flag::Stateless);
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    QString out(decoder.requiredSpace(n), Qt::Uninitialized);
    qsizetype used = 0;
    bool bad = false;

    // Well-formed runs go to the converter in one piece each; a byte that cannot start a
    // character becomes U+FFFD here, so the converter never sees an illegal sequence.
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype runEnd) {
        if (runEnd == runStart)
            return;
        const QByteArrayView run = bytes.sliced(runStart, runEnd - runStart);
        const qsizetype need = decoder.requiredSpace(run.size());
        if (out.size() - used < need)
            out.resize(std::max(out.size() * 2, used + need));
        QChar *const at = out.data() + used;
        used = decoder.appendToBuffer(at, run) - out.data();
    };
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        if (IsSingleByte(b)) {
            ++i;
        } else if (IsLeadByte(b) && i + 1 < n && IsTrailByte(p[i + 1])) {
            i += 2;
        } else {
            flushRun(i);
            if (out.size() == used)
                out.resize(out.size() * 2 + 1);
            out[used++] = QChar::ReplacementCharacter;
            bad = true;
            runStart = ++i;
        }
    }
    flushRun(n);
    out.truncate(used);
    for (QChar &c : out)
        c = QChar(ControlFromIcu(c.unicode()));
    out.squeeze();
    if (invalid)
        *invalid = bad || decoder.hasError(); // unassigned codes came back as U+FFFD
    return out;
}

QByteArray EncodeShiftJis(QStringView text, bool *unstorable)
{
    QString prepared(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), prepared.begin(),
                   [](QChar c) { return QChar(ControlToIcu(c.unicode())); });
    return EncodePreparedShiftJis(prepared, unstorable);
}

DecodedDocument DecodeDocument(QByteArrayView bytes)
{
    DecodedDocument doc;
    if (bytes.contains('\0')) {
        doc.hasNul = true;
        return doc;
    }
    const bool hasBom = bytes.startsWith(kUtf8Bom);
    const QByteArrayView body = hasBom ? bytes.sliced(3) : bytes;
    QString text;
    // The validity check stops at the first bad byte, so Shift_JIS files are not decoded twice.
    if (hasBom || body.isValidUtf8()) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                      | QStringDecoder::Flag::ConvertInitialBom);
        text = utf8.decode(body);
        doc.hadInvalidBytes = utf8.hasError(); // only after a byte-order mark
        const bool ascii = !hasBom && std::all_of(body.begin(), body.end(), [](char c) {
            return uchar(c) < 0x80;
        });
        doc.encoding = hasBom ? TextEncoding::Utf8Bom
                              : ascii ? TextEncoding::ShiftJis : TextEncoding::Utf8;
    } else {
        doc.encoding = TextEncoding::ShiftJis;
        text = DecodeShiftJis(body, &doc.hadInvalidBytes);
    }
    NormaliseLineBreaks(text);
    doc.text = std::move(text);
    return doc;
}

std::optional<TextEncoding> DeclaredEncoding(QStringView text)
{
    qsizetype i = 0;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(u"<!--")) {
            const qsizetype close = text.indexOf(u"-->", i + 4);
            if (close < 0)
                return std::nullopt;
            i = close + 3;
            continue;
        }
        if (rest.startsWith(u"<meta", Qt::CaseInsensitive)
            && (rest.size() == 5 || IsHtmlSpace(rest[5]) || rest[5] == u'/' || rest[5] == u'>')) {
            const MetaTag tag = ReadMetaAttributes(text, i + 5);
            std::optional<QStringView> label = tag.charset;
            if (!label && tag.httpEquiv && tag.content
                && tag.httpEquiv->trimmed().compare(u"content-type", Qt::CaseInsensitive) == 0)
                label = CharsetFromContent(*tag.content);
            if (label) // the first declaration decides, whatever it names
                return EncodingForLabel(*label);
            i = tag.end;
            continue;
        }
        ++i;
    }
    return std::nullopt;
}

TextEncoding ChooseWriteEncoding(QStringView text, std::optional<TextEncoding> readEncoding)
{
    if (const auto declared = DeclaredEncoding(text)) {
        if (*declared == TextEncoding::Utf8 && readEncoding == TextEncoding::Utf8Bom)
            return TextEncoding::Utf8Bom;
        return *declared;
    }
    return readEncoding.value_or(TextEncoding::ShiftJis);
}

EncodedDocument EncodeDocument(QStringView text, TextEncoding encoding)
{
    const bool sjis = encoding == TextEncoding::ShiftJis;
    const bool endsWithBreak = !text.isEmpty() && IsLineBreak(text.back().unicode());

    // Every line break becomes CR LF; one more CR LF ends a text without a final break.
    const qsizetype n = text.size();
    qsizetype size = n + (endsWithBreak ? 0 : 2);
    for (qsizetype i = 0; i < n; ++i) {
        if ((text[i] == u'\r' && (i + 1 == n || text[i + 1] != u'\n'))
            || (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')))
            ++size; // a lone CR or LF grows into CR LF
    }
    QString lines(size, Qt::Uninitialized);
    QChar *w = lines.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            *w++ = u'\r';
            *w++ = u'\n';
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else {
            *w++ = QChar(sjis ? ControlToIcu(c) : c);
        }
    }
    if (!endsWithBreak) {
        *w++ = u'\r';
        *w++ = u'\n';
    }
    Q_ASSERT(w == lines.data() + size);

    EncodedDocument out;
    if (sjis) {
        out.bytes = EncodePreparedShiftJis(lines, &out.unstorable);
    } else {
        QStringEncoder utf8(QStringEncoder::Utf8);
        const QByteArray body = utf8.encode(lines);
        out.unstorable = utf8.hasError(); // lone surrogates, written as U+FFFD
        if (encoding == TextEncoding::Utf8Bom) {
            out.bytes.reserve(body.size() + 3);
            out.bytes.append(kUtf8Bom);
        }
        out.bytes.append(body);
    }
    return out;
}
