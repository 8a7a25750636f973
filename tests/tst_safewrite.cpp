#include "app/SafeWrite.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {




} // namespace

class TestSafeWrite : public QObject
{
    Q_OBJECT

private slots:
    void writesAndReplaces();
    void keepsPermissions();
    void writesThroughSymbolicLink();
    void failsWithoutFolder_data();
    void failsWithoutFolder();
    void failedWriteKeepsOldFile();
    void fullDiskKeepsOldFile();
    void readsWholeFile();
    void readFailures();
};

void TestSafeWrite::writesAndReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    QString error = "untouched";
    QVERIFY(WriteFileSafely(path, "first\r\n", &error));
    QCOMPARE(fileBytes(path), QByteArray("first\r\n"));
    QCOMPARE(error, QString("untouched"));
    QVERIFY(WriteFileSafely(path, "second", nullptr));
    QCOMPARE(fileBytes(path), QByteArray("second"));
    QVERIFY(WriteFileSafely(path, QByteArray(), nullptr));
    QCOMPARE(fileBytes(path), QByteArray());
    QCOMPARE(entries(dir.path()), QStringList{"page.html"});
}

void TestSafeWrite::keepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    writeFile(path, "old");
    const auto perms = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
        | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    QVERIFY(WriteFileSafely(path, "new", nullptr));
    QCOMPARE(fileBytes(path), QByteArray("new"));
    QCOMPARE(QFile::permissions(path), perms);
}

void TestSafeWrite::writesThroughSymbolicLink()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("target.html");
    const QString link = dir.filePath("link.html");
    writeFile(target, "old");
    QVERIFY(QFile::link(target, link));
    QVERIFY(WriteFileSafely(link, "new", nullptr));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(fileBytes(target), QByteArray("new"));
}

void TestSafeWrite::failsWithoutFolder_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("folder gone") << "gone/page.html";
    QTest::newRow("parent is a file") << "plain.txt/page.html";
}

void TestSafeWrite::failsWithoutFolder()
{
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    writeFile(dir.filePath("plain.txt"), "keep");
    QString error;
    QVERIFY(!WriteFileSafely(dir.filePath(relativePath), "x", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(entries(dir.path()), QStringList{"plain.txt"});
    QCOMPARE(fileBytes(dir.filePath("plain.txt")), QByteArray("keep"));
}

void TestSafeWrite::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    // A file-size limit makes writes fail part-way, as a full disk does, without needing one.
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    writeFile(path, "old content");
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    bool results[2];
    QString errors[2];
    for (int i = 0; i < 2; ++i) {
        // Larger and smaller than the limit times the write buffer, to catch buffered and
        // direct failures alike.
        const QByteArray bytes(i == 0 ? 200 : 1 << 20, 'x');
        rlimit limited = saved;
        limited.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &limited);
        results[i] = WriteFileSafely(path, bytes, &errors[i]);
        setrlimit(RLIMIT_FSIZE, &saved); // before any test output
    }
    std::signal(SIGXFSZ, oldHandler);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(!results[i]);
        QVERIFY2(!errors[i].isEmpty() && errors[i] != "Unknown error", qPrintable(errors[i]));
    }
    QCOMPARE(fileBytes(path), QByteArray("old content"));
    QCOMPARE(entries(dir.path()), QStringList{"page.html"});
#else
    QSKIP("needs a file-size limit");
#endif
}

void TestSafeWrite::fullDiskKeepsOldFile()
{
#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a tmpfs here");
    struct Unmount {
        QByteArray at;
        ~Unmount() { umount2(at.constData(), MNT_DETACH); }
    } unmount{mountPoint};

    const QString path = dir.filePath("page.html");
    writeFile(path, "old content");
    QString error;
    QVERIFY(!WriteFileSafely(path, QByteArray(1 << 20, 'x'), &error));
    QVERIFY2(!error.isEmpty() && error != "Unknown error", qPrintable(error));
    QCOMPARE(fileBytes(path), QByteArray("old content"));
    QCOMPARE(entries(dir.path()), QStringList{"page.html"});
    // Small enough to fit: saving works again once there is room.
    QVERIFY(WriteFileSafely(path, "new", &error));
    QCOMPARE(fileBytes(path), QByteArray("new"));
#else
    QSKIP("Linux only");
#endif
}

void TestSafeWrite::readsWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.html");
    QByteArray bytes(300000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    writeFile(path, bytes);
    QByteArray out = "stale";
    QString error;
    QVERIFY(ReadFileFully(path, &out, &error));
    QCOMPARE(out, bytes);
    writeFile(path, QByteArray());
    QVERIFY(ReadFileFully(path, &out, &error));
    QCOMPARE(out, QByteArray());
}

void TestSafeWrite::readFailures()
{
    QTemporaryDir dir;
    QByteArray out = "stale";
    QString error;
    QVERIFY(!ReadFileFully(dir.filePath("missing.html"), &out, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(out, QByteArray("stale"));
    error.clear();
    QVERIFY(!ReadFileFully(dir.path(), &out, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(out, QByteArray("stale"));
}

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
