// What input methods ask of the pane.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"

#include <QTextDocument>

#include <algorithm>

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Input methods ask for the caret's place and the text around it; the base class reads the
    // whole line for both. For a long line they get its place here and a part of the text.
    const QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    if (!LongLine::isLong(block))
        return QPlainTextEdit::inputMethodQuery(query);
    constexpr int Around = 512;
    const int at = c.position() - block.position();
    const int from = std::max(0, at - Around), to = std::min(block.length() - 1, at + Around);
    switch (query) {
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
        const QRect band = caretBand();
        const int x = int(contentOffset().x() + document()->documentMargin() + caretX(c));
        return QRect(x, band.top(), cursorWidth(), std::max(1, band.height() - 1));
    }
    case Qt::ImSurroundingText:
        return LongLine::readerOf(block)(from, to);
    case Qt::ImCursorPosition:
        return at - from;
    case Qt::ImAnchorPosition:
        return std::clamp(c.anchor() - block.position(), from, to) - from;
    case Qt::ImTextBeforeCursor:
        return LongLine::readerOf(block)(from, at);
    case Qt::ImTextAfterCursor:
        return LongLine::readerOf(block)(at, to);
    default:
        return QPlainTextEdit::inputMethodQuery(query);
    }
}
