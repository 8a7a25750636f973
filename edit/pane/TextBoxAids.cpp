// What the pane offers a helper that sees its keys: the keys themselves, the part of a long line
// that is drawn, and the caret shown after an edit made beside it.
#include "edit/pane/TextBox.h"

#include "edit/pane/PaneKeyAid.h"

#include <QKeyEvent>

void TextBox::setKeyAid(PaneKeyAid *aid)
{
    keyAid_ = aid;
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (keyAid_ && keyAid_->takeKey(event)) {
        event->accept();
        return;
    }
    typeKey(event);
    if (keyAid_)
        keyAid_->keyHandled(event);
}

std::pair<int, int> TextBox::drawnCharacters(const QTextBlock &block) const
{
    qreal top = -1;
    findInView([&](const QTextBlock &b, qreal y, qreal) {
        if (b == block)
            top = y;
        return b == block;
    });
    if (top < 0)
        return {-1, -1};
    const int y = int(top) + 1;
    return {positionAt(QPoint(0, y)), positionAt(QPoint(viewport()->width(), y))};
}

void TextBox::showCaretAfterEdit()
{
    showCaret();
}
