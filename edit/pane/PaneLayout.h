#pragma once
// The editing pane's document layout. Long lines get their geometry from LongLine and are never
// laid out whole, except the caret's line while it is out of view: the base view then asks the
// toolkit's own layout of it where the caret is, to scroll to it.
#include "edit/pane/LongLine.h"

#include <QPlainTextDocumentLayout>
#include <QTextCursor>

#include <memory>
#include <vector>

class TextBox;

// The base class also reads a change as reaching as far as the characters removed and added
// together, so a change of n characters within one line (colours set on a typed line, a word
// replaced) seems to reach into the lines below, and the whole view is laid out and painted
// again. Such a change is passed on as the one line it is.
class PaneLayout : public QPlainTextDocumentLayout {
public:
    PaneLayout(QTextDocument *doc, const TextBox *view);
    void detachView() { view_ = nullptr; }

    // The pieces of a long line, measured when first asked or after a change they do not fit.
    LongLine *lineOf(const QTextBlock &block) const;
    // The whole line within the view, with a pixel to spare: where the view does not look for
    // the caret in the line's own layout.
    bool lineInView(const QTextBlock &block) const;

    QRectF blockBoundingRect(const QTextBlock &block) const override;
    QSizeF documentSize() const override;

protected:
    void documentChanged(int from, int removed, int added) override;

private:
    // The base class compares an edited line's rectangle before and after it lays the line out
    // again, and repaints only that line when its height stays. Colours set on the line drop its
    // old lines, and the rectangle "before" would then cost a second layout of the line: it is
    // kept here from before the colours are set.
    void noteLineBefore(int from);

    // The line being edited keeps its shaped glyphs: its layout, the caret's place in it and its
    // repaint would otherwise each shape the line again after every key. Only that line, and only
    // a short one: a line given up is laid out again later without them, which lets them go.
    void keepGlyphsOf(const QTextBlock &block);

    // The toolkit's own layout of the whole line, in one line as the line is drawn.
    void layOutWhole(const QTextBlock &block) const;

    const TextBox *view_;
    LongLine::Register lines_ = std::make_shared<std::vector<const LongLine *>>();
    int blockCount_ = -1;  // as of the last change seen; unknown before the first
    mutable bool measuringView_ = false;
    bool changing_ = false;
    QTextBlock edited_;
    QRectF editedBefore_;
    QTextCursor glyphsKept_;  // at the line that keeps its glyphs, following edits
};

