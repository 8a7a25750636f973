#pragma once
// What the codec tests share: encodings in data tables, and text written as UTF-8 literals.
#include "app/core/DocumentCodec.h"

#include <QString>
#include <QTest>
#include <optional>

Q_DECLARE_METATYPE(TextEncoding)

inline QString U(const char *utf8) { return QString::fromUtf8(utf8); }

// -1 stands for "no encoding" in data tables.
inline std::optional<TextEncoding> optionalEncoding(int e)
{
    return e < 0 ? std::nullopt : std::optional<TextEncoding>(TextEncoding(e));
}
