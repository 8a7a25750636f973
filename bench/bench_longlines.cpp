// Long lines: a page whose text is on one line (as minified pages are) beside the same text
// broken into many lines, through the real main window. For each: the open through the File
// menu (to the first paint), the CPU used while it sits open for 5 s with the caret blinking at
// the end of the text, a page of scrolling, keystrokes typed at the end of the text, as fast
// as they are handled and at a person's pace, and an input method composing there (each update
// of its composition, and its commits), sent as the input method sends them.
// Run by hand: build/bin/bench_longlines [megabytes...] (default 1 10); with BENCH_SLOW set, each
// keystroke over 8 ms is printed as it comes; with BENCH_NO_AIDS set, the typing aids are off.
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "support/Controls.h"
#include "app/platform/Platform.h"
#include "edit/TagAssist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray page(qsizetype bytes, bool oneLine)
{
    const QByteArray unit = QStringLiteral("<div class=\"c\"><span>日本語テキスト</span><a href=\"/x\">link</a></div>")
                                .toUtf8();
    QByteArray out;
    out.reserve(bytes + 2 * unit.size());
    while (out.size() < bytes) {
        out += unit;
        if (!oneLine)
            out += "\r\n";
    }
    if (oneLine)
        out += "\r\n";
    return out;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Waits in the event loop without polling it, so the CPU counted is the program's own.
void waitIdle(int ms)
{
    QEventLoop wait;
    QTimer::singleShot(ms, Qt::PreciseTimer, &wait, &QEventLoop::quit);
    wait.exec();
}

double percentile(std::vector<double> v, int p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * p / 100)];
}

void measure(BenchPlatform &platform, const QString &folder, qsizetype megabytes, bool oneLine)
{
    const QByteArray bytes = page(megabytes * 1000 * 1000, oneLine);
    platform.path = folder + (oneLine ? QStringLiteral("/one.html") : QStringLiteral("/many.html"));
    QFile f(platform.path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return;
    f.close();

    frmMain form;
    form.show();
    TagAssist::of(*txtHTML(form)).setEnabled(!qEnvironmentVariableIsSet("BENCH_NO_AIDS"));
    QApplication::setActiveWindow(&form);
    QTest::qWait(200);

    QElapsedTimer t;
    t.start();
    form.mnuOpen_Click();
    QCoreApplication::processEvents();
    const double openMs = t.nsecsElapsed() / 1e6;

    // The caret at the end of the text, the pane scrolled to it, the caret blinking.
    txtHTML(form)->setFocus();
    txtHTML(form)->moveCursor(QTextCursor::End);
    txtHTML(form)->moveCursor(QTextCursor::PreviousCharacter);
    QTest::qWait(300);
    const double idleFrom = cpuSeconds();
    waitIdle(5000);
    const double idleCpu = cpuSeconds() - idleFrom;

    // A page of scrolling: sideways along the one line, down through the many.
    QScrollBar *bar = oneLine ? txtHTML(form)->horizontalScrollBar() : txtHTML(form)->verticalScrollBar();
    std::vector<double> scroll;
    for (int i = 0; i < 20; ++i) {
        t.start();
        bar->setValue(i % 2 ? bar->maximum() / 3 + i * bar->pageStep() : bar->maximum() / 2 - i * bar->pageStep());
        QCoreApplication::processEvents();
        scroll.push_back(t.nsecsElapsed() / 1e6);
    }
    txtHTML(form)->moveCursor(QTextCursor::End);
    txtHTML(form)->moveCursor(QTextCursor::PreviousCharacter);
    QCoreApplication::processEvents();

    // 100 keys, or as many as fit in 20 s when each takes long.
    std::vector<double> keys;
    QElapsedTimer budget;
    budget.start();
    for (int i = 0; i < 100 && (i < 10 || budget.elapsed() < 20000); ++i) {
        t.start();
        QTest::keyClick(txtHTML(form), char('a' + i % 26));
        QCoreApplication::processEvents();
        keys.push_back(t.nsecsElapsed() / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_SLOW") && keys.back() > 8)
            std::printf("  key %d: %.1f ms\n", i, keys.back());
    }
    // Typed at a person's pace, a key every 100 ms for 3 s, with the caret blinking between the
    // keys: how late each key is handled, its wait behind other work included.
    std::vector<double> paced;
    QElapsedTimer clock;
    clock.start();
    const double pacedFrom = cpuSeconds();
    for (int i = 0; i < 30; ++i) {
        const qint64 due = (i + 1) * 100;
        if (clock.elapsed() < due)
            waitIdle(int(due - clock.elapsed()));
        QTest::keyClick(txtHTML(form), char('a' + i % 26));
        QCoreApplication::processEvents();
        paced.push_back((clock.nsecsElapsed() - due * 1000000) / 1e6);
        if (qEnvironmentVariableIsSet("BENCH_SLOW") && paced.back() > 8)
            std::printf("  paced key %d: %.1f ms\n", i, paced.back());
    }
    const double pacedCpu = (cpuSeconds() - pacedFrom) / (clock.elapsed() / 1000.0) * 100;
    // An input method composing にほんご a character at a time, converting it to 日本語 (a
    // highlighted segment) and committing it, 20 times: 100 updates of the composition.
    std::vector<double> composing, commits;
    auto send = [&form](const QString &preedit, const QString &commit, int highlighted) {
        QTextCharFormat underline;
        underline.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        QTextCharFormat segment;
        segment.setBackground(Qt::darkBlue);
        segment.setForeground(Qt::white);
        QList<QInputMethodEvent::Attribute> attributes;
        if (!preedit.isEmpty()) {
            attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, int(preedit.size()), underline)
                       << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, int(preedit.size()), 1);
            if (highlighted > 0)
                attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0, highlighted, segment);
        }
        QInputMethodEvent event(preedit, attributes);
        event.setCommitString(commit);
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(txtHTML(form), &event);
        QCoreApplication::processEvents();
        return t.nsecsElapsed() / 1e6;
    };
    const QString reading = QStringLiteral("にほんご");
    for (int round = 0; round < 20; ++round) {
        for (int n = 1; n <= reading.size(); ++n)
            composing.push_back(send(reading.left(n), QString(), 0));
        composing.push_back(send(QStringLiteral("日本語"), QString(), 3));
        commits.push_back(send(QString(), QStringLiteral("日本語"), 0));
    }
    std::printf("%3lld MB %-9s open %7.0f ms  idle CPU %5.2f s in 5 s (%4.1f%%)  scroll p50 %7.1f ms  "
                "key p50 %7.2f ms  p99 %7.2f ms (%d keys)  paced: worst %6.1f ms, CPU %4.1f%%\n"
                "           composition update p50 %7.2f ms  p99 %7.2f ms  commit p50 %7.2f ms  p99 %7.2f ms\n",
                (long long)megabytes, oneLine ? "one line" : "lines", openMs, idleCpu, idleCpu / 5 * 100,
                percentile(scroll, 50), percentile(keys, 50), percentile(keys, 99), int(keys.size()),
                *std::max_element(paced.begin(), paced.end()), pacedCpu, percentile(composing, 50),
                percentile(composing, 99), percentile(commits, 50), percentile(commits, 99));
    std::fflush(stdout);
    form.document().setModified(false);  // no question about the typed keys when the window goes
}

} // namespace

int main(int argc, char **argv)
{
    BenchApp app(argc, argv);
    QTemporaryDir scratch;
    BenchPlatform platform;
    setPlatform(&platform);
    std::vector<qsizetype> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1, atoi(argv[i])));
    if (sizes.empty())
        sizes = {1, 10};
    for (const qsizetype mb : sizes) {
        measure(platform, scratch.path(), mb, false);
        measure(platform, scratch.path(), mb, true);
    }
    setPlatform(nullptr);
    return 0;
}
