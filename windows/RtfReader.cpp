#include "windows/RtfReader.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Groups nested deeper than this share their parent's state instead of saving their own, so a
// file of nothing but '{' cannot eat memory; real documents stay far below it.
constexpr int kMaxDepth = 512;
constexpr int kMaxColumns = 64;
// Every change to a QTextTable's rows makes it rebuild its whole grid: rows are added in
// doubling batches (the spare ones removed at the end) so a long table is read in linear time.
constexpr int kMaxRowBatch = 4096;
constexpr int kMaxTabs = 8;
constexpr int kTwipsPerPixel = 15;
constexpr int kMaxTwips = 31680;   // 22 inches: anything larger is noise
constexpr int kDefaultHalfPoints = 24;

enum class Dest : std::uint8_t { Normal, FontTable, ColorTable };

struct CharProps {
    int font = -1;                    // -1: the document's default font
    int halfPoints = kDefaultHalfPoints;
    int fg = -1;                      // colour table indexes, -1: none
    int bg = -1;
    std::uint8_t underline = QTextCharFormat::NoUnderline;
    std::uint8_t valign = QTextCharFormat::AlignNormal;
    std::uint8_t caps = QFont::MixedCase;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    bool operator==(const CharProps &) const = default;
};

struct ParaProps {
    int left = 0, right = 0, first = 0, before = 0, after = 0;   // twips
    int line = 0;                     // \sl
    bool lineMultiple = false;        // \slmult1
    std::uint8_t align = 0;           // 0 left, 1 centre, 2 right, 3 justify
    bool inTable = false;
    std::uint8_t tabCount = 0;
    std::array<int, kMaxTabs> tabs{};
    bool operator==(const ParaProps &) const = default;
};

// Which script the associated properties (\af, \ab, ...) describe.
enum class Assoc : std::uint8_t { Ltr, Rtl, Low, High, Double };

struct GroupState {
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Normal;
    Assoc assoc = Assoc::Ltr;
    bool numberText = false;          // inside \pntext or \listtext
    int uc = 1;                       // fallback characters after \uN
};

struct FontInfo {
    QString name;
    int charset = -1;
    int codePage = 0;                 // \cpg, 0: from the charset
    QFont::StyleHint hint = QFont::AnyStyle;
    bool fixedPitch = false;
};

enum class Kw {
    None,
    // destinations
    Rtf, FontTable, ColorTable, Skip, NumberText,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    // font table
    F, FCharset, Cpg, FNil, FRoman, FSwiss, FModern, FScript, FDecor, FTech, FPrq,
    // colour table
    Red, Green, Blue,
    // characters
    Plain, B, I, Ul, UlNone, UlDotted, UlDash, UlWave, Strike, Fs, Cf, Cb, Super, Sub,
    NoSuperSub, Up, Dn, Caps, SCaps, V, LtrCh, RtlCh, LoCh, HiCh, DbCh, AF, AFs, AB, AI,
    // paragraphs
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, InTbl,
    // tables
    Trowd, Cellx, Cell, Row, NestCell, NestRow, Border,
    // special characters
    Par, Line, Tab, Page, EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LQuote, RQuote,
    LDblQuote, RDblQuote, Zwj, Zwnj, LtrMark, RtlMark,
    // unicode and binary data
    U, Uc, Bin,
};

const std::unordered_map<std::string_view, Kw> &keywords()
{
    static const std::unordered_map<std::string_view, Kw> map = {
        {"rtf", Kw::Rtf}, {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable},
        {"pntext", Kw::NumberText}, {"listtext", Kw::NumberText},
        // Destinations whose contents are never shown.
        {"stylesheet", Kw::Skip}, {"info", Kw::Skip}, {"header", Kw::Skip}, {"headerl", Kw::Skip},
        {"headerr", Kw::Skip}, {"headerf", Kw::Skip}, {"footer", Kw::Skip}, {"footerl", Kw::Skip},
        {"footerr", Kw::Skip}, {"footerf", Kw::Skip}, {"pict", Kw::Skip}, {"object", Kw::Skip},
        {"shp", Kw::Skip}, {"shpinst", Kw::Skip}, {"shptxt", Kw::Skip}, {"shppict", Kw::Skip},
        {"nonshppict", Kw::Skip}, {"footnote", Kw::Skip}, {"annotation", Kw::Skip},
        {"atnid", Kw::Skip}, {"atnauthor", Kw::Skip}, {"listtable", Kw::Skip},
        {"listoverridetable", Kw::Skip}, {"revtbl", Kw::Skip}, {"rsidtbl", Kw::Skip},
        {"pn", Kw::Skip}, {"pnseclvl", Kw::Skip}, {"fldinst", Kw::Skip}, {"xe", Kw::Skip},
        {"tc", Kw::Skip}, {"txe", Kw::Skip}, {"rxe", Kw::Skip}, {"bkmkstart", Kw::Skip},
        {"bkmkend", Kw::Skip}, {"themedata", Kw::Skip}, {"colorschememapping", Kw::Skip},
        {"latentstyles", Kw::Skip}, {"datastore", Kw::Skip}, {"xmlnstbl", Kw::Skip},
        {"generator", Kw::Skip}, {"filetbl", Kw::Skip}, {"ftnsep", Kw::Skip},
        {"ftnsepc", Kw::Skip}, {"ftncn", Kw::Skip}, {"aftnsep", Kw::Skip}, {"aftnsepc", Kw::Skip},
        {"aftncn", Kw::Skip}, {"template", Kw::Skip}, {"docvar", Kw::Skip},
        {"userprops", Kw::Skip}, {"background", Kw::Skip}, {"pgdsctbl", Kw::Skip},
        {"nonesttables", Kw::Skip}, {"result", Kw::Skip}, {"objdata", Kw::Skip},
        {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
        {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff},
        {"f", Kw::F}, {"fcharset", Kw::FCharset}, {"cpg", Kw::Cpg}, {"fnil", Kw::FNil},
        {"froman", Kw::FRoman}, {"fswiss", Kw::FSwiss}, {"fmodern", Kw::FModern},
        {"fscript", Kw::FScript}, {"fdecor", Kw::FDecor}, {"ftech", Kw::FTech},
        {"fprq", Kw::FPrq},
        {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        {"plain", Kw::Plain}, {"b", Kw::B}, {"i", Kw::I}, {"ul", Kw::Ul}, {"ulnone", Kw::UlNone},
        {"ulw", Kw::Ul}, {"uldb", Kw::Ul}, {"ulth", Kw::Ul}, {"uld", Kw::UlDotted},
        {"ulthd", Kw::UlDotted}, {"uldash", Kw::UlDash}, {"uldashd", Kw::UlDash},
        {"uldashdd", Kw::UlDash}, {"ulldash", Kw::UlDash}, {"ulthdash", Kw::UlDash},
        {"ulwave", Kw::UlWave}, {"ulhwave", Kw::UlWave}, {"ululdbwave", Kw::UlWave},
        {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"fs", Kw::Fs}, {"cf", Kw::Cf},
        {"cb", Kw::Cb}, {"highlight", Kw::Cb}, {"chcbpat", Kw::Cb}, {"super", Kw::Super},
        {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub}, {"up", Kw::Up}, {"dn", Kw::Dn},
        {"caps", Kw::Caps}, {"scaps", Kw::SCaps}, {"v", Kw::V}, {"ltrch", Kw::LtrCh},
        {"rtlch", Kw::RtlCh}, {"loch", Kw::LoCh}, {"hich", Kw::HiCh}, {"dbch", Kw::DbCh},
        {"af", Kw::AF}, {"afs", Kw::AFs}, {"ab", Kw::AB}, {"ai", Kw::AI},
        {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj},
        {"qd", Kw::Qj}, {"li", Kw::Li}, {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri},
        {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"sl", Kw::Sl}, {"slmult", Kw::SlMult},
        {"tx", Kw::Tx}, {"intbl", Kw::InTbl},
        {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx}, {"cell", Kw::Cell}, {"row", Kw::Row},
        {"nestcell", Kw::NestCell}, {"nestrow", Kw::NestRow},
        {"clbrdrt", Kw::Border}, {"clbrdrl", Kw::Border}, {"clbrdrb", Kw::Border},
        {"clbrdrr", Kw::Border}, {"trbrdrt", Kw::Border}, {"trbrdrl", Kw::Border},
        {"trbrdrb", Kw::Border}, {"trbrdrr", Kw::Border}, {"trbrdrh", Kw::Border},
        {"trbrdrv", Kw::Border},
        {"par", Kw::Par}, {"sect", Kw::Par}, {"line", Kw::Line}, {"tab", Kw::Tab},
        {"page", Kw::Page}, {"emdash", Kw::EmDash}, {"endash", Kw::EnDash},
        {"emspace", Kw::EmSpace}, {"enspace", Kw::EnSpace}, {"qmspace", Kw::QmSpace},
        {"bullet", Kw::Bullet}, {"lquote", Kw::LQuote}, {"rquote", Kw::RQuote},
        {"ldblquote", Kw::LDblQuote}, {"rdblquote", Kw::RDblQuote}, {"zwj", Kw::Zwj},
        {"zwnj", Kw::Zwnj}, {"ltrmark", Kw::LtrMark}, {"rtlmark", Kw::RtlMark},
        {"u", Kw::U}, {"uc", Kw::Uc}, {"bin", Kw::Bin},
    };
    return map;
}

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

bool isLeadByte(int codePage, unsigned char b)
{
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

bool isLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }
int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int twips(int v) { return std::clamp(v, -kMaxTwips, kMaxTwips); }

class Reader
{
public:
    Reader(const QString &rtf, QTextDocument &doc)
        : m_p(reinterpret_cast<const char16_t *>(rtf.constData())),
          m_end(m_p + rtf.size()), m_cursor(&doc)
    {
        m_stack.reserve(64);
        m_stack.emplace_back();
    }

    void run()
    {
        while (m_p < m_end && !m_done) {
            if (m_skipDepth > 0) {
                skipGroup();
                continue;
            }
            switch (*m_p) {
            case '{':
                ++m_p;
                flushBytes();
                m_ucSkip = 0;
                beginGroup();
                break;
            case '}':
                ++m_p;
                flushBytes();
                m_ucSkip = 0;
                endGroup();
                break;
            case '\\':
                ++m_p;
                controlSequence();
                break;
            case '\r':
            case '\n':
                // Line ends carry no meaning in RTF, not even between the two bytes of a character.
                ++m_p;
                break;
            default:
                rawText();
                break;
            }
        }
        flushBytes();
        flushRun();
        if (m_blockHasContent)
            applyBlockFormat(m_contentPara);
        trimTable();
    }

private:
    GroupState &state() { return m_stack.back(); }

    // ---- groups -------------------------------------------------------------------------------

    void beginGroup()
    {
        if (m_stack.size() < size_t(kMaxDepth))
            m_stack.push_back(m_stack.back());
        else
            ++m_overflow;
    }

    void endGroup()
    {
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1)
            return;   // a stray '}' closes nothing
        // A font entry ends with its group, even without the ';' that should close it.
        if (m_fontNumber >= 0 && int(m_stack.size()) == m_fontLevel)
            commitFont();
        m_stack.pop_back();
        if (int(m_stack.size()) == m_rtfLevel)
            m_done = true;   // the document's outer group has closed: what follows is not RTF
    }

    // Skips the rest of the current group, minding escaped braces and \bin data.
    void skipGroup()
    {
        while (m_p < m_end) {
            const char16_t c = *m_p++;
            if (c == '{') {
                ++m_skipDepth;
            } else if (c == '}') {
                if (--m_skipDepth == 0) {
                    endGroup();
                    return;
                }
            } else if (c == '\\' && m_p < m_end) {
                if (isLetter(*m_p)) {
                    std::string_view name;
                    char buf[33];
                    bool hasParam = false;
                    const int param = readWord(buf, name, hasParam);
                    if (name == "bin" && hasParam)
                        skipBinary(param);
                } else {
                    ++m_p;
                }
            }
        }
    }

    void skipBinary(int count)
    {
        if (count > 0)
            m_p += std::min<qint64>(count, m_end - m_p);
    }

    // ---- tokens -------------------------------------------------------------------------------

    // Reads a control word's letters, parameter and delimiting space. name points into buf; a
    // name longer than the 32 letters RTF allows comes back empty and so matches nothing.
    int readWord(char (&buf)[33], std::string_view &name, bool &hasParam)
    {
        const char16_t *start = m_p;
        while (m_p < m_end && isLetter(*m_p))
            ++m_p;
        const qsizetype len = m_p - start;
        if (len <= 32) {
            for (qsizetype k = 0; k < len; ++k)
                buf[k] = char(start[k]);
            name = std::string_view(buf, size_t(len));
        } else {
            name = {};
        }
        bool negative = false;
        if (m_p + 1 < m_end && *m_p == '-' && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        qint64 value = 0;
        hasParam = false;
        while (m_p < m_end && isDigit(*m_p)) {
            hasParam = true;
            if (value < 100000000000LL)
                value = value * 10 + (*m_p - '0');
            ++m_p;
        }
        if (m_p < m_end && *m_p == ' ')
            ++m_p;
        value = std::min<qint64>(value, 2000000000);
        return int(negative ? -value : value);
    }

    void controlSequence()
    {
        if (m_p >= m_end)
            return;
        const char16_t c = *m_p;
        if (isLetter(c)) {
            char buf[33];
            std::string_view name;
            bool hasParam = false;
            const int param = readWord(buf, name, hasParam);
            flushBytes();
            const auto &map = keywords();
            const auto it = map.find(name);
            const Kw kw = it == map.end() ? Kw::None : it->second;
            if (m_ucSkip > 0) {
                // A control word stands for one fallback character after \uN.
                --m_ucSkip;
                if (kw == Kw::Bin && hasParam)
                    skipBinary(param);
                return;
            }
            controlWord(kw, hasParam, param);
            return;
        }
        ++m_p;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_p < m_end && hexValue(*m_p) >= 0) {
                value = value * 16 + hexValue(*m_p++);
                ++digits;
            }
            if (digits < 2)
                return;   // broken or cut off: no byte to speak of
            if (m_ucSkip > 0) {
                --m_ucSkip;
                return;
            }
            addByte(std::uint8_t(value));
            return;
        }
        flushBytes();
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}': addChar(c); break;
        case '~': addChar(0x00A0); break;
        case '_': addChar(0x2011); break;
        case '-': addChar(0x00AD); break;
        case '\r':
        case '\n': paragraph(); break;
        case '\t': addChar('\t'); break;
        case '*':
            // An optional destination this reader does not know: leave out the whole group.
            if (m_stack.size() > 1 || m_overflow > 0)
                m_skipDepth = 1;
            break;
        default: break;   // \| \: and unknown symbols
        }
    }

    void rawText()
    {
        const char16_t c = *m_p;
        if (!m_bytes.isEmpty()) {
            // A lead byte written as \'hh whose trail byte follows as a plain character.
            if (c >= 0x40 && c < 0x7F && danglingLeadByte()) {
                m_bytes.append(char(c));
                ++m_p;
                flushBytes();
                return;
            }
            flushBytes();
        }
        if (m_ucSkip > 0) {
            --m_ucSkip;
            ++m_p;
            return;
        }
        if (state().dest != Dest::Normal || c < 0x20) {
            ++m_p;
            if (c >= 0x20 || c == '\t')
                addChar(c);
            return;
        }
        const char16_t *start = m_p;
        while (m_p < m_end) {
            const char16_t d = *m_p;
            if (d < 0x20 || d == '\\' || d == '{' || d == '}')
                break;
            ++m_p;
        }
        addText(start, m_p - start);
    }

    // ---- control words ------------------------------------------------------------------------

    void controlWord(Kw kw, bool hasParam, int param)
    {
        GroupState &st = state();
        CharProps &chr = st.chr;
        ParaProps &para = st.para;
        const bool on = !hasParam || param != 0;
        switch (kw) {
        case Kw::None: break;
        case Kw::Rtf:
            if (m_rtfLevel < 0 && m_overflow == 0 && m_stack.size() > 1)
                m_rtfLevel = int(m_stack.size()) - 1;
            break;
        case Kw::FontTable:
            st.dest = Dest::FontTable;
            m_font = FontInfo();
            m_fontNumber = -1;
            break;
        case Kw::ColorTable:
            st.dest = Dest::ColorTable;
            m_red = m_green = m_blue = 0;
            m_colorSet = false;
            break;
        case Kw::Skip:
            if (m_stack.size() > 1 || m_overflow > 0)
                m_skipDepth = 1;
            break;
        case Kw::NumberText: st.numberText = true; break;
        case Kw::Ansi: m_ansiCodePage = 1252; break;
        case Kw::Mac: m_ansiCodePage = 10000; break;
        case Kw::Pc: m_ansiCodePage = 437; break;
        case Kw::Pca: m_ansiCodePage = 850; break;
        case Kw::AnsiCpg:
            if (param > 0)
                m_ansiCodePage = param;
            break;
        case Kw::Deff: m_defaultFont = param; break;
        case Kw::F:
            if (st.dest == Dest::FontTable) {
                commitFont();
                m_fontNumber = param;
                m_fontLevel = int(m_stack.size());
            } else {
                chr.font = param;
            }
            break;
        case Kw::FCharset: m_font.charset = param; break;
        case Kw::Cpg: m_font.codePage = param; break;
        case Kw::FNil: m_font.hint = QFont::AnyStyle; break;
        case Kw::FRoman: m_font.hint = QFont::Serif; break;
        case Kw::FSwiss: m_font.hint = QFont::SansSerif; break;
        case Kw::FModern:
            m_font.hint = QFont::TypeWriter;
            m_font.fixedPitch = true;
            break;
        case Kw::FScript: m_font.hint = QFont::Cursive; break;
        case Kw::FDecor: m_font.hint = QFont::Decorative; break;
        case Kw::FTech: m_font.hint = QFont::AnyStyle; break;
        case Kw::FPrq: m_font.fixedPitch = m_font.fixedPitch || param == 1; break;
        case Kw::Red: m_red = std::clamp(param, 0, 255); m_colorSet = true; break;
        case Kw::Green: m_green = std::clamp(param, 0, 255); m_colorSet = true; break;
        case Kw::Blue: m_blue = std::clamp(param, 0, 255); m_colorSet = true; break;
        case Kw::Plain: chr = CharProps(); break;
        case Kw::B: chr.bold = on; break;
        case Kw::I: chr.italic = on; break;
        case Kw::Ul:
            chr.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
            break;
        case Kw::UlNone: chr.underline = QTextCharFormat::NoUnderline; break;
        case Kw::UlDotted:
            chr.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline;
            break;
        case Kw::UlDash:
            chr.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline;
            break;
        case Kw::UlWave:
            chr.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline;
            break;
        case Kw::Strike: chr.strike = on; break;
        case Kw::Fs:
            chr.halfPoints = param > 0 ? std::clamp(param, 2, 1000) : kDefaultHalfPoints;
            break;
        case Kw::Cf: chr.fg = param; break;
        case Kw::Cb: chr.bg = param; break;
        case Kw::Super:
            chr.valign = on ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
            break;
        case Kw::Sub:
            chr.valign = on ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
            break;
        case Kw::NoSuperSub: chr.valign = QTextCharFormat::AlignNormal; break;
        case Kw::Up:
            chr.valign = param > 0 || !hasParam ? QTextCharFormat::AlignSuperScript
                                                : QTextCharFormat::AlignNormal;
            break;
        case Kw::Dn:
            chr.valign = param > 0 || !hasParam ? QTextCharFormat::AlignSubScript
                                                : QTextCharFormat::AlignNormal;
            break;
        case Kw::Caps: chr.caps = on ? QFont::AllUppercase : QFont::MixedCase; break;
        case Kw::SCaps: chr.caps = on ? QFont::SmallCaps : QFont::MixedCase; break;
        case Kw::V: chr.hidden = on; break;
        case Kw::LtrCh: st.assoc = Assoc::Ltr; break;
        case Kw::RtlCh: st.assoc = Assoc::Rtl; break;
        case Kw::LoCh: st.assoc = Assoc::Low; break;
        case Kw::HiCh: st.assoc = Assoc::High; break;
        case Kw::DbCh: st.assoc = Assoc::Double; break;
        // Associated properties matter here only for double-byte text, the Japanese this pane
        // shows; writers give them for right-to-left text too, which is left as it is.
        case Kw::AF:
            if (st.assoc == Assoc::Double)
                chr.font = param;
            break;
        case Kw::AFs:
            if (st.assoc == Assoc::Double && param > 0)
                chr.halfPoints = std::clamp(param, 2, 1000);
            break;
        case Kw::AB:
            if (st.assoc == Assoc::Double)
                chr.bold = on;
            break;
        case Kw::AI:
            if (st.assoc == Assoc::Double)
                chr.italic = on;
            break;
        case Kw::Pard:
            // A list number's group resets its own formatting, but it stands in the paragraph
            // that follows it, which may be in a table cell.
            if (!st.numberText)
                para = ParaProps();
            break;
        case Kw::Ql: para.align = 0; break;
        case Kw::Qc: para.align = 1; break;
        case Kw::Qr: para.align = 2; break;
        case Kw::Qj: para.align = 3; break;
        case Kw::Li: para.left = twips(param); break;
        case Kw::Ri: para.right = twips(param); break;
        case Kw::Fi: para.first = twips(param); break;
        case Kw::Sb: para.before = twips(param); break;
        case Kw::Sa: para.after = twips(param); break;
        case Kw::Sl: para.line = twips(param); break;
        case Kw::SlMult: para.lineMultiple = on; break;
        case Kw::Tx:
            if (para.tabCount < kMaxTabs && param > 0)
                para.tabs[para.tabCount++] = twips(param);
            break;
        case Kw::InTbl: para.inTable = on; break;
        case Kw::Trowd:
            m_cellx.clear();
            m_rowBorders = false;
            // Writers that leave out \intbl still mean the row's paragraphs to be cells.
            para.inTable = true;
            break;
        case Kw::Cellx:
            if (m_cellx.size() < kMaxColumns)
                m_cellx.append(twips(param));
            break;
        case Kw::Border: m_rowBorders = true; break;
        case Kw::Cell: cell(); break;
        case Kw::Row: row(); break;
        case Kw::NestCell: addChar('\t'); break;
        case Kw::NestRow: addChar(QChar::LineSeparator); break;
        case Kw::Par:
        case Kw::Page: paragraph(); break;
        case Kw::Line: addChar(QChar::LineSeparator); break;
        case Kw::Tab: addChar('\t'); break;
        case Kw::EmDash: addChar(0x2014); break;
        case Kw::EnDash: addChar(0x2013); break;
        case Kw::EmSpace: addChar(0x2003); break;
        case Kw::EnSpace: addChar(0x2002); break;
        case Kw::QmSpace: addChar(0x2005); break;
        case Kw::Bullet: addChar(0x2022); break;
        case Kw::LQuote: addChar(0x2018); break;
        case Kw::RQuote: addChar(0x2019); break;
        case Kw::LDblQuote: addChar(0x201C); break;
        case Kw::RDblQuote: addChar(0x201D); break;
        case Kw::Zwj: addChar(0x200D); break;
        case Kw::Zwnj: addChar(0x200C); break;
        case Kw::LtrMark: addChar(0x200E); break;
        case Kw::RtlMark: addChar(0x200F); break;
        case Kw::U: {
            qint64 code = param;
            if (code < 0)
                code += 65536;   // writers give characters above 32767 as negative 16-bit numbers
            if (code >= 0 && code <= 0xFFFF) {
                addChar(char16_t(code));
            } else if (code > 0xFFFF && code <= 0x10FFFF) {
                const char32_t cp = char32_t(code);
                const QString s = QString::fromUcs4(&cp, 1);
                addText(reinterpret_cast<const char16_t *>(s.constData()), s.size());
            }
            m_ucSkip = st.uc;
            break;
        }
        case Kw::Uc: st.uc = std::clamp(param, 0, 255); break;
        case Kw::Bin:
            if (hasParam)
                skipBinary(param);
            break;
        }
    }

    // ---- text ---------------------------------------------------------------------------------

    int textCodePage()
    {
        const GroupState &st = state();
        if (st.dest == Dest::FontTable) {
            if (m_font.codePage > 0)
                return m_font.codePage;
            return codePageOfCharset(m_font.charset, m_ansiCodePage);
        }
        const int number = st.chr.font >= 0 ? st.chr.font : m_defaultFont;
        const auto it = m_fonts.constFind(number);
        if (it == m_fonts.cend())
            return m_ansiCodePage;
        if (it->codePage > 0)
            return it->codePage;
        return codePageOfCharset(it->charset, m_ansiCodePage);
    }

    void addByte(std::uint8_t b)
    {
        if (m_bytes.isEmpty())
            m_bytesCodePage = textCodePage();
        m_bytes.append(char(b));
    }

    bool danglingLeadByte() const
    {
        qsizetype i = 0;
        const qsizetype n = m_bytes.size();
        while (i < n)
            i += isLeadByte(m_bytesCodePage, std::uint8_t(m_bytes[i])) ? 2 : 1;
        return i > n;
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        auto it = m_decoders.find(m_bytesCodePage);
        if (it == m_decoders.end())
            it = m_decoders.try_emplace(m_bytesCodePage, encodingName(m_bytesCodePage),
                                        QStringConverter::Flag::Stateless).first;
        QString text = it->second.isValid() ? it->second.decode(m_bytes)
                                            : QString::fromLatin1(m_bytes);
        m_bytes.clear();
        // The converter marks bytes the code page does not define with SUB.
        text.replace(QChar(0x1A), QChar::ReplacementCharacter);
        text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
        addText(reinterpret_cast<const char16_t *>(text.constData()), text.size());
    }

    void addChar(char16_t c)
    {
        // Control characters from \'hh or \uN would only show as boxes or break lines.
        if (c >= 0x20 || c == '\t')
            addText(&c, 1);
    }

    void addText(const char16_t *s, qsizetype n)
    {
        if (n <= 0)
            return;
        GroupState &st = state();
        switch (st.dest) {
        case Dest::Normal:
            if (st.chr.hidden)
                return;
            enterTableContext(st.para.inTable);
            takePendingBreak();
            if (!m_run.isEmpty() && !(st.chr == m_runProps))
                flushRun();
            if (m_run.isEmpty())
                m_runProps = st.chr;
            m_run.append(reinterpret_cast<const QChar *>(s), n);
            if (!m_blockHasContent || !(m_contentPara == st.para)) {
                m_contentPara = st.para;
                m_blockHasContent = true;
            }
            break;
        case Dest::FontTable:
            for (qsizetype k = 0; k < n; ++k) {
                if (s[k] == ';')
                    commitFont();
                else
                    m_font.name.append(QChar(s[k]));
            }
            break;
        case Dest::ColorTable:
            for (qsizetype k = 0; k < n; ++k) {
                if (s[k] == ';') {
                    m_colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
                    m_red = m_green = m_blue = 0;
                    m_colorSet = false;
                }
            }
            break;
        }
    }

    void commitFont()
    {
        if (m_fontNumber >= 0 && !m_font.name.trimmed().isEmpty()) {
            FontInfo info = m_font;
            info.name = info.name.trimmed();
            m_fonts.insert(m_fontNumber, info);
        }
        // Properties before the next \f belong to no font.
        m_font = FontInfo();
        m_fontNumber = -1;
    }

    QTextCharFormat charFormat(const CharProps &p) const
    {
        QTextCharFormat f;
        const auto it = m_fonts.constFind(p.font >= 0 ? p.font : m_defaultFont);
        if (it != m_fonts.cend()) {
            f.setFontFamilies(QStringList{it->name});
            if (it->hint != QFont::AnyStyle)
                f.setFontStyleHint(it->hint);
            if (it->fixedPitch)
                f.setFontFixedPitch(true);
        }
        f.setFontPointSize(p.halfPoints / 2.0);
        if (p.bold)
            f.setFontWeight(QFont::Bold);
        if (p.italic)
            f.setFontItalic(true);
        if (p.underline != QTextCharFormat::NoUnderline)
            f.setUnderlineStyle(QTextCharFormat::UnderlineStyle(p.underline));
        if (p.strike)
            f.setFontStrikeOut(true);
        if (p.fg >= 0 && p.fg < m_colors.size() && m_colors[p.fg].isValid())
            f.setForeground(m_colors[p.fg]);
        if (p.bg >= 0 && p.bg < m_colors.size() && m_colors[p.bg].isValid())
            f.setBackground(m_colors[p.bg]);
        if (p.valign != QTextCharFormat::AlignNormal)
            f.setVerticalAlignment(QTextCharFormat::VerticalAlignment(p.valign));
        if (p.caps != QFont::MixedCase)
            f.setFontCapitalization(QFont::Capitalization(p.caps));
        return f;
    }

    QTextBlockFormat blockFormat(const ParaProps &p)
    {
        if (m_blockFormatValid && p == m_blockFormatProps)
            return m_blockFormat;
        QTextBlockFormat f;
        static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
        f.setAlignment(aligns[p.align & 3]);
        const qreal px = kTwipsPerPixel;
        if (p.left)
            f.setLeftMargin(p.left / px);
        if (p.right)
            f.setRightMargin(p.right / px);
        if (p.first)
            f.setTextIndent(p.first / px);
        if (p.before)
            f.setTopMargin(p.before / px);
        if (p.after)
            f.setBottomMargin(p.after / px);
        if (p.line != 0) {
            if (p.lineMultiple && p.line > 0)
                f.setLineHeight(p.line * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
            else if (p.line > 0)
                f.setLineHeight(p.line / px, QTextBlockFormat::MinimumHeight);
            else
                f.setLineHeight(-p.line / px, QTextBlockFormat::FixedHeight);
        }
        // RTF measures tab stops from the left margin, Qt from where the line starts: the first
        // line's, which matters here, since that is where a list number and its \tab stand.
        const int lineStart = p.left + p.first;
        QList<qreal> stops;
        for (int k = 0; k < p.tabCount; ++k)
            if (p.tabs[k] > lineStart)
                stops.append((p.tabs[k] - lineStart) / px);
        // A hanging indent is a tab stop too, so the text after a list number lines up with the
        // paragraph's following lines.
        if (p.first < 0)
            stops.append(-p.first / px);
        std::sort(stops.begin(), stops.end());
        QList<QTextOption::Tab> tabs;
        for (qreal stop : stops)
            tabs.append(QTextOption::Tab(stop, QTextOption::LeftTab));
        if (!tabs.isEmpty())
            f.setTabPositions(tabs);
        m_blockFormatProps = p;
        m_blockFormat = f;
        m_blockFormatValid = true;
        return f;
    }

    const QTextCharFormat &cachedCharFormat(const CharProps &p)
    {
        if (!m_runFormatValid || !(p == m_runFormatProps)) {
            m_runFormat = charFormat(p);
            m_runFormatProps = p;
            m_runFormatValid = true;
        }
        return m_runFormat;
    }

    void flushRun()
    {
        if (m_run.isEmpty())
            return;
        m_cursor.insertText(m_run, cachedCharFormat(m_runProps));
        m_run.resize(0);   // keeps the buffer for the next run
    }

    void paragraph()
    {
        GroupState &st = state();
        if (st.dest != Dest::Normal)
            return;
        enterTableContext(st.para.inTable);
        flushRun();
        takePendingBreak();
        applyBlockFormat(st.para);
        // An empty paragraph takes its height from the block's character format.
        m_cursor.setBlockCharFormat(cachedCharFormat(st.chr));
        m_blockHasContent = false;
        // The new block is made only when something goes into it: a table that follows needs
        // none (it would stand as an empty line before the table), nor does the end of a cell
        // or of the document.
        m_pendingBreak = true;
    }

    void applyBlockFormat(const ParaProps &p)
    {
        const QTextBlockFormat f = blockFormat(p);
        m_cursor.setBlockFormat(f);
        // Qt lays the first block after a table out without its top margin: the table's bottom
        // margin keeps that space instead.
        if (m_tableAbove) {
            if (f.topMargin() > 0) {
                QTextTableFormat tf = m_tableAbove->format();
                tf.setBottomMargin(f.topMargin());
                m_tableAbove->setFormat(tf);
            }
            m_tableAbove = nullptr;
        }
    }

    void takePendingBreak()
    {
        if (m_pendingBreak) {
            m_cursor.insertBlock();
            m_pendingBreak = false;
            m_tableAbove = nullptr;
        }
    }

    // ---- tables -------------------------------------------------------------------------------

    // Moves the insertion point where content of a paragraph in (or out of) a table belongs:
    // opens a table, starts a pending row or cell, or leaves the table.
    void enterTableContext(bool inTable)
    {
        if (!inTable) {
            if (m_table)
                closeTable();
            return;
        }
        if (!m_table) {
            openTable();
            return;
        }
        if (m_rowPending) {
            finishBlock();
            ++m_rowIndex;
            if (m_rowIndex >= m_table->rows())
                m_table->appendRows(std::clamp(m_table->rows(), 1, kMaxRowBatch));
            const int wanted = std::min<int>(int(m_cellx.size()), kMaxColumns);
            if (wanted > m_table->columns())
                m_table->appendColumns(wanted - m_table->columns());
            m_column = 0;
            m_cursor = m_table->cellAt(m_rowIndex, 0).lastCursorPosition();
            m_rowPending = m_cellPending = false;
        } else if (m_cellPending) {
            finishBlock();
            m_cellPending = false;
            if (m_column + 1 >= m_table->columns()) {
                if (m_table->columns() >= kMaxColumns) {
                    // No room for another cell: its content joins the last one.
                    m_runProps = state().chr;
                    m_run.append(QChar('\t'));
                    return;
                }
                m_table->appendColumns(1);
            }
            ++m_column;
            m_cursor = m_table->cellAt(m_rowIndex, m_column).lastCursorPosition();
        }
    }

    // Ends the block the insertion point is in before it moves to a cell or out of a table.
    void finishBlock()
    {
        flushRun();
        if (m_blockHasContent)
            applyBlockFormat(m_contentPara);
        m_blockHasContent = false;
        m_pendingBreak = false;
    }

    void openTable()
    {
        finishBlock();
        const int columns = std::clamp<int>(int(m_cellx.size()), 1, kMaxColumns);
        QTextTableFormat format;
        format.setBorder(m_rowBorders ? 1 : 0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(3);
        // The pane's width follows its window, so the table spans it and the cell boundaries
        // keep their proportions rather than their absolute places.
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        if (m_cellx.size() == columns) {
            QList<int> widths;
            int previous = std::min(0, m_cellx.first());
            for (int x : m_cellx) {
                widths.append(std::max(x - previous, kTwipsPerPixel));
                previous = x;
            }
            const qreal total = std::accumulate(widths.cbegin(), widths.cend(), 0.0);
            QList<QTextLength> lengths;
            for (int w : widths)
                lengths.append(QTextLength(QTextLength::PercentageLength, 100.0 * w / total));
            format.setColumnWidthConstraints(lengths);
        }
        m_tableAbove = nullptr;
        m_table = m_cursor.insertTable(1, columns, format);
        m_rowIndex = 0;
        m_column = 0;
        m_rowPending = m_cellPending = false;
        m_cursor = m_table->cellAt(0, 0).lastCursorPosition();
    }

    void trimTable()
    {
        const int spare = m_table ? m_table->rows() - (m_rowIndex + 1) : 0;
        if (spare > 0)
            m_table->removeRows(m_rowIndex + 1, spare);
    }

    void closeTable()
    {
        finishBlock();
        trimTable();
        m_tableAbove = m_table;
        m_table = nullptr;
        m_rowPending = m_cellPending = false;
        m_cursor.movePosition(QTextCursor::End);
    }

    void cell()
    {
        if (state().dest != Dest::Normal)
            return;
        enterTableContext(true);
        finishBlock();
        m_cellPending = true;
    }

    void row()
    {
        if (state().dest != Dest::Normal || !m_table)
            return;
        finishBlock();
        m_rowPending = true;
        m_cellPending = false;
    }

    // ---- members ------------------------------------------------------------------------------

    const char16_t *m_p;
    const char16_t *m_end;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    int m_overflow = 0;
    int m_skipDepth = 0;
    int m_ucSkip = 0;
    int m_rtfLevel = -1;
    bool m_done = false;

    int m_ansiCodePage = 1252;
    int m_defaultFont = -1;
    QHash<int, FontInfo> m_fonts;
    FontInfo m_font;
    int m_fontNumber = -1;
    int m_fontLevel = 0;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    QByteArray m_bytes;
    int m_bytesCodePage = 1252;
    std::unordered_map<int, QStringDecoder> m_decoders;

    QString m_run;
    CharProps m_runProps;
    CharProps m_runFormatProps;
    QTextCharFormat m_runFormat;
    bool m_runFormatValid = false;
    ParaProps m_contentPara;
    bool m_blockHasContent = false;
    bool m_pendingBreak = false;
    ParaProps m_blockFormatProps;
    QTextBlockFormat m_blockFormat;
    bool m_blockFormatValid = false;

    QTextTable *m_table = nullptr;
    QTextTable *m_tableAbove = nullptr;   // the table the insertion point's block follows
    QList<int> m_cellx;
    bool m_rowBorders = false;
    int m_rowIndex = 0;
    int m_column = 0;
    bool m_rowPending = false;
    bool m_cellPending = false;
};

} // namespace

void ReadRtf(const QString &rtf, QTextDocument &doc)
{
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    Reader(rtf, doc).run();
    batch.endEditBlock();
    doc.setUndoRedoEnabled(undo);
}
