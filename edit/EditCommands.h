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

// Find and replace, through the bar above the pane: open it (with the selection as the text to
// find), or find the next or previous match of what it holds.
void Find(TextBox &pane);
void replace(TextBox &pane);
void FindNext(TextBox &pane);
void FindPrevious(TextBox &pane);

// Tags in colour, as the user last chose (on unless turned off); the choice is remembered.
bool TagColouring();
void SetTagColouring(TextBox &pane, bool on);

// Closing tags and completion while typing, as the user last chose; remembered the same way.
bool TypingAids();
void SetTypingAids(TextBox &pane, bool on);
}
