#include "app/platform/FontFace.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <tuple>

QString installedFace(const QString &family)
{
    // Not QFontDatabase::hasFamily: it also answers yes for names the system's font
    // configuration merely aliases, which no font list shows.
    const QStringList installed = QFontDatabase::families();
    const auto installedAs = [&installed](const QString &name) {
        const qsizetype i = installed.indexOf(name);
        return i >= 0 ? installed[i] : QString();
    };
    if (const QString face = installedAs(family); !face.isEmpty())
        return face;
    for (const QString &substitute : QFont::substitutes(family))
        if (const QString face = installedAs(substitute); !face.isEmpty())
            return face;
    // The face Qt falls back to for it.
    return QFontInfo(QFont(family)).family();
}

QString faceStyle(const QString &face, bool bold, bool italic)
{
    const int weight = bold ? QFont::Bold : QFont::Normal;
    QString best;
    std::tuple<int, int, qsizetype> bestScore{};
    for (const QString &style : QFontDatabase::styles(face)) {
        const int w = QFontDatabase::weight(face, style);
        // Bold and slant as asked first, then the weight nearest, then the shortest name
        // ("Bold" before "Condensed Bold").
        const std::tuple<int, int, qsizetype> score{
            int((w >= QFont::Bold) != bold) + int(QFontDatabase::italic(face, style) != italic),
            qAbs(w - weight), style.size()};
        if (best.isEmpty() || score < bestScore) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}
