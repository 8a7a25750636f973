#include "windows/core/RtfCodePages.h"

#include "app/core/ShiftJis.h"

namespace rtf {
namespace {

const char *encodingName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 866: return "IBM866";
    case 874: return "windows-874";
    case 932: return "cp932";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: return "windows-1252";
    }
}

bool isLeadByte(int codePage, std::uint8_t b)
{
    switch (codePage) {
    case 932: return ShiftJis::isLeadByte(b);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

} // namespace

int codePageOfCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252;      // symbol fonts: show the bytes as they are
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return ansiCodePage;
    }
}

bool EscapedBytes::endsInLeadByte() const
{
    qsizetype i = 0;
    const qsizetype n = bytes_.size();
    while (i < n)
        i += isLeadByte(codePage_, std::uint8_t(bytes_[i])) ? 2 : 1;
    return i > n;
}

QString EscapedBytes::take()
{
    auto it = decoders_.find(codePage_);
    if (it == decoders_.end())
        it = decoders_.try_emplace(codePage_, encodingName(codePage_),
                                    QStringConverter::Flag::Stateless).first;
    QString text = it->second.isValid() ? it->second.decode(bytes_)
                                        : QString::fromLatin1(bytes_);
    bytes_.clear();
    // The converter marks bytes the code page does not define with SUB.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
    return text;
}

} // namespace rtf
