#include "app/core/SafeWrite.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool shell(const QString &command)
{
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0;
}

QString output(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// What a save must keep, as the system's own tools show it: owner, group, mode, and every
// extended attribute (ACLs included).
QString kept(const QString &path)
{
    QString attributes = output(QStringLiteral("getfattr"),
                                {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("-"),
                                 QStringLiteral("-e"), QStringLiteral("hex"), path});
    attributes.remove(QRegularExpression(QStringLiteral("^# file:.*\\n"),
                                         QRegularExpression::MultilineOption));
    return output(QStringLiteral("stat"), {QStringLiteral("-c"), QStringLiteral("%U:%G %a"), path})
        + attributes;
}

struct stat info(const QString &path)
{
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return st;
}

constexpr uid_t Nobody = 65534;

// The write as the user nobody would do it, in a child process.
WriteResult writeAsNobody(const QString &path, const QByteArray &bytes)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {WriteResult::Status::Failed, QStringLiteral("pipe")};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)
            _exit(2);
        const WriteResult r = writeFileSafely(path, bytes);
        const QByteArray report = QByteArray::number(int(r.status)) + ' ' + r.reason.toUtf8();
        _exit(write(channel[1], report.constData(), report.size()) == report.size() ? 0 : 3);
    }
    close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {WriteResult::Status::Failed, QStringLiteral("child failed")};
    const qsizetype space = report.indexOf(' ');
    return {WriteResult::Status(report.left(space).toInt()), QString::fromUtf8(report.mid(space + 1))};
}

// Makes a folder immutable for the test's lifetime: the one way to keep root out of it.
struct Immutable {
    QString path;
    bool ok = false;
    explicit Immutable(const QString &p) : path(p) { ok = shell(QStringLiteral("chattr +i '%1'").arg(p)); }
    ~Immutable()
    {
        if (ok)
            shell(QStringLiteral("chattr -i '%1'").arg(path));
    }
};

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
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void keepsWhatTheFileHad_data();
    void keepsWhatTheFileHad();
    void readOnlyFileNeedsConsent_data();
    void readOnlyFileNeedsConsent();
    void folderRefusingTheTemporaryFile_data();
    void folderRefusingTheTemporaryFile();
    void readsWholeFile();
    void readFailures();
    void onlyRegularFiles_data();
    void onlyRegularFiles();
};

void TestSafeWrite::writesAndReplaces()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    QString error = "untouched";
    QVERIFY(writeFileSafely(path, "first\r\n", &error));
    QCOMPARE(fileBytes(path), QByteArray("first\r\n"));
    QCOMPARE(error, QString("untouched"));
    QVERIFY(writeFileSafely(path, "second", nullptr));
    QCOMPARE(fileBytes(path), QByteArray("second"));
    QVERIFY(writeFileSafely(path, QByteArray(), nullptr));
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
    QVERIFY(writeFileSafely(path, "new", nullptr));
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
    QVERIFY(writeFileSafely(link, "new", nullptr));
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
    QVERIFY(!writeFileSafely(dir.filePath(relativePath), "x", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(entries(dir.path()), QStringList{"plain.txt"});
    QCOMPARE(fileBytes(dir.filePath("plain.txt")), QByteArray("keep"));
}

// Both ways of writing: a replacement, and in place for a file with a second name.
void TestSafeWrite::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<bool>("linked");
    QTest::newRow("one name") << false;
    QTest::newRow("two names") << true;
}

void TestSafeWrite::failedWriteKeepsOldFile()
{
    QFETCH(bool, linked);
    // A file-size limit makes writes fail part-way, as a full disk does, without needing one.
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    writeFile(path, "old content");
    if (linked)
        QCOMPARE(link(qPrintable(path), qPrintable(dir.filePath("other.html"))), 0);
    const QStringList before = entries(dir.path());
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
        results[i] = writeFileSafely(path, bytes, &errors[i]);
        setrlimit(RLIMIT_FSIZE, &saved); // before any test output
    }
    std::signal(SIGXFSZ, oldHandler);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(!results[i]);
        QVERIFY2(!errors[i].isEmpty() && errors[i] != "Unknown error", qPrintable(errors[i]));
    }
    for (const QString &name : before)
        QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("old content"));
    QCOMPARE(entries(dir.path()), before);
}

void TestSafeWrite::fullDiskKeepsOldFile_data()
{
    failedWriteKeepsOldFile_data();
}

void TestSafeWrite::fullDiskKeepsOldFile()
{
    QFETCH(bool, linked);
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
    if (linked)
        QCOMPARE(link(qPrintable(path), qPrintable(dir.filePath("other.html"))), 0);
    const QStringList before = entries(dir.path());
    QString error;
    QVERIFY(!writeFileSafely(path, QByteArray(1 << 20, 'x'), &error));
    QVERIFY2(!error.isEmpty() && error != "Unknown error", qPrintable(error));
    for (const QString &name : before)
        QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("old content"));
    QCOMPARE(entries(dir.path()), before);
    // Small enough to fit: saving works again once there is room.
    QVERIFY(writeFileSafely(path, "new", &error));
    for (const QString &name : before)
        QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("new"));
}

// A save keeps owner, group, mode, attributes and ACLs, and every name of the file. %1 is the
// file, %2 its folder; "other.html" is a second name.
void TestSafeWrite::keepsWhatTheFileHad_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("allowReadOnly");
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("mode") << "chmod 0604 %1" << false << false;
    QTest::newRow("owner and group") << "chown nobody:nogroup %1" << false << false;
    QTest::newRow("user attribute") << "setfattr -n user.origin -v web %1" << false << false;
    QTest::newRow("ACL") << "setfacl -m u:nobody:rw,g:nogroup:r %1" << false << false;
    QTest::newRow("no ACL from the folder's default")
        << "setfacl -d -m u:nobody:rwx %2" << false << false;
    QTest::newRow("all of them")
        << "chown nobody:nogroup %1 && chmod 0640 %1 && setfattr -n user.origin -v web %1"
           " && setfacl -m g:nogroup:rw %1" << false << false;
    QTest::newRow("read-only, agreed") << "chmod 0444 %1" << true << false;
    QTest::newRow("hard link") << "ln %1 %2/other.html" << false << true;
    QTest::newRow("hard link, owner and ACL")
        << "ln %1 %2/other.html && chown nobody:nogroup %1 && setfacl -m u:nobody:r %1" << false << true;
    QTest::newRow("hard link, read-only, agreed") << "ln %1 %2/other.html && chmod 0400 %1" << true << true;
}

void TestSafeWrite::keepsWhatTheFileHad()
{
    QFETCH(QString, setup);
    QFETCH(bool, allowReadOnly);
    QFETCH(bool, inPlace);
    if (geteuid() != 0 && setup.contains("chown"))
        QSKIP("giving a file away needs root");
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    writeFile(path, "old content, longer than the new");
    QVERIFY2(shell(QString(setup).replace("%1", path).replace("%2", dir.path())), qPrintable(setup));
    const QStringList names = entries(dir.path());
    const QString before = kept(path);
    const ino_t inode = info(path).st_ino;

    const WriteResult result = writeFileSafely(path, "new", {.allowReadOnly = allowReadOnly});
    QVERIFY2(result.written(), qPrintable(result.reason));
    QCOMPARE(kept(path), before);
    QCOMPARE(info(path).st_ino == inode, inPlace);
    QCOMPARE(entries(dir.path()), names);
    for (const QString &name : names)
        QCOMPARE(fileBytes(dir.filePath(name)), QByteArray("new"));
}

void TestSafeWrite::readOnlyFileNeedsConsent_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0444") << 0444;
    QTest::newRow("0555") << 0555;
    QTest::newRow("0000") << 0000;
}

// Root may write anything; the mode still says the file is not to be changed.
void TestSafeWrite::readOnlyFileNeedsConsent()
{
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    writeFile(path, "old");
    QCOMPARE(chmod(qPrintable(path), mode), 0);

    const WriteResult refused = writeFileSafely(path, "new");
    QCOMPARE(refused.status, WriteResult::Status::ReadOnlyFile);
    QVERIFY2(refused.reason.contains("page.html"), qPrintable(refused.reason));
    QString error;
    QVERIFY(!writeFileSafely(path, "new", &error));
    QCOMPARE(error, refused.reason);
    QCOMPARE(fileBytes(path), QByteArray("old"));
    QCOMPARE(entries(dir.path()), QStringList{"page.html"});
    if (geteuid() != 0)
        return;  // only root can write it even after the user agreed
    QVERIFY(writeFileSafely(path, "new", {.allowReadOnly = true}).written());
    QCOMPARE(fileBytes(path), QByteArray("new"));
    QCOMPARE(int(info(path).st_mode & 07777), mode);
}

// A writable file in a folder that refuses the temporary file, or its renaming over a file of
// another user (sticky folder), is written in place: same file, same owner, nothing left over.
// A new file there cannot be made, and the reason names the folder.
void TestSafeWrite::folderRefusingTheTemporaryFile_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("newFile");
    QTest::newRow("immutable folder") << "immutable" << 0755 << false;
    QTest::newRow("immutable folder, new file") << "immutable" << 0755 << true;
    QTest::newRow("folder of another user") << "nobody" << 0755 << false;
    QTest::newRow("folder of another user, new file") << "nobody" << 0755 << true;
    QTest::newRow("sticky folder, another user's file") << "nobody" << 01777 << false;
    QTest::newRow("another user's file in a writable folder") << "nobody" << 0777 << false;
}

void TestSafeWrite::folderRefusingTheTemporaryFile()
{
    QFETCH(QString, how);
    QFETCH(int, folderMode);
    QFETCH(bool, newFile);
    if (geteuid() != 0)
        QSKIP("needs root to set up another user's files");
    QTemporaryDir dir;
    QCOMPARE(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    // Where a backup goes when the folder refuses it; it must be gone afterwards.
    const QString temp = dir.filePath("tmp");
    QVERIFY(QDir().mkdir(temp));
    QCOMPARE(chmod(qPrintable(temp), 01777), 0);
    struct TempDir {
        QByteArray saved = qgetenv("TMPDIR");
        ~TempDir() { qputenv("TMPDIR", saved); }
    } restoreTemp;
    qputenv("TMPDIR", QFile::encodeName(temp));
    const QString folder = dir.filePath("docs");
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(chmod(qPrintable(folder), folderMode), 0);
    const QString path = folder + (newFile ? "/new.html" : "/page.html");
    if (!newFile) {
        writeFile(path, "old content");
        QCOMPARE(chmod(qPrintable(path), 0666), 0);
    }
    const ino_t inode = info(path).st_ino;

    WriteResult result;
    {
        std::unique_ptr<Immutable> locked;
        if (how == "immutable") {
            locked = std::make_unique<Immutable>(folder);
            if (!locked->ok)
                QSKIP("chattr +i is not available here");
        }
        result = how == "nobody" ? writeAsNobody(path, "new") : writeFileSafely(path, "new");
    }
    if (newFile) {
        QCOMPARE(result.status, WriteResult::Status::FolderNotWritable);
        QVERIFY2(result.reason.contains(QDir::toNativeSeparators(folder)), qPrintable(result.reason));
        QCOMPARE(entries(folder), QStringList{});
    } else {
        QVERIFY2(result.written(), qPrintable(result.reason));
        QCOMPARE(fileBytes(path), QByteArray("new"));
        QCOMPARE(info(path).st_ino, inode);
        QCOMPARE(info(path).st_uid, uid_t(0));
        QCOMPARE(entries(folder), QStringList{"page.html"});
    }
    QCOMPARE(entries(temp), QStringList{});
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
    QVERIFY(readFileFully(path, &out, &error));
    QCOMPARE(out, bytes);
    writeFile(path, QByteArray());
    QVERIFY(readFileFully(path, &out, &error));
    QCOMPARE(out, QByteArray());
}

void TestSafeWrite::readFailures()
{
    QTemporaryDir dir;
    QByteArray out = "stale";
    QString error;
    QVERIFY(!readFileFully(dir.filePath("missing.html"), &out, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(out, QByteArray("stale"));
}

void TestSafeWrite::onlyRegularFiles_data()
{
    QTest::addColumn<QString>("make");  // %1: the name to make
    QTest::newRow("folder") << "mkdir %1";
    QTest::newRow("FIFO") << "mkfifo %1";
    QTest::newRow("device") << "ln -s /dev/zero %1";
}

// Refused at once, for reading and writing alike: a FIFO without a writer must not hang
// (the alarm ends a hanging test instead of letting it wait for the time-out).
void TestSafeWrite::onlyRegularFiles()
{
    QFETCH(QString, make);
    QTemporaryDir dir;
    const QString path = dir.filePath("page.html");
    QVERIFY(shell(make.arg(path)));
    alarm(20);
    QByteArray out = "stale";
    QString readError;
    const bool read = readFileFully(path, &out, &readError);
    const WriteResult written = writeFileSafely(path, "new");
    alarm(0);
    QVERIFY(!read);
    QVERIFY(!readError.isEmpty());
    QCOMPARE(out, QByteArray("stale"));
    QCOMPARE(written.status, WriteResult::Status::Failed);
    QCOMPARE(written.reason, readError);
    QCOMPARE(entries(dir.path()), QStringList{"page.html"});
}

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
