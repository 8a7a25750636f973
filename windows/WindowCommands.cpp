// Commands that open the secondary windows.
#include "app/frmMain.h"
#include "windows/frmAbout.h"
#include "windows/frmColor.h"
#include "windows/frmHelp.h"

namespace {
// Modeless and without an owner: shown, or brought to the front as it stands.
void ShowSecondary(QWidget &window)
{
    if (window.isVisible())
        window.raise();
    else
        window.show();
    window.activateWindow();
}
}

void frmMain::mnuColor_Click()
{
    ShowSecondary(ColorForm());
}

void frmMain::mnuTopic_Click() { ShowTagHelp(); }

void frmMain::mnuVersion_Click()
{
    ShowSecondary(AboutForm());
}
