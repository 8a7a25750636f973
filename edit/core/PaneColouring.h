#pragma once
// What the editing pane asks of whatever colours its text. The pane and the HTML colouring know
// only this, not each other.
class PaneColouring {
public:
    virtual ~PaneColouring() = default;
    // Tags and the rest in colour, or only the stand-ins of hidden characters.
    virtual void setTagColouring(bool on) = 0;
    // The blocks shown (with a margin), to be coloured if they are not yet.
    virtual void showBlocks(int first, int last) = 0;
    // True while colours are being applied: the document reports that as a change of its
    // contents, which is no edit.
    virtual bool applying() const = 0;
};
