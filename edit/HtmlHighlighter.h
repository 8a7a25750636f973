#pragma once
// Colours HTML in the editing pane, lazily: only the blocks in the window the pane shows are
// coloured; blocks above it get their state (so what follows is read right) but no colours, and
// blocks below it are left unread until they are shown. Opening a large document therefore reads
// nothing, and an edit reads from the edited block down to the end of what is shown.
// The colours are layout formats: they never change the text, the clipboard or the file.
#include "edit/core/HtmlScanner.h"
#include "edit/core/PaneColouring.h"

#include <QColor>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

class HtmlHighlighter : public QSyntaxHighlighter, public PaneColouring {
    Q_OBJECT
public:
    // document must still be empty.
    explicit HtmlHighlighter(QTextDocument *document);

    void setTagColouring(bool on) override;
    bool tagColouring() const { return tagColouring_; }
    void showBlocks(int first, int last) override;
    bool applying() const override { return applying_; }

    // The scanner's state at the end of block; -1 while the block is unread (or invalid).
    static int stateAtEnd(const QTextBlock &block);

    static QColor colourOf(HtmlRole role);
    static QList<HtmlRole> roles();

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
