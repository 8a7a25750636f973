// The editor font command: changes the pane's font for the rest of the run only.
#include "app/frmMain.h"

void frmMain::mnuFont_Click()
{
    cmd.CancelError = true;
    cmd.Flags = cdl::CF_SCREENFONTS | cdl::CF_PRINTERFONTS;
    QFont font = txtHTML->font();
    cmd.FontName = font.family();
    cmd.FontSize = float(font.pointSizeF());
    cmd.FontBold = font.bold();
    cmd.FontItalic = font.italic();
    if (!cmd.ShowFont())
        return;
    font.setFamily(cmd.FontName);
    font.setPointSizeF(cmd.FontSize);
    font.setBold(cmd.FontBold);
    font.setItalic(cmd.FontItalic);
    txtHTML->setFont(font);
}
