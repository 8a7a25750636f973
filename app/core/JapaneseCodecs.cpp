#include "app/core/JapaneseCodecs.h"

#include "app/core/ShiftJis.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <bitset>

namespace {

// ICU resolves "Shift_JIS" to its code page 932 table: the wave dash, parallel, minus, not sign
// and backslash map as Windows maps them. Its "EUC-JP" holds the same NEC and IBM extensions.
constexpr char ShiftJisName[] = "Shift_JIS";
constexpr char EucJpName[] = "EUC-JP";

const char *icuName(LegacyCodec codec)
{
    return codec == LegacyCodec::ShiftJis ? ShiftJisName : EucJpName;
}

bool isEucByte(uchar b) { return b >= 0xA1 && b <= 0xFE; }

// Length of the well-formed sequence starting at p[i], 0 when p[i] cannot start one there.
qsizetype sjisSequence(const uchar *p, qsizetype i, qsizetype n)
{
    const uchar b = p[i];
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
        return 1;
    return ShiftJis::isLeadByte(b) && i + 1 < n && ShiftJis::isTrailByte(p[i + 1]) ? 2 : 0;
}

qsizetype eucSequence(const uchar *p, qsizetype i, qsizetype n)
{
    const uchar b = p[i];
    if (b < 0x80)
        return 1;
    if (isEucByte(b))
        return i + 1 < n && isEucByte(p[i + 1]) ? 2 : 0;
    if (b == 0x8E)
        return i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF ? 2 : 0;
    if (b == 0x8F)
        return i + 2 < n && isEucByte(p[i + 1]) && isEucByte(p[i + 2]) ? 3 : 0;
    return 0;
}

qsizetype sequence(LegacyCodec codec, const uchar *p, qsizetype i, qsizetype n)
{
    return codec == LegacyCodec::ShiftJis ? sjisSequence(p, i, n) : eucSequence(p, i, n);
}

quint32 codeAt(const uchar *p, qsizetype length)
{
    quint32 code = 0;
    for (qsizetype k = 0; k < length; ++k)
        code = (code << 8) | p[k];
    return code;
}

void appendCode(QByteArray &out, quint32 code)
{
    if (code > 0xFFFF)
        out.append(char(code >> 16));
    out.append(char(code >> 8));
    out.append(char(code));
}

// ICU's code page 932 table follows the IBM convention for three control codes (byte 0x1A
// <-> U+001C, 0x1C <-> U+007F, 0x7F <-> U+001A); code page 932 maps them to themselves.
char16_t controlFromIcu(char16_t c)
{
    switch (c) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return c;
    }
}

struct SpellingTable {
    std::bitset<256> leads;              // first bytes of alternate codes
    QHash<quint32, char16_t> characters; // alternate code -> its character
    QList<AlternateSpelling> list;
};

const SpellingTable *spellingTable(LegacyCodec codec);

// Appends the decoding of a run of well-formed sequences. ICU shows an unassigned code in its
// own way (U+001A in EUC-JP) and may resynchronise inside the next character, so a run that
// errs is halved until each unassigned code stands alone and becomes one U+FFFD.
void appendRun(LegacyCodec codec, QByteArrayView run, QString &out, bool &bad)
{
    QStringDecoder decoder(icuName(codec), QStringDecoder::Flag::Stateless);
    const qsizetype at = out.size();
    out.resize(at + decoder.requiredSpace(run.size()));
    const QChar *end = decoder.appendToBuffer(out.data() + at, run);
    out.truncate(end - out.constData());
    if (!decoder.hasError())
        return;
    out.truncate(at);
    const auto *p = reinterpret_cast<const uchar *>(run.data());
    qsizetype mid = 0;
    while (mid < run.size() / 2)
        mid += sequence(codec, p, mid, run.size());
    if (mid == run.size())
        mid = 0; // the run is one sequence
    if (mid == 0) {
        out.append(QChar::ReplacementCharacter);
        bad = true;
        return;
    }
    appendRun(codec, run.first(mid), out, bad);
    appendRun(codec, run.sliced(mid), out, bad);
}

// Decodes well-formed runs through ICU; a byte that cannot start a character becomes U+FFFD
// here, so the converter never sees an illegal sequence. With a table, records every code it
// lists at the index of its character (one character per sequence).
LegacyText decodeRuns(LegacyCodec codec, QByteArrayView bytes, const SpellingTable *table)
{
    LegacyText result;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    QString &out = result.text;
    qsizetype characters = 0;
    bool bad = false;

    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype length = sequence(codec, p, i, n);
        if (length == 1) {
            ++i;
        } else if (length > 1) {
            if (table && table->leads.test(p[i])) {
                const quint32 code = codeAt(p + i, length);
                if (table->characters.contains(code))
                    result.spellings.append({characters, code});
            }
            i += length;
        } else {
            appendRun(codec, bytes.sliced(runStart, i - runStart), out, bad);
            out.append(QChar::ReplacementCharacter);
            bad = true;
            runStart = ++i;
        }
        ++characters;
    }
    appendRun(codec, bytes.sliced(runStart, n - runStart), out, bad);
    if (codec == LegacyCodec::ShiftJis) {
        for (QChar &c : out)
            c = QChar(controlFromIcu(c.unicode()));
    }
    if (out.size() != characters)
        result.spellings.clear(); // cannot happen with ICU's tables; never misplace a mark
    result.invalid = bad;
    return result;
}

bool isStorable(const char *name, char32_t cp, QHash<char32_t, bool> &known)
{
    if (cp < 0x80)
        return true;
    const auto it = known.constFind(cp);
    if (it != known.constEnd())
        return *it;
    // A fresh converter per distinct character: the converter's error flag cannot be reset.
    QStringEncoder probe(name, QStringEncoder::Flag::Stateless);
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

// The converter drops or substitutes unmappable characters in its own way, so on any error
// the text is rebuilt with '?' for every character the encoding cannot hold and encoded again.
QByteArray encodeWhole(const char *name, QStringView prepared, bool *unstorable)
{
    QStringEncoder encoder(name, QStringEncoder::Flag::Stateless);
    QByteArray out = encoder.encode(prepared);
    if (!encoder.hasError())
        return out;
    QString clean;
    clean.reserve(prepared.size());
    QHash<char32_t, bool> known;
    const qsizetype n = prepared.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = prepared.at(i);
        if (c.isHighSurrogate() && i + 1 < n && prepared.at(i + 1).isLowSurrogate()) {
            const char32_t cp = QChar::surrogateToUcs4(c, prepared.at(i + 1));
            if (isStorable(name, cp, known))
                clean.append(prepared.sliced(i, 2));
            else
                clean.append(u'?');
            ++i;
        } else if (c.isSurrogate() || !isStorable(name, c.unicode(), known)) {
            clean.append(u'?');
        } else {
            clean.append(c);
        }
    }
    QStringEncoder again(name, QStringEncoder::Flag::Stateless);
    *unstorable = true;
    return again.encode(clean);
}

// Encodes the text between the marks the standard way and writes each still-valid mark's code.
QByteArray encodeWithSpellings(LegacyCodec codec, QStringView prepared,
                               const SpellingRecord &spellings, bool *unstorable)
{
    bool lost = false;
    const char *name = icuName(codec);
    const SpellingTable *table = spellingTable(codec);
    QByteArray out;
    qsizetype done = 0;
    for (const SpellingMark &mark : spellings) {
        if (mark.position < done || mark.position >= prepared.size())
            continue;
        const auto it = table->characters.constFind(mark.code);
        if (it == table->characters.constEnd() || prepared.at(mark.position) != QChar(*it))
            continue;
        out += encodeWhole(name, prepared.sliced(done, mark.position - done), &lost);
        appendCode(out, mark.code);
        done = mark.position + 1;
    }
    out += encodeWhole(name, prepared.sliced(done), &lost);
    if (unstorable)
        *unstorable = lost;
    return out;
}

SpellingTable buildTable(LegacyCodec codec)
{
    // Every well-formed multi-byte code, decoded in one piece: one character per code.
    QByteArray all;
    QList<quint32> codes;
    auto add = [&](quint32 code) {
        codes.append(code);
        appendCode(all, code);
    };
    if (codec == LegacyCodec::ShiftJis) {
        for (uint lead = 0x81; lead <= 0xFC; ++lead)
            for (uint trail = 0x40; trail <= 0xFC; ++trail)
                if (ShiftJis::isLeadByte(uchar(lead)) && ShiftJis::isTrailByte(uchar(trail)))
                    add(lead << 8 | trail);
    } else {
        for (uint a = 0xA1; a <= 0xFE; ++a)
            for (uint b = 0xA1; b <= 0xFE; ++b) {
                add(a << 8 | b);
                add(0x8F0000 | a << 8 | b);
            }
    }
    SpellingTable table;
    const QString decoded = decodeRuns(codec, all, nullptr).text;
    if (decoded.size() != codes.size())
        return table;

    // Encode the characters too, then read the standard codes back in order.
    QString valid;
    QList<quint32> validCodes;
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const QChar c = decoded.at(k);
        if (c != QChar::ReplacementCharacter) {
            valid.append(c);
            validCodes.append(codes.at(k));
        }
    }
    // In pieces: a piece holding a character the encoder has no code for (it writes its
    // substitute and errs) is read character by character.
    constexpr qsizetype PieceLength = 64;
    for (qsizetype start = 0; start < valid.size(); start += PieceLength) {
        const QStringView piece = QStringView(valid).sliced(start, std::min(PieceLength, valid.size() - start));
        QStringEncoder encoder(icuName(codec), QStringEncoder::Flag::Stateless);
        QByteArray encoded = encoder.encode(piece);
        QList<QByteArray> each;
        if (encoder.hasError()) {
            for (QChar c : piece) {
                QStringEncoder one(icuName(codec), QStringEncoder::Flag::Stateless);
                const QByteArray bytes = one.encode(QStringView(&c, 1));
                each.append(one.hasError() ? QByteArray() : bytes);
            }
        }
        const auto *p = reinterpret_cast<const uchar *>(encoded.constData());
        qsizetype at = 0;
        for (qsizetype k = 0; k < piece.size(); ++k) {
            quint32 standard = 0;
            if (each.isEmpty()) {
                const qsizetype length = sequence(codec, p, at, encoded.size());
                if (length == 0)
                    return SpellingTable();
                standard = codeAt(p + at, length);
                at += length;
            } else if (!each.at(k).isEmpty()) {
                standard = codeAt(reinterpret_cast<const uchar *>(each.at(k).constData()), each.at(k).size());
            } // else the encoder has no code for the character: only the record can write it
            const quint32 code = validCodes.at(start + k);
            if (standard != code) {
                table.list.append({code, piece.at(k).unicode(), standard});
                table.characters.insert(code, piece.at(k).unicode());
                table.leads.set(code > 0xFFFF ? 0x8F : code >> 8);
            }
        }
    }
    std::sort(table.list.begin(), table.list.end(),
              [](const AlternateSpelling &a, const AlternateSpelling &b) { return a.code < b.code; });
    return table;
}

// Each built on its first use, once.
const SpellingTable *spellingTable(LegacyCodec codec)
{
    if (codec == LegacyCodec::ShiftJis) {
        static const SpellingTable sjis = buildTable(LegacyCodec::ShiftJis);
        return &sjis;
    }
    static const SpellingTable euc = buildTable(LegacyCodec::EucJp);
    return &euc;
}

// ISO-2022-JP as escape sequences around EUC-JP's codes: the bytes are turned into EUC-JP,
// one sequence per character, so EUC-JP's decoder and its record of spellings serve both.
enum class IsoMode { Ascii, Roman, Kana, Jis0208, Jis0212 };

struct Escape {
    const char *bytes;
    IsoMode mode;
};
constexpr std::array Escapes{
    Escape{"\x1B(B", IsoMode::Ascii},   Escape{"\x1B(J", IsoMode::Roman},
    Escape{"\x1B(I", IsoMode::Kana},    Escape{"\x1B$B", IsoMode::Jis0208},
    Escape{"\x1B$@", IsoMode::Jis0208}, Escape{"\x1B$(D", IsoMode::Jis0212},
};

qsizetype matchEscape(QByteArrayView rest, IsoMode *mode)
{
    for (const Escape &e : Escapes) {
        if (rest.startsWith(e.bytes)) {
            *mode = e.mode;
            return qsizetype(qstrlen(e.bytes));
        }
    }
    return 0;
}

constexpr char BadEucByte = char(0xFF); // never valid in EUC-JP: decodes as U+FFFD

QByteArray isoToEuc(QByteArrayView bytes, QList<qsizetype> *romanAt)
{
    QByteArray euc;
    euc.reserve(bytes.size());
    IsoMode mode = IsoMode::Ascii;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype characters = 0;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b == 0x1B) {
            IsoMode next;
            if (const qsizetype length = matchEscape(bytes.sliced(i), &next)) {
                mode = next;
                i += length;
                continue;
            }
        }
        ++characters;
        if (b >= 0x80 || b == 0x1B) {
            euc.append(BadEucByte);
            ++i;
        } else if (b < 0x21 || b == 0x7F || mode == IsoMode::Ascii) {
            euc.append(char(b));
            ++i;
        } else if (mode == IsoMode::Roman) {
            if (b == 0x5C || b == 0x7E)
                romanAt->append(characters - 1);
            euc.append(char(b));
            ++i;
        } else if (mode == IsoMode::Kana) {
            euc.append(b <= 0x5F ? char(0x8E) : BadEucByte);
            if (b <= 0x5F)
                euc.append(char(b | 0x80));
            ++i;
        } else if (i + 1 < n && p[i + 1] >= 0x21 && p[i + 1] <= 0x7E) {
            if (mode == IsoMode::Jis0212)
                euc.append(char(0x8F));
            euc.append(char(b | 0x80));
            euc.append(char(p[i + 1] | 0x80));
            i += 2;
        } else {
            euc.append(BadEucByte); // half a double-byte character
            ++i;
        }
    }
    return euc;
}

QByteArray eucToIso(QByteArrayView euc)
{
    QByteArray out;
    out.reserve(euc.size() + euc.size() / 4);
    IsoMode mode = IsoMode::Ascii;
    auto enter = [&](IsoMode next) {
        if (mode == next)
            return;
        mode = next;
        for (const Escape &e : Escapes)
            if (e.mode == next) {
                out.append(e.bytes);
                return;
            }
    };
    const auto *p = reinterpret_cast<const uchar *>(euc.data());
    const qsizetype n = euc.size();
    for (qsizetype i = 0; i < n;) {
        const qsizetype length = std::max<qsizetype>(1, eucSequence(p, i, n));
        if (length == 1) {
            enter(IsoMode::Ascii);
            out.append(char(p[i] & 0x7F));
        } else if (p[i] == 0x8E) {
            enter(IsoMode::Kana);
            out.append(char(p[i + 1] & 0x7F));
        } else if (p[i] == 0x8F) {
            enter(IsoMode::Jis0212);
            out.append(char(p[i + 1] & 0x7F));
            out.append(char(p[i + 2] & 0x7F));
        } else {
            enter(IsoMode::Jis0208);
            out.append(char(p[i] & 0x7F));
            out.append(char(p[i + 1] & 0x7F));
        }
        i += length;
    }
    enter(IsoMode::Ascii);
    return out;
}

} // namespace

namespace legacy_detail {

char16_t controlToIcu(char16_t c)
{
    switch (c) {
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    case 0x7F: return 0x1A;
    default: return c;
    }
}

QByteArray encodePreparedShiftJis(const QString &prepared, const SpellingRecord &spellings,
                                  bool *unstorable)
{
    return encodeWithSpellings(LegacyCodec::ShiftJis, prepared, spellings, unstorable);
}

} // namespace legacy_detail

const QList<AlternateSpelling> &alternateSpellings(LegacyCodec codec)
{
    return spellingTable(codec == LegacyCodec::ShiftJis ? codec : LegacyCodec::EucJp)->list;
}

LegacyText decodeLegacy(LegacyCodec codec, QByteArrayView bytes)
{
    if (codec != LegacyCodec::Iso2022Jp)
        return decodeRuns(codec, bytes, spellingTable(codec));
    // JIS X 0201 Roman differs from ASCII in two places only.
    QList<qsizetype> romanAt;
    LegacyText result = decodeRuns(LegacyCodec::EucJp, isoToEuc(bytes, &romanAt),
                                   spellingTable(LegacyCodec::EucJp));
    for (qsizetype at : romanAt)
        result.text[at] = result.text.at(at) == u'\\' ? QChar(0x00A5) : QChar(0x203E);
    return result;
}

QByteArray encodeLegacy(LegacyCodec codec, QStringView text, const SpellingRecord &spellings,
                        bool *unstorable)
{
    if (codec == LegacyCodec::ShiftJis) {
        QString prepared(text.size(), Qt::Uninitialized);
        std::transform(text.begin(), text.end(), prepared.begin(),
                       [](QChar c) { return QChar(legacy_detail::controlToIcu(c.unicode())); });
        return encodeWithSpellings(codec, prepared, spellings, unstorable);
    }
    if (codec == LegacyCodec::EucJp)
        return encodeWithSpellings(codec, text, spellings, unstorable);
    // The yen sign and overline go out as JIS X 0201 Roman; EUC-JP has no code for them.
    QByteArray out;
    bool lost = false;
    qsizetype done = 0;
    SpellingRecord rest = spellings;
    auto encodeUpTo = [&](qsizetype end) {
        SpellingRecord part;
        for (const SpellingMark &m : rest)
            if (m.position >= done && m.position < end)
                part.append({m.position - done, m.code});
        bool partLost = false;
        out += eucToIso(encodeWithSpellings(LegacyCodec::EucJp, text.sliced(done, end - done), part,
                                            &partLost));
        lost = lost || partLost;
    };
    auto isRoman = [&](qsizetype i) { return text.at(i) == QChar(0x00A5) || text.at(i) == QChar(0x203E); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isRoman(i))
            continue;
        encodeUpTo(i);
        out.append("\x1B(J");
        for (; i < text.size() && isRoman(i); ++i)
            out.append(text.at(i) == QChar(0x00A5) ? '\\' : '~');
        out.append("\x1B(B");
        done = i;
    }
    encodeUpTo(text.size());
    if (unstorable)
        *unstorable = lost;
    return out;
}

void shiftSpellings(SpellingRecord &record, qsizetype position, qsizetype removed, qsizetype added)
{
    const auto first = std::lower_bound(record.begin(), record.end(), position,
                                        [](const SpellingMark &m, qsizetype p) { return m.position < p; });
    const auto last = std::lower_bound(first, record.end(), position + removed,
                                       [](const SpellingMark &m, qsizetype p) { return m.position < p; });
    for (auto it = last; it != record.end(); ++it)
        it->position += added - removed;
    record.erase(first, last);
}

qsizetype countIso2022JpEscapes(QByteArrayView bytes, qsizetype enough)
{
    qsizetype found = 0;
    qsizetype at = 0;
    while (found < enough && (at = bytes.indexOf('\x1B', at)) >= 0) {
        IsoMode mode;
        if (matchEscape(bytes.sliced(at), &mode))
            ++found;
        ++at;
    }
    return found;
}
