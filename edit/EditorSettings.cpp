#include "edit/EditorSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString ColouringKey = QStringLiteral("editor/syntaxColouring");

QString storePath()
{
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    return folder.filePath(QStringLiteral("editor.ini"));
}
}

namespace EditorSettings {

bool SyntaxColouring()
{
    return QSettings(storePath(), QSettings::IniFormat).value(ColouringKey, true).toBool();
}

void SetSyntaxColouring(bool on)
{
    QSettings(storePath(), QSettings::IniFormat).setValue(ColouringKey, on);
}

}
