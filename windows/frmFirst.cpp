#include "windows/frmFirst.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

frmFirst::frmFirst(std::function<void()> showMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(QStringLiteral(":/splash.jpg")), showMain_(std::move(showMain))
{
    setObjectName(QStringLiteral("frmFirst"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(401, 249);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
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
    showMain_();  // its load runs to the end before it appears
    close();            // unloads the splash; its timer goes with it
}
