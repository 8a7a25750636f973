// The display-ratio commands and the preview.
#include "app/SharedState.h"
#include "app/frmMain.h"
#include "app/mdlIO.h"
#include "view/MDL.h"
#include "view/Preview.h"

void frmMain::mnuNormal_Click() { MDL::ApplyNormalLayout(); }
void frmMain::mnuDText_Click() { MDL::ApplyTextLayout(); }
void frmMain::mnuBrouser_Click() { MDL::ApplyBrowserLayout(); }

void frmMain::mnuWeb_Click()
{
    mdlIO::SaveDocument();
    // Without a freshly written file the stored path would show some other document than the
    // one being edited (an earlier file, or nothing at all): leave the pane as it is.
    if (!mdlIO::LastSaveWroteFile())
        return;
    Preview::ShowStoredFile(*Web, FilePath, mdlIO::LastWrittenEncodingName());
}
