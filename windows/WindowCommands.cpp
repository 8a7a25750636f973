#include "windows/WindowCommands.h"

#include "windows/frmAbout.h"
#include "windows/frmColor.h"
#include "windows/frmHelp.h"

#include <QListWidget>

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
void ShowTagHelp(int entry)
{
    frmHelp *help = ::ShowTagHelp();
    if (entry >= 0 && entry < help->List->count())
        help->List->setCurrentRow(entry);  // shows the entry's file
}
void ShowVersion() { ShowSecondary(AboutForm()); }
}
