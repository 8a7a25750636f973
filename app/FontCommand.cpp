// The editor font command.
#include "app/frmMain.h"

void frmMain::mnuFont_Click() {}
