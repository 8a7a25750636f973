#include "edit/TagAssist.h"

#include "edit/HtmlHighlighter.h"
#include "edit/core/HtmlOutline.h"
#include "edit/core/HtmlScanner.h"
#include "edit/core/HtmlVocabulary.h"
#include "edit/core/PaneText.h"
#include "edit/pane/TextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// How far the aids read around the caret: many screens of a page, and a bound on what a
// keystroke can cost in a document of any size.
constexpr int Reach = 100000;
// Back from a name being typed: enough for a start tag over several lines.
constexpr int NameReach = 4000;
constexpr int Rows = 8;
constexpr int MarkDelay = 120;  // milliseconds

const QColor MarkColour(0xFF, 0xE9, 0x9E);  // light, and distinct from the selection

bool isLong(const QTextBlock &block)
{
    return block.isValid() && block.length() > LongLineLength;
}

const HtmlVocabulary &vocabulary()
{
    return HtmlVocabulary::standard();
}

// Shift and the like, pressed on their own before the key they change: no key for the aids.
bool modifierOnly(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

bool inTagState(int state)
{
    const int s = state & 7;
    return s == HtmlState::InTag || s == HtmlState::InDoubleQuoted || s == HtmlState::InSingleQuoted;
}

} // namespace

TagAssist &TagAssist::of(TextBox &pane)
{
    if (auto *aids = pane.findChild<TagAssist *>(QString(), Qt::FindDirectChildrenOnly))
        return *aids;
    return *new TagAssist(&pane);
}

TagAssist::TagAssist(TextBox *pane) : QObject(pane), pane_(pane), list_(new QListWidget(pane))
{
    list_->setObjectName(QStringLiteral("completionList"));
    // The keys stay with the pane: the list is shown, never focused.
    list_->setFocusPolicy(Qt::NoFocus);
    list_->viewport()->setFocusPolicy(Qt::NoFocus);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->hide();
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        list_->setCurrentItem(item);
        accept();
    });
    pane->installEventFilter(this);
    pane->setKeyAid(this);
    // The mark follows the caret once it rests, not on every key of a run of typing: finding a
    // partner reads up to Reach characters both ways.
    markTimer_.setSingleShot(true);
    markTimer_.setInterval(MarkDelay);
    connect(&markTimer_, &QTimer::timeout, this, &TagAssist::markMatchingTag);
    connect(pane, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (list_->isVisible() && pane_->textCursor().position() != completion_.end)
            hideList();
        markTimer_.start();
    });
    connect(pane->document(), &QTextDocument::contentsChanged, &markTimer_, qOverload<>(&QTimer::start));
    // The list stands by the caret: when the text scrolls away from it, it goes.
    connect(pane->verticalScrollBar(), &QScrollBar::valueChanged, this, &TagAssist::hideList);
    connect(pane->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TagAssist::hideList);
}

void TagAssist::setEnabled(bool on)
{
    enabled_ = on;
    if (!on)
        hideList();
}

bool TagAssist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pane_) {
        if (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide)
            hideList();
        else if (event->type() == QEvent::InputMethod
                 && !static_cast<QInputMethodEvent *>(event)->preeditString().isEmpty())
            hideList();
    }
    return QObject::eventFilter(watched, event);
}

bool TagAssist::composing() const
{
    const QTextBlock block = pane_->textCursor().block();
    return block.layout() && !block.layout()->preeditAreaText().isEmpty();
}

bool TagAssist::takeKey(QKeyEvent *event)
{
    if (modifierOnly(event))
        return false;
    if (echo_.start >= 0 && typeOver(event))
        return true;
    if (!list_->isVisible() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const int row = list_->currentRow(), rows = list_->count();
    switch (event->key()) {
    case Qt::Key_Up:
        list_->setCurrentRow(row > 0 ? row - 1 : rows - 1);
        return true;
    case Qt::Key_Down:
        list_->setCurrentRow(row + 1 < rows ? row + 1 : 0);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // After a name typed in full, Enter is the line break it would be without the list.
        if (row >= 0 && row < completion_.names.size()
            && completion_.names[row].compare(typedName(), Qt::CaseInsensitive) == 0) {
            hideList();
            return false;
        }
        accept();
        return true;
    case Qt::Key_Tab:
        accept();
        return true;
    case Qt::Key_Escape:
        hideList();
        return true;
    default:
        return false;
    }
}

// The key after a completed end tag: the next character of it is taken as typed; a name's
// character that differs replaces the completion's untyped rest; any other key leaves it.
bool TagAssist::typeOver(QKeyEvent *event)
{
    Echo echo = std::exchange(echo_, Echo());
    const QTextCursor caret = pane_->textCursor();
    if (caret.hasSelection() || caret.position() != echo.start + echo.expected.size()
        || pane_->document()->revision() != echo.revision)
        return false;
    const QString text = event->text();
    if (text.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        || !text[0].isPrint())
        return false;
    const QChar c = text[0];
    if (c == echo.expected[echo.typed]) {
        if (++echo.typed < echo.expected.size())
            echo_ = echo;
        return true;
    }
    // Another character than a name's (the next tag's '<', a space, a line break): the end
    // tag stays as completed and typing goes on after it.
    const bool nameChar = c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-' || c == u':' || c == u'_');
    if (!nameChar || echo.typed >= echo.inserted)
        return false;
    // Another name: the rest of the completion goes, and the key is typed where it ended.
    const int from = echo.start + echo.typed;
    QTextCursor rest(pane_->document());
    rest.setPosition(from);
    rest.setPosition(std::max(from, echo.start + echo.inserted), QTextCursor::KeepAnchor);
    rest.removeSelectedText();
    QTextCursor moved = pane_->textCursor();
    moved.setPosition(from);
    pane_->setTextCursor(moved);
    return false;
}

void TagAssist::keyHandled(QKeyEvent *event)
{
    if (modifierOnly(event))
        return;
    if (!enabled_ || pane_->isReadOnly() || composing() || pane_->textCursor().hasSelection()) {
        hideList();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        if (list_->isVisible())
            offerNames();  // the shorter name offers more
        return;
    }
    const QString text = event->text();
    if (text.size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        hideList();
        return;
    }
    const QChar c = text[0];
    if (c == u'/') {
        hideList();
        const int caret = pane_->textCursor().position();
        const Piece piece = pieceAround(caret, Reach, 0);
        if (const auto e = TypingAids::closeTag(piece.text, piece.state, caret - piece.start, vocabulary())) {
            edit(piece, *e);
            const int end = pane_->textCursor().position();
            echo_.start = piece.start + e->start;
            echo_.inserted = int(e->text.size());
            for (int i = echo_.start; i < end; ++i)
                echo_.expected += pane_->document()->characterAt(i);
            echo_.revision = pane_->document()->revision();
        }
        return;
    }
    if (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-'))
        offerNames();
    else
        hideList();
}

void TagAssist::offerNames()
{
    const int caret = pane_->textCursor().position();
    // The caret's line alone, unless it starts inside a tag whose name is further up.
    Piece piece = pieceAround(caret, 0, 0);
    if (inTagState(piece.state))
        piece = pieceAround(caret, NameReach, 0);
    NameCompletion c = TypingAids::completionAt(piece.text, piece.state, caret - piece.start, vocabulary());
    const QStringView typed = QStringView(piece.text).mid(c.start, c.end - c.start);
    // Nothing to offer, or only the name already typed: Enter then stays a line break.
    if (c.names.isEmpty() || (c.names.size() == 1 && c.names.first().compare(typed, Qt::CaseInsensitive) == 0)) {
        hideList();
        return;
    }
    c.start += piece.start;
    c.end += piece.start;
    completion_ = c;
    const bool capitals = typed.toString() == typed.toString().toUpper() && typed.toString() != typed.toString().toLower();
    list_->clear();
    for (const QString &name : c.names)
        list_->addItem(capitals ? name.toUpper() : name);
    list_->setCurrentRow(0);
    placeList();
    list_->show();
    list_->raise();
}

void TagAssist::placeList()
{
    list_->setFont(pane_->font());
    const int rows = std::min(Rows, list_->count());
    const int frame = 2 * list_->frameWidth();
    int width = 0;
    for (int i = 0; i < list_->count(); ++i)
        width = std::max(width, list_->fontMetrics().horizontalAdvance(list_->item(i)->text()));
    width += frame + list_->fontMetrics().averageCharWidth() * 2
             + (list_->count() > rows ? list_->verticalScrollBar()->sizeHint().width() : 0);
    const int height = rows * std::max(1, list_->sizeHintForRow(0)) + frame;
    const QRect caret = pane_->cursorRect();
    QPoint at = pane_->viewport()->mapTo(pane_, caret.bottomLeft() + QPoint(0, 2));
    if (at.y() + height > pane_->height())  // no room below the caret: above it
        at.setY(pane_->viewport()->mapTo(pane_, caret.topLeft()).y() - height - 2);
    at.setX(std::clamp(at.x(), 0, std::max(0, pane_->width() - width)));
    at.setY(std::max(0, at.y()));
    list_->setGeometry(at.x(), at.y(), width, height);
}

QString TagAssist::typedName() const
{
    QString name;
    for (int i = completion_.start; i < completion_.end; ++i)
        name += pane_->document()->characterAt(i);
    return name;
}

void TagAssist::hideList()
{
    if (list_->isVisible())
        list_->hide();
}

void TagAssist::accept()
{
    const int row = list_->currentRow();
    hideList();
    if (row < 0 || row >= completion_.names.size())
        return;
    // The name typed and the character after it are all acceptance reads.
    const QTextDocument *doc = pane_->document();
    Piece piece;
    piece.start = completion_.start;
    for (int i = completion_.start; i <= completion_.end && i < pane_->textLength(); ++i)
        piece.text += doc->characterAt(i);
    NameCompletion c = completion_;
    c.start = 0;
    c.end -= completion_.start;
    edit(piece, TypingAids::acceptCompletion(piece.text, c, completion_.names[row], vocabulary()));
}

// One step of undo of its own: undoing it leaves what was typed.
void TagAssist::edit(const Piece &piece, const TextEdit &e)
{
    QTextCursor c(pane_->document());
    c.setPosition(piece.start + e.start);
    c.setPosition(piece.start + e.end, QTextCursor::KeepAnchor);
    c.beginEditBlock();
    c.insertText(e.text);
    c.endEditBlock();
    // The caret stood at the edit's end and moved on with the text; only a caret placed inside
    // the new text is set here.
    const int caret = piece.start + e.caret;
    if (pane_->textCursor().position() != caret) {
        QTextCursor moved = pane_->textCursor();
        moved.setPosition(caret);
        pane_->setTextCursor(moved);
    } else {
        pane_->showCaretAfterEdit();
    }
}

TagAssist::Piece TagAssist::pieceAround(int position, int back, int ahead) const
{
    const QTextBlock block = pane_->document()->findBlock(position);
    if (!block.isValid())
        return {};
    if (isLong(block))
        return drawnPart(block, position);
    QTextBlock first = block, last = block;
    for (int chars = 0; chars < back && first.previous().isValid() && !isLong(first.previous());) {
        first = first.previous();
        chars += first.length();
    }
    for (int chars = 0; chars < ahead && last.next().isValid() && !isLong(last.next());) {
        last = last.next();
        chars += last.length();
    }
    Piece piece;
    piece.start = first.position();
    const int state = HtmlHighlighter::stateAtEnd(first.previous());
    piece.state = state < 0 ? HtmlState::Text : state;
    for (QTextBlock b = first;; b = b.next()) {
        piece.text += b.text();
        if (b == last)
            break;
        piece.text += u'\n';
    }
    return piece;
}

// Of a long line only what is drawn, read from its start as text (a long line has no colours,
// so no state is known for it).
TagAssist::Piece TagAssist::drawnPart(const QTextBlock &block, int position) const
{
    Piece piece;
    piece.start = position;
    const auto [from, to] = pane_->drawnCharacters(block);
    if (from < 0 || position < from || position > to)
        return piece;  // not drawn: nothing read
    piece.start = from;
    const QTextDocument *doc = pane_->document();
    piece.text.reserve(to - from);
    for (int i = from; i < to; ++i)
        piece.text += doc->characterAt(i);
    return piece;
}

void TagAssist::markMatchingTag()
{
    std::optional<TypingAids::TagPair> found;
    const QTextCursor c = pane_->textCursor();
    const int caret = c.position();
    if (!c.hasSelection()) {
        // The caret's own line first: most carets are in no tag, and the reading stops there.
        const Piece line = pieceAround(caret, 0, 0);
        if (inTagState(line.state) || htmlTagAt(readHtmlTags(line.text, line.state), caret - line.start) >= 0) {
            const Piece piece = pieceAround(caret, Reach, Reach);
            if (auto pair = TypingAids::matchingTags(piece.text, piece.state, caret - piece.start, vocabulary())) {
                found = TypingAids::TagPair{pair->start + piece.start, pair->end + piece.start,
                                            pair->partnerStart + piece.start, pair->partnerEnd + piece.start};
            }
        }
    }
    auto same = [](const std::optional<TypingAids::TagPair> &a, const std::optional<TypingAids::TagPair> &b) {
        if (!a || !b)
            return !a && !b;
        return a->start == b->start && a->end == b->end && a->partnerStart == b->partnerStart
               && a->partnerEnd == b->partnerEnd;
    };
    if (same(found, marked_))
        return;
    marked_ = found;
    QList<QTextEdit::ExtraSelection> marks;
    if (found) {
        for (const auto &[from, to] : {std::pair{found->start, found->end}, std::pair{found->partnerStart, found->partnerEnd}}) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(pane_->document());
            mark.cursor.setPosition(from);
            mark.cursor.setPosition(to, QTextCursor::KeepAnchor);
            mark.format.setBackground(MarkColour);
            marks << mark;
        }
    }
    pane_->setExtraSelections(marks);
}

int TagAssist::helpEntryAtCaret(const QStringList &entries) const
{
    const int caret = pane_->textCursor().position();
    const Piece piece = pieceAround(caret, Reach, 0);
    return TypingAids::helpEntryAt(piece.text, piece.state, caret - piece.start, entries, vocabulary());
}
