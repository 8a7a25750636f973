#include "windows/core/RtfReader.h"

#include "windows/core/RtfCodePages.h"
#include "windows/core/RtfDocumentBuilder.h"
#include "windows/core/RtfKeywords.h"
#include "windows/core/RtfTokenizer.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

// The reader proper: the group stack with the properties each group sets, the control words,
// and the font and colour tables. The tokens come from rtf::Tokenizer, the document is built by
// rtf::DocumentBuilder.

namespace rtf {
namespace {

// Groups nested deeper than this share their parent's state instead of saving their own, so a
// file of nothing but '{' cannot eat memory; real documents stay far below it.
constexpr int MaxDepth = 512;
constexpr int MaxTwips = 31680;   // 22 inches: anything larger is noise

int twips(int v) { return std::clamp(v, -MaxTwips, MaxTwips); }

enum class Dest : std::uint8_t { Normal, FontTable, ColorTable };

// Which script the associated properties (\af, \ab, ...) describe.
enum class Assoc : std::uint8_t { Ltr, Rtl, Low, High, Double };

struct GroupState
{
    CharProps chr;
    ParaProps para;
    Dest dest = Dest::Normal;
    Assoc assoc = Assoc::Ltr;
    bool numberText = false;          // inside \pntext or \listtext
    int uc = 1;                       // fallback characters after \uN
};

class Reader
{
public:
    Reader(QStringView rtf, QTextDocument &doc) : tokens_(rtf), builder_(doc)
    {
        stack_.reserve(64);
        stack_.emplace_back();
    }

    void run();

private:
    GroupState &state() { return stack_.back(); }
    void beginGroup();
    void endGroup();
    void controlWord(Keyword kw, bool hasParam, int param);
    void controlSymbol(char16_t c);
    void plainText(QStringView text);
    int textCodePage();
    void flushBytes();
    void addChar(char16_t c);
    void addText(QStringView text);
    void commitFont();
    void paragraph();
    void cell();
    void row();

    Tokenizer tokens_;
    DocumentBuilder builder_;
    std::vector<GroupState> stack_;
    int overflow_ = 0;               // groups opened beyond MaxDepth
    bool skipGroup_ = false;         // the rest of the current group is to be left out
    int ucSkip_ = 0;
    int rtfLevel_ = -1;
    bool done_ = false;

    int ansiCodePage_ = 1252;
    EscapedBytes bytes_;

    // The font table entry and the colour being read.
    Font font_;
    int fontNumber_ = -1;
    int fontLevel_ = 0;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
};

void Reader::run()
{
    while (!done_) {
        if (skipGroup_) {
            skipGroup_ = false;
            if (tokens_.skipGroup())
                endGroup();
            continue;
        }
        const Token t = tokens_.next();
        switch (t.type) {
        case Token::Type::End:
            done_ = true;
            break;
        case Token::Type::GroupOpen:
            flushBytes();
            ucSkip_ = 0;
            beginGroup();
            break;
        case Token::Type::GroupClose:
            flushBytes();
            ucSkip_ = 0;
            endGroup();
            break;
        case Token::Type::Word:
            flushBytes();
            if (ucSkip_ > 0) {
                // A control word stands for one fallback character after \uN.
                --ucSkip_;
                if (t.keyword == Keyword::Bin && t.hasParam)
                    tokens_.skipBinary(t.param);
                break;
            }
            controlWord(t.keyword, t.hasParam, t.param);
            break;
        case Token::Type::Symbol:
            flushBytes();
            if (ucSkip_ > 0)
                --ucSkip_;
            else
                controlSymbol(t.symbol);
            break;
        case Token::Type::Byte:
            if (ucSkip_ > 0) {
                --ucSkip_;
                break;
            }
            if (bytes_.isEmpty())
                bytes_.start(textCodePage());
            bytes_.append(t.byte);
            break;
        case Token::Type::Text:
            plainText(t.text);
            break;
        }
    }
    flushBytes();
    builder_.finish();
}

void Reader::beginGroup()
{
    if (stack_.size() < size_t(MaxDepth))
        stack_.push_back(stack_.back());
    else
        ++overflow_;
}

void Reader::endGroup()
{
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (stack_.size() <= 1)
        return;   // a stray '}' closes nothing
    // A font entry ends with its group, even without the ';' that should close it.
    if (fontNumber_ >= 0 && int(stack_.size()) == fontLevel_)
        commitFont();
    stack_.pop_back();
    if (int(stack_.size()) == rtfLevel_)
        done_ = true;   // the document's outer group has closed: what follows is not RTF
}

void Reader::controlSymbol(char16_t c)
{
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
        if (stack_.size() > 1 || overflow_ > 0)
            skipGroup_ = true;
        break;
    default: break;   // \| \: and unknown symbols
    }
}

void Reader::plainText(QStringView text)
{
    if (!bytes_.isEmpty()) {
        // A lead byte written as \'hh whose trail byte follows as a plain character.
        const char16_t c = text.front().unicode();
        if (c >= 0x40 && c < 0x7F && bytes_.endsInLeadByte()) {
            bytes_.append(std::uint8_t(c));
            text = text.sliced(1);
        }
        flushBytes();
    }
    const qsizetype skipped = std::min<qsizetype>(ucSkip_, text.size());
    ucSkip_ -= int(skipped);
    text = text.sliced(skipped);
    if (text.isEmpty())
        return;
    // A control character comes on its own: only a tab means something.
    if (text.front() < u' ')
        addChar(text.front().unicode());
    else
        addText(text);
}

void Reader::controlWord(Keyword kw, bool hasParam, int param)
{
    GroupState &st = state();
    CharProps &chr = st.chr;
    ParaProps &para = st.para;
    const bool on = !hasParam || param != 0;
    switch (kw) {
    case Keyword::None: break;
    case Keyword::Rtf:
        if (rtfLevel_ < 0 && overflow_ == 0 && stack_.size() > 1)
            rtfLevel_ = int(stack_.size()) - 1;
        break;
    case Keyword::FontTable:
        st.dest = Dest::FontTable;
        font_ = Font();
        fontNumber_ = -1;
        break;
    case Keyword::ColorTable:
        st.dest = Dest::ColorTable;
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
        break;
    case Keyword::Skip:
        if (stack_.size() > 1 || overflow_ > 0)
            skipGroup_ = true;
        break;
    case Keyword::NumberText: st.numberText = true; break;
    case Keyword::Ansi: ansiCodePage_ = 1252; break;
    case Keyword::Mac: ansiCodePage_ = 10000; break;
    case Keyword::Pc: ansiCodePage_ = 437; break;
    case Keyword::Pca: ansiCodePage_ = 850; break;
    case Keyword::AnsiCpg:
        if (param > 0)
            ansiCodePage_ = param;
        break;
    case Keyword::Deff: builder_.setDefaultFont(param); break;
    case Keyword::F:
        if (st.dest == Dest::FontTable) {
            commitFont();
            fontNumber_ = param;
            fontLevel_ = int(stack_.size());
        } else {
            chr.font = param;
        }
        break;
    case Keyword::FCharset: font_.charset = param; break;
    case Keyword::Cpg: font_.codePage = param; break;
    case Keyword::FNil: font_.hint = QFont::AnyStyle; break;
    case Keyword::FRoman: font_.hint = QFont::Serif; break;
    case Keyword::FSwiss: font_.hint = QFont::SansSerif; break;
    case Keyword::FModern:
        font_.hint = QFont::TypeWriter;
        font_.fixedPitch = true;
        break;
    case Keyword::FScript: font_.hint = QFont::Cursive; break;
    case Keyword::FDecor: font_.hint = QFont::Decorative; break;
    case Keyword::FTech: font_.hint = QFont::AnyStyle; break;
    case Keyword::FPrq: font_.fixedPitch = font_.fixedPitch || param == 1; break;
    case Keyword::Red: red_ = std::clamp(param, 0, 255); colorSet_ = true; break;
    case Keyword::Green: green_ = std::clamp(param, 0, 255); colorSet_ = true; break;
    case Keyword::Blue: blue_ = std::clamp(param, 0, 255); colorSet_ = true; break;
    case Keyword::Plain: chr = CharProps(); break;
    case Keyword::B: chr.bold = on; break;
    case Keyword::I: chr.italic = on; break;
    case Keyword::Ul:
        chr.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
        break;
    case Keyword::UlNone: chr.underline = QTextCharFormat::NoUnderline; break;
    case Keyword::UlDotted:
        chr.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline;
        break;
    case Keyword::UlDash:
        chr.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline;
        break;
    case Keyword::UlWave:
        chr.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline;
        break;
    case Keyword::Strike: chr.strike = on; break;
    case Keyword::Fs:
        chr.halfPoints = param > 0 ? std::clamp(param, 2, 1000) : DefaultHalfPoints;
        break;
    case Keyword::Cf: chr.fg = param; break;
    case Keyword::Cb: chr.bg = param; break;
    case Keyword::Super:
        chr.valign = on ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
        break;
    case Keyword::Sub:
        chr.valign = on ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
        break;
    case Keyword::NoSuperSub: chr.valign = QTextCharFormat::AlignNormal; break;
    case Keyword::Up:
        chr.valign = param > 0 || !hasParam ? QTextCharFormat::AlignSuperScript
                                            : QTextCharFormat::AlignNormal;
        break;
    case Keyword::Dn:
        chr.valign = param > 0 || !hasParam ? QTextCharFormat::AlignSubScript
                                            : QTextCharFormat::AlignNormal;
        break;
    case Keyword::Caps: chr.caps = on ? QFont::AllUppercase : QFont::MixedCase; break;
    case Keyword::SCaps: chr.caps = on ? QFont::SmallCaps : QFont::MixedCase; break;
    case Keyword::V: chr.hidden = on; break;
    case Keyword::LtrCh: st.assoc = Assoc::Ltr; break;
    case Keyword::RtlCh: st.assoc = Assoc::Rtl; break;
    case Keyword::LoCh: st.assoc = Assoc::Low; break;
    case Keyword::HiCh: st.assoc = Assoc::High; break;
    case Keyword::DbCh: st.assoc = Assoc::Double; break;
    // Associated properties matter here only for double-byte text, the Japanese this pane
    // shows; writers give them for right-to-left text too, which is left as it is.
    case Keyword::AF:
        if (st.assoc == Assoc::Double)
            chr.font = param;
        break;
    case Keyword::AFs:
        if (st.assoc == Assoc::Double && param > 0)
            chr.halfPoints = std::clamp(param, 2, 1000);
        break;
    case Keyword::AB:
        if (st.assoc == Assoc::Double)
            chr.bold = on;
        break;
    case Keyword::AI:
        if (st.assoc == Assoc::Double)
            chr.italic = on;
        break;
    case Keyword::Pard:
        // A list number's group resets its own formatting, but it stands in the paragraph
        // that follows it, which may be in a table cell.
        if (!st.numberText)
            para = ParaProps();
        break;
    case Keyword::Ql: para.align = Alignment::Left; break;
    case Keyword::Qc: para.align = Alignment::Center; break;
    case Keyword::Qr: para.align = Alignment::Right; break;
    case Keyword::Qj: para.align = Alignment::Justify; break;
    case Keyword::Li: para.left = twips(param); break;
    case Keyword::Ri: para.right = twips(param); break;
    case Keyword::Fi: para.first = twips(param); break;
    case Keyword::Sb: para.before = twips(param); break;
    case Keyword::Sa: para.after = twips(param); break;
    case Keyword::Sl: para.line = twips(param); break;
    case Keyword::SlMult: para.lineMultiple = on; break;
    case Keyword::Tx:
        if (para.tabCount < MaxTabs && param > 0)
            para.tabs[para.tabCount++] = twips(param);
        break;
    case Keyword::InTbl: para.inTable = on; break;
    case Keyword::Trowd:
        builder_.startRowDefinition();
        // Writers that leave out \intbl still mean the row's paragraphs to be cells.
        para.inTable = true;
        break;
    case Keyword::Cellx:
        builder_.addCellBoundary(twips(param));
        break;
    case Keyword::Border: builder_.setRowBorders(); break;
    case Keyword::Cell: cell(); break;
    case Keyword::Row: row(); break;
    case Keyword::NestCell: addChar('\t'); break;
    case Keyword::NestRow: addChar(QChar::LineSeparator); break;
    case Keyword::Par:
    case Keyword::Page: paragraph(); break;
    case Keyword::Line: addChar(QChar::LineSeparator); break;
    case Keyword::Tab: addChar('\t'); break;
    case Keyword::EmDash: addChar(0x2014); break;
    case Keyword::EnDash: addChar(0x2013); break;
    case Keyword::EmSpace: addChar(0x2003); break;
    case Keyword::EnSpace: addChar(0x2002); break;
    case Keyword::QmSpace: addChar(0x2005); break;
    case Keyword::Bullet: addChar(0x2022); break;
    case Keyword::LQuote: addChar(0x2018); break;
    case Keyword::RQuote: addChar(0x2019); break;
    case Keyword::LDblQuote: addChar(0x201C); break;
    case Keyword::RDblQuote: addChar(0x201D); break;
    case Keyword::Zwj: addChar(0x200D); break;
    case Keyword::Zwnj: addChar(0x200C); break;
    case Keyword::LtrMark: addChar(0x200E); break;
    case Keyword::RtlMark: addChar(0x200F); break;
    case Keyword::U: {
        qint64 code = param;
        if (code < 0)
            code += 65536;   // writers give characters above 32767 as negative 16-bit numbers
        if (code >= 0 && code <= 0xFFFF) {
            addChar(char16_t(code));
        } else if (code > 0xFFFF && code <= 0x10FFFF) {
            const char32_t cp = char32_t(code);
            addText(QString::fromUcs4(&cp, 1));
        }
        ucSkip_ = st.uc;
        break;
    }
    case Keyword::Uc: st.uc = std::clamp(param, 0, 255); break;
    case Keyword::Bin:
        if (hasParam)
            tokens_.skipBinary(param);
        break;
    }
}

int Reader::textCodePage()
{
    if (state().dest == Dest::FontTable) {
        if (font_.codePage > 0)
            return font_.codePage;
        return codePageOfCharset(font_.charset, ansiCodePage_);
    }
    const Font *font = builder_.fontOf(state().chr);
    if (!font)
        return ansiCodePage_;
    if (font->codePage > 0)
        return font->codePage;
    return codePageOfCharset(font->charset, ansiCodePage_);
}

void Reader::flushBytes()
{
    if (!bytes_.isEmpty())
        addText(bytes_.take());
}

void Reader::addChar(char16_t c)
{
    // Control characters from \'hh or \uN would only show as boxes or break lines.
    if (c >= 0x20 || c == '\t')
        addText(QStringView(&c, 1));
}

void Reader::addText(QStringView text)
{
    if (text.isEmpty())
        return;
    const GroupState &st = state();
    switch (st.dest) {
    case Dest::Normal:
        if (!st.chr.hidden)
            builder_.addText(text, st.chr, st.para);
        break;
    case Dest::FontTable:
        for (QChar c : text) {
            if (c == u';')
                commitFont();
            else
                font_.name.append(c);
        }
        break;
    case Dest::ColorTable:
        for (QChar c : text) {
            if (c == u';') {
                builder_.addColor(colorSet_ ? QColor(red_, green_, blue_) : QColor());
                red_ = green_ = blue_ = 0;
                colorSet_ = false;
            }
        }
        break;
    }
}

void Reader::commitFont()
{
    if (fontNumber_ >= 0 && !font_.name.trimmed().isEmpty()) {
        Font font = font_;
        font.name = font.name.trimmed();
        builder_.addFont(fontNumber_, font);
    }
    // Properties before the next \f belong to no font.
    font_ = Font();
    fontNumber_ = -1;
}

void Reader::paragraph()
{
    if (state().dest == Dest::Normal)
        builder_.paragraph(state().chr, state().para);
}

void Reader::cell()
{
    if (state().dest == Dest::Normal)
        builder_.cell(state().chr);
}

void Reader::row()
{
    if (state().dest == Dest::Normal)
        builder_.row();
}

} // namespace
} // namespace rtf

void readRtf(const QString &rtf, QTextDocument &doc)
{
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    QTextCursor batch(&doc);
    batch.beginEditBlock();
    rtf::Reader(rtf, doc).run();
    batch.endEditBlock();
    doc.setUndoRedoEnabled(undo);
}
