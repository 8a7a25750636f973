#pragma once
// Stored face names (fn.dat, the design's "ＭＳ Ｐゴシック") need not be installed: Qt's font
// substitutions map them to faces that are.
#include <QString>

// The installed face that shows family: family itself when it is installed, else the first
// installed face among its substitutes, else the face Qt falls back to.
QString installedFace(const QString &family);

// The style, as the installed face's own style list names it ("Bold", "Book", "Oblique"), that
// draws it bold and italic as asked: the plainest such style, else the nearest the face has.
// A font dialog selects its style by this name; Qt's own, translated ("太字"), matches none.
QString faceStyle(const QString &face, bool bold, bool italic);
