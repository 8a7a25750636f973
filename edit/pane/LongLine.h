#pragma once
// The geometry of a line too long for the toolkit's text layout, which lays a line out whole
// after every change to it: a megabyte line would cost a tenth of a second per keystroke. Such a
// line is kept here in pieces of at most a thousand characters, each measured and drawn on its
// own, so a keystroke measures one piece again and a repaint draws only the pieces in view.
// A piece's x is the sum of the widths before it; tab stops count from each piece's start.
#include <QCache>
#include <QFont>
#include <QString>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextOption>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

class LongLine : public QTextBlockUserData {
public:
    // Reads the characters [from, to) of the line as it is now.
    using TextReader = std::function<QString(int from, int to)>;
    // The lines of one pane, for the pane's width.
    using Register = std::shared_ptr<std::vector<const LongLine *>>;

    LongLine(const QFont &font, const QTextOption &option, Register lines);
    ~LongLine() override;

    // The line measured again from its whole text.
    void reset(const QString &text);
    // The line after `removed` characters at `at` were replaced by `added` ones. False if the
    // change does not fit what is kept: the line must then be measured again.
    bool update(int at, int removed, int added, const TextReader &text);

    int length() const { return length_; }
    qreal width() const { return width_; }
    qreal height() const { return ascent_ + descent_; }
    // The x of the caret before the character at position, from the line's start.
    qreal xOf(int position, const TextReader &text) const;
    // The caret position nearest to x.
    int positionAt(qreal x, const TextReader &text) const;

    // An input method's composition shown in the line (not part of its text): at a position,
    // with formats from its own start, and its cursor (none drawn when negative).
    struct Composition {
        int at = -1;
        QString text;
        QList<QTextLayout::FormatRange> formats;
        int cursor = -1;
    };
    // The composition the toolkit keeps on block's own layout (its formats counted from the
    // line's start there), with cursor as its cursor.
    static Composition compositionOf(const QTextBlock &block, int cursor);
    // The composition's width up to its character upTo, in the line's font.
    qreal compositionX(const QString &composition, int upTo) const;

    // Draws the pieces that meet [left, right) (x from the line's start) with the line's top left
    // at origin; `selections` are ranges of the whole line; the caret is drawn at cursor unless
    // it is negative. A composition is drawn in the piece it stands in, the pieces after it
    // moved right by its width; its own cursor stands for the caret.
    void draw(QPainter &painter, const QPointF &origin, qreal left, qreal right,
              const QList<QTextLayout::FormatRange> &selections, int cursor, int cursorWidth,
              const TextReader &text, const Composition &composition) const;

    static qreal widest(const Register &lines);
    // Whether the pane keeps block in pieces: a line too long to colour.
    static bool isLong(const QTextBlock &block);
    // Reads block's characters as they are now.
    static TextReader readerOf(const QTextBlock &block);

    static constexpr int PieceCharacters = 1024;

private:
    struct Piece {
        int length = 0;
        qreal width = 0;
        qreal ascent = 0;
        qreal descent = 0;  // with the leading
        quint64 id = 0;
    };
    Piece measure(const QString &text) const;
    void addPieces(std::vector<Piece> &out, const QString &text) const;
    void sum() const;
    int pieceAt(int position) const;
    QTextLayout *laidOut(int piece, const TextReader &text) const;

    QFont font_;
    QTextOption option_;
    Register lines_;
    std::vector<Piece> pieces_;
    int length_ = 0;
    mutable std::vector<int> starts_;   // each piece's first character
    mutable std::vector<qreal> lefts_;  // each piece's x
    mutable bool summed_ = false;
    mutable qreal width_ = 0;
    mutable qreal ascent_ = 0;
    mutable qreal descent_ = 0;
    // The pieces laid out last (those in view, the caret's), each keyed by its id.
    mutable QCache<quint64, QTextLayout> layouts_{64};
    mutable quint64 nextId_ = 1;
};
