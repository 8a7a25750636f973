#include "edit/pane/TextBox.h"

#include "edit/core/PaneText.h"
#include "edit/pane/LongLine.h"
#include "edit/HtmlHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBoundaryFinder>
#include <QUrl>

#include <algorithm>

namespace {
// Lines too long to colour are measured and drawn in pieces (see LongLine).
constexpr int LongBlock = HtmlHighlighter::LongLine;

bool isLong(const QTextBlock &block)
{
    return block.isValid() && block.length() > LongBlock;
}

LongLine::TextReader readerOf(const QTextBlock &block)
{
    // Character by character: a block's text() copies the whole line for each piece.
    const QTextDocument *doc = block.document();
    const int position = block.position();
    return [doc, position](int from, int to) {
        QString text(std::max(0, to - from), Qt::Uninitialized);
        for (int i = from; i < to; ++i)
            text[i - from] = doc->characterAt(position + i);
        return text;
    };
}
}

// The pane's layout. Long lines get their geometry from LongLine and are never laid out whole,
// except the caret's line while it is out of view: the base view then asks the toolkit's own
// layout of it where the caret is, to scroll to it.
//
// The base class also reads a change as reaching as far as the characters removed and added
// together, so a change of n characters within one line (colours set on a typed line, a word
// replaced) seems to reach into the lines below, and the whole view is laid out and painted
// again. Such a change is passed on as the one line it is.
class PaneLayout : public QPlainTextDocumentLayout {
public:
    PaneLayout(QTextDocument *doc, TextBox *view) : QPlainTextDocumentLayout(doc), view_(view)
    {
        // Connected before the colours are, so it sees the line before they are set.
        connect(doc, &QTextDocument::contentsChange, this, &PaneLayout::noteLineBefore);
    }
    void DetachView() { view_ = nullptr; }

    LongLine *lineOf(const QTextBlock &block) const
    {
        auto *line = dynamic_cast<LongLine *>(block.userData());
        if (!line || line->Length() != block.length() - 1) {
            line = new LongLine(document()->defaultFont(), document()->defaultTextOption(), lines_);
            line->Reset(block.text());
            QTextBlock(block).setUserData(line);  // the block owns it and drops the old one
        }
        return line;
    }

    QRectF blockBoundingRect(const QTextBlock &block) const override
    {
        if (!isLong(block)) {
            if (changing_ && block == edited_ && block.layout()->lineCount() == 0)
                return editedBefore_;
            return QPlainTextDocumentLayout::blockBoundingRect(block);
        }
        if (!block.isVisible())
            return QRectF();
        const LongLine *line = lineOf(block);
        const qreal margin = document()->documentMargin();
        QRectF r(0, 0, line->Width() + 2 * margin, line->Height());
        if (!block.next().isValid())
            r.adjust(0, 0, 0, margin);
        if (view_ && !measuringView_ && block.contains(view_->textCursor().position())) {
            QTextLayout *own = block.layout();
            if (own->lineCount() == 0 && !lineInView(block))
                layOutWhole(block);
            // The view takes a line without a layout of its own as having the caret at the left
            // of its rectangle: the rectangle is placed there.
            if (own->lineCount() == 0)
                r.moveLeft(margin + line->XOf(view_->textCursor().position() - block.position(), readerOf(block)));
        }
        return r;
    }

    QSizeF documentSize() const override
    {
        const QSizeF size = QPlainTextDocumentLayout::documentSize();
        return {std::max(size.width(), LongLine::Widest(lines_) + 2 * document()->documentMargin()), size.height()};
    }

protected:
    void documentChanged(int from, int removed, int added) override
    {
        QScopedValueRollback<bool> guard(changing_, true);
        const auto forget = qScopeGuard([this] { edited_ = {}; });
        QTextDocument *doc = document();
        const QTextBlock block = doc->findBlock(from);
        const bool oneBlock = doc->blockCount() == blockCount_ && block.isValid()
                              && from + added <= block.position() + block.length() - 1;
        if (oneBlock && isLong(block)) {
            const qreal widthBefore = LongLine::Widest(lines_);
            auto *line = dynamic_cast<LongLine *>(block.userData());
            // A new text, or a large part of one, is measured again from the whole line at once.
            if (!line || line->Length() + added - removed != block.length() - 1
                || added > 16 * LongLine::PieceCharacters
                || !line->Update(from - block.position(), removed, added, readerOf(block)))
                QTextBlock(block).setUserData(nullptr);  // measured again when next asked
            lineOf(block);
            emit updateBlock(block);
            if (LongLine::Widest(lines_) != widthBefore)
                emit documentSizeChanged(documentSize());
            return;
        }
        // Lines the change reaches are measured again if they are (still) long.
        if (!lines_->empty())
            for (QTextBlock b = block; b.isValid() && b.position() <= from + added; b = b.next())
                if (b.userData())
                    b.setUserData(nullptr);
        const int span = std::max(removed, added);
        if (removed > 0 && added > 0 && doc->blockCount() == blockCount_
            && doc->findBlock(from) == doc->findBlock(from + span - 1)) {
            removed = 0;
            added = span;
        }
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
        blockCount_ = doc->blockCount();
    }

public:
    // The whole line within the view, with a pixel to spare: where the view does not look for
    // the caret in the line's own layout.
    bool lineInView(const QTextBlock &block) const
    {
        QScopedValueRollback<bool> guard(measuringView_, true);
        if (!view_ || !view_->isVisible())
            return false;
        const qreal bottom = view_->viewport()->height();
        bool inView = false;
        view_->findInView([&](const QTextBlock &b, qreal top, qreal height) {
            inView = b == block && top >= 1 && top + std::max<qreal>(height, 12) + 1 <= bottom;
            return b == block;
        });
        return inView;
    }

private:
    // The base class compares an edited line's rectangle before and after it lays the line out
    // again, and repaints only that line when its height stays. Colours set on the line drop its
    // old lines, and the rectangle "before" would then cost a second layout of the line: it is
    // kept here from before the colours are set.
    void noteLineBefore(int from)
    {
        edited_ = document()->findBlock(from);
        keepGlyphsOf(edited_);
        if (edited_.isValid() && !isLong(edited_) && edited_.layout()->lineCount() > 0)
            editedBefore_ = QPlainTextDocumentLayout::blockBoundingRect(edited_);
        else
            edited_ = {};
    }

    // The line being edited keeps its shaped glyphs: its layout, the caret's place in it and its
    // repaint would otherwise each shape the line again after every key. Only that line, and only
    // a short one: a line given up is laid out again later without them, which lets them go.
    void keepGlyphsOf(const QTextBlock &block)
    {
        const bool keep = block.isValid() && !isLong(block);
        const QTextBlock kept = glyphsKept_.isNull() ? QTextBlock() : glyphsKept_.block();
        if (keep && kept == block)
            return;
        if (!glyphsKept_.isNull()) {
            if (kept.isValid())
                kept.layout()->setCacheEnabled(false);
            QMetaObject::invokeMethod(
                this,
                [this, given = glyphsKept_] {
                    const QTextBlock b = given.block();
                    if (b.isValid() && !isLong(b) && !b.layout()->cacheEnabled())
                        document()->markContentsDirty(b.position(), b.length());
                },
                Qt::QueuedConnection);
            glyphsKept_ = {};
        }
        if (keep) {
            block.layout()->setCacheEnabled(true);
            glyphsKept_ = QTextCursor(block);
        }
    }

    // The toolkit's own layout of the whole line, in one line as the line is drawn.
    void layOutWhole(const QTextBlock &block) const
    {
        QTextLayout *own = block.layout();
        own->setTextOption(document()->defaultTextOption());
        own->beginLayout();
        QTextLine line = own->createLine();
        if (line.isValid()) {
            line.setLeadingIncluded(true);
            line.setNumColumns(block.length());
            line.setPosition(QPointF(document()->documentMargin(), 0));
        }
        own->endLayout();
    }

    TextBox *view_;
    LongLine::Register lines_ = std::make_shared<std::vector<const LongLine *>>();
    int blockCount_ = -1;  // as of the last change seen; unknown before the first
    mutable bool measuringView_ = false;
    bool changing_ = false;
    QTextBlock edited_;
    QRectF editedBefore_;
    QTextCursor glyphsKept_;  // at the line that keeps its glyphs, following edits
};

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    auto *doc = new QTextDocument(this);
    layout_ = new PaneLayout(doc, this);
    doc->setDocumentLayout(layout_);
    setDocument(doc);
    doc->setDefaultFont(font());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    highlighter_ = new HtmlHighlighter(document());
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { verticalX_ = -1; });
    // The object that handles the base class's editing, its caret's blink among it.
    for (QObject *child : children())
        if (child->inherits("QWidgetTextControl"))
            control_ = child;
    if (control_)
        control_->installEventFilter(this);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (!removed && !added)
            return;
        if (!highlighter_->Applying())
            emit Change();
    });
    // Colours follow what is shown: after a scroll, an edit or a new text, once the pane has
    // settled, the blocks in view are coloured.
    colourTimer_.setSingleShot(true);
    colourTimer_.setInterval(0);
    connect(&colourTimer_, &QTimer::timeout, this, &TextBox::colourShownBlocks);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect &, int dy) {
        if (!colourTimer_.isActive())
            colourTimer_.start();
        // The view repaints the caret of a long line as a short mark at its top (it has no layout
        // of the line to ask the caret's height): the caret's whole line is repainted with it.
        if (dy == 0)
            if (const QRect band = caretBand(); !band.isEmpty())
                viewport()->update(band);
    });
}

// The base class's caret blinks by asking the caret line's own layout where the caret is; after
// an edit that means reading a long line whole (15 ms a megabyte), twice a second. While the caret
// is in a long line, the blink is taken over here.
bool TextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == control_ && event->type() == QEvent::Timer && isLong(textCursor().block())
        && !(doubleClicked_.isValid() && doubleClicked_.elapsed() < QApplication::doubleClickInterval() + 200)) {
        caretOn_ = !caretOn_;
        if (const QRect band = caretBand(); !band.isEmpty())
            viewport()->update(band);
        return true;
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

TextBox::~TextBox()
{
    layout_->DetachView();  // the document outlives this part of the pane
}

QString TextBox::Text() const
{
    // toPlainText() would also turn no-break spaces into plain ones; the text must stay as typed.
    return FromPaneText(PaneLineBreaks(document()->toRawText()));
}

void TextBox::SetText(const QString &text)
{
    // One assignment, as a fresh undo history: undo must not bring back another file.
    setPlainText(ToPaneText(text));
}

int TextBox::SelStart() const
{
    return textCursor().selectionStart();
}

int TextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

QString TextBox::SelText() const
{
    // QTextCursor gives paragraph separators; the pane's text uses '\n'.
    return FromPaneText(PaneLineBreaks(textCursor().selectedText()));
}

int TextBox::TextLength() const
{
    return qMax(0, document()->characterCount() - 1);
}

void TextBox::SetSelStart(int start)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, start, TextLength()));
    setTextCursor(c);
}

void TextBox::SetSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(qBound(start, start + qMax(0, length), TextLength()), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::SetSelText(const QString &text)
{
    QTextCursor c = textCursor();
    // insertText turns '\n' into paragraph breaks, so pasted line breaks stay line breaks.
    c.insertText(ToPaneText(text));
    setTextCursor(c);
}

QStringList LocalFiles(const QMimeData *mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

QString PaneLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void TextBox::ReplaceRange(int start, int end, const QString &text)
{
    QTextCursor c(document());
    c.setPosition(qBound(0, start, TextLength()));
    c.setPosition(qBound(c.position(), end, TextLength()), QTextCursor::KeepAnchor);
    c.insertText(ToPaneText(text));  // one edit command, so one step of undo
    setTextCursor(c);
}

void TextBox::SetTopPanel(QWidget *panel)
{
    topPanel_ = panel;
    placeTopPanel();
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeTopPanel();
}

void TextBox::placeTopPanel()
{
    const bool shown = topPanel_ && !topPanel_->isHidden();
    const int height = shown ? topPanel_->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    if (shown) {
        // Above the text area only: the vertical scroll bar keeps its place beside it.
        const QRect text = viewport()->geometry();
        topPanel_->setGeometry(text.left(), text.top() - height, text.width(), height);
    }
}

void TextBox::SetSyntaxColouring(bool on)
{
    highlighter_->SetTagColouring(on);
}

void TextBox::colourShownBlocks()
{
    // A margin on both sides, so a small scroll shows coloured lines at once.
    const int first = firstVisibleBlock().blockNumber();
    const int lineHeight = qMax(1, fontMetrics().lineSpacing());
    const int shown = viewport()->height() / lineHeight + 1;
    highlighter_->ShowBlocks(first - shown / 2, first + shown + shown / 2);
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
    return !LocalFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void TextBox::insertFromMimeData(const QMimeData *source)
{
    // Files handed over by the desktop are opened, not pasted as their addresses.
    if (const QStringList files = LocalFiles(source); !files.isEmpty()) {
        emit FilesDropped(files);
        return;
    }
    // Dropped text: its line separators are line breaks, as for a paste.
    if (!source || !source->hasText())
        return;
    SetSelText(PaneLineBreaks(source->text()));
}

// A long line is drawn from its pieces in view (see LongLine); while one is in view, the base
// class's painting is done here, short lines as it draws them.
void TextBox::paintEvent(QPaintEvent *event)
{
    if (findInView([](const QTextBlock &b, qreal, qreal) { return isLong(b); }).isValid())
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
            if (isLong(block)) {
                // The caret of a long line blinks here (see eventFilter), and stays on while typing.
                const int caret = textCursor().position();
                const bool on = editable && hasFocus() && block.contains(caret)
                                && (caretOn_ || (caretHeld_.isValid() && caretHeld_.elapsed() < 600));
                cursor = on ? caret - blpos : -1;
                const qreal left = -offset.x() - margin;
                layout_->lineOf(block)->Draw(painter, QPointF(offset.x() + margin, offset.y()), left,
                                             left + viewportRect.width(), selections, cursor, cursorWidth(),
                                             readerOf(block));
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
    if (!isLong(block))
        return {};
    QRect band;
    findInView([&](const QTextBlock &b, qreal top, qreal height) {
        if (b == block)
            band = QRect(0, int(top), viewport()->width(), int(std::ceil(height)) + 1);
        return b == block;
    });
    return band;
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
    if (isLong(b))
        return b.position() + layout_->lineOf(b)->PositionAt(x - document()->documentMargin(), readerOf(b));
    const QTextLine line = b.layout()->lineCount() ? b.layout()->lineAt(0) : QTextLine();
    return b.position() + (line.isValid() ? line.xToCursor(x) : 0);
}

// The caret's x in the text, for a line up or down.
qreal TextBox::caretX(const QTextCursor &cursor) const
{
    const QTextBlock block = cursor.block();
    const int at = cursor.position() - block.position();
    if (isLong(block))
        return layout_->lineOf(block)->XOf(at, readerOf(block));
    blockBoundingRect(block);  // lays it out
    const QTextLine line = block.layout()->lineForTextPosition(at);
    return line.isValid() ? line.cursorToX(at) - document()->documentMargin() : 0;
}

// Moves the caret (with select, the selection's end) to x in target, and keeps x for the next
// line up or down.
void TextBox::placeCaretAtX(const QTextBlock &target, qreal x, bool select)
{
    int at = 0;
    if (isLong(target)) {
        at = layout_->lineOf(target)->PositionAt(x, readerOf(target));
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

// The toolkit finds the position of a click in a line from the line's own layout, which a long
// line does not have; clicks and drags in a long line are placed here.
void TextBox::mousePressEvent(QMouseEvent *event)
{
    const bool left = event->button() == Qt::LeftButton;
    const bool paste = event->button() == Qt::MiddleButton && !isReadOnly()
                       && QGuiApplication::clipboard()->supportsSelection();
    const int position = left || paste ? positionAt(event->position().toPoint()) : -1;
    if (position < 0 || !isLong(document()->findBlock(position))) {
        QPlainTextEdit::mousePressEvent(event);
        return;
    }
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
                                 && LocalFiles(mime).isEmpty()
                             ? positionAt(event->position().toPoint())
                             : -1;
    if (position < 0 || !isLong(document()->findBlock(position))) {
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
    if (position < 0 || !isLong(document()->findBlock(position))) {
        QPlainTextEdit::mouseDoubleClickEvent(event);
        return;
    }
    QTextCursor c = textCursor();
    c.setPosition(position);
    c.select(QTextCursor::WordUnderCursor);
    setTextCursor(c);
    event->accept();
}

// A line up or down keeps the caret's x; the toolkit takes it from the lines' own layouts, which
// long lines do not have.
void TextBox::keyPressEvent(QKeyEvent *event)
{
    const bool up = event->key() == Qt::Key_Up, down = event->key() == Qt::Key_Down;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool select = modifiers == Qt::ShiftModifier;
    const bool vertical = modifiers == Qt::NoModifier || select;
    const QTextCursor c = textCursor();
    const QTextBlock target = up ? c.block().previous() : c.block().next();
    if ((up || down) && vertical && target.isValid() && (isLong(c.block()) || isLong(target))) {
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
        if (landed.block() != c.block() && isLong(landed.block()) && landed.positionInBlock() == 0)
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
    const QString text = readerOf(block)(from - start, to - start);
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
    if (!isLong(block))
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
    if (!isLong(block) || !layout_->lineInView(block)) {
        ensureCursorVisible();
        return;
    }
    const int x = int(document()->documentMargin() + caretX(c));
    const int shownFrom = horizontalScrollBar()->value();
    const int width = viewport()->width();
    if (x < shownFrom || x + cursorWidth() > shownFrom + width)
        horizontalScrollBar()->setValue(x - width / 2);
    if (const QRect band = caretBand(); !band.isEmpty())
        viewport()->update(band);
}

QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Input methods ask for the caret's place and the text around it; the base class reads the
    // whole line for both. For a long line they get its place here and a part of the text.
    const QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    if (!isLong(block))
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
        return readerOf(block)(from, to);
    case Qt::ImCursorPosition:
        return at - from;
    case Qt::ImAnchorPosition:
        return std::clamp(c.anchor() - block.position(), from, to) - from;
    case Qt::ImTextBeforeCursor:
        return readerOf(block)(from, at);
    case Qt::ImTextAfterCursor:
        return readerOf(block)(at, to);
    default:
        return QPlainTextEdit::inputMethodQuery(query);
    }
}
