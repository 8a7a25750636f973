#pragma once
// Layout of the two panes and the main window's caption.
#include <QtGlobal>

namespace MDL {
inline qint16 HalfWidth = 0;  // split position of the normal layout

// The panes sit this far below the client area's top, under the toolbar.
constexpr int PaneTop = 32;

// 0: no unsaved changes, 1: unsaved changes; any other value changes nothing.
void UpdateCaption(qint16 state);
void ApplyNormalLayout();
void ApplyTextLayout();
void ApplyBrowserLayout();

// Half of a client width, exact halves going to the even neighbour (801 -> 400, 803 -> 402).
// Widths outside 0..65534 are clamped so the result always fits HalfWidth.
qint16 SplitPosition(int clientWidth);
}
