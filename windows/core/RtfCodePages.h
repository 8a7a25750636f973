#pragma once
// Code pages of RTF text: which one a font's character set means, and the decoding of the bytes
// that \'hh escapes carry.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <unordered_map>

namespace rtf {

// The code page of a font's \fcharset; unknown sets fall back to the document's ANSI code page.
int codePageOfCharset(int charset, int ansiCodePage);

// Collects the bytes of consecutive \'hh escapes, so that a double-byte character split over
// two escapes decodes as one, and decodes them in the code page of the font they were written in.
class EscapedBytes
{
public:
    bool isEmpty() const { return bytes_.isEmpty(); }
    // Starts a new sequence of bytes in codePage; only when isEmpty().
    void start(int codePage) { codePage_ = codePage; }
    void append(std::uint8_t b) { bytes_.append(char(b)); }
    // Whether the last byte is the first half of a double-byte character, still waiting for its
    // second half.
    bool endsInLeadByte() const;
    // The text of the bytes collected so far, without control characters (tabs aside); empties
    // the collection.
    QString take();

private:
    QByteArray bytes_;
    int codePage_ = 1252;
    std::unordered_map<int, QStringDecoder> decoders_;   // one per code page met
};

} // namespace rtf
