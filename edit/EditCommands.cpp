// The Edit menu's clipboard and selection commands.
#include "app/frmMain.h"

void frmMain::mnuCut_Click() {}
void frmMain::mnuCopy_Click() {}
void frmMain::mnuParst_Click() {}
void frmMain::mnuDelete_Click() {}
void frmMain::mnuSelectAll_Click() {}
