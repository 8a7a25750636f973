// The three display-ratio layouts, on the panes' real geometry in a shown window.
#include "app/core/Document.h"
#include "app/frmMain.h"
#include "support/MainFormFixture.h"
#include "support/TestMain.h"
#include "view/MDL.h"

namespace {

// Resizes the main window so that its client area becomes w x h, and waits until it has.
bool setClientSize(frmMain &form, int w, int h)
{
    const QSize frame = form.size() - Client(form)->size();
    form.resize(w + frame.width(), h + frame.height());
    return QTest::qWaitFor([&] { return Client(form)->size() == QSize(w, h); }, 5000);
}

} // namespace

class TestLayouts : public QObject {
    Q_OBJECT
private slots:
    void splitPositionRoundsHalvesToEven_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("half");
        QTest::newRow("800") << 800 << 400;
        QTest::newRow("801") << 801 << 400;
        QTest::newRow("803") << 803 << 402;
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("3") << 3 << 2;
        QTest::newRow("5") << 5 << 2;
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("65533") << 65533 << 32766;
        QTest::newRow("65534") << 65534 << 32767;
        QTest::newRow("beyond 16 bits") << 200000 << 32767;
        QTest::newRow("negative") << -7 << 0;
    }
    void splitPositionRoundsHalvesToEven()
    {
        QFETCH(int, width);
        QFETCH(int, half);
        QCOMPARE(MDL::splitPosition(width), qint16(half));
    }

    void normalLayoutSplitsTheClientArea_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("half");
        QTest::newRow("800 x 600") << 800 << 400;
        QTest::newRow("801: one pixel short") << 801 << 400;
        QTest::newRow("803: one pixel past") << 803 << 402;
    }
    void normalLayoutSplitsTheClientArea()
    {
        QFETCH(int, width);
        QFETCH(int, half);
        MainFormFixture f;
        f.form().show();
        QVERIFY(setClientSize(f.form(), width, 600));
        // The resize alone re-applies the normal layout.
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, half, 568));
        QCOMPARE(WebPane(f.form())->geometry(), QRect(half, 32, half, 568));
        QVERIFY(txtHTML(f.form())->isVisible());
        QVERIFY(WebPane(f.form())->isVisible());
        QCOMPARE(f.form().viewMode(), ViewMode::Normal);

        // Choosing normal again lays both panes out afresh.
        txtHTML(f.form())->setGeometry(5, 5, 5, 5);
        WebPane(f.form())->setGeometry(6, 6, 6, 6);
        f.form().mnuNormal_Click();
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, half, 568));
        QCOMPARE(WebPane(f.form())->geometry(), QRect(half, 32, half, 568));
    }

    void switchingModesAndBack()
    {
        MainFormFixture f;
        f.form().show();
        QVERIFY(setClientSize(f.form(), 800, 600));
        TextBox *txt = txtHTML(f.form());
        QWidget *web = WebPane(f.form());
        txt->SetText(QStringLiteral("<p>kept</p>"));
        txt->setSelStart(3);
        txt->setSelLength(4);

        f.form().mnuDText_Click();
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);
        QCOMPARE(txt->geometry(), QRect(0, 32, 800, 568));
        QVERIFY(txt->isVisible());
        QVERIFY(web->isHidden());
        QCOMPARE(web->geometry(), QRect(400, 32, 400, 568));  // hidden where it was

        // A resize in text priority keeps text priority.
        QVERIFY(setClientSize(f.form(), 900, 500));
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);
        QCOMPARE(txt->geometry(), QRect(0, 32, 900, 468));
        QVERIFY(web->isHidden());
        QCOMPARE(web->geometry(), QRect(400, 32, 400, 568));

        f.form().mnuBrouser_Click();
        QCOMPARE(f.form().viewMode(), ViewMode::BrowserPriority);
        QCOMPARE(web->geometry(), QRect(0, 32, 900, 468));
        QVERIFY(web->isVisible());
        QVERIFY(txt->isHidden());
        QCOMPARE(txt->geometry(), QRect(0, 32, 900, 468));
        QCOMPARE(txt->Text(), QStringLiteral("<p>kept</p>"));
        QCOMPARE(txt->SelText(), QStringLiteral("kept"));

        QVERIFY(setClientSize(f.form(), 700, 400));
        QCOMPARE(f.form().viewMode(), ViewMode::BrowserPriority);
        QCOMPARE(web->geometry(), QRect(0, 32, 700, 368));
        QVERIFY(txt->isHidden());

        // Choosing the active mode again does not toggle it.
        f.form().mnuBrouser_Click();
        QCOMPARE(f.form().viewMode(), ViewMode::BrowserPriority);
        QVERIFY(txt->isHidden());

        f.form().mnuNormal_Click();
        QCOMPARE(f.form().viewMode(), ViewMode::Normal);
        QCOMPARE(txt->geometry(), QRect(0, 32, 350, 368));
        QCOMPARE(web->geometry(), QRect(350, 32, 350, 368));
        QVERIFY(txt->isVisible());
        QVERIFY(web->isVisible());
        QCOMPARE(txt->SelText(), QStringLiteral("kept"));
    }

    void shortcutKeysSwitchModes()
    {
        MainFormFixture f;
        f.showActive();
        QVERIFY(setClientSize(f.form(), 800, 600));
        txtHTML(f.form())->setFocus();
        QTest::keyClick(txtHTML(f.form()), Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);
        QVERIFY(WebPane(f.form())->isHidden());
        QTest::keyClick(&f.form(), Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(f.form().viewMode(), ViewMode::BrowserPriority);
        QVERIFY(txtHTML(f.form())->isHidden());
        QTest::keyClick(&f.form(), Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(f.form().viewMode(), ViewMode::Normal);
        QCOMPARE(WebPane(f.form())->geometry(), QRect(400, 32, 400, 568));
        QVERIFY(txtHTML(f.form())->isVisible());
    }

    void minimisedWindowIsLeftAloneAndRestoreLaysOutAgain()
    {
        MainFormFixture f;
        f.form().show();
        QVERIFY(setClientSize(f.form(), 800, 600));
        f.form().mnuDText_Click();
        const QRect txtBefore = txtHTML(f.form())->geometry();
        const QRect webBefore = WebPane(f.form())->geometry();

        f.form().setWindowState(Qt::WindowMinimized);
        QVERIFY(f.form().isMinimized());
        // No layout, from a menu or from a size change, touches a minimised window.
        f.form().mnuNormal_Click();
        f.form().mnuBrouser_Click();
        QVERIFY(setClientSize(f.form(), 1000, 700));
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);
        QCOMPARE(txtHTML(f.form())->geometry(), txtBefore);
        QCOMPARE(WebPane(f.form())->geometry(), webBefore);
        QVERIFY(WebPane(f.form())->isHidden());
        QVERIFY(!txtHTML(f.form())->isHidden());

        // Restoring re-applies the current mode to the current size.
        f.form().setWindowState(Qt::WindowNoState);
        QVERIFY(!f.form().isMinimized());
        QTRY_COMPARE(txtHTML(f.form())->geometry(),
                     QRect(0, 32, Client(f.form())->width(), Client(f.form())->height() - 32));
        QCOMPARE(Client(f.form())->size(), QSize(1000, 700));
        QCOMPARE(f.form().viewMode(), ViewMode::TextPriority);

        // Maximising does too.
        f.form().mnuNormal_Click();
        f.form().setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(f.form().isMaximized());
        const int w = Client(f.form())->width();
        const int h = Client(f.form())->height();
        const qint16 half = MDL::splitPosition(w);
        QTRY_COMPARE(WebPane(f.form())->geometry(), QRect(half, 32, half, h - 32));
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, half, h - 32));
    }

    void clientLowerThanThePaneTopGivesEmptyPanes()
    {
        MainFormFixture f;
        f.form().show();
        QVERIFY(setClientSize(f.form(), 800, 20));
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, 400, 0));
        QCOMPARE(WebPane(f.form())->geometry(), QRect(400, 32, 400, 0));
        f.form().mnuDText_Click();
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, 800, 0));
        f.form().mnuBrouser_Click();
        QCOMPARE(WebPane(f.form())->geometry(), QRect(0, 32, 800, 0));
        QVERIFY(setClientSize(f.form(), 800, 32));
        QCOMPARE(WebPane(f.form())->geometry(), QRect(0, 32, 800, 0));
        // Growing again brings the panes back.
        QVERIFY(setClientSize(f.form(), 640, 480));
        QCOMPARE(WebPane(f.form())->geometry(), QRect(0, 32, 640, 448));
        f.form().mnuNormal_Click();
        QCOMPARE(txtHTML(f.form())->geometry(), QRect(0, 32, 320, 448));
    }
};

TAVRO_TEST_MAIN(TestLayouts)
#include "tst_mdl.moc"
