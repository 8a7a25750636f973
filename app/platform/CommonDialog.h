#pragma once
// The main window's one dialog provider for the open, save and font dialogs. Its properties
// keep their values from one use to the next; each Show* answers false when the user cancels.
#include <QString>

class QWidget;

class CommonDialog {
public:
    explicit CommonDialog(QWidget *owner = nullptr) : owner_(owner) {}

    QString DefaultExt = QStringLiteral("html");
    QString FileName = QStringLiteral("*.html");
    QString FileTitle;
    QString Filter = QStringLiteral("HTML文書(*.html)|*.html|全てのファイル(*.*)|*.*|");
    QString FontName;
    float FontSize = 8.0f;
    bool FontBold = false;
    bool FontItalic = false;

    bool ShowOpen();
    bool ShowSave();
    bool ShowFont();

    // "desc|pattern|desc|pattern|" as Qt's "desc (pattern);;desc (pattern)"; "*.*" lists
    // every file.
    static QString qtFilter(const QString &filter);

private:
    bool takeFile(const QString &path);
    QWidget *owner_;
};
