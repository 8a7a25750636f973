#include "windows/frmHelp.h"

#include "app/core/AppInfo.h"
#include "app/platform/Paths.h"
#include "windows/core/Twips.h"
#include "windows/core/HelpFile.h"
#include "windows/RichTextBox.h"
#include "windows/SingleWindow.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>

namespace {
SingleWindow<frmHelp> g_help;
}

frmHelp::frmHelp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Help"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tavro.png")));
    resize(twipsToPixels(8850), twipsToPixels(6990));

    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setSortingEnabled(false);
    List->setFont(designFont(11.25));

    Web2 = new RichTextBox(this);
    Web2->setObjectName(QStringLiteral("Web2"));
    setTabOrder(List, Web2);

    connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            List_Click();
    });
    // A click on the entry already chosen shows its file again.
    List->viewport()->installEventFilter(this);
    connect(List, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (List->row(item) == rowAtPress_)
            List_Click();
    });

    Form_Load();
}

void frmHelp::Form_Load()
{
    FillTagList();
    // No entry is chosen until the user chooses one: without an explicit "none", the list would
    // make its first entry current when it first gets the focus, and show that entry's file.
    List->setCurrentIndex(QModelIndex());
    ArrangeHelpPanes();
}

void frmHelp::FillTagList()
{
    for (const QString &entry : tagHelpEntries())
        List->addItem(entry);
}

void frmHelp::ArrangeHelpPanes()
{
    const int w = width();
    const int h = height();
    ListWidth = helpListWidth(w);
    List->setGeometry(0, 0, ListWidth, h);
    Web2->setGeometry(ListWidth, 0, w - ListWidth, h);
}

void frmHelp::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeHelpPanes();
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == List->viewport() && event->type() == QEvent::MouseButtonPress)
        rowAtPress_ = List->currentRow();
    return QWidget::eventFilter(watched, event);
}

void frmHelp::List_Click()
{
    List_Load(QString::number(qint16(List->currentRow())));
}

void frmHelp::List_Load(const QString &name)
{
    HelpText.clear();
    Web2->setTextRTF(QString());  // nothing of the previous file stays, whatever happens next
    // Help files live with the program's data, never in whatever folder is current.
    const QString path = QDir(helpFolder()).filePath(name + QStringLiteral(".rtf"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Web2->setPlainText(QStringLiteral("ヘルプファイル「%1」を開けません。\n%2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Web2->setPlainText(QStringLiteral("ヘルプファイル「%1」を読み込めません。\n%2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    HelpText = helpTextFromBytes(bytes);
    Web2->setTextRTF(HelpText);
}

frmHelp *showTagHelp()
{
    frmHelp &help = g_help.get();
    help.show();
    help.raise();
    help.activateWindow();
    return &help;
}

frmHelp *tagHelpIfLoaded()
{
    return g_help.ifLoaded();
}
