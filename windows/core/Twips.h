#pragma once
// Window definitions are kept in twips; the screen works at 15 twips per pixel.
#include <QRect>

constexpr int TwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return twips / TwipsPerPixel; }
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
