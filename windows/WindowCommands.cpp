// Commands that open the secondary windows.
#include "app/frmMain.h"

void frmMain::mnuColor_Click() {}
void frmMain::mnuTopic_Click() {}
void frmMain::mnuVersion_Click() {}
