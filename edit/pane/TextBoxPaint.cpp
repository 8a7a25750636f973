// Painting: long lines are drawn from their pieces in view, and their caret blinks here.
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QPaintEvent>

#include <cmath>

// The base class's caret blinks by asking the caret line's own layout where the caret is; after
// an edit that means reading a long line whole (15 ms a megabyte), twice a second. While the caret
// is in a long line, the blink is taken over here.
bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == control_ && event->type() == QEvent::Timer && LongLine::isLong(textCursor().block())
        && !(doubleClicked_.isValid() && doubleClicked_.elapsed() < QApplication::doubleClickInterval() + 200)) {
        caretOn_ = !caretOn_;
        if (const QRect band = caretBand(); !band.isEmpty())
            viewport()->update(band);
        return true;
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

// A long line is drawn from its pieces in view (see LongLine); while one is in view, the base
// class's painting is done here, short lines as it draws them.
void TextBox::paintEvent(QPaintEvent *event)
{
    if (findInView([](const QTextBlock &b, qreal, qreal) { return LongLine::isLong(b); }).isValid())
        paintLongLines(event);
    else
        QPlainTextEdit::paintEvent(event);
}

QTextBlock TextBox::findInView(const std::function<bool(const QTextBlock &, qreal, qreal)> &found) const
{
    qreal top = contentOffset().y();
    for (QTextBlock b = firstVisibleBlock(); b.isValid() && top <= viewport()->height(); b = b.next()) {
        const qreal height = blockBoundingRect(b).height();
        if (found(b, top, height))
            return b;
        top += height;
    }
    return {};
}

void TextBox::paintLongLines(QPaintEvent *event)
{
    QPainter painter(viewport());
    QPointF offset = contentOffset();
    QRect er = event->rect();
    const QRect viewportRect = viewport()->rect();
    const qreal margin = document()->documentMargin();
    const qreal maximumWidth = document()->documentLayout()->documentSize().width();
    painter.setBrushOrigin(offset);
    const int maxX = int(offset.x() + qMax(qreal(viewportRect.width()), maximumWidth) - margin + cursorWidth());
    er.setRight(qMin(er.right(), maxX));
    painter.setClipRect(er);

    const QAbstractTextDocumentLayout::PaintContext context = getPaintContext();
    painter.setPen(context.palette.text().color());
    const bool editable = !isReadOnly();

    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF r = blockBoundingRect(block).translated(offset);
        if (!block.isVisible()) {
            offset.ry() += r.height();
            continue;
        }
        if (r.bottom() >= er.top() && r.top() <= er.bottom()) {
            QList<QTextLayout::FormatRange> selections;
            const int blpos = block.position();
            const int bllen = block.length();
            for (const QAbstractTextDocumentLayout::Selection &range : context.selections) {
                const int selStart = range.cursor.selectionStart() - blpos;
                const int selEnd = range.cursor.selectionEnd() - blpos;
                if (selStart < bllen && selEnd > 0 && selEnd > selStart)
                    selections.append({selStart, selEnd - selStart, range.format});
            }
            const bool drawCursor = editable && context.cursorPosition >= blpos
                                    && context.cursorPosition < blpos + bllen;
            int cursor = drawCursor ? context.cursorPosition - blpos : -1;
            if (LongLine::isLong(block)) {
                // The caret of a long line blinks here (see eventFilter), and stays on while typing.
                const int caret = textCursor().position();
                const bool on = editable && hasFocus() && block.contains(caret)
                                && (caretOn_ || (caretHeld_.isValid() && caretHeld_.elapsed() < 600));
                cursor = on ? caret - blpos : -1;
                const qreal left = -offset.x() - margin;
                const LongLine::Composition composition = LongLine::compositionOf(
                    block, on && !compositionCursorHidden_ ? compositionCursor_ : -1);
                layout_->lineOf(block)->draw(painter, QPointF(offset.x() + margin, offset.y()), left,
                                             left + viewportRect.width(), selections, cursor, cursorWidth(),
                                             LongLine::readerOf(block), composition);
            } else {
                QTextLayout *layout = block.layout();
                layout->draw(&painter, offset, selections, er);
                if (drawCursor)
                    layout->drawCursor(&painter, offset, cursor, cursorWidth());
            }
        }
        offset.ry() += r.height();
        if (offset.y() > viewportRect.height())
            break;
    }
}

// The caret's line across the view, when the caret is in a long line in view.
QRect TextBox::caretBand() const
{
    const QTextBlock block = textCursor().block();
    if (!LongLine::isLong(block))
        return {};
    QRect band;
    findInView([&](const QTextBlock &b, qreal top, qreal height) {
        if (b == block)
            band = QRect(0, int(top), viewport()->width(), int(std::ceil(height)) + 1);
        return b == block;
    });
    return band;
}

bool TextBox::lineInView(const QTextBlock &block) const
{
    if (!isVisible())
        return false;
    const qreal bottom = viewport()->height();
    bool inView = false;
    findInView([&](const QTextBlock &b, qreal top, qreal height) {
        inView = b == block && top >= 1 && top + std::max<qreal>(height, 12) + 1 <= bottom;
        return b == block;
    });
    return inView;
}
