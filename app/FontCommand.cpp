// The editor font command: changes the pane's font for the rest of the run only.
#include "app/FontSettings.h"
#include "app/platform/CommonDialog.h"

#include <QWidget>

void chooseEditorFont(QWidget &pane, CommonDialog &dialog)
{
    const QFont font = pane.font();
    dialog.FontName = font.family();
    dialog.FontSize = float(font.pointSizeF());
    dialog.FontBold = font.bold();
    dialog.FontItalic = font.italic();
    if (!dialog.ShowFont())
        return;
    applyFont(pane, {dialog.FontName, dialog.FontSize, dialog.FontBold, dialog.FontItalic});
}
