#include "windows/core/ColorCode.h"

#include <algorithm>

namespace ColorCode {

int clampPart(int part)
{
    return std::clamp(part, 0, 255);
}

std::uint32_t RGB(int red, int green, int blue)
{
    return std::uint32_t(clampPart(red)) | std::uint32_t(clampPart(green)) << 8
           | std::uint32_t(clampPart(blue)) << 16;
}

int redOf(std::uint32_t color) { return int(color & 0xFF); }
int greenOf(std::uint32_t color) { return int(color >> 8 & 0xFF); }
int blueOf(std::uint32_t color) { return int(color >> 16 & 0xFF); }

std::string hexPart(int part)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const int v = clampPart(part);
    return {digits[v >> 4], digits[v & 0xF]};
}

} // namespace ColorCode
