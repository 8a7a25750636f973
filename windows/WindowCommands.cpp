#include "windows/WindowCommands.h"

#include "windows/frmAbout.h"
#include "windows/frmColor.h"
#include "windows/frmHelp.h"

#include <QListWidget>

namespace {
void showSecondary(QWidget &window)
{
    if (window.isVisible())
        window.raise();
    else
        window.show();
    window.activateWindow();
}
}

namespace WindowCommands {
void showColorPicker() { showSecondary(colorForm()); }
void showTagHelp() { ::showTagHelp(); }
void showTagHelp(int entry)
{
    frmHelp *help = ::showTagHelp();
    if (entry >= 0 && entry < help->List->count())
        help->List->setCurrentRow(entry);  // shows the entry's file
}
void showVersion() { showSecondary(aboutForm()); }
}
