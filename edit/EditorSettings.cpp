#include "edit/EditorSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString ColouringKey = QStringLiteral("editor/syntaxColouring");
const QString AidsKey = QStringLiteral("editor/typingAids");

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

bool TypingAids()
{
    return QSettings(storePath(), QSettings::IniFormat).value(AidsKey, true).toBool();
}

void SetTypingAids(bool on)
{
    QSettings(storePath(), QSettings::IniFormat).setValue(AidsKey, on);
}

}
