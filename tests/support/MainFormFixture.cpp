#include "support/MainFormFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

MainFormFixture::MainFormFixture(frmMain *window, std::optional<QByteArray> fnDat)
{
    // Settings of each test stay in its own scratch folder.
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral(".config")).toLocal8Bit());
    if (fnDat) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(QStringLiteral("fn.dat")));
        if (file.open(QIODevice::WriteOnly))
            file.write(*fnDat);
    }
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
