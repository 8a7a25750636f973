#pragma once
// The toolbar's 17 positions. Dispatch keys on the position alone, so this order is fixed.
class frmMain;

struct ToolbarEntry {
    int picture;                   // 1..12 in the picture list, 0 for a separator
    const char16_t *tooltip;
    const char16_t *description;   // the menu path of the command it repeats
    void (frmMain::*handler)();    // nullptr for a separator
};

constexpr int ToolbarButtonCount = 17;
extern const ToolbarEntry ToolbarTable[ToolbarButtonCount];

// Runs the menu handler of toolbar position Index (1..17); separators and other positions
// do nothing.
void DispatchToolbarButton(frmMain &form, int Index);
