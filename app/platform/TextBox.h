#pragma once
// The editing pane: a plain-text box that never wraps, with the selection seen as SelStart,
// SelLength and SelText. Line breaks inside the pane are single characters ('\n' in Text()).
#include <QPlainTextEdit>

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

signals:
    // Fires for every change of the text, typed or assigned; formatting changes do not count.
    void Change();
};

// Text with every kind of line break (CR LF, lone CR, LF, U+2028, U+2029) as the pane's one
// '\n', so a CR LF pair never turns into two lines and no stray CR is left in the document.
QString PaneLineBreaks(QString text);
