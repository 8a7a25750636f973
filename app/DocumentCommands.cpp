// The File menu's commands and the main window's close handling.
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "app/platform/Platform.h"

void frmMain::mnuNew_Click() {}
void frmMain::mnuOpen_Click() {}
void frmMain::mnuSave_Click() { mdlIO::SaveDocument(); }
void frmMain::mnuSaveAll_Click() { mdlIO::SaveDocumentAs(); }
void frmMain::mnuExit_Click() {}

void frmMain::Form_Unload(bool &cancel)
{
    cancel = false;
    Platform().EndProgram();
}
