#pragma once
// What the editing pane asks of a helper that sees the keys typed into it (the typing aids). The
// pane knows only this; the helper works on the pane from outside.
class QKeyEvent;

class PaneKeyAid {
public:
    virtual ~PaneKeyAid() = default;
    // Before the pane handles a key: true when the helper used it, and the pane does nothing.
    virtual bool takeKey(QKeyEvent *event) = 0;
    // After the pane handled it.
    virtual void keyHandled(QKeyEvent *event) = 0;
};
