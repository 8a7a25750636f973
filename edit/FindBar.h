#pragma once
// The find and replace bar above the editing pane. It searches the pane's text as one string
// (edit/TextSearch), selects what it finds in the pane, and tells of a wrap round the text in
// its own label rather than in a message box.
#include "edit/core/TextSearch.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class TextBox;

class FindBar : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Find, Replace };

    // The bar of this pane, made on first use.
    static FindBar &of(TextBox *box);

    // Shows the bar, with the pane's selection (when it is on one line) as the text to find.
    void open(Mode mode);
    void closeBar();  // hides it and gives the focus back to the pane
    bool findNext(SearchDirection direction = SearchDirection::Forward);
    void replaceCurrent();
    qsizetype replaceAll();

    QLineEdit *findEdit() const { return findEdit_; }
    QLineEdit *replaceEdit() const { return replaceEdit_; }
    QCheckBox *caseOption() const { return matchCase_; }
    QString notice() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FindBar(TextBox *box);
    const QString &paneText();
    Qt::CaseSensitivity caseSensitivity() const;
    void setNotice(const QString &text);

    TextBox *box_;
    QLineEdit *findEdit_;
    QLineEdit *replaceEdit_;
    QCheckBox *matchCase_;
    QLabel *notice_;
    QWidget *replaceRow_;
    QString text_;  // the pane's text as last searched; cleared by every change of the pane
    bool textValid_ = false;
};
