#include "edit/pane/LongLine.h"

#include "edit/core/PaneText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

namespace {
// Stand-ins of hidden characters are marked in the long line as in any other.
QList<QTextLayout::FormatRange> hiddenMarks(const QString &text)
{
    QList<QTextLayout::FormatRange> marks;
    for (int i = 0; i < text.size(); ++i)
        if (isHiddenStandIn(text[i]))
            marks.append({i, 1, hiddenCharacterFormat()});
    return marks;
}
}

bool LongLine::isLong(const QTextBlock &block)
{
    return block.isValid() && block.length() > LongLineLength;
}

LongLine::TextReader LongLine::readerOf(const QTextBlock &block)
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

LongLine::LongLine(const QFont &font, const QTextOption &option, Register lines)
    : font_(font), option_(option), lines_(std::move(lines))
{
    // Glyphs placed by their advances alone, without the kerning pass, as the whole line was.
    font_.setStyleStrategy(QFont::StyleStrategy(font_.styleStrategy() | QFont::PreferNoShaping));
    option_.setWrapMode(QTextOption::NoWrap);
    if (lines_)
        lines_->push_back(this);
}

LongLine::~LongLine()
{
    if (lines_)
        lines_->erase(std::remove(lines_->begin(), lines_->end(), this), lines_->end());
}

qreal LongLine::widest(const Register &lines)
{
    qreal widest = 0;
    if (lines)
        for (const LongLine *line : *lines)
            widest = std::max(widest, line->width());
    return widest;
}

LongLine::Piece LongLine::measure(const QString &text) const
{
    auto *layout = new QTextLayout(text, font_);
    layout->setTextOption(option_);
    layout->setFormats(hiddenMarks(text));
    layout->setCacheEnabled(true);  // drawn again on every blink of the caret
    layout->beginLayout();
    QTextLine line = layout->createLine();
    Piece piece;
    if (line.isValid()) {
        line.setLeadingIncluded(true);
        line.setNumColumns(int(text.size()));
        piece.width = line.naturalTextWidth();
        piece.ascent = line.ascent();
        piece.descent = line.height() - line.ascent();
    } else {
        const QFontMetricsF metrics(font_);
        piece.ascent = metrics.ascent();
        piece.descent = metrics.lineSpacing() - metrics.ascent();
    }
    layout->endLayout();
    piece.length = int(text.size());
    piece.id = nextId_++;
    layouts_.insert(piece.id, layout);
    return piece;
}

void LongLine::addPieces(std::vector<Piece> &out, const QString &text) const
{
    const int length = int(text.size());
    const int count = std::max(1, (length + PieceCharacters - 1) / PieceCharacters);
    int from = 0;
    for (int i = 1; i <= count; ++i) {
        int to = int(qint64(length) * i / count);
        if (to < length && to > from && text[to - 1].isHighSurrogate())
            ++to;  // a character's two halves stay in one piece
        if (to > from || (out.empty() && i == count))
            out.push_back(measure(text.mid(from, to - from)));
        from = to;
    }
}

void LongLine::reset(const QString &text)
{
    layouts_.clear();
    pieces_.clear();
    addPieces(pieces_, text);
    length_ = int(text.size());
    summed_ = false;
    sum();
}

bool LongLine::update(int at, int removed, int added, const TextReader &text)
{
    if (at < 0 || removed < 0 || added < 0 || at + removed > length_ || pieces_.empty())
        return false;
    sum();
    // From the piece holding the change's start to the one holding its last removed character.
    const int first = pieceAt(at);
    const int last = removed > 0 ? pieceAt(at + removed - 1) : first;
    const int from = starts_[first];
    const int to = starts_[last] + pieces_[last].length + added - removed;
    const QString changed = text(from, to);
    if (changed.size() != to - from)
        return false;
    std::vector<Piece> replacement;
    addPieces(replacement, changed);
    for (int i = first; i <= last; ++i)
        layouts_.remove(pieces_[i].id);
    pieces_.erase(pieces_.begin() + first, pieces_.begin() + last + 1);
    pieces_.insert(pieces_.begin() + first, replacement.begin(), replacement.end());
    length_ += added - removed;
    summed_ = false;
    sum();
    return true;
}

void LongLine::sum() const
{
    if (summed_)
        return;
    starts_.resize(pieces_.size());
    lefts_.resize(pieces_.size());
    int start = 0;
    qreal left = 0;
    ascent_ = descent_ = 0;
    for (size_t i = 0; i < pieces_.size(); ++i) {
        starts_[i] = start;
        lefts_[i] = left;
        start += pieces_[i].length;
        left += pieces_[i].width;
        ascent_ = std::max(ascent_, pieces_[i].ascent);
        descent_ = std::max(descent_, pieces_[i].descent);
    }
    width_ = left;
    summed_ = true;
}

int LongLine::pieceAt(int position) const
{
    sum();
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), position);
    return std::max(0, int(after - starts_.begin()) - 1);
}

QTextLayout *LongLine::laidOut(int piece, const TextReader &text) const
{
    if (QTextLayout *layout = layouts_.object(pieces_[piece].id))
        return layout;
    // Measured again from the same characters: the same width as before.
    Piece again = measure(text(starts_[piece], starts_[piece] + pieces_[piece].length));
    QTextLayout *layout = layouts_.take(again.id);
    layouts_.insert(pieces_[piece].id, layout);
    return layout;
}

qreal LongLine::xOf(int position, const TextReader &text) const
{
    if (pieces_.empty())
        return 0;
    const int piece = pieceAt(position);
    const QTextLine line = laidOut(piece, text)->lineAt(0);
    return lefts_[piece] + (line.isValid() ? line.cursorToX(position - starts_[piece]) : 0);
}

int LongLine::positionAt(qreal x, const TextReader &text) const
{
    if (pieces_.empty())
        return 0;
    sum();
    const auto after = std::upper_bound(lefts_.begin(), lefts_.end(), x);
    const int piece = std::max(0, int(after - lefts_.begin()) - 1);
    const QTextLine line = laidOut(piece, text)->lineAt(0);
    return starts_[piece] + (line.isValid() ? line.xToCursor(x - lefts_[piece]) : 0);
}

LongLine::Composition LongLine::compositionOf(const QTextBlock &block, int cursor)
{
    Composition composition;
    const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    if (!layout || layout->preeditAreaText().isEmpty())
        return composition;
    composition.at = layout->preeditAreaPosition();
    composition.text = layout->preeditAreaText();
    composition.cursor = cursor;
    const int end = composition.at + int(composition.text.size());
    for (const QTextLayout::FormatRange &f : layout->formats()) {
        const int from = std::max(f.start, composition.at), to = std::min(f.start + f.length, end);
        if (to > from)
            composition.formats.append({from - composition.at, to - from, f.format});
    }
    return composition;
}

qreal LongLine::compositionX(const QString &composition, int upTo) const
{
    QTextLayout layout(composition, font_);
    layout.setTextOption(option_);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.isValid() ? line.cursorToX(std::clamp(upTo, 0, int(composition.size()))) : 0;
}

void LongLine::draw(QPainter &painter, const QPointF &origin, qreal left, qreal right,
                    const QList<QTextLayout::FormatRange> &selections, int cursor, int cursorWidth,
                    const TextReader &text, const Composition &composition) const
{
    if (pieces_.empty())
        return;
    sum();
    const int lastPiece = int(pieces_.size()) - 1;
    const bool composing = composition.at >= 0 && composition.at <= length_ && !composition.text.isEmpty();
    const int composedIn = composing ? pieceAt(composition.at) : -1;
    const int composedLength = composing ? int(composition.text.size()) : 0;
    // The piece that holds the composition is laid out with it, for this drawing only; the
    // pieces after it stand its width further right.
    std::unique_ptr<QTextLayout> composed;
    qreal shift = 0;
    if (composing) {
        const int start = starts_[composedIn], at = composition.at - start;
        composed = std::make_unique<QTextLayout>(text(start, start + pieces_[composedIn].length), font_);
        composed->setTextOption(option_);
        composed->setPreeditArea(at, composition.text);
        // Formats count the composition's characters in: the line's own ones after it move on.
        QList<QTextLayout::FormatRange> formats;
        for (QTextLayout::FormatRange f : hiddenMarks(composed->text())) {
            if (f.start >= at)
                f.start += composedLength;
            formats.append(f);
        }
        for (QTextLayout::FormatRange f : composition.formats) {
            f.start += at;
            formats.append(f);
        }
        composed->setFormats(formats);
        composed->beginLayout();
        QTextLine line = composed->createLine();
        if (line.isValid()) {
            line.setLeadingIncluded(true);
            line.setNumColumns(int(composed->text().size()) + composedLength);
        }
        composed->endLayout();
        if (line.isValid())
            shift = line.naturalTextWidth() - pieces_[composedIn].width;
    }
    auto leftOf = [&](int i) { return lefts_[i] + (i > composedIn && composing ? shift : 0); };
    const auto after = std::upper_bound(lefts_.begin(), lefts_.end(), left - std::max<qreal>(0, shift));
    for (int i = std::max(0, int(after - lefts_.begin()) - 1); i <= lastPiece && leftOf(i) < right; ++i) {
        const int start = starts_[i];
        const int end = start + pieces_[i].length;
        const bool withComposition = i == composedIn;
        const int at = composition.at - start;
        QList<QTextLayout::FormatRange> shown;
        for (const QTextLayout::FormatRange &s : selections) {
            int a = std::max(s.start, start) - start, b = std::min(s.start + s.length, end) - start;
            if (b <= a)
                continue;
            if (withComposition && a >= at)
                a += composedLength;
            if (withComposition && b > at)
                b += composedLength;
            shown.append({a, b - a, s.format});
        }
        QTextLayout *layout = withComposition ? composed.get() : laidOut(i, text);
        // Pieces in other fonts (a fallback for some characters) share the line's baseline.
        const QPointF place = origin + QPointF(leftOf(i), ascent_ - pieces_[i].ascent);
        layout->draw(&painter, place, shown);
        if (composing) {
            if (withComposition && composition.cursor >= 0)
                layout->drawCursor(&painter, place, at + std::min(composition.cursor, composedLength), cursorWidth);
        } else if (cursor >= start && (cursor < end || i == lastPiece)) {
            layout->drawCursor(&painter, place, cursor - start, cursorWidth);
        }
    }
}
