#include "windows/frmFirst.h"

#include "app/platform/Platform.h"

#include <QPainter>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

frmFirst::frmFirst(std::function<QWidget *()> loadMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(QStringLiteral(":/splash.jpg")), loadMain_(std::move(loadMain))
{
    setObjectName(QStringLiteral("frmFirst"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(401, 249);
    centreOnScreen(*this);
    Timer1.setInterval(500);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmFirst::Timer1_Timer);
    Timer1.start();
}

void frmFirst::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.drawPixmap(0, 0, picture_);
}

void frmFirst::Timer1_Timer()
{
    Timer1.stop();
    main_ = loadMain_();  // its load runs to the end before it appears
    preview_ = main_ ? main_->findChild<QWebEngineView *>() : nullptr;
    if (!preview_) {
        showMainWindow();
        return;
    }
    // The preview draws through OpenGL. Qt picks a window's kind of surface when it creates the
    // window, and the preview's surface is made only once its page is visible: shown before,
    // the main window would be created, hidden and created again. So the page comes first, and
    // the window is shown when the preview's surface is there.
    QWebEnginePage *page = preview_->page();
    preview_->installEventFilter(this);
    connect(&handOverTimeout_, &QTimer::timeout, this, [this] {
        if (mainShown_)
            close();  // the main window never said it is on the screen
        else
            showMainWindow();
    });
    handOverTimeout_.setSingleShot(true);
    handOverTimeout_.start(3000);
    page->setVisible(true);
}

void frmFirst::showMainWindow()
{
    if (mainShown_)
        return;
    mainShown_ = true;
    if (!main_) {
        close();
        return;
    }
    if (preview_)
        preview_->removeEventFilter(this);
    main_->show();
    // The splash goes once the main window is on the screen, so that for a moment both are.
    if (QWindow *window = main_->windowHandle()) {
        window->installEventFilter(this);
        if (window->isExposed())
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    handOverTimeout_.start(3000);
}

bool frmFirst::eventFilter(QObject *watched, QEvent *event)
{
    if (preview_ && watched == preview_ && event->type() == QEvent::ChildAdded
        && static_cast<QChildEvent *>(event)->child()->isWidgetType()) {
        // The preview's surface is being built: the window is shown once it is complete.
        preview_->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &frmFirst::showMainWindow, Qt::QueuedConnection);
    } else if (main_ && watched == main_->windowHandle() && event->type() == QEvent::Expose
               && main_->windowHandle()->isExposed()) {
        main_->windowHandle()->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
