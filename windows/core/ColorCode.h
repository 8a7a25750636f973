#pragma once
// The colour picker's two encodings of one mixed colour. Their byte orders differ: the screen's
// colour value keeps red in the lowest byte, the HTML code writes red first.
#include <cstdint>
#include <string>

namespace ColorCode {

// Parts outside 0..255 count as the nearest bound, so every result stays a valid colour.
int clampPart(int part);

// The platform's 32-bit colour value: red + 256 * green + 65536 * blue, top byte 0.
std::uint32_t RGB(int red, int green, int blue);
int redOf(std::uint32_t color);
int greenOf(std::uint32_t color);
int blueOf(std::uint32_t color);

// One part as two upper-case hexadecimal digits: 0 -> "00", 15 -> "0F", 255 -> "FF".
std::string hexPart(int part);

} // namespace ColorCode
