#pragma once
// The Edit menu's clipboard and selection commands. They work on the editing pane's selection
// even while the pane is hidden, and reach the clipboard only through the platform seam.
class TextBox;

namespace EditCommands {
void Cut(TextBox &pane);
void Copy(TextBox &pane);
void Paste(TextBox &pane);
void Delete(TextBox &pane);
// Selects the whole text; a visible pane takes the focus.
void SelectAll(TextBox &pane);
}
