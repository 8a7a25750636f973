#include "edit/FindBar.h"

#include "edit/pane/TextBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

namespace {
// Past this many characters a replace all may take a while: it says so before it starts.
constexpr qsizetype LargeText = 2'000'000;
}

FindBar &FindBar::of(TextBox *box)
{
    if (auto *bar = box->findChild<FindBar *>(QString(), Qt::FindDirectChildrenOnly))
        return *bar;
    auto *bar = new FindBar(box);
    box->setTopPanel(bar);
    return *bar;
}

FindBar::FindBar(TextBox *box) : QWidget(box), box_(box)
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("FindText"));
    replaceEdit_ = new QLineEdit(this);
    replaceEdit_->setObjectName(QStringLiteral("ReplaceText"));
    matchCase_ = new QCheckBox(QStringLiteral("大文字と小文字を区別"), this);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("FindNotice"));
    // Tool buttons and narrow texts: the bar fits the pane in the half-and-half layout.
    auto button = [this](const QString &text, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        return b;
    };
    auto *next = button(QStringLiteral("次を検索"), QStringLiteral("次を検索 (Enter, F3)"));
    auto *previous = button(QStringLiteral("前を検索"), QStringLiteral("前を検索 (Shift+Enter, Shift+F3)"));
    auto *replace = button(QStringLiteral("置換"), QStringLiteral("見つけた文字列を置換して次を検索"));
    auto *replaceAll = button(QStringLiteral("すべて置換"), QStringLiteral("すべて置換 (元に戻すで一度に戻せます)"));
    auto *close = button(QStringLiteral("×"), QStringLiteral("閉じる (Esc)"));
    findEdit_->setMinimumWidth(60);
    replaceEdit_->setMinimumWidth(60);
    // A long notice is cut rather than widening the bar.
    notice_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QWidget *w : {static_cast<QWidget *>(next), static_cast<QWidget *>(previous),
                       static_cast<QWidget *>(replace), static_cast<QWidget *>(replaceAll),
                       static_cast<QWidget *>(close), static_cast<QWidget *>(matchCase_)})
        w->setFocusPolicy(Qt::NoFocus);  // Tab moves between the two texts only

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("検索:"), this), 0, 0);
    grid->addWidget(findEdit_, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(previous, 0, 3);
    grid->addWidget(close, 0, 4);
    replaceRow_ = new QWidget(this);
    auto *row = new QHBoxLayout(replaceRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("置換後:"), replaceRow_));
    row->addWidget(replaceEdit_, 1);
    row->addWidget(replace);
    row->addWidget(replaceAll);
    grid->addWidget(replaceRow_, 1, 0, 1, 5);
    auto *options = new QHBoxLayout;
    options->addWidget(matchCase_);
    options->addWidget(notice_, 1);
    grid->addLayout(options, 2, 0, 1, 5);
    grid->setColumnStretch(1, 1);

    connect(next, &QToolButton::clicked, this, [this] { findNext(SearchDirection::Forward); });
    connect(previous, &QToolButton::clicked, this, [this] { findNext(SearchDirection::Backward); });
    connect(replace, &QToolButton::clicked, this, &FindBar::replaceCurrent);
    connect(replaceAll, &QToolButton::clicked, this, &FindBar::replaceAll);
    connect(close, &QToolButton::clicked, this, &FindBar::closeBar);
    connect(findEdit_, &QLineEdit::textEdited, this, [this] { setNotice(QString()); });
    connect(box_, &TextBox::Change, this, [this] {
        textValid_ = false;
        text_.clear();  // a big document's copy is not kept beside it
    });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &FindBar::closeBar);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    findEdit_->installEventFilter(this);
    replaceEdit_->installEventFilter(this);
    // Made after the main window's own filter, so this one sees the keys first: the editing keys
    // typed in the bar's texts (Ctrl+C, Ctrl+V, Ctrl+Z, ...) edit those texts, not the page.
    qApp->installEventFilter(this);
    hide();
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && (watched == findEdit_ || watched == replaceEdit_)) {
        auto *ke = static_cast<QKeyEvent *>(event);
        for (auto key : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::Undo,
                         QKeySequence::Redo, QKeySequence::SelectAll, QKeySequence::Delete}) {
            if (ke->matches(key)) {
                event->accept();
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress && (watched == findEdit_ || watched == replaceEdit_)) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_Escape) {
            closeBar();
            return true;
        }
        // Tab moves between the bar's texts (nothing else in it takes the focus). Let through,
        // it would reach the pane, which has no use for Tab as a move and would type it over
        // the match.
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            if (replaceRow_->isVisible())
                (watched == findEdit_ ? replaceEdit_ : findEdit_)->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            if (watched == replaceEdit_)
                replaceCurrent();
            else
                findNext(ke->modifiers() & Qt::ShiftModifier ? SearchDirection::Backward
                                                             : SearchDirection::Forward);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::open(Mode mode)
{
    const QString selected = box_->SelText();
    if (!selected.isEmpty() && !selected.contains(QLatin1Char('\n')))
        findEdit_->setText(selected);
    replaceRow_->setVisible(mode == Mode::Replace);
    setNotice(QString());
    show();
    box_->setTopPanel(this);  // its height depends on the rows shown
    findEdit_->setFocus();
    findEdit_->selectAll();
}

void FindBar::closeBar()
{
    hide();
    box_->setTopPanel(this);
    box_->setFocus();
}

QString FindBar::notice() const
{
    return notice_->text();
}

void FindBar::setNotice(const QString &text)
{
    notice_->setText(text);
}

Qt::CaseSensitivity FindBar::caseSensitivity() const
{
    return matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

const QString &FindBar::paneText()
{
    if (!textValid_) {
        text_ = box_->Text();
        textValid_ = true;
    }
    return text_;
}

bool FindBar::findNext(SearchDirection direction)
{
    const QString needle = findEdit_->text();
    if (needle.isEmpty()) {
        open(replaceRow_->isVisible() ? Mode::Replace : Mode::Find);
        return false;
    }
    const int selStart = box_->SelStart();
    const SearchHit hit = findInText(paneText(), needle, selStart, selStart + box_->SelLength(), direction,
                                     caseSensitivity());
    if (!hit.found()) {
        setNotice(QStringLiteral("「%1」は見つかりません。").arg(needle));
        return false;
    }
    box_->setSelStart(int(hit.start));
    box_->setSelLength(int(needle.size()));
    if (hit.wrapped)
        setNotice(direction == SearchDirection::Forward ? QStringLiteral("末尾まで検索したので、先頭から検索しました。")
                                                        : QStringLiteral("先頭まで検索したので、末尾から検索しました。"));
    else
        setNotice(QString());
    return true;
}

void FindBar::replaceCurrent()
{
    const QString needle = findEdit_->text();
    if (needle.isEmpty())
        return;
    // The selection is replaced only when it is a match; otherwise this first finds one.
    if (box_->SelText().compare(needle, caseSensitivity()) == 0)
        box_->setSelText(replaceEdit_->text());
    findNext(SearchDirection::Forward);
}

qsizetype FindBar::replaceAll()
{
    const QString needle = findEdit_->text();
    if (needle.isEmpty())
        return 0;
    const bool large = paneText().size() > LargeText;
    if (large) {
        setNotice(QStringLiteral("置換しています…"));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        notice_->repaint();
    }
    const ReplaceAllResult r = replaceAllInText(paneText(), needle, replaceEdit_->text(), caseSensitivity());
    if (r.count > 0)
        box_->replaceRange(int(r.spanStart), int(r.spanEnd), r.replacement);
    if (large)
        QApplication::restoreOverrideCursor();
    setNotice(r.count ? QStringLiteral("%1 個の「%2」を置換しました。").arg(r.count).arg(needle)
                      : QStringLiteral("「%1」は見つかりません。").arg(needle));
    return r.count;
}
