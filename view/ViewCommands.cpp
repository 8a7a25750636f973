// The display-ratio commands and the preview.
#include "app/frmMain.h"
#include "view/MDL.h"

void frmMain::mnuNormal_Click() { MDL::ApplyNormalLayout(); }
void frmMain::mnuDText_Click() { MDL::ApplyTextLayout(); }
void frmMain::mnuBrouser_Click() { MDL::ApplyBrowserLayout(); }
void frmMain::mnuWeb_Click() {}
