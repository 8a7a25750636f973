#include "app/FontSettings.h"

#include "app/AppInfo.h"
#include "app/SafeWrite.h"
#include "app/platform/Platform.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

namespace {

FontSettingsValues DesignFontValues()
{
    return {DesignFontName, 12.0, false, false};
}

} // namespace

QString FontSettingsPath()
{
    // Per-user settings folder, not the current folder: that one wanders with the file dialogs.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("fn.dat"));
}

void FontSettings::LoadFontSettings(QWidget &pane, QWidget *window)
{
    QByteArray bytes;
    QString error;
    std::optional<FontSettingsValues> stored;
    if (ReadFileFully(FontSettingsPath(), &bytes, &error))
        stored = ParseFontSettings(bytes);
    // Missing or unusable: the pane keeps its design font, and the file is made anew.
    const FontSettingsValues v = stored.value_or(DesignFontValues());
    SavedFontName = v.name;
    SavedFontSize = v.size;
    SavedFontBold = v.bold;
    SavedFontItalic = v.italic;
    if (stored) {
        QFont font = pane.font();
        font.setFamily(v.name);
        font.setPointSizeF(v.size);
        font.setBold(v.bold);
        font.setItalic(v.italic);
        pane.setFont(font);
    }
    SaveFontSettings(window);
}

bool FontSettings::SaveFontSettings(QWidget *window)
{
    FontSettingsValues v = DesignFontValues();
    if (const auto *s = std::get_if<QString>(&SavedFontName))
        v.name = *s;
    if (const auto *d = std::get_if<double>(&SavedFontSize))
        v.size = *d;
    if (const auto *b = std::get_if<bool>(&SavedFontBold))
        v.bold = *b;
    if (const auto *b = std::get_if<bool>(&SavedFontItalic))
        v.italic = *b;

    const QString path = FontSettingsPath();
    QString error;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (WriteFileSafely(path, FormatFontSettings(v), &error))
        return true;
    Platform().MsgBox(window,
                      QStringLiteral("フォント設定ファイル「%1」を保存できませんでした。\n%2")
                          .arg(QDir::toNativeSeparators(path), error),
                      vb::OKOnly | vb::Exclamation, AppTitle);
    return false;
}
