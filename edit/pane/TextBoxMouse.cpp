// The mouse, drag and drop: clicks, drags and drops in a long line are placed here, and files
// dropped on the pane are handed on rather than pasted.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"
#include "edit/core/PaneText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

QStringList localFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

QMimeData *TextBox::createMimeDataFromSelection() const
{
    // Dragged or selected text leaves the pane as the document holds it.
    auto *data = new QMimeData;
    data->setText(SelText());
    return data;
}

bool TextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return !localFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    // Files handed over by the desktop are opened, not pasted as their addresses.
    if (const QStringList files = localFiles(source); !files.isEmpty()) {
        emit filesDropped(files);
        return;
    }
    // Dropped text: its line separators are line breaks, as for a paste.
    if (!source || !source->hasText())
        return;
    setSelText(paneLineBreaks(source->text()));
}

// The block at y in the view and the caret position nearest to (x, y); -1 outside the text.
int TextBox::positionAt(const QPoint &point) const
{
    QTextBlock b = findInView([&](const QTextBlock &shown, qreal top, qreal height) {
        return point.y() < top + height || !shown.next().isValid();
    });
    if (!b.isValid())
        return -1;
    const qreal x = point.x() - contentOffset().x();
    if (LongLine::isLong(b))
        return b.position() + layout_->lineOf(b)->positionAt(x - document()->documentMargin(), LongLine::readerOf(b));
    const QTextLine line = b.layout()->lineCount() ? b.layout()->lineAt(0) : QTextLine();
    return b.position() + (line.isValid() ? line.xToCursor(x) : 0);
}

// The toolkit finds the position of a click in a line from the line's own layout, which a long
// line does not have; clicks and drags in a long line are placed here.
void TextBox::mousePressEvent(QMouseEvent *event)
{
    const bool left = event->button() == Qt::LeftButton;
    const bool paste = event->button() == Qt::MiddleButton && !isReadOnly()
                       && QGuiApplication::clipboard()->supportsSelection();
    int position = left || paste ? positionAt(event->position().toPoint()) : -1;
    if (position < 0 || !LongLine::isLong(document()->findBlock(position))) {
        QPlainTextEdit::mousePressEvent(event);
        return;
    }
    if (endComposition())  // its commit may have moved what was clicked
        position = positionAt(event->position().toPoint());
    setFocus(Qt::MouseFocusReason);
    QTextCursor c = textCursor();
    if (paste) {  // the selection of the desktop, pasted where it is clicked
        c.setPosition(position);
        setTextCursor(c);
        if (const QMimeData *mime = QGuiApplication::clipboard()->mimeData(QClipboard::Selection))
            insertFromMimeData(mime);
        event->accept();
        return;
    }
    c.setPosition(position, (event->modifiers() & Qt::ShiftModifier) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
    draggingInLongLine_ = true;
    event->accept();
}

void TextBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!draggingInLongLine_ || !(event->buttons() & Qt::LeftButton)) {
        QPlainTextEdit::mouseMoveEvent(event);
        return;
    }
    QPoint point = event->position().toPoint();
    point.setY(std::clamp(point.y(), 0, viewport()->height() - 1));
    // Dragged past a side of the view, the view follows along the line.
    if (point.x() < 0 || point.x() >= viewport()->width())
        horizontalScrollBar()->triggerAction(point.x() < 0 ? QAbstractSlider::SliderSingleStepSub
                                                           : QAbstractSlider::SliderSingleStepAdd);
    const int position = positionAt(point);
    if (position >= 0) {
        QTextCursor c = textCursor();
        c.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    event->accept();
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (std::exchange(draggingInLongLine_, false)) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
}

// Text dropped from elsewhere onto a long line goes where it is dropped; the toolkit would find
// the place from the line's own layout, which a long line does not have.
void TextBox::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    const int position = event->source() != this && !isReadOnly() && mime && mime->hasText()
                                 && localFiles(mime).isEmpty()
                             ? positionAt(event->position().toPoint())
                             : -1;
    if (position < 0 || !LongLine::isLong(document()->findBlock(position))) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    QDragLeaveEvent leave;  // ends the drag's feedback and scrolling as a drop would
    QPlainTextEdit::dragLeaveEvent(&leave);
    QTextCursor c = textCursor();
    c.setPosition(position);
    setTextCursor(c);
    insertFromMimeData(mime);
    event->acceptProposedAction();
    setFocus(Qt::MouseFocusReason);
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    doubleClicked_.start();  // the base class times a third click after it
    const int position = event->button() == Qt::LeftButton ? positionAt(event->position().toPoint()) : -1;
    if (position < 0 || !LongLine::isLong(document()->findBlock(position))) {
        QPlainTextEdit::mouseDoubleClickEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    c.setPosition(position);
    c.select(QTextCursor::WordUnderCursor);
    setTextCursor(c);
    event->accept();
}

