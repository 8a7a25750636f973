#include "view/MDL.h"

#include "app/SharedState.h"
#include "app/frmMain.h"

namespace MDL {

void UpdateCaption(qint16 state)
{
    if (state == 0) {
        IsModified = false;
        MainForm().setWindowTitle(AppTitle + QStringLiteral(" - ") + FileTitle);
    } else if (state == 1) {
        IsModified = true;
        MainForm().setWindowTitle(AppTitle + QStringLiteral(" - ") + FileTitle + QStringLiteral(" *"));
    }
}

void ApplyNormalLayout() {}
void ApplyTextLayout() {}
void ApplyBrowserLayout() {}

}
