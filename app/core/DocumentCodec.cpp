#include "app/core/DocumentCodec.h"

#include "app/core/EncodingDetector.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

constexpr char Utf8BomBytes[] = "\xEF\xBB\xBF";
constexpr char Utf16LeBomBytes[] = "\xFF\xFE";
constexpr char Utf16BeBomBytes[] = "\xFE\xFF";

// A declaration is looked for in this much of the file: it belongs in the page's head.
constexpr qsizetype DeclarationWindow = 64 * 1024;

bool isLineBreak(char16_t c) { return c == u'\n' || c == u'\r'; }

constexpr quint32 kCrLf = 0x0D0A, kLf = 0x0A, kCr = 0x0D;

quint32 codeOf(LineBreak style)
{
    switch (style) {
    case LineBreak::Lf: return kLf;
    case LineBreak::Cr: return kCr;
    case LineBreak::CrLf: break;
    }
    return kCrLf;
}

LineBreak styleOf(quint32 code)
{
    return code == kLf ? LineBreak::Lf : code == kCr ? LineBreak::Cr : LineBreak::CrLf;
}

// Replaces every CR LF, lone CR and lone LF by '\n' in place; moves the marks, which index
// the text before, to the same characters after. Returns how the breaks were spelled.
LineEnds normaliseLineBreaks(QString &text, SpellingRecord &marks)
{
    QChar *const begin = text.data();
    const QChar *read = begin;
    const QChar *const end = begin + text.size();
    QChar *write = begin;
    // Pointers taken once: the list's own begin() and end() check for sharing on every call,
    // and an empty list, which holds no data, would be "detached" once for every character.
    SpellingMark *mark = marks.data();
    SpellingMark *const marksEnd = mark + marks.size();
    // Breaks are recorded against the first one's style; the majority is settled after.
    LineEnds ends;
    quint32 first = 0;
    qsizetype counts[3] = {};  // CR LF, LF, CR
    auto recordBreak = [&](quint32 code) {
        ++counts[code == kCrLf ? 0 : code == kLf ? 1 : 2];
        if (first == 0)
            first = code;
        else if (code != first)
            ends.others.append({write - begin, code});
        *write++ = u'\n';
    };
    while (read != end) {
        if (mark != marksEnd && mark->position == read - begin) {
            mark->position = write - begin;
            ++mark;
        }
        if (*read == u'\r') {
            ++read;
            if (read != end && *read == u'\n') {
                ++read;
                recordBreak(kCrLf);
            } else {
                recordBreak(kCr);
            }
        } else if (*read == u'\n') {
            ++read;
            recordBreak(kLf);
        } else {
            *write++ = *read++;
        }
    }
    text.truncate(write - begin);
    ends.finalBreak = !text.isEmpty() && text.back() == u'\n';
    if (first == 0)
        return ends;
    ends.style = styleOf(first);
    const qsizetype firstCount = counts[first == kCrLf ? 0 : first == kLf ? 1 : 2];
    const qsizetype *most = std::max_element(std::begin(counts), std::end(counts));
    if (*most <= firstCount)
        return ends;
    // Most breaks are of another style than the first (a mixed file): record against that.
    const LineBreak majority = std::array{LineBreak::CrLf, LineBreak::Lf, LineBreak::Cr}[most - counts];
    SpellingRecord others;
    const SpellingMark *old = ends.others.constData();
    const SpellingMark *const oldEnd = old + ends.others.size();
    for (qsizetype at = 0; (at = text.indexOf(u'\n', at)) >= 0; ++at) {
        quint32 code = first;
        if (old != oldEnd && old->position == at)
            code = (old++)->code;
        if (code != codeOf(majority))
            others.append({at, code});
    }
    ends.style = majority;
    ends.others = std::move(others);
    return ends;
}

std::optional<LegacyCodec> legacyCodecFor(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::ShiftJis: return LegacyCodec::ShiftJis;
    case TextEncoding::EucJp: return LegacyCodec::EucJp;
    case TextEncoding::Iso2022Jp: return LegacyCodec::Iso2022Jp;
    default: return std::nullopt;
    }
}

std::optional<TextEncoding> encodingForLabel(QStringView label)
{
    const QString name = label.trimmed().toString().toLower();
    struct Labels {
        TextEncoding encoding;
        std::initializer_list<const char *> names;
    };
    // The labels browsers accept for these encodings.
    static const Labels table[] = {
        {TextEncoding::Utf8,
         {"utf-8", "utf8", "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "x-unicode20utf8"}},
        {TextEncoding::ShiftJis,
         {"shift_jis", "shift-jis", "sjis", "x-sjis", "windows-31j", "cp932", "ms932", "ms_kanji",
          "csshiftjis"}},
        {TextEncoding::EucJp, {"euc-jp", "x-euc-jp", "cseucpkdfmtjapanese"}},
        {TextEncoding::Iso2022Jp, {"iso-2022-jp", "csiso2022jp"}},
        {TextEncoding::Utf16Le, {"utf-16", "utf-16le", "unicode", "ucs-2", "csunicode",
                                 "iso-10646-ucs-2", "unicodefeff"}},
        {TextEncoding::Utf16Be, {"utf-16be", "unicodefffe"}},
    };
    for (const Labels &labels : table)
        for (const char *l : labels.names)
            if (name == QLatin1String(l))
                return labels.encoding;
    return std::nullopt;
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The value of encoding= in an XML declaration (without its "?>").
std::optional<QStringView> xmlEncodingLabel(QStringView declaration)
{
    qsizetype at = 0;
    while ((at = declaration.indexOf(u"encoding", at)) >= 0) {
        qsizetype i = at + 8;
        while (i < declaration.size() && isHtmlSpace(declaration[i]))
            ++i;
        if (i < declaration.size() && declaration[i] == u'=') {
            ++i;
            while (i < declaration.size() && isHtmlSpace(declaration[i]))
                ++i;
            if (i < declaration.size() && (declaration[i] == u'"' || declaration[i] == u'\'')) {
                const qsizetype close = declaration.indexOf(declaration[i], i + 1);
                if (close > i)
                    return declaration.sliced(i + 1, close - i - 1);
            }
            return std::nullopt;
        }
        at = i;
    }
    return std::nullopt;
}

// The charset named inside a Content-Type value such as "text/html; charset=Shift_JIS".
std::optional<QStringView> charsetFromContent(QStringView content)
{
    qsizetype at = 0;
    while ((at = content.indexOf(u"charset", at, Qt::CaseInsensitive)) >= 0) {
        qsizetype i = at + 7;
        while (i < content.size() && isHtmlSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != u'=') {
            at = i;
            continue;
        }
        ++i;
        while (i < content.size() && isHtmlSpace(content[i]))
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
        while (e < content.size() && content[e] != u';' && !isHtmlSpace(content[e]))
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
MetaTag readMetaAttributes(QStringView text, qsizetype pos)
{
    MetaTag tag;
    const qsizetype n = text.size();
    while (pos < n) {
        while (pos < n && (isHtmlSpace(text[pos]) || text[pos] == u'/'))
            ++pos;
        if (pos >= n || text[pos] == u'>')
            break;
        const qsizetype nameStart = pos;
        while (pos < n && !isHtmlSpace(text[pos]) && text[pos] != u'/' && text[pos] != u'>'
               && (text[pos] != u'=' || pos == nameStart))
            ++pos;
        const QStringView name = text.sliced(nameStart, pos - nameStart);
        QStringView value;
        qsizetype look = pos;
        while (look < n && isHtmlSpace(text[look]))
            ++look;
        if (look < n && text[look] == u'=') {
            pos = look + 1;
            while (pos < n && isHtmlSpace(text[pos]))
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
                while (pos < n && !isHtmlSpace(text[pos]) && text[pos] != u'>')
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

// Decodes bytes (without byte-order mark) as encoding; line breaks untouched.
DecodedDocument decodeRaw(QByteArrayView bytes, TextEncoding encoding)
{
    DecodedDocument doc;
    doc.encoding = encoding;
    if (const auto codec = legacyCodecFor(encoding)) {
        LegacyText legacy = decodeLegacy(*codec, bytes);
        doc.text = std::move(legacy.text);
        doc.spellings = std::move(legacy.spellings);
        doc.hadInvalidBytes = legacy.invalid;
    } else if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        QStringDecoder utf16(encoding == TextEncoding::Utf16Le ? QStringDecoder::Utf16LE
                                                               : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        doc.text = utf16.decode(bytes);
        doc.hadInvalidBytes = utf16.hasError() || bytes.size() % 2 != 0; // a cut-off last unit
    } else {
        // A second byte-order mark is a character of the text.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                      | QStringDecoder::Flag::ConvertInitialBom);
        doc.text = utf8.decode(bytes);
        doc.hadInvalidBytes = utf8.hasError();
    }
    return doc;
}

// The byte-order mark's encoding and length; nullopt for a file without one.
std::optional<std::pair<TextEncoding, qsizetype>> byteOrderMark(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf8BomBytes))
        return std::pair{TextEncoding::Utf8Bom, qsizetype(3)};
    if (bytes.startsWith(Utf16LeBomBytes))
        return std::pair{TextEncoding::Utf16Le, qsizetype(2)};
    if (bytes.startsWith(Utf16BeBomBytes))
        return std::pair{TextEncoding::Utf16Be, qsizetype(2)};
    return std::nullopt;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The encoding of a file without a byte-order mark, decoded; line breaks untouched.
DecodedDocument detectAndDecode(QByteArrayView bytes)
{
    // Declarations are ASCII in every encoding they may name here.
    const QString head = QString::fromLatin1(bytes.first(std::min(bytes.size(), DeclarationWindow)));
    const std::optional<TextEncoding> declared = declaredEncoding(head);
    // 7-bit text with ISO-2022-JP's escape sequences is that, whatever an 8-bit declaration
    // says: read as Shift_JIS, the escapes would show as text. The check stops at the first
    // 8-bit byte.
    const bool ascii = isAscii(bytes);
    if (ascii && countIso2022JpEscapes(bytes) > 0) {
        DecodedDocument iso = decodeRaw(bytes, TextEncoding::Iso2022Jp);
        if (!iso.hadInvalidBytes)
            return iso;
    }
    std::optional<DecodedDocument> tried;
    if (declared && !storesEveryCharacter(*declared)) {
        tried = decodeRaw(bytes, *declared);
        if (!tried->hadInvalidBytes)
            return std::move(*tried);
    } else if (declared == TextEncoding::Utf8 && bytes.isValidUtf8()) {
        return decodeRaw(bytes, TextEncoding::Utf8);
    }

    // The validity check stops at the first bad byte, so legacy files are not read twice.
    if (bytes.isValidUtf8())
        return decodeRaw(bytes, ascii ? TextEncoding::ShiftJis : TextEncoding::Utf8);

    const TextEncoding guess = guessJapaneseLegacy(bytes) == JapaneseLegacy::EucJp
        ? TextEncoding::EucJp : TextEncoding::ShiftJis;
    if (tried && tried->encoding == guess)
        return std::move(*tried);
    return decodeRaw(bytes, guess);
}

DecodedDocument finish(DecodedDocument doc)
{
    doc.lineEnds = normaliseLineBreaks(doc.text, doc.spellings);
    doc.text.squeeze(); // the legacy decoders size their buffer for the worst case
    doc.declared = declaredEncoding(doc.text);
    return doc;
}

bool hasByteOrderMark(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8Bom || encoding == TextEncoding::Utf16Le
        || encoding == TextEncoding::Utf16Be;
}

} // namespace

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::ShiftJis: return QStringLiteral("Shift_JIS");
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: return QStringLiteral("UTF-8");
    case TextEncoding::EucJp: return QStringLiteral("EUC-JP");
    case TextEncoding::Iso2022Jp: return QStringLiteral("ISO-2022-JP");
    case TextEncoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be: return QStringLiteral("UTF-16BE");
    }
    return QString();
}

QString encodingLabel(TextEncoding encoding)
{
    return encodingName(encoding).toLower();
}

bool storesEveryCharacter(TextEncoding encoding)
{
    return !legacyCodecFor(encoding).has_value();
}

QString decodeShiftJis(QByteArrayView bytes, bool *invalid)
{
    LegacyText legacy = decodeLegacy(LegacyCodec::ShiftJis, bytes);
    if (invalid)
        *invalid = legacy.invalid;
    return std::move(legacy.text);
}

QByteArray encodeShiftJis(QStringView text, bool *unstorable)
{
    return encodeLegacy(LegacyCodec::ShiftJis, text, {}, unstorable);
}

DecodedDocument decodeDocument(QByteArrayView bytes)
{
    if (const auto bom = byteOrderMark(bytes)) {
        DecodedDocument doc = decodeRaw(bytes.sliced(bom->second), bom->first);
        if (doc.text.contains(QChar(0))) {
            DecodedDocument refused;
            refused.encoding = bom->first;
            refused.hasNul = true;
            return refused;
        }
        return finish(std::move(doc));
    }
    if (bytes.contains('\0')) {
        DecodedDocument doc;
        doc.hasNul = true;
        return doc;
    }
    return finish(detectAndDecode(bytes));
}

DecodedDocument decodeDocumentAs(QByteArrayView bytes, TextEncoding encoding)
{
    const auto bom = byteOrderMark(bytes);
    const bool skip = bom && (bom->first == encoding
                              || (bom->first == TextEncoding::Utf8Bom && encoding == TextEncoding::Utf8));
    DecodedDocument doc = decodeRaw(skip ? bytes.sliced(bom->second) : bytes, encoding);
    return finish(std::move(doc));
}

std::optional<TextEncoding> declaredEncoding(QStringView text)
{
    text = text.first(std::min(text.size(), DeclarationWindow));
    if (text.startsWith(u"<?xml", Qt::CaseSensitive) && text.size() > 5 && isHtmlSpace(text[5])) {
        const qsizetype close = text.indexOf(u"?>");
        const QStringView declaration = text.sliced(0, close < 0 ? text.size() : close);
        if (const auto label = xmlEncodingLabel(declaration))
            return encodingForLabel(*label);
    }
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
            && (rest.size() == 5 || isHtmlSpace(rest[5]) || rest[5] == u'/' || rest[5] == u'>')) {
            const MetaTag tag = readMetaAttributes(text, i + 5);
            std::optional<QStringView> label = tag.charset;
            if (!label && tag.httpEquiv && tag.content
                && tag.httpEquiv->trimmed().compare(u"content-type", Qt::CaseInsensitive) == 0)
                label = charsetFromContent(*tag.content);
            if (label) // the first declaration decides, whatever it names
                return encodingForLabel(*label);
            i = tag.end;
            continue;
        }
        ++i;
    }
    return std::nullopt;
}

TextEncoding chooseWriteEncoding(QStringView text, std::optional<TextEncoding> readEncoding,
                                 std::optional<TextEncoding> readDeclaration)
{
    if (readEncoding && hasByteOrderMark(*readEncoding))
        return *readEncoding;
    const std::optional<TextEncoding> declared = declaredEncoding(text);
    if (declared && readEncoding && declared == readDeclaration)
        return *readEncoding;
    return declared.value_or(readEncoding.value_or(TextEncoding::ShiftJis));
}

EncodedDocument encodeDocument(QStringView text, TextEncoding encoding, const SpellingRecord &spellings,
                               const LineEnds &lineEnds)
{
    const std::optional<LegacyCodec> legacy = legacyCodecFor(encoding);
    const bool sjis = encoding == TextEncoding::ShiftJis;
    const bool endsWithBreak = !text.isEmpty() && isLineBreak(text.back().unicode());
    const bool addBreak = !endsWithBreak && lineEnds.finalBreak;

    // A break is written in at most two characters, so the laid-out text is at most one longer
    // for each lone CR or LF, and two for a final break.
    const qsizetype n = text.size();
    qsizetype size = n + (addBreak ? 2 : 0);
    for (qsizetype i = 0; i < n; ++i) {
        if ((text[i] == u'\r' && (i + 1 == n || text[i + 1] != u'\n'))
            || (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')))
            ++size;
    }
    // The marks follow their characters into the laid-out text.
    SpellingRecord marks = legacy ? spellings : SpellingRecord();
    SpellingMark *mark = marks.data();  // once, as in normaliseLineBreaks
    SpellingMark *const marksEnd = mark + marks.size();
    const quint32 standard = codeOf(lineEnds.style);
    const SpellingMark *other = lineEnds.others.constData();
    const SpellingMark *const othersEnd = other + lineEnds.others.size();
    // The code of the break at position i; asked in increasing positions only.
    auto breakCode = [&](qsizetype i) {
        while (other != othersEnd && other->position < i)
            ++other;
        return other != othersEnd && other->position == i ? other->code : standard;
    };
    auto writeBreak = [](QChar *w, quint32 code) {
        if (code != kLf)
            *w++ = u'\r';
        if (code != kCr)
            *w++ = u'\n';
        return w;
    };
    QString lines(size, Qt::Uninitialized);
    QChar *w = lines.data();
    for (qsizetype i = 0; i < n; ++i) {
        while (mark != marksEnd && mark->position < i)
            ++mark;
        if (mark != marksEnd && mark->position == i)
            (mark++)->position = w - lines.data();
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n') {
            quint32 code = breakCode(i);
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            // A lone CR followed by a lone LF would read back as one CR LF.
            if (code == kCr && i + 1 < n && isLineBreak(text[i + 1].unicode()) && breakCode(i + 1) == kLf)
                code = kCrLf;
            w = writeBreak(w, code);
        } else {
            *w++ = QChar(sjis ? legacy_detail::controlToIcu(c) : c);
        }
    }
    if (addBreak)
        w = writeBreak(w, standard);
    Q_ASSERT(w <= lines.data() + size);
    lines.truncate(w - lines.data());

    EncodedDocument out;
    if (sjis) {
        out.bytes = legacy_detail::encodePreparedShiftJis(lines, marks, &out.unstorable);
    } else if (legacy) {
        out.bytes = encodeLegacy(*legacy, lines, marks, &out.unstorable);
    } else if (encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be) {
        const bool le = encoding == TextEncoding::Utf16Le;
        QStringEncoder utf16(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
        out.bytes = QByteArray(le ? Utf16LeBomBytes : Utf16BeBomBytes) + utf16.encode(lines);
        out.unstorable = utf16.hasError();
    } else {
        QStringEncoder utf8(QStringEncoder::Utf8);
        const QByteArray body = utf8.encode(lines);
        out.unstorable = utf8.hasError(); // lone surrogates, written as U+FFFD
        if (encoding == TextEncoding::Utf8Bom) {
            out.bytes.reserve(body.size() + 3);
            out.bytes.append(Utf8BomBytes);
        }
        out.bytes.append(body);
    }
    return out;
}
