#include "windows/core/ColorCode.h"

#include <algorithm>

namespace ColorCode {

int ClampPart(int part)
{
    return std::clamp(part, 0, 255);
}

std::uint32_t RGB(int red, int green, int blue)
{
    return std::uint32_t(ClampPart(red)) | std::uint32_t(ClampPart(green)) << 8
           | std::uint32_t(ClampPart(blue)) << 16;
}

int RedOf(std::uint32_t color) { return int(color & 0xFF); }
int GreenOf(std::uint32_t color) { return int(color >> 8 & 0xFF); }
int BlueOf(std::uint32_t color) { return int(color >> 16 & 0xFF); }

std::string HexPart(int part)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const int v = ClampPart(part);
    return {digits[v >> 4], digits[v & 0xF]};
}

} // namespace ColorCode
