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

bool syntaxColouring()
{
    return QSettings(storePath(), QSettings::IniFormat).value(ColouringKey, true).toBool();
}

void setSyntaxColouring(bool on)
{
    QSettings(storePath(), QSettings::IniFormat).setValue(ColouringKey, on);
}

bool typingAids()
{
    return QSettings(storePath(), QSettings::IniFormat).value(AidsKey, true).toBool();
}

void setTypingAids(bool on)
{
    QSettings(storePath(), QSettings::IniFormat).setValue(AidsKey, on);
}

}
