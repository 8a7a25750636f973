#pragma once
// What the pane's tests read of its colouring.
#include <QColor>
#include <QTextBlock>
#include <QTextLayout>

// The colour the pane shows at a position of a block, or black where it has none.
inline QColor colourAt(const QTextBlock &block, int position)
{
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (position >= r.start && position < r.start + r.length)
            return r.format.foreground().color();
    return Qt::black;
}
