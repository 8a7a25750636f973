#pragma once
// The Edit menu's clipboard and selection commands. They work on the editing pane's selection
// even while the pane is hidden, and reach the clipboard only through the platform seam.
class TextBox;

namespace EditCommands {
void cut(TextBox &pane);
void copy(TextBox &pane);
void paste(TextBox &pane);
void deleteSelection(TextBox &pane);
// Selects the whole text; a visible pane takes the focus.
void selectAll(TextBox &pane);

// Find and replace, through the bar above the pane: open it (with the selection as the text to
// find), or find the next or previous match of what it holds.
void find(TextBox &pane);
void replace(TextBox &pane);
void findNext(TextBox &pane);
void findPrevious(TextBox &pane);

// Tags in colour, as the user last chose (on unless turned off); the choice is remembered.
bool tagColouring();
void setTagColouring(TextBox &pane, bool on);

// Closing tags and completion while typing, as the user last chose; remembered the same way.
bool typingAids();
void setTypingAids(TextBox &pane, bool on);
}
