#pragma once
// Document and settings files: moves the document between the editing pane and its file,
// and keeps the editor font's settings file.
#include "app/DocumentCodec.h"
#include "app/QuotedValue.h"

#include <QString>
#include <optional>

namespace mdlIO {
// Each answers true when the document moved: a file was loaded into the pane, or the pane's
// text reached its file. A cancelled dialog or a failure leaves the document as it was; read
// and write failures are reported to the user here.
bool OpenDocument();
bool SaveDocumentAs();
bool SaveDocument();

// The encoding the document's file is in: what it was read in, or last written in; nullopt for
// a document that has never been read or written (written as Shift_JIS unless it declares
// otherwise). New forgets it.
std::optional<TextEncoding> DocumentEncoding();
void ResetDocumentEncoding();
// Keeps what the file's bytes looked like in step with an edit of the pane's text.
void DocumentTextChanged(int position, int removed, int added);

// The font values read from the settings file at start-up; only LoadFontSettings sets them.
extern QuotedValue SavedFontName;
extern QuotedValue SavedFontSize;
extern QuotedValue SavedFontBold;
extern QuotedValue SavedFontItalic;

void LoadFontSettings();
// Writes the values read at start-up. A failure is reported to the user here, once; the
// result only tells the caller whether the file was written.
bool SaveFontSettings();

// What the last SaveDocument / SaveDocumentAs did, for the preview:
// true only when it wrote the document's file (false after a cancelled dialog or a failed write).
bool LastSaveWroteFile();
// The encoding that file was written in, as a web engine names it: "shift_jis", "utf-8", "euc-jp"...
QString LastWrittenEncodingName();
}
