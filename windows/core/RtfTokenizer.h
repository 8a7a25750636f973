#pragma once
// Splits RTF text into groups, control words, control symbols, \'hh bytes and plain text.
#include "windows/core/RtfKeywords.h"

#include <QStringView>

#include <cstdint>

namespace rtf {

struct Token
{
    enum class Type : std::uint8_t {
        End,          // no more text
        GroupOpen,    // {
        GroupClose,   // }
        Word,         // a control word: keyword, hasParam, param
        Symbol,       // a control symbol such as \~ or \*: symbol
        Byte,         // \'hh: byte
        Text,         // a run of plain characters, or one control character on its own: text
    };
    Type type = Type::End;
    Keyword keyword = Keyword::None;
    bool hasParam = false;
    int param = 0;
    char16_t symbol = 0;
    std::uint8_t byte = 0;
    QStringView text;
};

class Tokenizer
{
public:
    explicit Tokenizer(QStringView rtf) : p_(rtf.utf16()), end_(p_ + rtf.size()) {}

    Token next();
    // Skips the rest of the current group, minding escaped braces and \bin data, up to and
    // including its closing brace; false when the text ends first.
    bool skipGroup();
    // Skips count bytes of \bin data.
    void skipBinary(int count);

private:
    struct Word
    {
        char letters[33];
        std::string_view name;   // points into letters
        bool hasParam = false;
        int param = 0;
    };
    void readWord(Word &word);
    Token plainText();

    const char16_t *p_;
    const char16_t *end_;
};

} // namespace rtf
