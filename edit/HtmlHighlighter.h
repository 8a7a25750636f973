#pragma once
// Colours HTML in the editing pane, lazily: only the blocks in the window the pane shows are
// coloured; blocks above it get their state (so what follows is read right) but no colours, and
// blocks below it are left unread until they are shown. Opening a large document therefore reads
// nothing, and an edit reads from the edited block down to the end of what is shown.
// The colours are layout formats: they never change the text, the clipboard or the file.
#include "edit/core/HtmlScanner.h"

#include <QColor>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

class HtmlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // document must still be empty.
    explicit HtmlHighlighter(QTextDocument *document);

    // Tags and the rest in colour, or only the stand-ins of hidden characters.
    void SetTagColouring(bool on);
    bool TagColouring() const { return tagColouring_; }

    // The blocks shown (with a margin); colours those of them not coloured yet.
    void ShowBlocks(int first, int last);

    // True while colours are being applied: the document reports that as a change of its
    // contents, which is no edit.
    bool Applying() const { return applying_; }

    // Lines longer than this are not coloured (their state is still read): a format for every
    // character of a megabyte line would cost more on each keystroke than the colour is worth.
    // The pane lays such lines out in pieces of its own.
    static constexpr int LongLine = 20000;

    static QColor ColourOf(HtmlRole role);
    // How a stand-in of a hidden character is marked, coloured or not, long line or not.
    static QTextCharFormat HiddenCharacterFormat();
    static QList<HtmlRole> Roles();

protected:
    void highlightBlock(const QString &text) override;

private:
    void contentsChanged(int from, int removed, int added);
    int stateBefore(const QTextBlock &block);
    void refresh(QTextBlock block, int lastBlockNumber);
    void readPendingLongLines();

    QTextCharFormat formats_[int(HtmlRole::HiddenCharacter) + 1];
    bool tagColouring_ = true;
    bool applying_ = false;
    QList<QTextCursor> pendingLongLines_;  // long lines edited since they were last read
    QTimer longLineTimer_;
    int first_ = 0;
    int last_ = -1;
};
