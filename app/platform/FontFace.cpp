#include "app/platform/FontFace.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

QString InstalledFace(const QString &family)
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
