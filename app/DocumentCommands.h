#pragma once
// The File menu's commands and the main window's close handling. They ask about unsaved
// changes and leave the file work to mdlIO.
class QString;
class QWidget;
class Document;
class TextBox;
class CommonDialog;
class FontSettings;
class RecoveryStore;

// What the document commands work on: the document, the pane that holds its text, the dialog
// provider, the font settings file (rewritten after every save) and the window that owns the
// questions.
struct DocumentContext {
    QWidget *window;
    Document &doc;
    TextBox &pane;
    CommonDialog &dialog;
    FontSettings &font;
};

namespace DocumentCommands {
void newDocument(DocumentContext &c);
void open(DocumentContext &c);
// Opens a file handed over by the desktop (the command line, a drop): as Open, without its
// dialog; unsaved changes are asked about first.
void openFile(DocumentContext &c, const QString &path);
void save(DocumentContext &c);
void saveAs(DocumentContext &c);
// Exit: closing now asks about unsaved changes.
void exitProgram(DocumentContext &c);
// The close handling: true when the window may not close. Ends the program otherwise.
bool refuseClose(DocumentContext &c);
// The window was activated: a file that another program changed while the pane holds no
// unsaved changes is offered for reloading.
void offerReload(DocumentContext &c);
// At start: text that an editor which ended abnormally did not save is offered back.
void offerRecovery(DocumentContext &c, RecoveryStore &store);
}
