#include "view/MDL.h"

#include "app/SharedState.h"
#include "app/frmMain.h"
#include "app/platform/TextBox.h"

#include <QWebEngineView>
#include <algorithm>

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

qint16 SplitPosition(int clientWidth)
{
    const int w = std::clamp(clientWidth, 0, 65534);
    int half = w / 2;
    if (w % 2 != 0 && half % 2 != 0)  // an exact half: go to the even neighbour
        ++half;
    return qint16(half);
}

namespace {

// A minimised window keeps its panes (and the mode) as they were; restoring lays them out anew.
bool Minimised(const frmMain &form)
{
    return form.windowState().testFlag(Qt::WindowMinimized);
}

// A client area lower than the toolbar strip leaves the panes no height rather than a negative one.
int PaneHeight(const frmMain &form)
{
    return std::max(0, form.ScaleHeight() - PaneTop);
}

} // namespace

void ApplyNormalLayout()
{
    frmMain &form = MainForm();
    if (Minimised(form))
        return;
    HalfWidth = SplitPosition(form.ScaleWidth());
    const int height = PaneHeight(form);
    form.txtHTML->setGeometry(0, PaneTop, HalfWidth, height);
    form.txtHTML->setVisible(true);
    if (ViewMode == 2)  // back from browser priority: typing goes to the text again
        form.txtHTML->setFocus();
    form.Web->setGeometry(HalfWidth, PaneTop, form.txtHTML->width(), height);
    form.Web->setVisible(true);
    ViewMode = 0;
}

void ApplyTextLayout()
{
    frmMain &form = MainForm();
    if (Minimised(form))
        return;
    form.txtHTML->setGeometry(0, PaneTop, form.ScaleWidth(), PaneHeight(form));
    form.Web->setVisible(false);
    form.txtHTML->setVisible(true);
    if (ViewMode == 2)  // back from browser priority: typing goes to the text again
        form.txtHTML->setFocus();
    ViewMode = 1;
}

void ApplyBrowserLayout()
{
    frmMain &form = MainForm();
    if (Minimised(form))
        return;
    form.Web->setGeometry(0, PaneTop, form.ScaleWidth(), PaneHeight(form));
    // Typing must not go on into a pane the user cannot see.
    if (form.txtHTML->hasFocus())
        form.Web->setFocus();
    form.txtHTML->setVisible(false);
    form.Web->setVisible(true);
    ViewMode = 2;
}

}
