// What input methods send to the pane and ask of it.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"
#include "edit/core/PaneText.h"

#include <QInputMethodEvent>
#include <QTextDocument>

#include <algorithm>

// A commit is made here as an edit of its own, so that it is told as the characters it adds, not
// as a change of the whole line: the composition shown with it is then only a change of how the
// line is shown. The composition's cursor is kept to draw it in a long line.
void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    compositionCursor_ = int(event->preeditString().size());
    compositionCursorHidden_ = false;
    for (const QInputMethodEvent::Attribute &a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            compositionCursor_ = a.start;
            compositionCursorHidden_ = a.length == 0;
        }
    }
    if (isReadOnly() || (event->commitString().isEmpty() && event->replacementLength() == 0)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    c.removeSelectedText();
    c.setPosition(std::clamp(c.position() + event->replacementStart(), 0, textLength()));
    c.setPosition(std::clamp(c.position() + event->replacementLength(), c.position(), textLength()),
                  QTextCursor::KeepAnchor);
    c.insertText(toPaneText(event->commitString()));
    c.endEditBlock();
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QPlainTextEdit::inputMethodEvent(&rest);
    event->accept();
    caretHeld_.start();  // a long line's caret stays on, as after a keystroke
    ensureCursorVisible();
}

qreal TextBox::compositionX(const QTextBlock &block) const
{
    if (!LongLine::isLong(block) || !block.contains(textCursor().position()))
        return 0;
    const QString composition = block.layout()->preeditAreaText();
    return composition.isEmpty() ? 0 : layout_->lineOf(block)->compositionX(composition, compositionCursor_);
}

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
        const int x = qRound(contentOffset().x() + document()->documentMargin() + caretX(c) + compositionX(block));
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
