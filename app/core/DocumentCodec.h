#pragma once

// Bytes of an HTML document file <-> the editing pane's text.
//
// The pane's text separates lines with '\n'. A file's line breaks (CR LF, lone CR, lone LF)
// each become one '\n'; a final line break in the file is kept as a final '\n', so a file
// that ends in CR LF loads as text ending in '\n' and is written back byte for byte.
// Writing turns every line break into CR LF and adds one CR LF when the text does not end
// with a line break (an empty text is written as a lone CR LF).

#include "app/core/JapaneseCodecs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Utf8Bom, Utf16Le and Utf16Be files start with a byte-order mark; Utf8 files do not.
enum class TextEncoding { ShiftJis, Utf8, Utf8Bom, EucJp, Iso2022Jp, Utf16Le, Utf16Be };

// The encoding's name as the user knows it ("Shift_JIS", "EUC-JP", "UTF-16LE"), for messages.
QString EncodingName(TextEncoding encoding);
// The encoding's label for a browser ("shift_jis", "euc-jp", "utf-16le").
QString EncodingLabel(TextEncoding encoding);
// UTF-8 and UTF-16 can store every character; the Japanese legacy encodings cannot.
bool StoresEveryCharacter(TextEncoding encoding);

struct DecodedDocument {
    QString text;                                  // lines separated by '\n'
    TextEncoding encoding = TextEncoding::ShiftJis; // what the file was read as
    bool hadInvalidBytes = false; // bytes not valid in that encoding were shown as U+FFFD
    bool hasNul = false;          // NUL characters: not a text file; text is left empty
    // Where the file spelled a character with a non-standard code (code page 932 and EUC-JP
    // give some characters two); positions index text. Hand it back to EncodeDocument.
    SpellingRecord spellings;
};

// The encoding is decided in this order: a byte-order mark (UTF-8, UTF-16 LE or BE); the
// page's own declaration (<meta charset>, http-equiv Content-Type, the XML declaration's
// encoding) when the bytes decode cleanly in it; UTF-8 when the bytes are valid UTF-8 with
// non-ASCII bytes; ISO-2022-JP when 7-bit text holds its escape sequences; otherwise Shift_JIS
// or EUC-JP, whichever the bytes fit best (an all-ASCII file is Shift_JIS).
DecodedDocument DecodeDocument(QByteArrayView bytes);

// The bytes read as the given encoding, with no detection (a byte-order mark that matches the
// encoding is skipped).
DecodedDocument DecodeDocumentAs(QByteArrayView bytes, TextEncoding encoding);

// The encoding named by the XML declaration at the start of the text, or else by the first
// <meta charset> or <meta http-equiv="Content-Type"> declaration, when it names an encoding
// Tavro reads and writes; nullopt otherwise. "utf-16" stands for UTF-16 LE.
std::optional<TextEncoding> DeclaredEncoding(QStringView text);

// Declared encoding first (UTF-8 keeps the byte-order mark the file was read with, a page
// declaring UTF-16 keeps the byte order it was read in), then the encoding the document was
// read in, then Shift_JIS for a document that has never been read.
TextEncoding ChooseWriteEncoding(QStringView text, std::optional<TextEncoding> readEncoding);

struct EncodedDocument {
    QByteArray bytes;
    bool unstorable = false; // some characters could not be stored and were written as '?'
};

// Spellings (as DecodeDocument recorded them, kept in step with edits by ShiftSpellings) are
// honoured where the text still holds the same character; everything else gets the standard
// code. They matter only for Shift_JIS, EUC-JP and ISO-2022-JP.
EncodedDocument EncodeDocument(QStringView text, TextEncoding encoding,
                               const SpellingRecord &spellings = {});

// Shift_JIS as code page 932 maps it. Invalid or unassigned byte sequences decode to U+FFFD;
// characters the code page cannot hold encode to '?'. No line-break handling.
QString DecodeShiftJis(QByteArrayView bytes, bool *invalid = nullptr);
QByteArray EncodeShiftJis(QStringView text, bool *unstorable = nullptr);
