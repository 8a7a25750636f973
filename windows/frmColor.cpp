#include "windows/frmColor.h"

#include "app/core/AppInfo.h"
#include "app/platform/Platform.h"
#include "windows/core/Twips.h"
#include "windows/core/ColorCode.h"
#include "windows/SingleWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>

namespace {

SingleWindow<frmColor> g_color;

QFont gothicP18(bool bold)
{
    QFont f = designFont(18);
    f.setBold(bold);
    return f;
}

QColor toQColor(quint32 color)
{
    return QColor(ColorCode::redOf(color), ColorCode::greenOf(color), ColorCode::blueOf(color));
}

} // namespace

frmColor::frmColor(QWidget *parent)
    // A tool window: small caption, close box only, no taskbar button.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmColor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("カラー表示"));
    setWindowIcon(QIcon());
    setFixedSize(twipsToPixels(4905), twipsToPixels(3360));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);

    lblColor = new QLabel(this);
    lblColor->setObjectName(QStringLiteral("lblColor"));
    lblColor->setGeometry(twipsRect(480, 240, 3855, 735));
    lblColor->setAutoFillBackground(true);

    lblx = new QLabel(QStringLiteral("#000000"), this);
    lblx->setObjectName(QStringLiteral("lblx"));
    lblx->setGeometry(twipsRect(1800, 1200, 1260, 360));
    lblx->setFont(gothicP18(false));
    lblx->adjustSize();

    static constexpr struct {
        const char16_t *caption;
        int top, labelWidth;
        QRgb color;
    } parts[3] = {
        {u"R", 1800, 255, qRgb(255, 0, 0)},
        {u"G", 2280, 270, qRgb(0, 192, 0)},
        {u"B", 2760, 255, qRgb(0, 0, 192)},
    };
    for (int i = 0; i < 3; ++i) {
        QLabel *label = new QLabel(QString::fromUtf16(parts[i].caption), this);
        label->setObjectName(QStringLiteral("Label3_%1").arg(i));
        label->setGeometry(twipsRect(720, parts[i].top, parts[i].labelWidth, 360));
        label->setFont(gothicP18(true));
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, QColor(parts[i].color));
        label->setPalette(lp);
        label->adjustSize();
        Label3[i] = label;

        QSlider *slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("Slider_%1").arg(i));
        slider->setGeometry(twipsRect(1200, parts[i].top, 2895, 375));
        slider->setRange(0, 255);
        slider->setSingleStep(1);
        slider->setPageStep(5);
        slider->setValue(0);
        // Without tracking a drag reports its value once, when the thumb is released; keys
        // and clicks on the track report at once. Either way one completed change, one event.
        slider->setTracking(false);
        connect(slider, &QSlider::valueChanged, this, [this, i] { Slider_Change(qint16(i)); });
        Slider[i] = slider;
    }

    cmdCopy = new QPushButton(QStringLiteral("コピー"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setGeometry(twipsRect(3600, 1320, 735, 255));
    connect(cmdCopy, &QPushButton::clicked, this, &frmColor::cmdCopy_Click);

    setTabOrder(Slider[0], Slider[1]);
    setTabOrder(Slider[1], Slider[2]);
    setTabOrder(Slider[2], cmdCopy);
    Slider[0]->setFocus();

    Form_Load();
}

frmColor::~frmColor() = default;

void frmColor::closeEvent(QCloseEvent *event)
{
    // Closing unloads the picker: the next opening starts afresh even before this object is
    // actually deleted.
    g_color.forget(this);
    event->accept();
}

quint32 frmColor::swatchColor() const
{
    return swatch_;
}

void frmColor::setSwatch(quint32 color)
{
    swatch_ = color;
    QPalette pal = lblColor->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    lblColor->setPalette(pal);
}

void frmColor::Form_Load()
{
    RedValue = GreenValue = BlueValue = 0;
    RedHex.clear();
    GreenHex.clear();
    BlueHex.clear();
    setSwatch(ColorCode::RGB(0, 0, 0));
}

void frmColor::Slider_Change(qint16 Index)
{
    switch (Index) {
    case 0: RedValue = qint16(Slider[0]->value()); break;
    case 1: GreenValue = qint16(Slider[1]->value()); break;
    case 2: BlueValue = qint16(Slider[2]->value()); break;
    default: return;
    }
    setSwatch(ColorCode::RGB(RedValue, GreenValue, BlueValue));
    RedHex = QString::fromStdString(ColorCode::hexPart(RedValue));
    GreenHex = QString::fromStdString(ColorCode::hexPart(GreenValue));
    BlueHex = QString::fromStdString(ColorCode::hexPart(BlueValue));
    lblx->setText(QLatin1Char('#') + RedHex + GreenHex + BlueHex);
    lblx->adjustSize();
}

void frmColor::cmdCopy_Click()
{
    platform().clipboardSetText(lblx->text());
}

frmColor &colorForm()
{
    return g_color.get();
}

frmColor *colorFormIfLoaded()
{
    return g_color.ifLoaded();
}

void unloadColorForm()
{
    g_color.unload();
}
