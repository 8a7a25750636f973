#include "windows/core/RtfTokenizer.h"

#include <algorithm>

namespace rtf {
namespace {

bool isLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }
Token token(Token::Type type)
{
    Token t;
    t.type = type;
    return t;
}

int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

Token Tokenizer::next()
{
    while (p_ < end_) {
        const char16_t c = *p_;
        switch (c) {
        case '{':
            ++p_;
            return token(Token::Type::GroupOpen);
        case '}':
            ++p_;
            return token(Token::Type::GroupClose);
        case '\r':
        case '\n':
            // Line ends carry no meaning in RTF, not even between the two bytes of a character.
            ++p_;
            continue;
        case '\\':
            break;
        default:
            return plainText();
        }
        ++p_;
        if (p_ >= end_)
            break;
        if (isLetter(*p_)) {
            Word word;
            readWord(word);
            Token t = token(Token::Type::Word);
            t.keyword = lookUpKeyword(word.name);
            t.hasParam = word.hasParam;
            t.param = word.param;
            return t;
        }
        const char16_t symbol = *p_++;
        if (symbol != '\'') {
            Token t = token(Token::Type::Symbol);
            t.symbol = symbol;
            return t;
        }
        int value = 0;
        int digits = 0;
        while (digits < 2 && p_ < end_ && hexValue(*p_) >= 0) {
            value = value * 16 + hexValue(*p_++);
            ++digits;
        }
        // Broken or cut off: no byte to speak of.
        if (digits == 2) {
            Token t = token(Token::Type::Byte);
            t.byte = std::uint8_t(value);
            return t;
        }
    }
    return {};
}

Token Tokenizer::plainText()
{
    const char16_t *start = p_++;
    if (*start >= 0x20) {
        while (p_ < end_) {
            const char16_t d = *p_;
            if (d < 0x20 || d == '\\' || d == '{' || d == '}')
                break;
            ++p_;
        }
    }
    Token t = token(Token::Type::Text);
    t.text = QStringView(start, p_);
    return t;
}

// Reads a control word's letters, parameter and delimiting space. A name longer than the 32
// letters RTF allows comes back empty and so matches nothing.
void Tokenizer::readWord(Word &word)
{
    const char16_t *start = p_;
    while (p_ < end_ && isLetter(*p_))
        ++p_;
    const qsizetype len = p_ - start;
    if (len <= 32) {
        std::copy(start, p_, word.letters);
        word.name = std::string_view(word.letters, size_t(len));
    } else {
        word.name = {};
    }
    bool negative = false;
    if (p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1])) {
        negative = true;
        ++p_;
    }
    qint64 value = 0;
    word.hasParam = false;
    while (p_ < end_ && isDigit(*p_)) {
        word.hasParam = true;
        if (value < 100000000000LL)
            value = value * 10 + (*p_ - '0');
        ++p_;
    }
    if (p_ < end_ && *p_ == ' ')
        ++p_;
    value = std::min<qint64>(value, 2000000000);
    word.param = int(negative ? -value : value);
}

bool Tokenizer::skipGroup()
{
    int depth = 1;
    while (p_ < end_) {
        const char16_t c = *p_++;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return true;
        } else if (c == '\\' && p_ < end_) {
            if (isLetter(*p_)) {
                Word word;
                readWord(word);
                if (word.name == "bin" && word.hasParam)
                    skipBinary(word.param);
            } else {
                ++p_;
            }
        }
    }
    return false;
}

void Tokenizer::skipBinary(int count)
{
    if (count > 0)
        p_ += std::min<qint64>(count, end_ - p_);
}

} // namespace rtf
