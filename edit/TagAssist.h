#pragma once
// The pane's help while HTML is typed: "</" completes the end tag of the element open at the
// caret, a small list offers element and attribute names, and the tag at the caret and its
// partner are marked. Someone who types every character gets what they type: the characters of
// a completed end tag typed next are taken as typed already, and another name typed replaces
// the rest of the completion. The list never takes a key it does not use (Up, Down, Enter, Tab,
// Esc), and opens only on a key typed outside comments, <script> and <style>, never while an
// input method composes. What to offer is worked out in edit/core/TypingAids on the lines around the
// caret; a line too long to colour is read only as far as it is drawn.
#include "edit/core/TypingAids.h"
#include "edit/pane/PaneKeyAid.h"

#include <QObject>
#include <QTimer>

class QKeyEvent;
class QListWidget;
class QTextBlock;
class TextBox;

class TagAssist : public QObject, public PaneKeyAid {
    Q_OBJECT
public:
    // The pane's aids, made on first use.
    static TagAssist &of(TextBox &pane);

    // Closing and completion; the mark of the matching tag stays either way.
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

    // Before the pane handles a key: true when the open list, or a completed end tag being
    // typed over, used it.
    bool takeKey(QKeyEvent *event) override;
    // After the pane typed it.
    void keyHandled(QKeyEvent *event) override;

    // The entry of the tag help list (entries in list order) for the tag at the caret, or -1.
    int helpEntryAtCaret(const QStringList &entries) const;

    QListWidget *list() const { return list_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TagAssist(TextBox *pane);
    // The text around a position: whole lines from `back` characters before it to `ahead`
    // after it, not into a long line, and of a long line only what is drawn.
    struct Piece {
        QString text;
        int start = 0;  // its position in the document
        int state = 0;  // the scanner's state at its start
    };
    Piece pieceAround(int position, int back, int ahead) const;
    Piece drawnPart(const QTextBlock &block, int position) const;
    bool composing() const;

    void offerNames();
    void accept();
    void hideList();
    QString typedName() const;
    void placeList();
    void markMatchingTag();
    void edit(const Piece &piece, const TextEdit &e);
    bool typeOver(QKeyEvent *event);

    TextBox *pane_;
    QListWidget *list_;
    bool enabled_ = true;
    NameCompletion completion_;  // what the list offers, at document positions
    std::optional<TypingAids::TagPair> marked_;
    // A completed end tag not yet typed over: the characters [start, start + expected.size())
    // before the caret, of which the first `inserted` came from the completion.
    struct Echo {
        int start = -1;
        QString expected;
        int inserted = 0;
        int typed = 0;
        int revision = -1;
    } echo_;
    QTimer markTimer_;
};
