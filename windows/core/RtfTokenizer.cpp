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
    while (m_p < m_end) {
        const char16_t c = *m_p;
        switch (c) {
        case '{':
            ++m_p;
            return token(Token::Type::GroupOpen);
        case '}':
            ++m_p;
            return token(Token::Type::GroupClose);
        case '\r':
        case '\n':
            // Line ends carry no meaning in RTF, not even between the two bytes of a character.
            ++m_p;
            continue;
        case '\\':
            break;
        default:
            return plainText();
        }
        ++m_p;
        if (m_p >= m_end)
            break;
        if (isLetter(*m_p)) {
            Word word;
            readWord(word);
            Token t = token(Token::Type::Word);
            t.keyword = LookUpKeyword(word.name);
            t.hasParam = word.hasParam;
            t.param = word.param;
            return t;
        }
        const char16_t symbol = *m_p++;
        if (symbol != '\'') {
            Token t = token(Token::Type::Symbol);
            t.symbol = symbol;
            return t;
        }
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_p < m_end && hexValue(*m_p) >= 0) {
            value = value * 16 + hexValue(*m_p++);
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
    const char16_t *start = m_p++;
    if (*start >= 0x20) {
        while (m_p < m_end) {
            const char16_t d = *m_p;
            if (d < 0x20 || d == '\\' || d == '{' || d == '}')
                break;
            ++m_p;
        }
    }
    Token t = token(Token::Type::Text);
    t.text = QStringView(start, m_p);
    return t;
}

// Reads a control word's letters, parameter and delimiting space. A name longer than the 32
// letters RTF allows comes back empty and so matches nothing.
void Tokenizer::readWord(Word &word)
{
    const char16_t *start = m_p;
    while (m_p < m_end && isLetter(*m_p))
        ++m_p;
    const qsizetype len = m_p - start;
    if (len <= 32) {
        std::copy(start, m_p, word.letters);
        word.name = std::string_view(word.letters, size_t(len));
    } else {
        word.name = {};
    }
    bool negative = false;
    if (m_p + 1 < m_end && *m_p == '-' && isDigit(m_p[1])) {
        negative = true;
        ++m_p;
    }
    qint64 value = 0;
    word.hasParam = false;
    while (m_p < m_end && isDigit(*m_p)) {
        word.hasParam = true;
        if (value < 100000000000LL)
            value = value * 10 + (*m_p - '0');
        ++m_p;
    }
    if (m_p < m_end && *m_p == ' ')
        ++m_p;
    value = std::min<qint64>(value, 2000000000);
    word.param = int(negative ? -value : value);
}

bool Tokenizer::skipGroup()
{
    int depth = 1;
    while (m_p < m_end) {
        const char16_t c = *m_p++;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return true;
        } else if (c == '\\' && m_p < m_end) {
            if (isLetter(*m_p)) {
                Word word;
                readWord(word);
                if (word.name == "bin" && word.hasParam)
                    skipBinary(word.param);
            } else {
                ++m_p;
            }
        }
    }
    return false;
}

void Tokenizer::skipBinary(int count)
{
    if (count > 0)
        m_p += std::min<qint64>(count, m_end - m_p);
}

} // namespace rtf
