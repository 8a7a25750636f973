#pragma once
// The editing pane: a plain-text box that never wraps, with the selection seen as SelStart,
// SelLength and SelText. Line breaks inside the pane are single characters ('\n' in Text()).
#include <QPlainTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <memory>
#include <vector>

class HtmlHighlighter;

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);

    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    void SetSelStart(int start);    // collapses the selection at start
    void SetSelLength(int length);  // selects length characters from SelStart
    void SetSelText(const QString &text);  // replaces the selection, caret after it
    int TextLength() const;
    // Replaces the characters [start, end) as one step of undo; the caret goes after the new text.
    void ReplaceRange(int start, int end, const QString &text);

    // A bar shown above the text (find and replace): the text area makes room for it while it
    // is visible.
    void SetTopPanel(QWidget *panel);

    // Tags in colour (stand-ins of hidden characters are marked either way).
    void SetSyntaxColouring(bool on);
    HtmlHighlighter *Highlighter() const { return highlighter_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

signals:
    // Fires for every change of the text, typed or assigned; formatting changes do not count.
    void Change();
    // Files were dropped on the pane (a dragged text is inserted as text instead).
    void FilesDropped(const QStringList &paths);

private:
    void placeTopPanel();
    void colourShownBlocks();
    void paintLongLines(QPaintEvent *event);
    static void keepShapesOfLongBlock(const QTextBlock &block);
    void drawLongBlock(QPainter &painter, const QTextBlock &block, const QPointF &offset,
                       const QList<QTextLayout::FormatRange> &selections, int cursorPosition);
    struct ShownPart;
    void drawLinePart(QPainter &painter, const QTextBlock &block, const QTextLine &line, ShownPart &part,
                      const QPointF &offset, qreal left, qreal right,
                      const QList<QTextLayout::FormatRange> &selections, int cursorPosition);

    // The part of a long line in view, laid out on its own (see paintEvent).
    struct ShownPart {
        int blockNumber = -1;
        int lineNumber = -1;
        int revision = -1;
        int length = -1;
        qreal lineWidth = -1;
        qreal left = 0;
        qreal right = 0;
        int from = 0;
        int to = 0;
        qreal x = 0;
        QTextLayout layout;
    };
    // One per line in view: a block of many megabytes is more than one line (Qt ends a line
    // before its width overflows).
    std::vector<std::unique_ptr<ShownPart>> shownParts_;
    QWidget *topPanel_ = nullptr;
    HtmlHighlighter *highlighter_ = nullptr;
    QTimer colourTimer_;
};

// Text with every kind of line break (CR LF, lone CR, LF, U+2028, U+2029) as the pane's one
// '\n', so a CR LF pair never turns into two lines and no stray CR is left in the document.
QString PaneLineBreaks(QString text);

// The local files a drag carries, if any.
QStringList LocalFiles(const QMimeData *mime);
