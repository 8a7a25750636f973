#pragma once

// Bytes of an HTML document file <-> the editing pane's text.
//
// The pane's text separates lines with '\n'. A file's line breaks (CR LF, lone CR, lone LF)
// each become one '\n'; a final line break in the file is kept as a final '\n', so a file
// that ends in CR LF loads as text ending in '\n' and is written back byte for byte.
// Writing turns every line break into CR LF and adds one CR LF when the text does not end
// with a line break (an empty text is written as a lone CR LF).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

enum class TextEncoding { ShiftJis, Utf8, Utf8Bom };

struct DecodedDocument {
    QString text;                                  // lines separated by '\n'
    TextEncoding encoding = TextEncoding::ShiftJis; // what the file was read as
    bool hadInvalidBytes = false; // bytes valid in neither encoding were shown as U+FFFD
    bool hasNul = false;          // NUL bytes: not a text file; text is left empty
};

// UTF-8 when the file starts with a UTF-8 byte-order mark, or is valid UTF-8 holding
// non-ASCII bytes; Shift_JIS (code page 932) otherwise.
DecodedDocument DecodeDocument(QByteArrayView bytes);

// The encoding named by the first <meta charset> or <meta http-equiv="Content-Type">
// declaration in the text, when it names UTF-8 or Shift_JIS; nullopt otherwise.
std::optional<TextEncoding> DeclaredEncoding(QStringView text);

// Declared encoding first (UTF-8 keeps the byte-order mark the file was read with), then the
// encoding the document was read in, then Shift_JIS for a document that has never been read.
TextEncoding ChooseWriteEncoding(QStringView text, std::optional<TextEncoding> readEncoding);

struct EncodedDocument {
    QByteArray bytes;
    bool unstorable = false; // some characters could not be stored and were written as '?'
};

EncodedDocument EncodeDocument(QStringView text, TextEncoding encoding);

// Shift_JIS as code page 932 maps it. Invalid or unassigned byte sequences decode to U+FFFD;
// characters the code page cannot hold encode to '?'. No line-break handling.
QString DecodeShiftJis(QByteArrayView bytes, bool *invalid = nullptr);
QByteArray EncodeShiftJis(QStringView text, bool *unstorable = nullptr);
