#pragma once
// Layout of the two panes and the main window's caption.
#include <QtGlobal>

namespace MDL {
inline qint16 HalfWidth = 0;  // split position of the normal layout

// 0: no unsaved changes, 1: unsaved changes; any other value changes nothing.
void UpdateCaption(qint16 state);
void ApplyNormalLayout();
void ApplyTextLayout();
void ApplyBrowserLayout();
}
