#pragma once
// The editor font's settings file fn.dat: read at start-up, applied to the editing pane, and
// written back with the values read then, at start-up and after every document save.
#include "app/core/QuotedValue.h"

#include <QFont>
#include <QString>

class QWidget;
class CommonDialog;

// Where the settings file lives: the per-user settings folder.
QString fontSettingsPath();

class FontSettings {
public:
    // The values read at start-up; only LoadFontSettings sets them.
    QuotedValue SavedFontName;
    QuotedValue SavedFontSize;
    QuotedValue SavedFontBold;
    QuotedValue SavedFontItalic;

    // Reads the file and applies its font to pane; a missing or unusable file leaves the
    // design font. Then writes the file back.
    void LoadFontSettings(QWidget &pane, QWidget *window);
    // Writes the values read at start-up. A failure is reported to the user here, once; the
    // result only tells the caller whether the file was written.
    bool SaveFontSettings(QWidget *window);
};

// Gives pane the face, size and style of values.
void applyFont(QWidget &pane, const FontSettingsValues &values);

// The font command: the pane's font through the font dialog, for the rest of the run only.
void chooseEditorFont(QWidget &pane, CommonDialog &dialog);
