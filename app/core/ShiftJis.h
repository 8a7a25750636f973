#pragma once
// Byte classes of Shift_JIS (Windows code page 932): what a reader needs to find where a
// double-byte character starts without decoding the text.

namespace ShiftJis {

// The first byte of a double-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A byte that may follow a lead byte.
constexpr bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

} // namespace ShiftJis
