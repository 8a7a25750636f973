#pragma once

// The Japanese legacy encodings below the document layer: Shift_JIS as code page 932 maps
// it, EUC-JP, and ISO-2022-JP (written as escape sequences around EUC-JP's codes).
//
// Both code page 932 and EUC-JP give some characters more than one code. Decoding returns,
// beside the text, where the bytes used a code other than the one the encoder writes; handing
// that record back to the encoder writes those codes again, so an unedited text comes back
// byte for byte. No line-break handling here.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// One place where a file spelled a character with a code other than the standard one.
struct SpellingMark {
    qsizetype position = 0; // index of the character in the text (UTF-16 units)
    quint32 code = 0;       // the code's bytes, first byte highest: 0x8790, 0x8FA2B7
    friend bool operator==(const SpellingMark &, const SpellingMark &) = default;
};
using SpellingRecord = QList<SpellingMark>; // sorted by position, one mark per position

enum class LegacyCodec { ShiftJis, EucJp, Iso2022Jp };

// A code the decoder accepts for character although the encoder writes standard for it
// (0: the encoder has no code for it, as ICU's EUC-JP for U+00A6 from JIS X 0212).
struct AlternateSpelling {
    quint32 code = 0;
    char16_t character = 0;
    quint32 standard = 0;
};

// Every such code of the encoding (ISO-2022-JP shares EUC-JP's), sorted by code. Derived from
// the converter itself on first use.
const QList<AlternateSpelling> &alternateSpellings(LegacyCodec codec);

struct LegacyText {
    QString text;
    SpellingRecord spellings;
    bool invalid = false; // malformed or unassigned bytes were shown as U+FFFD
};

LegacyText decodeLegacy(LegacyCodec codec, QByteArrayView bytes);

// Characters the encoding cannot hold are written as '?' and reported through unstorable.
// A mark is honoured only where the text still holds the character its code stands for.
QByteArray encodeLegacy(LegacyCodec codec, QStringView text, const SpellingRecord &spellings = {},
                        bool *unstorable = nullptr);

// Keeps a record valid through an edit that replaced `removed` characters at `position` by
// `added` new ones: marks inside the replaced range go, later ones move.
void shiftSpellings(SpellingRecord &record, qsizetype position, qsizetype removed, qsizetype added);

// The number of bytes ISO-2022-JP escape sequences (ESC $ or ESC ( followed by a known final
// byte) in bytes, counting at most `enough`.
qsizetype countIso2022JpEscapes(QByteArrayView bytes, qsizetype enough = 1);

namespace legacy_detail {
// For the document layer, which swaps the control codes while it lays out line breaks.
char16_t controlToIcu(char16_t c);
QByteArray encodePreparedShiftJis(const QString &prepared, const SpellingRecord &spellings,
                                  bool *unstorable);
} // namespace legacy_detail
