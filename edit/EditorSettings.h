#pragma once
// The editing pane's own settings, kept in the per-user settings folder beside (not inside)
// fn.dat, whose format stays as it is.
namespace EditorSettings {
bool SyntaxColouring();  // on unless the user turned it off
void SetSyntaxColouring(bool on);
bool TypingAids();  // closing tags and completion: on unless the user turned them off
void SetTypingAids(bool on);
}
