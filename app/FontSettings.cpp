#include "app/FontSettings.h"

#include "app/core/AppInfo.h"
#include "app/core/SafeWrite.h"
#include "app/platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

namespace {

FontSettingsValues designFontValues()
{
    return {DesignFontName, 12.0, false, false};
}

// The file's bytes, never more than one beyond what a settings file may hold (so a larger
// file is seen as one and rejected); nullopt for anything but a readable regular file.
std::optional<QByteArray> readSettingsFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(MaxFontSettingsBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

void applyFont(QWidget &pane, const FontSettingsValues &values)
{
    QFont font = pane.font();
    font.setFamily(values.name);
    font.setPointSizeF(values.size);
    font.setBold(values.bold);
    font.setItalic(values.italic);
    pane.setFont(font);
}

QString fontSettingsPath()
{
    // Per-user settings folder, not the current folder: that one wanders with the file dialogs.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("fn.dat"));
}

void FontSettings::LoadFontSettings(QWidget &pane, QWidget *window)
{
    std::optional<FontSettingsValues> stored;
    if (const std::optional<QByteArray> bytes = readSettingsFile(fontSettingsPath()))
        stored = parseFontSettings(*bytes);
    // Missing or unusable: the pane keeps its design font, and the file is made anew.
    const FontSettingsValues v = stored.value_or(designFontValues());
    SavedFontName = v.name;
    SavedFontSize = v.size;
    SavedFontBold = v.bold;
    SavedFontItalic = v.italic;
    if (stored)
        applyFont(pane, v);
    SaveFontSettings(window);
}

bool FontSettings::SaveFontSettings(QWidget *window)
{
    FontSettingsValues v = designFontValues();
    if (const auto *s = std::get_if<QString>(&SavedFontName))
        v.name = *s;
    if (const auto *d = std::get_if<double>(&SavedFontSize))
        v.size = *d;
    if (const auto *b = std::get_if<bool>(&SavedFontBold))
        v.bold = *b;
    if (const auto *b = std::get_if<bool>(&SavedFontItalic))
        v.italic = *b;

    const QString path = fontSettingsPath();
    QString error;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (writeFileSafely(path, formatFontSettings(v), &error))
        return true;
    platform().MsgBox(window,
                      QStringLiteral("フォント設定ファイル「%1」を保存できませんでした。\n%2")
                          .arg(QDir::toNativeSeparators(path), error),
                      MsgStyle{MsgButtons::OK, MsgIcon::Exclamation}, AppTitle);
    return false;
}
