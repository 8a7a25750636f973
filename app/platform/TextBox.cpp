#include "app/platform/TextBox.h"

#include "app/platform/HiddenCharacters.h"
#include "edit/HtmlHighlighter.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {
// Lines longer than this are drawn by the part in view only.
constexpr int LongBlock = 4000;
// Characters drawn beyond each edge of the view, so glyphs cut by the edge are whole.
constexpr int EdgeCharacters = 8;
// The most characters a part in view holds: more than any screen's width shows.
constexpr int MaxPartCharacters = 20000;

// The pane's layout. The base class reads a change as reaching as far as the characters removed
// and added together, so a change of n characters within one line (colours set on a typed line,
// a word replaced) seems to reach into the lines below, and the whole view is laid out and
// painted again. Such a change is passed on as the one line it is.
class PaneLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

protected:
    void documentChanged(int from, int removed, int added) override
    {
        const QTextDocument *doc = document();
        const int span = std::max(removed, added);
        if (removed > 0 && added > 0 && doc->blockCount() == blockCount_
            && doc->findBlock(from) == doc->findBlock(from + span - 1)) {
            removed = 0;
            added = span;
        }
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
        blockCount_ = doc->blockCount();
    }

private:
    int blockCount_ = -1;  // as of the last change seen; unknown before the first
};
}

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    auto *doc = new QTextDocument(this);
    doc->setDocumentLayout(new PaneLayout(doc));
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
    connect(document(), &QTextDocument::contentsChange, this, [this](int from, int removed, int added) {
        if (!removed && !added)
            return;
        keepShapesOfLongBlock(document()->findBlock(from));
        if (!highlighter_->Applying())
            emit Change();
    });
    // Colours follow what is shown: after a scroll, an edit or a new text, once the pane has
    // settled, the blocks in view are coloured.
    colourTimer_.setSingleShot(true);
    colourTimer_.setInterval(0);
    connect(&colourTimer_, &QTimer::timeout, this, &TextBox::colourShownBlocks);
    connect(this, &QPlainTextEdit::updateRequest, this, [this] {
        if (!colourTimer_.isActive())
            colourTimer_.start();
    });
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

// The base class lays out and draws every glyph of each shown line on every repaint, the
// caret's blink included; for a line of megabytes that is most of a core. A long line is
// drawn here from a layout of just the part in view, placed where the whole line's layout puts
// it. Short lines are drawn as the base class draws them.
void TextBox::paintEvent(QPaintEvent *event)
{
    const QPointF offset = contentOffset();
    const int height = viewport()->height();
    qreal top = offset.y();
    for (QTextBlock b = firstVisibleBlock(); b.isValid() && top <= height; b = b.next()) {
        if (b.length() > LongBlock) {
            paintLongLines(event);
            return;
        }
        top += blockBoundingRect(b).height();
    }
    QPlainTextEdit::paintEvent(event);
}

// The base class's painting, but for the drawing of long blocks.
void TextBox::paintLongLines(QPaintEvent *event)
{
    QPainter painter(viewport());
    QPointF offset = contentOffset();
    QRect er = event->rect();
    const QRect viewportRect = viewport()->rect();
    const qreal maximumWidth = document()->documentLayout()->documentSize().width();
    painter.setBrushOrigin(offset);
    const int maxX = int(offset.x() + qMax(qreal(viewportRect.width()), maximumWidth)
                         - document()->documentMargin() + cursorWidth());
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
            const int cursor = drawCursor ? context.cursorPosition - blpos : -1;
            QTextLayout *layout = block.layout();
            keepShapesOfLongBlock(block);
            if (bllen > LongBlock) {
                drawLongBlock(painter, block, offset, selections, cursor);
            } else {
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

void TextBox::drawLongBlock(QPainter &painter, const QTextBlock &block, const QPointF &offset,
                            const QList<QTextLayout::FormatRange> &selections, int cursorPosition)
{
    QTextLayout *whole = block.layout();
    // The part in view: the whole viewport's width, so a repaint of the caret alone finds the
    // same part as the repaint before it and reuses its layout.
    const qreal left = -offset.x();
    const qreal right = left + viewport()->width();
    const int height = viewport()->height();
    for (int n = 0; n < whole->lineCount(); ++n) {
        const QTextLine line = whole->lineAt(n);
        if (offset.y() + line.y() + line.height() < 0 || offset.y() + line.y() > height)
            continue;
        if (int(shownParts_.size()) <= n % 8)
            shownParts_.resize(n % 8 + 1);
        auto &slot = shownParts_[n % 8];
        if (!slot)
            slot = std::make_unique<ShownPart>();
        drawLinePart(painter, block, line, *slot, offset, left, right, selections, cursorPosition);
    }
}

void TextBox::drawLinePart(QPainter &painter, const QTextBlock &block, const QTextLine &line, ShownPart &part,
                           const QPointF &offset, qreal left, qreal right,
                           const QList<QTextLayout::FormatRange> &selections, int cursorPosition)
{
    QTextLayout *whole = block.layout();
    if (part.blockNumber != block.blockNumber() || part.lineNumber != line.lineNumber()
        || part.revision != block.revision() || part.length != block.length()
        || part.lineWidth != line.naturalTextWidth() || part.left != left || part.right != right) {
        const int lineStart = line.textStart();
        const int lineEnd = line.textStart() + line.textLength();
        int from = line.xToCursor(left);
        int to = line.xToCursor(right);
        for (int i = 0; i < EdgeCharacters; ++i) {
            from = whole->previousCursorPosition(from);
            to = whole->nextCursorPosition(to);
        }
        from = qBound(lineStart, from, lineEnd);
        // Past about 33 million pixels the toolkit's layout coordinates overflow and the line's
        // x positions are no longer true; the part stays the size of a view even then.
        to = qBound(from, to, std::min(lineEnd, from + MaxPartCharacters));
        part.blockNumber = block.blockNumber();
        part.lineNumber = line.lineNumber();
        part.revision = block.revision();
        part.length = block.length();
        part.lineWidth = line.naturalTextWidth();
        part.left = left;
        part.right = right;
        part.from = from;
        part.to = to;
        part.x = line.cursorToX(from);

        // Not through a text cursor: placing one works out its x by walking the line from its start.
        const QString text = block.text().mid(from, to - from);
        part.layout.clearLayout();
        part.layout.setCacheEnabled(true);  // the caret's blink draws it again unchanged
        part.layout.setText(text);
        part.layout.setFont(document()->defaultFont());
        part.layout.setTextOption(whole->textOption());
        // Long lines are not coloured, but stand-ins of hidden characters are still marked.
        QList<QTextLayout::FormatRange> formats;
        for (const QTextLayout::FormatRange &f : whole->formats()) {
            const int s = qMax(f.start, from), e = qMin(f.start + f.length, to);
            if (e > s)
                formats.append({s - from, e - s, f.format});
        }
        QTextCharFormat hidden;
        hidden.setForeground(QColor(0xC0, 0x00, 0x00));
        hidden.setBackground(QColor(0xFF, 0xE0, 0xE0));
        for (int i = 0; i < text.size(); ++i)
            if (IsHiddenStandIn(text[i]))
                formats.append({i, 1, hidden});
        part.layout.setFormats(formats);
        part.layout.beginLayout();
        QTextLine partLine = part.layout.createLine();
        partLine.setLeadingIncluded(true);
        partLine.setNumColumns(text.size());
        partLine.setPosition(QPointF(0, line.y()));
        part.layout.endLayout();
    }
    QList<QTextLayout::FormatRange> shownSelections;
    for (const QTextLayout::FormatRange &s : selections) {
        const int a = qMax(s.start, part.from), b = qMin(s.start + s.length, part.to);
        if (b > a)
            shownSelections.append({a - part.from, b - a, s.format});
    }
    const QPointF at(offset.x() + part.x, offset.y());
    part.layout.draw(&painter, at, shownSelections);
    if (cursorPosition >= part.from && cursorPosition <= part.to)
        part.layout.drawCursor(&painter, at, cursorPosition - part.from, cursorWidth());
}

// A block's layout forgets its shaped glyphs after each layout, so every caret position asked of
// it (the caret's blink, each keystroke) shapes the whole line again. For a long line that is
// the bulk of the work; its glyphs are kept. This runs before the document lays the block out.
void TextBox::keepShapesOfLongBlock(const QTextBlock &block)
{
    if (block.isValid() && block.length() > LongBlock && block.layout() && !block.layout()->cacheEnabled())
        block.layout()->setCacheEnabled(true);
}
