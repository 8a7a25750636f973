#pragma once
// The control words the RTF reader acts on.
#include <cstdint>
#include <string_view>

namespace rtf {

enum class Keyword : std::uint8_t {
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

// The keyword a control word's name stands for; None for every name the reader ignores.
Keyword lookUpKeyword(std::string_view name);

} // namespace rtf
