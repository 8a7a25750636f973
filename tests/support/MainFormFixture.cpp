#include "support/MainFormFixture.h"

#include <QTest>

MainFormFixture::MainFormFixture(frmMain *window)
{
    // Settings of each test stay in its own scratch folder.
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral(".config")).toLocal8Bit());
    UnloadMainForm();
    ResetSharedState();
    LoadMainForm(window ? window : new frmMain);
}

MainFormFixture::~MainFormFixture()
{
    UnloadMainForm();
}

void MainFormFixture::showActive()
{
    form().show();
    form().activateWindow();
    QApplication::setActiveWindow(&form());
    if (!QTest::qWaitForWindowActive(&form()))
        qWarning("main window did not become active");
}
