#pragma once
// Commands that open the secondary windows: each exists at most once, modeless and without
// an owner, and is brought to the front when already shown.
namespace WindowCommands {
void showColorPicker();
void showTagHelp();
// The tag help window showing entry (its position in the list); entry -1 shows it as it is.
void showTagHelp(int entry);
void showVersion();
}
