#include "windows/core/RtfKeywords.h"

#include <unordered_map>

namespace rtf {

Keyword lookUpKeyword(std::string_view name)
{
    static const std::unordered_map<std::string_view, Keyword> map = {
        {"rtf", Keyword::Rtf}, {"fonttbl", Keyword::FontTable}, {"colortbl", Keyword::ColorTable},
        {"pntext", Keyword::NumberText}, {"listtext", Keyword::NumberText},
        // Destinations whose contents are never shown.
        {"stylesheet", Keyword::Skip}, {"info", Keyword::Skip}, {"header", Keyword::Skip},
        {"headerl", Keyword::Skip}, {"headerr", Keyword::Skip}, {"headerf", Keyword::Skip},
        {"footer", Keyword::Skip}, {"footerl", Keyword::Skip}, {"footerr", Keyword::Skip},
        {"footerf", Keyword::Skip}, {"pict", Keyword::Skip}, {"object", Keyword::Skip},
        {"shp", Keyword::Skip}, {"shpinst", Keyword::Skip}, {"shptxt", Keyword::Skip},
        {"shppict", Keyword::Skip}, {"nonshppict", Keyword::Skip}, {"footnote", Keyword::Skip},
        {"annotation", Keyword::Skip}, {"atnid", Keyword::Skip}, {"atnauthor", Keyword::Skip},
        {"listtable", Keyword::Skip}, {"listoverridetable", Keyword::Skip},
        {"revtbl", Keyword::Skip}, {"rsidtbl", Keyword::Skip}, {"pn", Keyword::Skip},
        {"pnseclvl", Keyword::Skip}, {"fldinst", Keyword::Skip}, {"xe", Keyword::Skip},
        {"tc", Keyword::Skip}, {"txe", Keyword::Skip}, {"rxe", Keyword::Skip},
        {"bkmkstart", Keyword::Skip}, {"bkmkend", Keyword::Skip}, {"themedata", Keyword::Skip},
        {"colorschememapping", Keyword::Skip}, {"latentstyles", Keyword::Skip},
        {"datastore", Keyword::Skip}, {"xmlnstbl", Keyword::Skip}, {"generator", Keyword::Skip},
        {"filetbl", Keyword::Skip}, {"ftnsep", Keyword::Skip}, {"ftnsepc", Keyword::Skip},
        {"ftncn", Keyword::Skip}, {"aftnsep", Keyword::Skip}, {"aftnsepc", Keyword::Skip},
        {"aftncn", Keyword::Skip}, {"template", Keyword::Skip}, {"docvar", Keyword::Skip},
        {"userprops", Keyword::Skip}, {"background", Keyword::Skip}, {"pgdsctbl", Keyword::Skip},
        {"nonesttables", Keyword::Skip}, {"result", Keyword::Skip}, {"objdata", Keyword::Skip},
        {"ansi", Keyword::Ansi}, {"mac", Keyword::Mac}, {"pc", Keyword::Pc}, {"pca", Keyword::Pca},
        {"ansicpg", Keyword::AnsiCpg}, {"deff", Keyword::Deff}, {"f", Keyword::F},
        {"fcharset", Keyword::FCharset}, {"cpg", Keyword::Cpg}, {"fnil", Keyword::FNil},
        {"froman", Keyword::FRoman}, {"fswiss", Keyword::FSwiss}, {"fmodern", Keyword::FModern},
        {"fscript", Keyword::FScript}, {"fdecor", Keyword::FDecor}, {"ftech", Keyword::FTech},
        {"fprq", Keyword::FPrq}, {"red", Keyword::Red}, {"green", Keyword::Green},
        {"blue", Keyword::Blue}, {"plain", Keyword::Plain}, {"b", Keyword::B}, {"i", Keyword::I},
        {"ul", Keyword::Ul}, {"ulnone", Keyword::UlNone}, {"ulw", Keyword::Ul},
        {"uldb", Keyword::Ul}, {"ulth", Keyword::Ul}, {"uld", Keyword::UlDotted},
        {"ulthd", Keyword::UlDotted}, {"uldash", Keyword::UlDash}, {"uldashd", Keyword::UlDash},
        {"uldashdd", Keyword::UlDash}, {"ulldash", Keyword::UlDash}, {"ulthdash", Keyword::UlDash},
        {"ulwave", Keyword::UlWave}, {"ulhwave", Keyword::UlWave}, {"ululdbwave", Keyword::UlWave},
        {"strike", Keyword::Strike}, {"striked", Keyword::Strike}, {"fs", Keyword::Fs},
        {"cf", Keyword::Cf}, {"cb", Keyword::Cb}, {"highlight", Keyword::Cb},
        {"chcbpat", Keyword::Cb}, {"super", Keyword::Super}, {"sub", Keyword::Sub},
        {"nosupersub", Keyword::NoSuperSub}, {"up", Keyword::Up}, {"dn", Keyword::Dn},
        {"caps", Keyword::Caps}, {"scaps", Keyword::SCaps}, {"v", Keyword::V},
        {"ltrch", Keyword::LtrCh}, {"rtlch", Keyword::RtlCh}, {"loch", Keyword::LoCh},
        {"hich", Keyword::HiCh}, {"dbch", Keyword::DbCh}, {"af", Keyword::AF},
        {"afs", Keyword::AFs}, {"ab", Keyword::AB}, {"ai", Keyword::AI}, {"pard", Keyword::Pard},
        {"ql", Keyword::Ql}, {"qc", Keyword::Qc}, {"qr", Keyword::Qr}, {"qj", Keyword::Qj},
        {"qd", Keyword::Qj}, {"li", Keyword::Li}, {"lin", Keyword::Li}, {"ri", Keyword::Ri},
        {"rin", Keyword::Ri}, {"fi", Keyword::Fi}, {"sb", Keyword::Sb}, {"sa", Keyword::Sa},
        {"sl", Keyword::Sl}, {"slmult", Keyword::SlMult}, {"tx", Keyword::Tx},
        {"intbl", Keyword::InTbl}, {"trowd", Keyword::Trowd}, {"cellx", Keyword::Cellx},
        {"cell", Keyword::Cell}, {"row", Keyword::Row}, {"nestcell", Keyword::NestCell},
        {"nestrow", Keyword::NestRow}, {"clbrdrt", Keyword::Border}, {"clbrdrl", Keyword::Border},
        {"clbrdrb", Keyword::Border}, {"clbrdrr", Keyword::Border}, {"trbrdrt", Keyword::Border},
        {"trbrdrl", Keyword::Border}, {"trbrdrb", Keyword::Border}, {"trbrdrr", Keyword::Border},
        {"trbrdrh", Keyword::Border}, {"trbrdrv", Keyword::Border}, {"par", Keyword::Par},
        {"sect", Keyword::Par}, {"line", Keyword::Line}, {"tab", Keyword::Tab},
        {"page", Keyword::Page}, {"emdash", Keyword::EmDash}, {"endash", Keyword::EnDash},
        {"emspace", Keyword::EmSpace}, {"enspace", Keyword::EnSpace}, {"qmspace", Keyword::QmSpace},
        {"bullet", Keyword::Bullet}, {"lquote", Keyword::LQuote}, {"rquote", Keyword::RQuote},
        {"ldblquote", Keyword::LDblQuote}, {"rdblquote", Keyword::RDblQuote}, {"zwj", Keyword::Zwj},
        {"zwnj", Keyword::Zwnj}, {"ltrmark", Keyword::LtrMark}, {"rtlmark", Keyword::RtlMark},
        {"u", Keyword::U}, {"uc", Keyword::Uc}, {"bin", Keyword::Bin},
    };
    const auto it = map.find(name);
    return it == map.end() ? Keyword::None : it->second;
}

} // namespace rtf
