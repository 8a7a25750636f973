#pragma once

// The quoted-value syntax of the settings file fn.dat, and the four font values it holds.
//
// Reading: leading spaces and tabs are skipped; a field starting with '"' is a string up to
// the next '"' (or, when that is missing, the end of its line), and anything after the
// closing quote up to the next comma or line end is ignored; any other field runs up to a
// comma or the end of its line, loses its trailing spaces, and is a boolean when it reads
// #TRUE# or #FALSE# (any case), a number when it is plain decimal (sign, digits, '.', an
// optional exponent; never locale-dependent), and a string otherwise, possibly empty.
// Line breaks are CR LF, lone CR or lone LF; a field ended by a comma at the end of a line
// is followed by an empty field.
//
// Writing: a string between double quotes (a '"' or line break inside it cannot be
// represented and is left out), a number as the shortest plain decimal that reads back to
// the same value, a boolean as #TRUE# or #FALSE#.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

using QuotedValue = std::variant<QString, double, bool>;

std::vector<QuotedValue> readQuotedFields(QStringView text, std::size_t maxFields);
QString writeQuotedValue(const QuotedValue &value);

struct FontSettingsValues {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FontSettingsValues &, const FontSettingsValues &) = default;
};

// Font sizes outside (0, MaxFontPointSize] are not usable.
inline constexpr double MaxFontPointSize = 1638;

// The settings file holds four short lines: a file larger than this is not one, and need not
// be read beyond it.
inline constexpr qsizetype MaxFontSettingsBytes = 4096;

// The settings file's bytes (Shift_JIS) -> the four values, or nullopt unless the file holds a
// name (a non-empty string the writer can reproduce), a usable size and two booleans, in
// that order, in at most MaxFontSettingsBytes bytes.
std::optional<FontSettingsValues> parseFontSettings(QByteArrayView fileBytes);

// The four values one per line, each line ended by CR LF, in Shift_JIS.
QByteArray formatFontSettings(const FontSettingsValues &values);
