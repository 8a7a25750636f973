// Keys: lines up and down at the caret's x, and typing, deleting and moving by a character in a
// long line, with a run of them joined into one step of undo.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBoundaryFinder>

#include <algorithm>

// The caret's x in the text, for a line up or down.
qreal TextBox::caretX(const QTextCursor &cursor) const
{
    const QTextBlock block = cursor.block();
    const int at = cursor.position() - block.position();
    if (LongLine::isLong(block))
        return layout_->lineOf(block)->xOf(at, LongLine::readerOf(block));
    blockBoundingRect(block);  // lays it out
    const QTextLine line = block.layout()->lineForTextPosition(at);
    return line.isValid() ? line.cursorToX(at) - document()->documentMargin() : 0;
}

// Moves the caret (with select, the selection's end) to x in target, and keeps x for the next
// line up or down.
void TextBox::placeCaretAtX(const QTextBlock &target, qreal x, bool select)
{
    int at = 0;
    if (LongLine::isLong(target)) {
        at = layout_->lineOf(target)->positionAt(x, LongLine::readerOf(target));
    } else {
        blockBoundingRect(target);  // lays it out
        const QTextLine line = target.layout()->lineCount() ? target.layout()->lineAt(0) : QTextLine();
        at = line.isValid() ? line.xToCursor(x + document()->documentMargin()) : 0;
    }
    QTextCursor c = textCursor();
    c.setPosition(target.position() + at, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
    verticalX_ = x;  // after the move, which forgets it
}

// A line up or down keeps the caret's x; the toolkit takes it from the lines' own layouts, which
// long lines do not have. (The key reaches the key aid first, in TextBoxAids.)
void TextBox::typeKey(QKeyEvent *event)
{
    const bool up = event->key() == Qt::Key_Up, down = event->key() == Qt::Key_Down;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool select = modifiers == Qt::ShiftModifier;
    const bool vertical = modifiers == Qt::NoModifier || select;
    const QTextCursor c = textCursor();
    const QTextBlock target = up ? c.block().previous() : c.block().next();
    if ((up || down) && vertical && target.isValid() && (LongLine::isLong(c.block()) || LongLine::isLong(target))) {
        placeCaretAtX(target, verticalX_ >= 0 ? verticalX_ : caretX(c), select);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) && vertical) {
        const qreal x = verticalX_ >= 0 ? verticalX_ : caretX(c);
        QPlainTextEdit::keyPressEvent(event);
        // The toolkit puts the caret at the start of a long line it lands in, having no layout of
        // the line to find the caret's x in: it is placed at that x here.
        const QTextCursor landed = textCursor();
        if (landed.block() != c.block() && LongLine::isLong(landed.block()) && landed.positionInBlock() == 0)
            placeCaretAtX(landed.block(), x, select);
        return;
    }
    if (!isReadOnly() && !overwriteMode() && editLongLine(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

namespace {
// The caret position one character (a whole grapheme) from position within its block, read from
// the characters around it only.
int characterStep(const QTextBlock &block, int position, bool forward)
{
    const int start = block.position(), end = block.position() + block.length() - 1;
    if (forward ? position >= end : position <= start)
        return forward ? (block.next().isValid() ? position + 1 : position) : (block.previous().isValid() ? position - 1 : position);
    constexpr int Around = 32;  // more than any grapheme's length
    const int from = std::max(start, position - Around), to = std::min(end, position + Around);
    const QString text = LongLine::readerOf(block)(from - start, to - start);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position - from);
    const qsizetype step = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
    return step < 0 ? position + (forward ? 1 : -1) : from + int(step);
}
}

// Typing, deleting and moving by a character in a long line. The toolkit's own handling asks the
// line's layout for the caret's x after each of these, which lays the whole line out again.
bool TextBox::editLongLine(QKeyEvent *event)
{
    QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    if (!LongLine::isLong(block))
        return false;
    const bool selectNext = event == QKeySequence::SelectNextChar, selectPrevious = event == QKeySequence::SelectPreviousChar;
    if (event == QKeySequence::MoveToNextChar || event == QKeySequence::MoveToPreviousChar || selectNext || selectPrevious) {
        const bool forward = event == QKeySequence::MoveToNextChar || selectNext;
        c.setPosition(characterStep(block, c.position(), forward),
                      selectNext || selectPrevious ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        setTextCursor(c);
        return true;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const QString text = event->text();
    EditKind kind;
    if (event->key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier))
        kind = EditKind::Backspace;
    else if (event == QKeySequence::Delete)
        kind = EditKind::Delete;
    else if (!text.isEmpty() && !(modifiers & Qt::ControlModifier)
             && std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.isPrint() || ch == u'\t' || ch.isSurrogate(); }))
        kind = EditKind::Typing;
    else
        return false;

    // One step of undo for a run of typing, or of deleting, as the toolkit merges its own.
    const bool selection = c.hasSelection();
    const bool join = !selection && lastEdit_.kind == kind && lastEdit_.position == c.position()
                      && lastEdit_.undoSteps == document()->availableUndoSteps()
                      && lastEdit_.revision == document()->revision();
    if (join)
        c.joinPreviousEditBlock();
    else
        c.beginEditBlock();
    if (kind == EditKind::Typing) {
        c.insertText(text);
    } else if (!c.hasSelection()) {
        const int to = characterStep(block, c.position(), kind == EditKind::Delete);
        if (kind == EditKind::Delete || c.position() == block.position())
            c.setPosition(to, QTextCursor::KeepAnchor);
        else
            c.deletePreviousChar();  // one character, as the toolkit's Backspace deletes
    }
    if (c.hasSelection())
        c.removeSelectedText();
    c.endEditBlock();
    lastEdit_ = {kind, c.position(), document()->availableUndoSteps(), document()->revision()};
    if (selection) {
        setTextCursor(c);
        return true;
    }
    // The pane's caret moved with the edit. Handing it over again would ask the line's own
    // layout where the caret is, which means reading the whole line: the caret is shown here.
    caretHeld_.start();
    showCaret();
    return true;
}

// Scrolls the caret of a long line into view, as the base class would.
void TextBox::showCaret()
{
    const QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    if (!LongLine::isLong(block) || !layout_->lineInView(block)) {
        ensureCursorVisible();
        return;
    }
    const int x = int(document()->documentMargin() + caretX(c) + compositionX(block));
    const int shownFrom = horizontalScrollBar()->value();
    const int width = viewport()->width();
    if (x < shownFrom || x + cursorWidth() > shownFrom + width)
        horizontalScrollBar()->setValue(x - width / 2);
    if (const QRect band = caretBand(); !band.isEmpty())
        viewport()->update(band);
}

