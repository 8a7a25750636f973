// The colour picker: the arithmetic, and the window driven through its real sliders and button.
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "windows/core/ColorCode.h"
#include "windows/frmColor.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// Records every change event the picker receives, with the value it then holds.
class RecordingColor : public frmColor {
public:
    QList<QPair<int, int>> changes;  // index, stored part after the change
    void Slider_Change(qint16 Index) override
    {
        frmColor::Slider_Change(Index);
        const qint16 parts[] = {RedValue, GreenValue, BlueValue};
        changes.append({Index, Index >= 0 && Index < 3 ? parts[Index] : -1});
    }
};

void press(QSlider *s, Qt::Key key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(s, key);
}

// Moves a slider from 0 to value with the keys a user would press: page steps, then arrows.
void keyTo(QSlider *s, int value)
{
    QCOMPARE(s->value(), 0);
    if (value == 255) {
        press(s, Qt::Key_End);
        return;
    }
    press(s, Qt::Key_PageUp, value / 5);
    press(s, Qt::Key_Right, value % 5);
    QCOMPARE(s->value(), value);
}

QPoint handleCentre(QSlider *s)
{
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.singleStep = s->singleStep();
    opt.pageStep = s->pageStep();
    opt.subControls = QStyle::SC_All;
    return s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
}

// The next control that Tab reaches.
QWidget *nextTabStop(QWidget *w)
{
    do
        w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
}

QColor swatchOnScreen(const frmColor &w)
{
    return w.lblColor->palette().color(QPalette::Window);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestColorPicker : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        unloadColorForm();
        flushDeletes();
    }

    void colourValueKeepsRedInTheLowestByte()
    {
        const std::uint32_t v = ColorCode::RGB(255, 128, 0);
        QCOMPARE(v, std::uint32_t(0x0080FF));
        QCOMPARE(v & 0xFF, 255u);
        QCOMPARE(v >> 8 & 0xFF, 128u);
        QCOMPARE(v >> 16 & 0xFF, 0u);
        QCOMPARE(v >> 24, 0u);
        QCOMPARE(ColorCode::RGB(10, 160, 5), std::uint32_t(10 + 256 * 160 + 65536 * 5));
        QCOMPARE(ColorCode::RGB(255, 255, 255), std::uint32_t(0xFFFFFF));
        // Out-of-range parts stay within their byte.
        QCOMPARE(ColorCode::RGB(300, -4, 256), std::uint32_t(0xFF00FF));
        const std::uint32_t mixed = ColorCode::RGB(1, 2, 3);
        QCOMPARE(ColorCode::redOf(mixed), 1);
        QCOMPARE(ColorCode::greenOf(mixed), 2);
        QCOMPARE(ColorCode::blueOf(mixed), 3);
    }

    void hexPartsAreTwoUpperCaseDigits()
    {
        const struct { int v; const char *hex; } cases[] = {
            {0, "00"}, {10, "0A"}, {15, "0F"}, {16, "10"}, {128, "80"}, {160, "A0"},
            {171, "AB"}, {255, "FF"}, {-1, "00"}, {256, "FF"},
        };
        for (const auto &c : cases)
            QCOMPARE(QString::fromStdString(ColorCode::hexPart(c.v)), QLatin1String(c.hex));
        for (int v = 0; v <= 255; ++v) {
            const std::string h = ColorCode::hexPart(v);
            QCOMPARE(h.size(), std::size_t(2));
            QCOMPARE(std::stoi(h, nullptr, 16), v);
        }
    }

    void opensBlackAsAToolWindowAndCopiesAtOnce()
    {
        MainFormFixture f;
        f.form().mnuColor_Click();
        frmColor *w = colorFormIfLoaded();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(!w->parentWidget());
        QVERIFY(!w->isModal());
        QCOMPARE(w->windowTitle(), QStringLiteral("カラー表示"));
        QCOMPARE(w->windowType(), Qt::Tool);
        QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w->size(), QSize(327, 224));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QCOMPARE(w->palette().color(QPalette::Window), QColor(192, 192, 192));
        QVERIFY(w->windowIcon().isNull());

        for (QSlider *s : w->Slider) {
            QCOMPARE(s->orientation(), Qt::Horizontal);
            QCOMPARE(s->minimum(), 0);
            QCOMPARE(s->maximum(), 255);
            QCOMPARE(s->singleStep(), 1);
            QCOMPARE(s->pageStep(), 5);
            QCOMPARE(s->value(), 0);
        }
        QCOMPARE(w->Slider[1]->geometry(), QRect(80, 152, 193, 25));
        const char *captions[] = {"R", "G", "B"};
        const QColor colours[] = {QColor(255, 0, 0), QColor(0, 192, 0), QColor(0, 0, 192)};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(w->Label3[i]->text(), QLatin1String(captions[i]));
            QCOMPARE(w->Label3[i]->palette().color(QPalette::WindowText), colours[i]);
            QVERIFY(w->Label3[i]->font().bold());
            // Each label stands on its slider's line.
            QCOMPARE(w->Label3[i]->y(), w->Slider[i]->y());
        }
        QCOMPARE(w->lblx->text(), QStringLiteral("#000000"));
        QCOMPARE(w->lblx->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(w->lblx->font().pointSizeF(), 18.0);
        QCOMPARE(w->cmdCopy->text(), QStringLiteral("コピー"));
        QCOMPARE(w->swatchColor(), quint32(0));
        QCOMPARE(swatchOnScreen(*w), QColor(0, 0, 0));
        QVERIFY(w->RedHex.isEmpty() && w->GreenHex.isEmpty() && w->BlueHex.isEmpty());

        // Keyboard order: the three sliders, then the button; the labels take no focus.
        QCOMPARE(nextTabStop(w->Slider[0]), w->Slider[1]);
        QCOMPARE(nextTabStop(w->Slider[1]), w->Slider[2]);
        QCOMPARE(nextTabStop(w->Slider[2]), w->cmdCopy);
        QCOMPARE(nextTabStop(w->cmdCopy), w->Slider[0]);

        QTest::mouseClick(w->cmdCopy, Qt::LeftButton);
        QCOMPARE(f.platform().clipboard, std::optional<QString>(QStringLiteral("#000000")));
    }

    void keysGiveTheCodeOfTheMovedParts_data()
    {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::addColumn<QString>("code");
        QTest::addColumn<quint32>("value");
        QTest::newRow("green only") << 0 << 128 << 0 << "#008000" << quint32(0x008000);
        QTest::newRow("orange") << 255 << 128 << 0 << "#FF8000" << quint32(0x0080FF);
        QTest::newRow("small parts") << 10 << 160 << 5 << "#0AA005" << quint32(0x05A00A);
        QTest::newRow("red 15") << 15 << 0 << 0 << "#0F0000" << quint32(15);
        QTest::newRow("red 16") << 16 << 0 << 0 << "#100000" << quint32(16);
        QTest::newRow("white") << 255 << 255 << 255 << "#FFFFFF" << quint32(0xFFFFFF);
    }

    void keysGiveTheCodeOfTheMovedParts()
    {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QFETCH(QString, code);
        QFETCH(quint32, value);
        MainFormFixture f;
        f.form().mnuColor_Click();
        frmColor &w = *colorFormIfLoaded();
        const int parts[] = {red, green, blue};
        for (int i = 0; i < 3; ++i) {
            if (parts[i])
                keyTo(w.Slider[i], parts[i]);
        }
        QCOMPARE(w.lblx->text(), code);
        QCOMPARE(w.swatchColor(), value);
        QCOMPARE(swatchOnScreen(w), QColor(red, green, blue));
        QCOMPARE(w.RedHex + w.GreenHex + w.BlueHex, code.mid(1));
        // The code label grows with its text and keeps its place.
        QCOMPARE(w.lblx->pos(), QPoint(120, 80));
        QVERIFY(w.lblx->width() >= w.lblx->sizeHint().width());

        QTest::mouseClick(w.cmdCopy, Qt::LeftButton);
        QCOMPARE(f.platform().clipboard, std::optional<QString>(code));
    }

    void arrowsStepByOneAndPagesByFive()
    {
        frmColor w;
        QSlider *red = w.Slider[0];
        press(red, Qt::Key_PageUp, 3);
        QCOMPARE(red->value(), 15);
        QCOMPARE(w.lblx->text(), QStringLiteral("#0F0000"));
        press(red, Qt::Key_Right);
        QCOMPARE(w.lblx->text(), QStringLiteral("#100000"));
        press(red, Qt::Key_Left, 2);
        QCOMPARE(w.lblx->text(), QStringLiteral("#0E0000"));
        press(red, Qt::Key_PageDown);
        QCOMPARE(red->value(), 9);
        press(red, Qt::Key_Home);
        QCOMPARE(w.lblx->text(), QStringLiteral("#000000"));
        // The ends hold.
        press(red, Qt::Key_Left);
        QCOMPARE(red->value(), 0);
        press(red, Qt::Key_End);
        press(red, Qt::Key_PageUp);
        QCOMPARE(red->value(), 255);
        QCOMPARE(w.lblx->text(), QStringLiteral("#FF0000"));
    }

    void eachCompletedChangeIsOneEventReadingOnlyItsSlider()
    {
        RecordingColor w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // A key: one event, already holding the new value.
        QTest::keyClick(w.Slider[1], Qt::Key_Right);
        QCOMPARE(w.changes, (QList<QPair<int, int>>{{1, 1}}));

        // A click on the track beyond the thumb: one large step.
        w.changes.clear();
        QSlider *blue = w.Slider[2];
        QTest::mouseClick(blue, Qt::LeftButton, {}, QPoint(blue->width() - 4, blue->height() / 2));
        QCOMPARE(blue->value(), 5);
        QCOMPARE(w.changes, (QList<QPair<int, int>>{{2, 5}}));
        QCOMPARE(w.lblx->text(), QStringLiteral("#000105"));

        // A drag: nothing while the thumb moves, one event when it is released.
        w.changes.clear();
        QSlider *red = w.Slider[0];
        const QPoint from = handleCentre(red);
        QTest::mousePress(red, Qt::LeftButton, {}, from);
        QVERIFY(red->isSliderDown());
        for (int dx = 10; dx <= 100; dx += 10) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, 0)),
                             red->mapToGlobal(QPointF(from + QPoint(dx, 0))), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(red, &move);
        }
        QVERIFY(red->sliderPosition() > 0);
        QVERIFY(w.changes.isEmpty());
        QCOMPARE(w.lblx->text(), QStringLiteral("#000105"));
        QCOMPARE(w.swatchColor(), ColorCode::RGB(0, 1, 5));
        QTest::mouseRelease(red, Qt::LeftButton, {}, from + QPoint(100, 0));
        QCOMPARE(w.changes.size(), 1);
        QCOMPARE(w.changes[0].first, 0);
        QVERIFY(w.changes[0].second > 0);
        QCOMPARE(w.changes[0].second, red->value());
        QCOMPARE(w.lblx->text(),
                 QStringLiteral("#%1").arg(red->value(), 2, 16, QLatin1Char('0')).toUpper()
                     + QStringLiteral("0105"));

        // Only the slider that moved is read: a part set behind the picker's back stays out
        // of the code until its own slider reports.
        w.changes.clear();
        {
            const QSignalBlocker quiet(w.Slider[2]);
            w.Slider[2]->setValue(200);
        }
        QTest::keyClick(w.Slider[1], Qt::Key_Right);
        QCOMPARE(w.BlueValue, qint16(5));
        QVERIFY(w.lblx->text().endsWith(QStringLiteral("0205")));
    }

    void closingResetsAndReopeningWhileOpenKeepsTheMix()
    {
        MainFormFixture f;
        f.form().mnuColor_Click();
        frmColor *first = colorFormIfLoaded();
        keyTo(first->Slider[0], 255);
        keyTo(first->Slider[1], 128);
        QCOMPARE(first->lblx->text(), QStringLiteral("#FF8000"));

        // Opening again while open: the same window, the same mix.
        f.form().mnuColor_Click();
        QCOMPARE(colorFormIfLoaded(), first);
        QCOMPARE(first->lblx->text(), QStringLiteral("#FF8000"));
        QCOMPARE(first->Slider[0]->value(), 255);
        QCOMPARE(first->swatchColor(), quint32(0x0080FF));

        // Closed, even before the old object is gone, the next opening starts from black.
        QPointer<frmColor> old(first);
        QVERIFY(first->close());
        QVERIFY(!colorFormIfLoaded());
        f.form().mnuColor_Click();
        frmColor *second = colorFormIfLoaded();
        QVERIFY(second && second != old);
        QVERIFY(second->isVisible());
        QCOMPARE(second->lblx->text(), QStringLiteral("#000000"));
        QCOMPARE(second->swatchColor(), quint32(0));
        for (QSlider *s : second->Slider)
            QCOMPARE(s->value(), 0);
        flushDeletes();
        QVERIFY(!old);
        int pickers = 0;
        for (QWidget *tl : QApplication::topLevelWidgets())
            pickers += qobject_cast<frmColor *>(tl) != nullptr;
        QCOMPARE(pickers, 1);

        QTest::mouseClick(second->cmdCopy, Qt::LeftButton);
        QCOMPARE(f.platform().clipboard, std::optional<QString>(QStringLiteral("#000000")));
        QCOMPARE(f.platform().clipboardSetCalls, 1);
    }

    void pickerLeavesTheDocumentAlone()
    {
        MainFormFixture f;
        txtHTML(f.form())->SetText(QStringLiteral("<p>"));
        const bool modified = f.doc().IsModified();
        const QString title = f.form().windowTitle();
        f.form().mnuColor_Click();
        keyTo(colorFormIfLoaded()->Slider[2], 255);
        QTest::mouseClick(colorFormIfLoaded()->cmdCopy, Qt::LeftButton);
        QCOMPARE(txtHTML(f.form())->Text(), QStringLiteral("<p>"));
        QCOMPARE(f.doc().IsModified(), modified);
        QCOMPARE(f.form().windowTitle(), title);
        QCOMPARE(f.platform().clipboard, std::optional<QString>(QStringLiteral("#0000FF")));
    }
};

TAVRO_TEST_MAIN(TestColorPicker)
#include "tst_frmcolor.moc"
