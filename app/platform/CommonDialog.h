#pragma once
// The main window's one dialog provider for the open, save and font dialogs. Its properties
// keep their values from one use to the next; each Show* answers false when the user cancels.
#include <QString>

class QWidget;

namespace cdl {
constexpr int OFN_HIDEREADONLY = 0x4;
constexpr int OFN_PATHMUSTEXIST = 0x800;
constexpr int OFN_FILEMUSTEXIST = 0x1000;
constexpr int CF_SCREENFONTS = 0x1;
constexpr int CF_PRINTERFONTS = 0x2;
}

class CommonDialog {
public:
    explicit CommonDialog(QWidget *owner = nullptr) : owner_(owner) {}

    QString DefaultExt = QStringLiteral("html");
    QString FileName = QStringLiteral("*.html");
    QString FileTitle;
    QString Filter = QStringLiteral("HTML文書(*.html)|*.html|全てのファイル(*.*)|*.*|");
    int Flags = cdl::OFN_FILEMUSTEXIST | cdl::OFN_PATHMUSTEXIST;
    int MaxFileSize = 260;  // kept for callers; paths here may be longer
    bool CancelError = false;
    QString FontName;
    float FontSize = 8.0f;
    bool FontBold = false;
    bool FontItalic = false;

    bool ShowOpen();
    bool ShowSave();
    bool ShowFont();

    // "desc|pattern|desc|pattern|" as Qt's "desc (pattern);;desc (pattern)"; "*.*" lists
    // every file.
    static QString QtFilter(const QString &filter);

private:
    bool takeFile(const QString &path);
    QWidget *owner_;
};
