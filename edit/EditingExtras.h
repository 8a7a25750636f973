#pragma once
// Sets up what the editing commands of edit/FindCommands.cpp need once the menus exist.
class frmMain;
void InstallEditingExtras(frmMain &form);
