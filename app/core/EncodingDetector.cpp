#include "app/core/EncodingDetector.h"

#include "app/core/ShiftJis.h"

#include <algorithm>

namespace {

// Enough non-ASCII bytes for a clear verdict on real text; a few kilobytes of kana and kanji
// already separate the two encodings by thousands of points.
constexpr qsizetype SampleNonAscii = 16 * 1024;

// Shift_JIS is what an unmarked Japanese page most often is: EUC-JP must win by more than
// this, so two half-width katakana are not read as one kanji.
constexpr long long ShiftJisPrior = 4;

constexpr int Malformed = -10;
constexpr int HalfWidthKana = -1;
constexpr int Supplementary = -2; // JIS X 0212 in EUC-JP


// Score of a JIS X 0208 row (1..94, higher for rows past 94 in code page 932's extensions).
int rowScore(int row)
{
    if (row == 4 || row == 5) // hiragana, katakana
        return 3;
    if (row == 1 || (row >= 16 && row <= 47)) // punctuation, first-level kanji
        return 2;
    if (row == 2 || row == 3) // symbols, Latin letters and digits
        return 1;
    if (row >= 48 && row <= 84) // second-level kanji
        return 0;
    return -2; // Greek, Cyrillic, box drawing, vendor rows, user-defined area
}

long long scoreShiftJis(const uchar *p, qsizetype n)
{
    long long score = 0;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            score += HalfWidthKana;
            ++i;
        } else if (ShiftJis::isLeadByte(b) && i + 1 < n
                   && ((p[i + 1] >= 0x40 && p[i + 1] <= 0x7E) || (p[i + 1] >= 0x80 && p[i + 1] <= 0xFC))) {
            const int row = (b - (b <= 0x9F ? 0x81 : 0xC1)) * 2 + 1 + (p[i + 1] >= 0x9F ? 1 : 0);
            score += rowScore(row);
            i += 2;
        } else {
            const bool cutOff = i + 1 == n && ShiftJis::isLeadByte(b); // no evidence either way
            score += cutOff ? 0 : Malformed;
            ++i;
        }
    }
    return score;
}

long long scoreEucJp(const uchar *p, qsizetype n)
{
    auto high = [](uchar c) { return c >= 0xA1 && c <= 0xFE; };
    long long score = 0;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (high(b) && i + 1 < n && high(p[i + 1])) {
            score += rowScore(b - 0xA0);
            i += 2;
        } else if (b == 0x8E && i + 1 < n && p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF) {
            score += HalfWidthKana;
            i += 2;
        } else if (b == 0x8F && i + 2 < n && high(p[i + 1]) && high(p[i + 2])) {
            score += Supplementary;
            i += 3;
        } else {
            const bool cutOff = (high(b) || b == 0x8E || b == 0x8F) && i + 1 == n;
            const bool cutOff0212 = b == 0x8F && i + 2 == n && high(p[i + 1]);
            score += cutOff || cutOff0212 ? 0 : Malformed;
            ++i;
        }
    }
    return score;
}

} // namespace

JapaneseLegacy guessJapaneseLegacy(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype end = 0;
    for (qsizetype seen = 0; end < n && seen < SampleNonAscii; ++end)
        seen += p[end] >= 0x80;
    // Finish the character the sample ends in.
    end = std::min(n, end + 2);
    return scoreEucJp(p, end) > scoreShiftJis(p, end) + ShiftJisPrior ? JapaneseLegacy::EucJp
                                                                         : JapaneseLegacy::ShiftJis;
}
