#pragma once
// Stored face names (fn.dat, the design's "ＭＳ Ｐゴシック") need not be installed: Qt's font
// substitutions map them to faces that are.
#include <QString>

// The installed face that shows family: family itself when it is installed, else the first
// installed face among its substitutes, else the face Qt falls back to.
QString InstalledFace(const QString &family);
