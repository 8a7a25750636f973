#pragma once
// The menu bar as data: level 0 heads, level 1 items, level 2 the display cascade.
#include <QKeySequence>

class frmMain;

struct MenuEntry {
    int level;
    const char *name;
    const char16_t *caption;  // "-" for a separator
    QKeyCombination shortcut;
    void (frmMain::*handler)();
};

extern const MenuEntry MenuTable[];
extern const int MenuTableSize;
