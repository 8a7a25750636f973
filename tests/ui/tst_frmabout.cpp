// The version window: its content, one window however often it is opened, OK and Esc.
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "windows/frmAbout.h"

#include <QLabel>
#include <QPushButton>

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int openAboutWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<frmAbout *>(w) != nullptr && w->isVisible();
    return n;
}

frmAbout &openActive(MainFormFixture &f)
{
    f.form().mnuVersion_Click();
    frmAbout &a = *aboutFormIfLoaded();
    QApplication::setActiveWindow(&a);
    if (!QTest::qWaitForWindowActive(&a))
        qWarning("version window did not become active");
    return a;
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        unloadAboutForm();
        flushDeletes();
    }

    void showsIconTitleVersionAndCopyright()
    {
        MainFormFixture f;
        f.form().mnuVersion_Click();
        frmAbout *a = aboutFormIfLoaded();
        QVERIFY(a && a->isVisible());
        QVERIFY(!a->parentWidget());
        QVERIFY(!a->isModal());
        QCOMPARE(a->windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(a->windowType(), Qt::Window);
        QVERIFY(!(a->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(a->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(a->size(), QSize(244, 84));
        QCOMPARE(a->minimumSize(), a->maximumSize());
        QVERIFY(!a->windowIcon().isNull());

        QCOMPARE(a->Image1->geometry(), QRect(8, 8, 32, 32));
        QCOMPARE(a->Image1->pixmap().size(), QSize(32, 32));
        QCOMPARE(a->Label2->text(), QStringLiteral("Tavro"));
        QCOMPARE(a->Label3->text(), QStringLiteral("Version 1.00"));
        QVERIFY(!a->Label1->text().isEmpty());
        const QPoint places[] = {{56, 48}, {56, 16}, {56, 32}};
        const QLabel *labels[] = {a->Label1, a->Label2, a->Label3};
        for (int i = 0; i < 3; ++i) {
            const QLabel *l = labels[i];
            QCOMPARE(l->pos(), places[i]);
            QCOMPARE(l->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
            QCOMPARE(l->font().pointSizeF(), 9.75);
            QCOMPARE(l->font().weight(), QFont::Normal);
            QCOMPARE(l->focusPolicy(), Qt::NoFocus);
            // Sized to the text, and all of it inside the window.
            QVERIFY(l->width() >= l->sizeHint().width());
            QVERIFY(a->rect().contains(l->geometry()));
        }
        // The copyright line ends before the button begins.
        QVERIFY(a->Label1->geometry().right() < a->Command1->x());

        QCOMPARE(a->Command1->text(), QStringLiteral("OK"));
        QCOMPARE(a->Command1->geometry(), QRect(192, 48, 41, 25));
        QVERIFY(!a->Command1->isDefault());
    }

    void openingAgainShowsTheSameWindow()
    {
        MainFormFixture f;
        f.form().mnuVersion_Click();
        frmAbout *first = aboutFormIfLoaded();
        f.form().mnuVersion_Click();
        f.form().mnuVersion_Click();
        QCOMPARE(aboutFormIfLoaded(), first);
        QCOMPARE(openAboutWindows(), 1);
        // The main window stays usable beside it.
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(f.form().isEnabled());
    }

    void enterPressesOkAndEscDoesNothing()
    {
        MainFormFixture f;
        frmAbout &a = openActive(f);
        QCOMPARE(QApplication::focusWidget(), a.Command1);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(a.isVisible());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!a.isVisible());
        // Hidden, not unloaded.
        QCOMPARE(aboutFormIfLoaded(), &a);

        frmAbout &again = openActive(f);
        QCOMPARE(&again, &a);
        QVERIFY(a.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QVERIFY(!a.isVisible());
    }

    void reappearsWhereItWasHidden()
    {
        MainFormFixture f;
        f.form().mnuVersion_Click();
        frmAbout &a = *aboutFormIfLoaded();
        a.move(321, 234);
        const QPoint where = a.pos();
        QTest::mouseClick(a.Command1, Qt::LeftButton);
        QVERIFY(!a.isVisible());
        f.form().mnuVersion_Click();
        QCOMPARE(aboutFormIfLoaded(), &a);
        QVERIFY(a.isVisible());
        QCOMPARE(a.pos(), where);
    }

    void closeBoxUnloadsAndTheNextOpeningBuildsAnew()
    {
        MainFormFixture f;
        f.form().mnuVersion_Click();
        QPointer<frmAbout> first = aboutFormIfLoaded();
        QVERIFY(first->close());
        QVERIFY(!aboutFormIfLoaded());
        f.form().mnuVersion_Click();
        frmAbout *second = aboutFormIfLoaded();
        QVERIFY(second && second != first);
        QVERIFY(second->isVisible());
        flushDeletes();
        QVERIFY(!first);
        QCOMPARE(openAboutWindows(), 1);
    }
};

TAVRO_TEST_MAIN(TestAbout)
#include "tst_frmabout.moc"
