#include "edit/pane/PaneLayout.h"

#include "edit/pane/TextBox.h"
#include "edit/core/CharacterChanges.h"

#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTextDocument>

#include <algorithm>

PaneLayout::PaneLayout(QTextDocument *doc, const TextBox *view)
    : QPlainTextDocumentLayout(doc), view_(view)
{
    // Connected before the colours are, so it sees the line before they are set.
    connect(doc, &QTextDocument::contentsChange, this, &PaneLayout::noteLineBefore);
}

LongLine *PaneLayout::lineOf(const QTextBlock &block) const
{
    auto *line = dynamic_cast<LongLine *>(block.userData());
    if (!line || line->length() != block.length() - 1) {
        line = new LongLine(document()->defaultFont(), document()->defaultTextOption(), lines_);
        line->reset(block.text());
        QTextBlock(block).setUserData(line);  // the block owns it and drops the old one
    }
    return line;
}

QRectF PaneLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!LongLine::isLong(block)) {
        if (changing_ && block == edited_ && block.layout()->lineCount() == 0)
            return editedBefore_;
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }
    if (!block.isVisible())
        return QRectF();
    const LongLine *line = lineOf(block);
    const qreal margin = document()->documentMargin();
    QRectF r(0, 0, line->width() + 2 * margin, line->height());
    if (!block.next().isValid())
        r.adjust(0, 0, 0, margin);
    if (view_ && !measuringView_ && block.contains(view_->textCursor().position())) {
        QTextLayout *own = block.layout();
        if (own->lineCount() == 0 && !lineInView(block))
            layOutWhole(block);
        // The view takes a line without a layout of its own as having the caret at the left
        // of its rectangle: the rectangle is placed there.
        if (own->lineCount() == 0)
            r.moveLeft(margin + line->xOf(view_->textCursor().position() - block.position(), LongLine::readerOf(block))
                       + view_->compositionX(block));
    }
    return r;
}

QSizeF PaneLayout::documentSize() const
{
    const QSizeF size = QPlainTextDocumentLayout::documentSize();
    qreal widest = LongLine::widest(lines_);
    // A composition at the end of a long line reaches past it, and is scrolled to.
    if (view_ && !lines_->empty()) {
        const QTextBlock block = view_->textCursor().block();
        const QString composition = LongLine::isLong(block) ? block.layout()->preeditAreaText() : QString();
        if (!composition.isEmpty())
            widest = std::max(widest, lineOf(block)->width() + lineOf(block)->compositionX(composition, int(composition.size())));
    }
    return {std::max(size.width(), widest + 2 * document()->documentMargin()), size.height()};
}

void PaneLayout::documentChanged(int from, int removed, int added)
{
    QScopedValueRollback<bool> guard(changing_, true);
    const auto forget = qScopeGuard([this] { edited_ = {}; });
    QTextDocument *doc = document();
    const QTextBlock block = doc->findBlock(from);
    // An input method's composition in a long line changes how it is shown, not what it holds:
    // nothing is measured again, the composition is drawn with the line.
    if (const CharacterChanges *changes = CharacterChanges::of(doc);
        changes && !changes->current() && LongLine::isLong(block) && doc->blockCount() == blockCount_) {
        emit updateBlock(block);
        emit documentSizeChanged(documentSize());
        return;
    }
    const bool oneBlock = doc->blockCount() == blockCount_ && block.isValid()
                          && from + added <= block.position() + block.length() - 1;
    if (oneBlock && LongLine::isLong(block)) {
        const qreal widthBefore = LongLine::widest(lines_);
        auto *line = dynamic_cast<LongLine *>(block.userData());
        // A new text, or a large part of one, is measured again from the whole line at once.
        if (!line || line->length() + added - removed != block.length() - 1
            || added > 16 * LongLine::PieceCharacters
            || !line->update(from - block.position(), removed, added, LongLine::readerOf(block)))
            QTextBlock(block).setUserData(nullptr);  // measured again when next asked
        lineOf(block);
        emit updateBlock(block);
        if (LongLine::widest(lines_) != widthBefore)
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

bool PaneLayout::lineInView(const QTextBlock &block) const
{
    QScopedValueRollback<bool> guard(measuringView_, true);
    return view_ && view_->lineInView(block);
}

void PaneLayout::noteLineBefore(int from)
{
    edited_ = document()->findBlock(from);
    keepGlyphsOf(edited_);
    if (edited_.isValid() && !LongLine::isLong(edited_) && edited_.layout()->lineCount() > 0)
        editedBefore_ = QPlainTextDocumentLayout::blockBoundingRect(edited_);
    else
        edited_ = {};
}

void PaneLayout::keepGlyphsOf(const QTextBlock &block)
{
    const bool keep = block.isValid() && !LongLine::isLong(block);
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
                if (b.isValid() && !LongLine::isLong(b) && !b.layout()->cacheEnabled())
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

void PaneLayout::layOutWhole(const QTextBlock &block) const
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
