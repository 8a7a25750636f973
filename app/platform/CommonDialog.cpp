#include "app/platform/CommonDialog.h"

#include "app/platform/FontFace.h"
#include "app/platform/Platform.h"

#include <QFileInfo>
#include <QFont>
#include <QStringList>

QString CommonDialog::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i];
        const QString pattern = parts[i + 1];
        if (desc.isEmpty() && pattern.isEmpty())
            continue;
        // Qt separates patterns by spaces, and its "*.*" lists only names with a dot: here it
        // means every file, as "*" does.
        QStringList patterns = pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        const QString qtPattern = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of an entry.
        const QString inDesc = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (desc.contains(inDesc))
            entries << QString(desc).replace(inDesc, QStringLiteral("(%1)").arg(qtPattern));
        else
            entries << QStringLiteral("%1 (%2)").arg(desc, qtPattern);
    }
    return entries.join(QStringLiteral(";;"));
}

bool CommonDialog::takeFile(const QString &path)
{
    FileName = path;
    FileTitle = QFileInfo(path).fileName();
    return true;
}

bool CommonDialog::ShowOpen()
{
    // The default extension is for a name to save under: a name typed to open is taken as it
    // is, with or without a dot.
    const FileDialogRequest req{FileName, qtFilter(Filter), QString()};
    const auto chosen = platform().getOpenFileName(owner_, req);
    return chosen && takeFile(*chosen);
}

bool CommonDialog::ShowSave()
{
    const FileDialogRequest req{FileName, qtFilter(Filter), DefaultExt};
    const auto chosen = platform().getSaveFileName(owner_, req);
    return chosen && takeFile(*chosen);
}

bool CommonDialog::ShowFont()
{
    QFont initial(FontName);
    if (FontSize > 0)
        initial.setPointSizeF(FontSize);
    initial.setBold(FontBold);
    initial.setItalic(FontItalic);
    const auto chosen = platform().getFont(owner_, initial);
    if (!chosen)
        return false;
    // The dialog offers the face that shows the stored name; chosen, the name itself stays.
    if (chosen->family() != installedFace(FontName))
        FontName = chosen->family();
    FontSize = float(chosen->pointSizeF());
    FontBold = chosen->bold();
    FontItalic = chosen->italic();
    return true;
}
