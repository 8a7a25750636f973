#include "view/MDL.h"

#include <QWidget>
#include <algorithm>

namespace MDL {

qint16 splitPosition(int clientWidth)
{
    const int w = std::clamp(clientWidth, 0, 65534);
    int half = w / 2;
    if (w % 2 != 0 && half % 2 != 0)  // an exact half: go to the even neighbour
        ++half;
    return qint16(half);
}

namespace {

// A minimised window keeps its panes (and the mode) as they were; restoring lays them out anew.
bool minimised(const Panes &panes)
{
    return panes.window.windowState().testFlag(Qt::WindowMinimized);
}

// A client area lower than the toolbar strip leaves the panes no height rather than a negative one.
int paneHeight(const Panes &panes)
{
    return std::max(0, panes.client.height() - PaneTop);
}

} // namespace

void ApplyNormalLayout(const Panes &panes, ViewMode &mode)
{
    if (minimised(panes))
        return;
    const int half = splitPosition(panes.client.width());
    const int height = paneHeight(panes);
    panes.text.setGeometry(0, PaneTop, half, height);
    panes.text.setVisible(true);
    if (mode == ViewMode::BrowserPriority)  // typing goes to the text again
        panes.text.setFocus();
    panes.web.setGeometry(half, PaneTop, panes.text.width(), height);
    panes.web.setVisible(true);
    mode = ViewMode::Normal;
}

void ApplyTextLayout(const Panes &panes, ViewMode &mode)
{
    if (minimised(panes))
        return;
    panes.text.setGeometry(0, PaneTop, panes.client.width(), paneHeight(panes));
    panes.web.setVisible(false);
    panes.text.setVisible(true);
    if (mode == ViewMode::BrowserPriority)  // typing goes to the text again
        panes.text.setFocus();
    mode = ViewMode::TextPriority;
}

void ApplyBrowserLayout(const Panes &panes, ViewMode &mode)
{
    if (minimised(panes))
        return;
    panes.web.setGeometry(0, PaneTop, panes.client.width(), paneHeight(panes));
    // Typing must not go on into a pane the user cannot see.
    if (panes.text.hasFocus())
        panes.web.setFocus();
    panes.text.setVisible(false);
    panes.web.setVisible(true);
    mode = ViewMode::BrowserPriority;
}

void applyCurrentLayout(const Panes &panes, ViewMode &mode)
{
    switch (mode) {
    case ViewMode::Normal: ApplyNormalLayout(panes, mode); break;
    case ViewMode::TextPriority: ApplyTextLayout(panes, mode); break;
    case ViewMode::BrowserPriority: ApplyBrowserLayout(panes, mode); break;
    }
}

}
