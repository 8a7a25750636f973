#pragma once
// The editing pane's own settings, kept in the per-user settings folder beside (not inside)
// fn.dat, whose format stays as it is.
namespace EditorSettings {
bool syntaxColouring();  // on unless the user turned it off
void setSyntaxColouring(bool on);
bool typingAids();  // closing tags and completion: on unless the user turned them off
void setTypingAids(bool on);
}
