// What input methods send to the pane and ask of it.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"
#include "edit/core/PaneText.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QTextDocument>

#include <algorithm>

// What the input method changes in the text is done here as edits of their own (the selection a
// composition replaces, then each commit), so that each is told as the characters it changes:
// the toolkit would report them together with the composition, as a change of the whole line.
// The composition itself only changes how the line is shown. In a long line it is set here too:
// the toolkit's own handling then works out the caret's x by laying the whole line out.
void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    compositionCursor_ = int(event->preeditString().size());
    compositionCursorHidden_ = false;
    bool selects = false;
    for (const QInputMethodEvent::Attribute &a : event->attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            compositionCursor_ = a.start;
            compositionCursorHidden_ = a.length == 0;
        }
        selects |= a.type == QInputMethodEvent::Selection;
    }
    const bool commits = !event->commitString().isEmpty() || event->replacementLength() > 0;
    const bool input = commits || event->preeditString() != textCursor().block().layout()->preeditAreaText();
    if (isReadOnly() || selects) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    if (input && c.hasSelection())
        c.removeSelectedText();
    if (commits) {
        c.beginEditBlock();
        c.setPosition(std::clamp(c.position() + event->replacementStart(), 0, textLength()));
        c.setPosition(std::clamp(c.position() + event->replacementLength(), c.position(), textLength()),
                      QTextCursor::KeepAnchor);
        c.insertText(toPaneText(event->commitString()));
        c.endEditBlock();
    }
    const QTextBlock block = textCursor().block();
    if (!LongLine::isLong(block)) {
        QInputMethodEvent rest(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&rest);
    } else {
        // As the toolkit does it, on the line's own layout, which the document reports as a
        // change of the line when the edit block ends.
        QTextLayout *layout = block.layout();
        const int at = textCursor().position() - block.position();
        QList<QTextLayout::FormatRange> formats;
        for (const QInputMethodEvent::Attribute &a : event->attributes()) {
            const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (a.type == QInputMethodEvent::TextFormat && f.isValid())
                formats.append({at + a.start, a.length, f});
        }
        QTextCursor edit(document());
        edit.beginEditBlock();
        layout->setPreeditArea(at, event->preeditString());
        layout->setFormats(formats);
        edit.endEditBlock();
        updateMicroFocus();
    }
    event->accept();
    if (commits || !event->preeditString().isEmpty() || !event->attributes().isEmpty()) {
        caretHeld_.start();  // a long line's caret stays on, as after a keystroke
        showCaret();
    }
}

bool TextBox::endComposition()
{
    if (textCursor().block().layout()->preeditAreaText().isEmpty())
        return false;
    QGuiApplication::inputMethod()->commit();
    const QTextBlock block = textCursor().block();
    if (!block.layout()->preeditAreaText().isEmpty()) {
        QTextCursor edit(document());
        edit.beginEditBlock();
        block.layout()->setPreeditArea(-1, QString());
        block.layout()->setFormats({});
        edit.endEditBlock();
    }
    return true;
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
