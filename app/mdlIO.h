#pragma once
// Document and settings files: moves the document between the editing pane and its file,
// and keeps the editor font's settings file.
namespace mdlIO {
void OpenDocument();
void SaveDocumentAs();
void SaveDocument();
void LoadFontSettings();
void SaveFontSettings();
}
