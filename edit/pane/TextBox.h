#pragma once
// The editing pane: a plain-text box that never wraps, with the selection seen as SelStart,
// SelLength and SelText. Line breaks inside the pane are single characters ('\n' in Text()).
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <functional>

class PaneColouring;
class PaneKeyAid;
class PaneLayout;

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    QString Text() const;
    void SetText(const QString &text);

    int SelStart() const;
    int SelLength() const;
    QString SelText() const;
    void setSelStart(int start);    // collapses the selection at start
    void setSelLength(int length);  // selects length characters from SelStart
    void setSelText(const QString &text);  // replaces the selection, caret after it
    int textLength() const;
    // Replaces the characters [start, end) as one step of undo; the caret goes after the new text.
    void replaceRange(int start, int end, const QString &text);

    // A bar shown above the text (find and replace): the text area makes room for it while it
    // is visible.
    void setTopPanel(QWidget *panel);

    // What colours the text, set while the pane is still empty; the pane tells it which lines
    // are shown. Tags in colour or not (stand-ins of hidden characters are marked either way).
    void setColouring(PaneColouring *colouring);
    void setSyntaxColouring(bool on);

    // Whether the whole of block is in view, with a pixel to spare.
    bool lineInView(const QTextBlock &block) const;
    // The x of the cursor of an input method's composition in block, a long line, from the
    // composition's start; 0 without one.
    qreal compositionX(const QTextBlock &block) const;

    // A helper that sees every key before and after the pane handles it (the typing aids).
    void setKeyAid(PaneKeyAid *aid);
    // The first and last character positions of block that are drawn; -1, -1 out of view.
    std::pair<int, int> drawnCharacters(const QTextBlock &block) const;
    // After an edit made with a cursor of its own at the caret: the caret shown where it went,
    // without laying a long line out whole.
    void showCaretAfterEdit();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

signals:
    // Fires for every change of the text, typed or assigned, with the characters removed and
    // added at from; formatting changes and an input method's composition do not count.
    void Change(int from, int removed, int added);
    // Files were dropped on the pane (a dragged text is inserted as text instead).
    void filesDropped(const QStringList &paths);

private:
    void placeTopPanel();
    void colourShownBlocks();
    void paintLongLines(QPaintEvent *event);
    QRect caretBand() const;
    int positionAt(const QPoint &point) const;
    // The first block in view, from the top down, for which found(block, its top in the view,
    // its height) holds; an invalid block if none does.
    QTextBlock findInView(const std::function<bool(const QTextBlock &, qreal, qreal)> &found) const;
    qreal caretX(const QTextCursor &cursor) const;
    void placeCaretAtX(const QTextBlock &target, qreal x, bool select);
    void typeKey(QKeyEvent *event);
    bool editLongLine(QKeyEvent *event);
    void showCaret();
    // Ends an input method's composition before a click moves the caret, as the toolkit does:
    // the input method commits it, or it is dropped. False if there was none.
    bool endComposition();

    PaneLayout *layout_ = nullptr;
    QWidget *topPanel_ = nullptr;
    PaneColouring *colouring_ = nullptr;
    PaneKeyAid *keyAid_ = nullptr;
    QTimer colourTimer_;
    bool draggingInLongLine_ = false;
    enum class EditKind { None, Typing, Backspace, Delete };
    struct LastEdit {
        EditKind kind = EditKind::None;
        int position = -1;
        int undoSteps = -1;
        int revision = -1;
    } lastEdit_;  // the last edit made in a long line, for what may join its step of undo
    qreal verticalX_ = -1;  // the x kept through lines up and down; -1 when the caret moved else
    QElapsedTimer caretHeld_;  // since the last keystroke in a long line
    QObject *control_ = nullptr;
    bool caretOn_ = true;  // the blink of a long line's caret
    QElapsedTimer doubleClicked_;
    int compositionCursor_ = 0;  // the composition's cursor, as the input method last placed it
    bool compositionCursorHidden_ = false;
};

// The local files a drag carries, if any.
QStringList localFiles(const QMimeData *mime);
