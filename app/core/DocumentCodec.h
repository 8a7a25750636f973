#pragma once

// Bytes of an HTML document file <-> the editing pane's text.
//
// The pane's text separates lines with '\n'. A file's line breaks (CR LF, lone CR, lone LF)
// each become one '\n'; decoding records how the file spelled them (LineEnds), and writing
// with that record spells every unedited break as it was, so an unedited save writes the
// file's bytes again. A break the record does not know (typed, pasted) takes the file's
// style; a new document's style is CR LF, and its text gets a final CR LF when it does not
// end with a line break (an empty text is written as a lone CR LF).

#include "app/core/JapaneseCodecs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Utf8Bom, Utf16Le and Utf16Be files start with a byte-order mark; Utf8 files do not.
enum class TextEncoding { ShiftJis, Utf8, Utf8Bom, EucJp, Iso2022Jp, Utf16Le, Utf16Be };

// The encoding's name as the user knows it ("Shift_JIS", "EUC-JP", "UTF-16LE"), for messages.
QString encodingName(TextEncoding encoding);
// The encoding's label for a browser ("shift_jis", "euc-jp", "utf-16le").
QString encodingLabel(TextEncoding encoding);
// UTF-8 and UTF-16 can store every character; the Japanese legacy encodings cannot.
bool storesEveryCharacter(TextEncoding encoding);

enum class LineBreak { CrLf, Lf, Cr };

// How a file ends its lines.
struct LineEnds {
    // What most of the file's breaks are; typed breaks and a final break added take it.
    LineBreak style = LineBreak::CrLf;
    // The breaks spelled otherwise: the position of the '\n' in the text, and code 0x0D0A,
    // 0x0A or 0x0D. Kept in step with edits by shiftSpellings, as spellings are.
    SpellingRecord others;
    // A text that does not end with a line break gets one; false for a file that ended
    // without one, which is written back without one.
    bool finalBreak = true;
};

struct DecodedDocument {
    QString text;                                  // lines separated by '\n'
    TextEncoding encoding = TextEncoding::ShiftJis; // what the file was read as
    bool hadInvalidBytes = false; // bytes not valid in that encoding were shown as U+FFFD
    bool hasNul = false;          // NUL characters: not a text file; text is left empty
    // Where the file spelled a character with a non-standard code (code page 932 and EUC-JP
    // give some characters two); positions index text. Hand it back to encodeDocument.
    SpellingRecord spellings;
    LineEnds lineEnds;
    // The encoding the page declared as read (whether or not the bytes were in it).
    std::optional<TextEncoding> declared;
};

// The encoding is decided in this order: a byte-order mark (UTF-8, UTF-16 LE or BE);
// ISO-2022-JP when 7-bit text holds its escape sequences and decodes cleanly in it; the page's
// own declaration (<meta charset>, http-equiv Content-Type, the XML declaration's encoding)
// when the bytes decode cleanly in it; UTF-8 when the bytes are valid UTF-8 with non-ASCII
// bytes; otherwise Shift_JIS or EUC-JP, whichever the bytes fit best (an all-ASCII file is
// Shift_JIS).
DecodedDocument decodeDocument(QByteArrayView bytes);

// The bytes read as the given encoding, with no detection (a byte-order mark that matches the
// encoding is skipped).
DecodedDocument decodeDocumentAs(QByteArrayView bytes, TextEncoding encoding);

// The encoding named by the XML declaration at the start of the text, or else by the first
// <meta charset> or <meta http-equiv="Content-Type"> declaration in its first 64 K
// characters (a declaration belongs in the page's head), when it names an encoding
// Tavro reads and writes; nullopt otherwise. "utf-16" stands for UTF-16 LE.
std::optional<TextEncoding> declaredEncoding(QStringView text);

// A file read with a byte-order mark is written with it, whatever the page declares (browsers
// trust the mark over the declaration). Otherwise the declared encoding, unless it is still
// the declaration the file was read with (readDeclaration): the bytes decided then, so an
// unedited page, even one whose declaration lies, is written in the encoding it was read in;
// a declaration the user changed is followed. Without a declaration, the encoding the
// document was read in, then Shift_JIS for a document that has never been read.
TextEncoding chooseWriteEncoding(QStringView text, std::optional<TextEncoding> readEncoding,
                                 std::optional<TextEncoding> readDeclaration = std::nullopt);

struct EncodedDocument {
    QByteArray bytes;
    bool unstorable = false; // some characters could not be stored and were written as '?'
};

// spellings (as decodeDocument recorded them, kept in step with edits by shiftSpellings) are
// honoured where the text still holds the same character; everything else gets the standard
// code. They matter only for Shift_JIS, EUC-JP and ISO-2022-JP. Line breaks ('\n', lone '\r'
// or CR LF in text) are spelled as lineEnds says, in any encoding; a lone CR that would run
// into a following LF (after edits) is written as CR LF, so every break stays one break.
EncodedDocument encodeDocument(QStringView text, TextEncoding encoding,
                               const SpellingRecord &spellings = {}, const LineEnds &lineEnds = {});

// Shift_JIS as code page 932 maps it. Invalid or unassigned byte sequences decode to U+FFFD;
// characters the code page cannot hold encode to '?'. No line-break handling.
QString decodeShiftJis(QByteArrayView bytes, bool *invalid = nullptr);
QByteArray encodeShiftJis(QStringView text, bool *unstorable = nullptr);
