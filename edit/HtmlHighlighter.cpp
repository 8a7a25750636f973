#include "edit/HtmlHighlighter.h"

#include "edit/core/CharacterChanges.h"
#include "edit/core/PaneText.h"

#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// A block's user state: Unread (-1), or the scanner's state at its end, plus Coloured when its
// colours are in place.
constexpr int Unread = -1;
constexpr int Coloured = 1 << 20;

int scannerState(int userState)
{
    return userState == Unread ? Unread : (userState & ~Coloured);
}

// An edit spanning more blocks than this (a new document, a large paste) is not read at once:
// the blocks from it on become unread and are read as they are shown.
constexpr int LargeEdit = 2000;

struct RoleColour {
    HtmlRole role;
    QColor colour;
};

const RoleColour Colours[] = {
    {HtmlRole::Tag, QColor(0x80, 0x00, 0x00)},
    {HtmlRole::AttributeName, QColor(0xC0, 0x00, 0x00)},
    {HtmlRole::AttributeValue, QColor(0x00, 0x00, 0xA0)},
    {HtmlRole::Comment, QColor(0x00, 0x64, 0x00)},
    {HtmlRole::CharacterReference, QColor(0xAF, 0x00, 0xDB)},
    {HtmlRole::Doctype, QColor(0x5C, 0x5C, 0x5C)},
    {HtmlRole::Script, QColor(0x79, 0x5E, 0x26)},
    {HtmlRole::Style, QColor(0x00, 0x60, 0x7A)},
    {HtmlRole::HiddenCharacter, hiddenCharacterFormat().foreground().color()},
};

// The colours of a line that shows an input method's composition (kept on the line's layout,
// counted in its positions): the composition keeps the formats the input method gave it, and
// the colours of the text after it move past it.
void keepComposition(const QTextLayout *layout, QList<QTextLayout::FormatRange> &ranges)
{
    const int at = layout->preeditAreaPosition(), length = int(layout->preeditAreaText().size());
    if (length == 0)
        return;
    QList<QTextLayout::FormatRange> kept;
    for (const QTextLayout::FormatRange &r : std::as_const(ranges)) {
        if (r.start >= at) {
            kept.append({r.start + length, r.length, r.format});
        } else if (r.start + r.length > at) {
            kept.append({r.start, at - r.start, r.format});
            kept.append({at + length, r.start + r.length - at, r.format});
        } else {
            kept.append(r);
        }
    }
    for (const QTextLayout::FormatRange &f : layout->formats())
        if (f.start >= at && f.start + f.length <= at + length)
            kept.append(f);
    ranges = kept;
}

} // namespace

QColor HtmlHighlighter::colourOf(HtmlRole role)
{
    for (const RoleColour &c : Colours)
        if (c.role == role)
            return c.colour;
    return Qt::black;
}

int HtmlHighlighter::stateAtEnd(const QTextBlock &block)
{
    return block.isValid() ? scannerState(block.userState()) : Unread;
}

QList<HtmlRole> HtmlHighlighter::roles()
{
    QList<HtmlRole> roles;
    for (const RoleColour &c : Colours)
        roles << c.role;
    return roles;
}

HtmlHighlighter::HtmlHighlighter(QTextDocument *document) : QSyntaxHighlighter(document)
{
    // The base class reads every block again after any change that spans them, a new document
    // included; this class decides itself what to read, so the base class's own reaction goes.
    const bool detached = disconnect(document, SIGNAL(contentsChange(int, int, int)), this,
                                     SLOT(_q_reformatBlocks(int, int, int)));
    if (!detached)
        qWarning("HtmlHighlighter: the base class's own reading could not be switched off");
    connect(document, &QTextDocument::contentsChange, this, &HtmlHighlighter::contentsChanged);
    longLineTimer_.setSingleShot(true);
    longLineTimer_.setInterval(300);
    connect(&longLineTimer_, &QTimer::timeout, this, &HtmlHighlighter::readPendingLongLines);
    for (const RoleColour &c : Colours)
        formats_[int(c.role)].setForeground(c.colour);
    formats_[int(HtmlRole::HiddenCharacter)] = hiddenCharacterFormat();
}

void HtmlHighlighter::readPendingLongLines()
{
    QScopedValueRollback<bool> guard(applying_, true);
    const QList<QTextCursor> pending = std::exchange(pendingLongLines_, {});
    for (const QTextCursor &c : pending)
        if (const QTextBlock block = c.block(); block.isValid())
            refresh(block, block.blockNumber());
}

void HtmlHighlighter::setTagColouring(bool on)
{
    if (on == tagColouring_)
        return;
    tagColouring_ = on;
    // Everything read so far is read again as it is shown.
    QScopedValueRollback<bool> guard(applying_, true);
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (b.userState() != Unread && (b.userState() & Coloured) && b.layout()
            && !b.layout()->formats().isEmpty()) {
            b.layout()->clearFormats();
            document()->markContentsDirty(b.position(), b.length());
        }
        b.setUserState(Unread);
    }
    showBlocks(first_, last_);
}

void HtmlHighlighter::showBlocks(int first, int last)
{
    first_ = qMax(0, first);
    last_ = last;
    QScopedValueRollback<bool> guard(applying_, true);
    for (QTextBlock b = document()->findBlockByNumber(first_); b.isValid() && b.blockNumber() <= last_;
         b = b.next()) {
        if (b.userState() == Unread || !(b.userState() & Coloured))
            refresh(b, b.blockNumber());
    }
}

void HtmlHighlighter::contentsChanged(int from, int removed, int added)
{
    if (applying_)
        return;
    QTextBlock first = document()->findBlock(from);
    QTextBlock last = document()->findBlock(from + added + (removed > 0 ? 1 : 0));
    if (!first.isValid())
        return;
    if (!last.isValid())
        last = document()->lastBlock();
    // A composition shown in a long line (reported as a change of the whole line) changes
    // nothing to read, and such a line has no colours to move.
    if (const CharacterChanges *changes = CharacterChanges::of(document());
        changes && !changes->current() && first.length() > LongLineLength)
        return;
    QScopedValueRollback<bool> guard(applying_, true);
    if (last.blockNumber() - first.blockNumber() > LargeEdit) {
        for (QTextBlock b = first; b.isValid() && b.userState() != Unread; b = b.next())
            b.setUserState(Unread);
        first.setUserState(Unread);
        return;  // the pane asks for what it shows when it paints
    }
    if (first == last && first.length() > LongLineLength && first.userState() != Unread) {
        // A keystroke in a long line: the line is read again for its end state once typing
        // pauses, not on every key; until then the lines below keep their colours.
        if (std::none_of(pendingLongLines_.begin(), pendingLongLines_.end(),
                         [&](const QTextCursor &c) { return c.block() == first; }))
            pendingLongLines_.append(QTextCursor(first));
        longLineTimer_.start();
        return;
    }
    // A keystroke: one block in view. Its colours are set on its layout here, before the
    // document lays the block out for the edit, so the block is laid out and painted once;
    // going through the base class would mark it changed again and repaint the whole view.
    if (first == last && first.blockNumber() >= first_ && first.blockNumber() <= last_
        && first.length() <= LongLineLength && first.layout()) {
        const int before = scannerState(first.userState());
        QList<HtmlSpan> spans;
        const int end = scanHtmlLine(first.text(), stateBefore(first), &spans);
        QList<QTextLayout::FormatRange> ranges;
        for (const HtmlSpan &span : spans)
            if (tagColouring_ || span.role == HtmlRole::HiddenCharacter)
                ranges.append({span.start, span.length, formats_[int(span.role)]});
        keepComposition(first.layout(), ranges);
        // Setting formats marks the block changed again, which widens the edit the document
        // reports and repaints the whole view: it is done only when there is something to set.
        if (!ranges.isEmpty() || !first.layout()->formats().isEmpty())
            first.layout()->setFormats(ranges);
        first.setUserState(end | Coloured);
        if (end != before && first.next().isValid())
            refresh(first.next(), first.next().blockNumber());
        return;
    }
    refresh(first, last.blockNumber());
}

// Reads the blocks from block to lastBlockNumber, and on while a block's end state changes.
void HtmlHighlighter::refresh(QTextBlock block, int lastBlockNumber)
{
    while (block.isValid()) {
        const int before = block.userState();
        if (block.length() > LongLineLength) {
            // Read for its state only, without the base class's per-character format list.
            const int state = scanHtmlLine(block.text(), stateBefore(block), nullptr);
            if (block.layout() && !block.layout()->formats().isEmpty()) {
                block.layout()->clearFormats();  // colours it had while it was short
                document()->markContentsDirty(block.position(), block.length());
            }
            block.setUserState(state | Coloured);  // as coloured as it will be
        } else {
            rehighlightBlock(block);  // goes on by itself while the end state changes
        }
        const bool changed = scannerState(block.userState()) != scannerState(before);
        if (block.blockNumber() >= lastBlockNumber && !changed)
            break;
        block = block.next();
    }
}

// The state the block starts in; reads unread blocks above it (for their state only) first.
int HtmlHighlighter::stateBefore(const QTextBlock &block)
{
    QTextBlock previous = block.previous();
    if (!previous.isValid())
        return HtmlState::Text;
    if (previous.userState() != Unread)
        return scannerState(previous.userState());
    QTextBlock b = previous;
    while (b.previous().isValid() && b.previous().userState() == Unread)
        b = b.previous();
    int state = b.previous().isValid() ? scannerState(b.previous().userState()) : HtmlState::Text;
    for (; b.isValid() && b != block; b = b.next()) {
        state = scanHtmlLine(b.text(), state, nullptr);
        b.setUserState(state);
    }
    return state;
}

void HtmlHighlighter::highlightBlock(const QString &text)
{
    const QTextBlock block = currentBlock();
    const int number = block.blockNumber();
    if (number > last_) {
        // Below what is shown: unread, and so is every block after it that was read before.
        if (currentBlockState() != Unread)
            for (QTextBlock b = block.next(); b.isValid() && b.userState() != Unread; b = b.next())
                b.setUserState(Unread);
        setCurrentBlockState(Unread);
        return;
    }
    const int start = stateBefore(block);
    if (number < first_) {
        setCurrentBlockState(scanHtmlLine(text, start, nullptr));
        return;
    }
    QList<HtmlSpan> spans;
    const int end = scanHtmlLine(text, start, &spans);
    for (const HtmlSpan &span : spans) {
        if (!tagColouring_ && span.role != HtmlRole::HiddenCharacter)
            continue;
        setFormat(span.start, span.length, formats_[int(span.role)]);
    }
    setCurrentBlockState(end | Coloured);
}
