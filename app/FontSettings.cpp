// The editor font's settings file fn.dat: read at start-up, applied to the editing pane, and
// written back with the values read then, at start-up and after every document save.
#include "app/FontSettings.h"

#include "app/QuotedValue.h"
#include "app/SafeWrite.h"
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

FontSettingsValues DesignFontValues()
{
    return {QStringLiteral("ＭＳ Ｐゴシック"), 12.0, false, false};
}

void Remember(const FontSettingsValues &v)
{
    mdlIO::SavedFontName = v.name;
    mdlIO::SavedFontSize = v.size;
    mdlIO::SavedFontBold = v.bold;
    mdlIO::SavedFontItalic = v.italic;
}

FontSettingsValues Remembered()
{
    FontSettingsValues v = DesignFontValues();
    if (const auto *s = std::get_if<QString>(&mdlIO::SavedFontName))
        v.name = *s;
    if (const auto *d = std::get_if<double>(&mdlIO::SavedFontSize))
        v.size = *d;
    if (const auto *b = std::get_if<bool>(&mdlIO::SavedFontBold))
        v.bold = *b;
    if (const auto *b = std::get_if<bool>(&mdlIO::SavedFontItalic))
        v.italic = *b;
    return v;
}

// The file's bytes, never more than one beyond what a settings file may hold (so a larger
// file is seen as one and rejected); nullopt for anything but a readable regular file.
std::optional<QByteArray> ReadSettingsFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxFontSettingsBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

QString FontSettingsPath()
{
    // Per-user settings folder, not the current folder: that one wanders with the file dialogs.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("fn.dat"));
}

namespace mdlIO {

QuotedValue SavedFontName;
QuotedValue SavedFontSize;
QuotedValue SavedFontBold;
QuotedValue SavedFontItalic;

void LoadFontSettings()
{
    std::optional<FontSettingsValues> stored;
    if (const std::optional<QByteArray> bytes = ReadSettingsFile(FontSettingsPath()))
        stored = ParseFontSettings(*bytes);
    if (stored) {
        Remember(*stored);
        QFont font = MainForm().txtHTML->font();
        font.setFamily(stored->name);
        font.setPointSizeF(stored->size);
        font.setBold(stored->bold);
        font.setItalic(stored->italic);
        MainForm().txtHTML->setFont(font);
    } else {
        // Missing or unusable: the pane keeps its design font, and the file is made anew.
        Remember(DesignFontValues());
    }
    SaveFontSettings();
}

bool SaveFontSettings()
{
    const QString path = FontSettingsPath();
    QString error;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (WriteFileSafely(path, FormatFontSettings(Remembered()), &error))
        return true;
    Platform().MsgBox(MainFormIfLoaded(),
                      QStringLiteral("フォント設定ファイル「%1」を保存できませんでした。\n%2")
                          .arg(QDir::toNativeSeparators(path), error),
                      vb::OKOnly | vb::Exclamation, AppTitle.isEmpty() ? QStringLiteral("Tavro") : AppTitle);
    return false;
}

} // namespace mdlIO
