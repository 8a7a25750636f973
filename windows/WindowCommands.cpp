// Commands that open the secondary windows.
#include "app/frmMain.h"
#include "windows/frmHelp.h"

void frmMain::mnuColor_Click() {}
void frmMain::mnuTopic_Click() { ShowTagHelp(); }
void frmMain::mnuVersion_Click() {}
