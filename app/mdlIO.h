#pragma once
// Document and settings files: moves the document between the editing pane and its file,
// and keeps the editor font's settings file.
#include "app/QuotedValue.h"

namespace mdlIO {
void OpenDocument();
void SaveDocumentAs();
void SaveDocument();

// The font values read from the settings file at start-up; only LoadFontSettings sets them.
extern QuotedValue SavedFontName;
extern QuotedValue SavedFontSize;
extern QuotedValue SavedFontBold;
extern QuotedValue SavedFontItalic;

void LoadFontSettings();
// Writes the values read at start-up. A failure is reported to the user here, once; the
// result only tells the caller whether the file was written.
bool SaveFontSettings();
}
