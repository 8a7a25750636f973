// Draws the program's pictures: the globe icon (32 px and the usual icon-theme sizes), the
// 12 toolbar pictures (16 px and 32 px for high-density screens) and the splash JPEG.
// Run by hand after changing a drawing:  tavro_assetgen <assets folder>
#include "app/AppInfo.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>
#include <functional>

namespace {

using Draw = std::function<void(QPainter &)>;  // draws in a 16 x 16 logical square

QImage render(int size, const Draw &draw, int logical = 16)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(double(size) / logical, double(size) / logical);
    draw(p);
    return img;
}

QPen thin(const QColor &c) { return QPen(c, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void page(QPainter &p, QRectF r, const QColor &fill)
{
    QPainterPath path;
    const double f = 3.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - f, r.top());
    path.lineTo(r.right(), r.top() + f);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(thin(QColor(40, 40, 40)));
    p.setBrush(fill);
    p.drawPath(path);
    QPainterPath fold;
    fold.moveTo(r.right() - f, r.top());
    fold.lineTo(r.right() - f, r.top() + f);
    fold.lineTo(r.right(), r.top() + f);
    p.setBrush(QColor(200, 200, 200));
    p.drawPath(fold);
}

void lines(QPainter &p, double x0, double x1, double y0, double y1, const QColor &c, double step = 2.0)
{
    p.setPen(QPen(c, 0.8));
    for (double y = y0; y <= y1; y += step)
        p.drawLine(QPointF(x0, y), QPointF(x1, y));
}

void globe(QPainter &p)  // 32 x 32 logical
{
    const QPointF c(15.5, 16.5);
    QRadialGradient sea(QPointF(11, 11), 18);
    sea.setColorAt(0, QColor(120, 170, 255));
    sea.setColorAt(1, QColor(0, 40, 160));
    p.setPen(QPen(QColor(0, 20, 90), 1));
    p.setBrush(sea);
    p.drawEllipse(c, 13, 13);
    p.save();
    QPainterPath clip;
    clip.addEllipse(c, 12.5, 12.5);
    p.setClipPath(clip);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 0));  // olive land
    QPainterPath land;
    land.moveTo(6, 8); land.cubicTo(10, 4, 16, 6, 15, 10); land.cubicTo(14, 14, 10, 13, 11, 18);
    land.cubicTo(12, 23, 7, 24, 5, 19); land.closeSubpath();
    land.moveTo(19, 12); land.cubicTo(24, 9, 29, 13, 27, 18); land.cubicTo(25, 24, 21, 27, 19, 22);
    land.cubicTo(18, 19, 16, 15, 19, 12); land.closeSubpath();
    p.drawPath(land);
    p.setBrush(QColor(150, 150, 150, 220));  // grey band
    p.drawRect(QRectF(0, 14.5, 32, 4));
    p.restore();
    // sparkle
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 235, 60));
    QPainterPath star;
    const QPointF s(26.5, 5.5);
    for (int i = 0; i < 8; ++i) {
        const double r = (i % 2) ? 1.2 : 4.5, a = i * M_PI / 4;
        const QPointF pt(s.x() + r * std::cos(a), s.y() + r * std::sin(a));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
    p.setBrush(Qt::white);
    p.drawEllipse(s, 1.3, 1.3);
}

const Draw toolbar[12] = {
    // 1 new: a blank white page with a folded corner
    [](QPainter &p) { page(p, QRectF(3.5, 1.5, 9, 13), Qt::white); },
    // 2 open: an open yellow folder with a curved arrow
    [](QPainter &p) {
        p.setPen(thin(QColor(90, 70, 0)));
        p.setBrush(QColor(230, 190, 40));
        p.drawRect(QRectF(1.5, 5.5, 10, 8));
        QPainterPath flap;
        flap.moveTo(1.5, 13.5); flap.lineTo(4.5, 8.5); flap.lineTo(14.5, 8.5); flap.lineTo(11.5, 13.5);
        flap.closeSubpath();
        p.setBrush(QColor(255, 225, 90));
        p.drawPath(flap);
        p.setPen(QPen(QColor(0, 110, 0), 1.2));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(7, 5); arrow.cubicTo(8, 1.5, 12, 1, 13.5, 3.5);
        p.drawPath(arrow);
        p.setBrush(QColor(0, 110, 0));
        p.drawPolygon(QPolygonF({QPointF(14.8, 1.8), QPointF(15, 5.2), QPointF(11.8, 4.4)}));
    },
    // 3 save: a floppy disk
    [](QPainter &p) {
        p.setPen(thin(QColor(20, 20, 40)));
        p.setBrush(QColor(40, 60, 140));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5.5));
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setBrush(QColor(40, 60, 140));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(9, 2.5, 1.8, 3.5));
    },
    // 4 cut: a pair of scissors
    [](QPainter &p) {
        p.setPen(QPen(QColor(60, 60, 60), 1.3));
        p.drawLine(QPointF(5, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(5.5, 10));
        p.setPen(QPen(QColor(20, 20, 120), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
    },
    // 5 copy: two overlapping pages
    [](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 8, 10), Qt::white);
        lines(p, 3, 7.5, 4.5, 9.5, QColor(90, 90, 90));
        page(p, QRectF(6.5, 4.5, 8, 10), Qt::white);
        lines(p, 8, 12.5, 7.5, 12.5, QColor(90, 90, 90));
    },
    // 6 paste: a clipboard with a page
    [](QPainter &p) {
        p.setPen(thin(QColor(80, 50, 10)));
        p.setBrush(QColor(170, 120, 50));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 1, 5, 3));
        page(p, QRectF(7.5, 6.5, 7, 8.5), Qt::white);
        lines(p, 9, 12.5, 9.5, 13.5, QColor(90, 90, 90));
    },
    // 7 preview: a multi-coloured ball
    [](QPainter &p) {
        const QColor cols[] = {QColor(230, 40, 40), QColor(250, 200, 0), QColor(40, 170, 60),
                               QColor(30, 90, 220)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 4; ++i) {
            p.setBrush(cols[i]);
            p.drawPie(QRectF(1.5, 1.5, 13, 13), i * 90 * 16, 90 * 16);
        }
        QRadialGradient shine(QPointF(6, 5), 7);
        shine.setColorAt(0, QColor(255, 255, 255, 200));
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(shine);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(thin(QColor(30, 30, 30)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    },
    // 8 text priority: a white page with grey lines
    [](QPainter &p) {
        p.setPen(thin(QColor(40, 40, 40)));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        lines(p, 3, 13, 4, 13, QColor(128, 128, 128));
    },
    // 9 normal split: a white lined half and a red half with a yellow bar
    [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 6.5, 13));
        p.setBrush(QColor(220, 30, 30));
        p.drawRect(QRectF(8, 1.5, 6.5, 13));
        p.setBrush(QColor(255, 220, 0));
        p.drawRect(QRectF(8, 1.5, 6.5, 3));
        lines(p, 2.5, 7, 4, 13, QColor(128, 128, 128));
        p.setPen(thin(QColor(40, 40, 40)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    },
    // 10 browser priority: a red page with a yellow header and blue lines
    [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(220, 30, 30));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(QColor(255, 220, 0));
        p.drawRect(QRectF(1.5, 1.5, 13, 3.5));
        lines(p, 3, 13, 7, 13, QColor(40, 80, 230));
        p.setPen(thin(QColor(40, 40, 40)));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
    },
    // 11 colour picker: overlapping blue, green, multi-coloured and olive rectangles
    [](QPainter &p) {
        p.setPen(thin(QColor(30, 30, 30)));
        p.setBrush(QColor(30, 60, 220));
        p.drawRect(QRectF(1.5, 1.5, 7, 6));
        p.setBrush(QColor(30, 170, 50));
        p.drawRect(QRectF(7.5, 2.5, 7, 6));
        QLinearGradient rainbow(2, 0, 9, 0);
        rainbow.setColorAt(0, Qt::red); rainbow.setColorAt(0.33, Qt::yellow);
        rainbow.setColorAt(0.66, Qt::cyan); rainbow.setColorAt(1, Qt::magenta);
        p.setBrush(rainbow);
        p.drawRect(QRectF(2.5, 7.5, 7, 7));
        p.setBrush(QColor(128, 128, 0));
        p.drawRect(QRectF(9.5, 9.5, 5, 5));
    },
    // 12 tag help: a yellow question mark
    [](QPainter &p) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        f.setPixelSize(15);
        QPainterPath path;
        path.addText(QPointF(3.5, 14), f, QStringLiteral("?"));
        p.setPen(QPen(QColor(90, 70, 0), 0.8));
        p.setBrush(QColor(255, 215, 0));
        p.drawPath(path);
    },
};

void clouds(QImage &img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, img.height());
    sky.setColorAt(0, QColor(120, 180, 240));
    sky.setColorAt(1, QColor(200, 230, 255));
    p.fillRect(img.rect(), sky);
    QRandomGenerator rng(7);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 260; ++i) {
        const double x = rng.bounded(img.width()), y = rng.bounded(img.height());
        const double r = 10 + rng.bounded(40);
        QRadialGradient puff(QPointF(x, y), r);
        puff.setColorAt(0, QColor(255, 255, 255, 60));
        puff.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(puff);
        p.drawEllipse(QPointF(x, y), r * 1.6, r);
    }
}

void flare(QPainter &p, QPointF at)
{
    p.setPen(Qt::NoPen);
    QRadialGradient glow(at, 90);
    glow.setColorAt(0, QColor(255, 255, 255, 255));
    glow.setColorAt(0.15, QColor(255, 250, 220, 200));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glow);
    p.drawEllipse(at, 90, 90);
    p.setBrush(QColor(255, 255, 255, 150));
    QPainterPath rays;
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6 + 0.2, len = (i % 2) ? 45 : 80;
        rays.moveTo(at);
        rays.lineTo(at + QPointF(len * std::cos(a), len * std::sin(a)));
        rays.lineTo(at + QPointF(4 * std::cos(a + 1.5), 4 * std::sin(a + 1.5)));
        rays.closeSubpath();
    }
    p.drawPath(rays);
    const QPointF dir(1.0, 0.55);
    const double steps[] = {120, 190, 260};
    const QColor rings[] = {QColor(180, 255, 200, 70), QColor(255, 200, 160, 60), QColor(200, 190, 255, 60)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(rings[i]);
        p.drawEllipse(at + dir * steps[i], 10 + 4 * i, 10 + 4 * i);
    }
}

QImage splash()
{
    QImage img(400, 250, QImage::Format_RGB32);
    clouds(img);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setBold(true);
    f.setPixelSize(104);
    QPainterPath word;
    word.addText(QPointF(0, 0), f, QStringLiteral("Tavro"));
    const QRectF b = word.boundingRect();
    word.translate(200 - b.center().x(), 118 - b.center().y());
    // Extruded depth: dark copies stepped down and right.
    for (int d = 9; d >= 1; --d) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20 + d * 3, 24 + d * 3, 34 + d * 3));
        p.drawPath(word.translated(d * 0.8, d * 0.8));
    }
    QLinearGradient metal(0, word.boundingRect().top(), 0, word.boundingRect().bottom());
    metal.setColorAt(0.0, QColor(150, 158, 170));
    metal.setColorAt(0.45, QColor(70, 76, 88));
    metal.setColorAt(0.5, QColor(40, 44, 52));
    metal.setColorAt(0.8, QColor(95, 100, 112));
    metal.setColorAt(1.0, QColor(55, 58, 66));
    p.setBrush(metal);
    p.setPen(QPen(QColor(210, 215, 225), 1.2));
    p.drawPath(word);
    flare(p, QPointF(58, 40));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(20, 30, 60));
    p.drawText(QRectF(150, 208, 240, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Version ") + AppVersion);
    p.drawText(QRectF(150, 224, 240, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Copyright (C) 2026 The Tavro developers"));
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out + QStringLiteral("/icons"));
    QDir().mkpath(out + QStringLiteral("/toolbar"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        render(size, globe, 32).save(out + QStringLiteral("/icons/tavro-%1.png").arg(size));
    render(32, globe, 32).save(out + QStringLiteral("/icons/tavro.png"));
    render(64, globe, 32).save(out + QStringLiteral("/icons/tavro@2x.png"));
    for (int i = 0; i < 12; ++i) {
        render(16, toolbar[i]).save(out + QStringLiteral("/toolbar/%1.png").arg(i + 1));
        render(32, toolbar[i]).save(out + QStringLiteral("/toolbar/%1@2x.png").arg(i + 1));
    }
    splash().save(out + QStringLiteral("/splash.jpg"), "JPG", 92);
    return 0;
}
