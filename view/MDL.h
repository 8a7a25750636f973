#pragma once
// Layout of the two panes in the main window's client area, for the three view modes.
#include <QtGlobal>

class QWidget;

// How the window shares its client area between the panes.
enum class ViewMode { Normal, TextPriority, BrowserPriority };

namespace MDL {

// The panes sit this far below the client area's top, under the toolbar.
constexpr int PaneTop = 32;

// The widgets a layout places.
struct Panes {
    QWidget &window;  // a minimised window is left as it is
    QWidget &client;  // the area the panes share
    QWidget &text;
    QWidget &web;
};

void ApplyNormalLayout(const Panes &panes, ViewMode &mode);
void ApplyTextLayout(const Panes &panes, ViewMode &mode);
void ApplyBrowserLayout(const Panes &panes, ViewMode &mode);
// The current mode again, after a change of the window's size.
void applyCurrentLayout(const Panes &panes, ViewMode &mode);

// Half of a client width, exact halves going to the even neighbour (801 -> 400, 803 -> 402).
// Widths outside 0..65534 are clamped so the result always fits a 16-bit split position.
qint16 splitPosition(int clientWidth);
}
