#include "view/MDL.h"

#include "app/core/Document.h"

#include <QWidget>
#include <algorithm>

namespace MDL {

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
bool Minimised(const Panes &panes)
{
    return panes.window.windowState().testFlag(Qt::WindowMinimized);
}

// A client area lower than the toolbar strip leaves the panes no height rather than a negative one.
int PaneHeight(const Panes &panes)
{
    return std::max(0, panes.client.height() - PaneTop);
}

} // namespace

void ApplyNormalLayout(const Panes &panes, Document &doc)
{
    if (Minimised(panes))
        return;
    const int half = SplitPosition(panes.client.width());
    const int height = PaneHeight(panes);
    panes.text.setGeometry(0, PaneTop, half, height);
    panes.text.setVisible(true);
    if (doc.viewMode() == ViewMode::BrowserPriority)  // typing goes to the text again
        panes.text.setFocus();
    panes.web.setGeometry(half, PaneTop, panes.text.width(), height);
    panes.web.setVisible(true);
    doc.setViewMode(ViewMode::Normal);
}

void ApplyTextLayout(const Panes &panes, Document &doc)
{
    if (Minimised(panes))
        return;
    panes.text.setGeometry(0, PaneTop, panes.client.width(), PaneHeight(panes));
    panes.web.setVisible(false);
    panes.text.setVisible(true);
    if (doc.viewMode() == ViewMode::BrowserPriority)  // typing goes to the text again
        panes.text.setFocus();
    doc.setViewMode(ViewMode::TextPriority);
}

void ApplyBrowserLayout(const Panes &panes, Document &doc)
{
    if (Minimised(panes))
        return;
    panes.web.setGeometry(0, PaneTop, panes.client.width(), PaneHeight(panes));
    // Typing must not go on into a pane the user cannot see.
    if (panes.text.hasFocus())
        panes.web.setFocus();
    panes.text.setVisible(false);
    panes.web.setVisible(true);
    doc.setViewMode(ViewMode::BrowserPriority);
}

void ApplyCurrentLayout(const Panes &panes, Document &doc)
{
    switch (doc.viewMode()) {
    case ViewMode::Normal: ApplyNormalLayout(panes, doc); break;
    case ViewMode::TextPriority: ApplyTextLayout(panes, doc); break;
    case ViewMode::BrowserPriority: ApplyBrowserLayout(panes, doc); break;
    }
}

}
