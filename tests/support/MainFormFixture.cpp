#include "support/MainFormFixture.h"

#include "support/Files.h"
#include "view/PreviewPane.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTest>
#include <QWebEngineView>

MainFormFixture::MainFormFixture(std::optional<QByteArray> fnDat)
{
    // Settings of each test stay in its own scratch folder.
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral(".config")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", dir_.filePath(QStringLiteral(".state")).toLocal8Bit());
    if (fnDat) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(QStringLiteral("fn.dat")));
        if (file.open(QIODevice::WriteOnly))
            file.write(*fnDat);
    }
    form_ = std::make_unique<frmMain>();
}

MainFormFixture::~MainFormFixture() = default;

void MainFormFixture::showActive()
{
    form().show();
    form().activateWindow();
    QApplication::setActiveWindow(&form());
    if (!QTest::qWaitForWindowActive(&form()))
        qWarning("main window did not become active");
}

void MainFormFixture::recordCommands()
{
    for (QAction *action : form().findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QString name = action->objectName();
        if (!name.startsWith(QLatin1String("mnu")))
            continue;
        QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
        QObject::connect(action, &QAction::triggered, action, [this, name] {
            calls << name + QStringLiteral("_Click");
            focusAtCall << QApplication::focusWidget();
        });
    }
}

bool DocumentFixture::open(const QString &name)
{
    platform().openAnswers.enqueue(path(name));
    form().mnuOpen_Click();
    return doc().FilePath() == path(name) && doc().FileTitle() == QFileInfo(path(name)).fileName();
}

void DocumentFixture::saveAs(const QString &name)
{
    if (!name.isEmpty())
        platform().saveAnswers.enqueue(path(name));
    DocumentContext c = form().context();
    lastSave = mdlIO::SaveDocumentAs(c);
}

void DocumentFixture::save()
{
    DocumentContext c = form().context();
    lastSave = mdlIO::SaveDocument(c);
}

void DocumentFixture::haveFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path(name)).absolutePath());
    writeFile(path(name), bytes);
    QVERIFY(open(name));
    QVERIFY(!doc().IsModified());
    platform().openRequests.clear();
}

QWebEngineView &MainFormFixture::previewView()
{
    return *static_cast<QWebEngineView *>(form_->Web->view());
}
