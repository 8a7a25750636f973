#pragma once

// Which Japanese legacy encoding bytes that are not UTF-8 fit best.

#include <QByteArrayView>

enum class JapaneseLegacy { ShiftJis, EucJp };

// Reads the bytes both as Shift_JIS and as EUC-JP and scores every character by how often
// such characters occur in Japanese text (kana and common kanji high; half-width katakana,
// rare rows and user-defined codes low; malformed bytes very low). Only the first stretch of
// non-ASCII bytes is read, so the cost does not grow with the file. EUC-JP must win clearly.
JapaneseLegacy guessJapaneseLegacy(QByteArrayView bytes);
