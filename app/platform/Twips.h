#pragma once
// Window definitions are kept in twips; the screen works at 15 twips per pixel.
constexpr int TwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) { return twips / TwipsPerPixel; }
