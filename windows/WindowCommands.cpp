#include "windows/WindowCommands.h"

#include "windows/frmAbout.h"
#include "windows/frmColor.h"
#include "windows/frmHelp.h"

namespace {
void ShowSecondary(QWidget &window)
{
    if (window.isVisible())
        window.raise();
    else
        window.show();
    window.activateWindow();
}
}

namespace WindowCommands {
void ShowColorPicker() { ShowSecondary(ColorForm()); }
void ShowTagHelp() { ::ShowTagHelp(); }
void ShowVersion() { ShowSecondary(AboutForm()); }
}
