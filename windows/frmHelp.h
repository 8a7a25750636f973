#pragma once
// The tag help window: the list of 29 tags and the formatted help of the chosen one.
#include <QWidget>

class QListWidget;
class RichTextBox;

class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);

    QListWidget *List = nullptr;
    RichTextBox *Web2 = nullptr;
    qint32 ListWidth = 0;

    void List_Load(const QString &name);
    void List_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void FillTagList();
    void ArrangeHelpPanes();
    QString HelpText;
    int rowAtPress_ = -1;
};

// The one tag help window: created on first use, shown modeless; closing it unloads it.
frmHelp *showTagHelp();
frmHelp *tagHelpIfLoaded();
