#include "windows/frmFirst.h"

#include "app/platform/Platform.h"

#include <QPainter>
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
    connect(&handOverTimeout_, &QTimer::timeout, this, &QWidget::close);
    handOverTimeout_.setSingleShot(true);
    showMainWindow();
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
    if (main_ && watched == main_->windowHandle() && event->type() == QEvent::Expose
        && main_->windowHandle()->isExposed()) {
        main_->windowHandle()->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
