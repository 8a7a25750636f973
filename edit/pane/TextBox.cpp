// Construction and the design's selection API; painting, the mouse, keys and input methods each
// have a file of their own (TextBoxPaint.cpp, TextBoxMouse.cpp, TextBoxKeys.cpp,
// TextBoxInputMethod.cpp).
#include "edit/pane/TextBox.h"

#include "edit/pane/LongLine.h"
#include "edit/pane/PaneLayout.h"
#include "edit/core/CharacterChanges.h"
#include "edit/core/PaneColouring.h"
#include "edit/core/PaneText.h"

#include <QTextDocument>

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    auto *doc = new QTextDocument(this);
    auto *changes = new CharacterChanges(doc);  // before the layout and the colours listen
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
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { verticalX_ = -1; });
    // The object that handles the base class's editing, its caret's blink among it.
    for (QObject *child : children())
        if (child->inherits("QWidgetTextControl"))
            control_ = child;
    if (control_)
        control_->installEventFilter(this);
    connect(changes, &CharacterChanges::changed, this, [this](int from, int removed, int added) {
        if (!colouring_ || !colouring_->applying())
            emit Change(from, removed, added);
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

TextBox::~TextBox()
{
    layout_->detachView();  // the document outlives this part of the pane
}

QString TextBox::Text() const
{
    // toPlainText() would also turn no-break spaces into plain ones; the text must stay as typed.
    return fromPaneText(document()->toRawText());
}

void TextBox::SetText(const QString &text)
{
    // One assignment, as a fresh undo history: undo must not bring back another file.
    setPlainText(toPaneText(text));
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
    return fromPaneText(textCursor().selectedText());
}

int TextBox::textLength() const
{
    return qMax(0, document()->characterCount() - 1);
}

void TextBox::setSelStart(int start)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, start, textLength()));
    setTextCursor(c);
}

void TextBox::setSelLength(int length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(qBound(start, start + qMax(0, length), textLength()), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void TextBox::setSelText(const QString &text)
{
    QTextCursor c = textCursor();
    // insertText turns '\n' into paragraph breaks, so pasted line breaks stay line breaks.
    c.insertText(toPaneText(text));
    setTextCursor(c);
}

void TextBox::replaceRange(int start, int end, const QString &text)
{
    QTextCursor c(document());
    c.setPosition(qBound(0, start, textLength()));
    c.setPosition(qBound(c.position(), end, textLength()), QTextCursor::KeepAnchor);
    c.insertText(toPaneText(text));  // one edit command, so one step of undo
    setTextCursor(c);
}

void TextBox::setTopPanel(QWidget *panel)
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

void TextBox::setColouring(PaneColouring *colouring)
{
    colouring_ = colouring;
    colourTimer_.start();
}

void TextBox::setSyntaxColouring(bool on)
{
    if (colouring_)
        colouring_->setTagColouring(on);
}

void TextBox::colourShownBlocks()
{
    // A margin on both sides, so a small scroll shows coloured lines at once.
    const int first = firstVisibleBlock().blockNumber();
    const int lineHeight = qMax(1, fontMetrics().lineSpacing());
    const int shown = viewport()->height() / lineHeight + 1;
    if (colouring_)
        colouring_->showBlocks(first - shown / 2, first + shown + shown / 2);
}

