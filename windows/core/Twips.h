#pragma once
// Window definitions are kept in twips; the screen works at 15 twips per pixel.
#include <QRect>

constexpr int TwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) { return twips / TwipsPerPixel; }
constexpr QRect TwipsRect(int left, int top, int width, int height)
{
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}
