#pragma once
// Document files: moves the document between the editing pane and its file.
#include "app/core/DocumentCodec.h"

#include <QString>

struct DocumentContext;

// What a save did. Only Written means the pane's text is in the document's file.
enum class SaveOutcome { Written, Cancelled, Failed };

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Cancelled;
    TextEncoding encoding = TextEncoding::ShiftJis;  // what the file was written in
    std::optional<TextEncoding> declared;            // what the written page declares
    QString reason;                                  // why a write failed, as reported
    bool settingsWritten = true;  // the font settings file followed (reported when not)
    bool written() const { return outcome == SaveOutcome::Written; }
};

namespace mdlIO {
// True when a file was loaded into the pane. A cancelled dialog or a failure leaves the
// document as it was; read failures are reported to the user here.
bool OpenDocument(DocumentContext &c);
// Loads the file at path as Open would, without a dialog (a file handed over by the desktop).
bool openFile(DocumentContext &c, const QString &path);
// Reads the document's file again into the pane: its version on disk replaces the text.
bool reloadDocument(DocumentContext &c);
// Failures are reported to the user here; anything but Written withdraws a pending exit.
SaveResult SaveDocumentAs(DocumentContext &c);
SaveResult SaveDocument(DocumentContext &c);
}
