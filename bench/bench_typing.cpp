// Typing into a big document: 1,000 characters typed into a 10 MB document through the real
// main window (every keystroke through the pane's change event and the caption). Prints the
// median and worst time per keystroke, for a small document and for the big one: what a
// keystroke costs must not grow with the document.
//
// Usage: bench_typing [rounds]
// Each document is open twice, without colour and with it, and the keys go to the two in turn,
// 100 at a time: a neighbour's load on the machine then falls on both alike, and their ratio
// holds where the times themselves vary. Beside the wall time, the main thread's own CPU time
// per key is printed: it counts only what the editor does.
// Then the typing aids, off and on (both in colour), the same way: HTML typed in the middle of
// the document, " <em>text</em>" over and over, every character typed, so both panes end with the
// same text (with the aids a list opens on "<e", "</" completes the end tag and the "em>" typed
// after it is taken as typed); with the time from a key to the completion list it opens.
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "support/Controls.h"
#include "edit/TagAssist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

QString document(qsizetype bytes)
{
    const QString line = QStringLiteral("<p class=\"note\">日本語のテキストと English text, 123</p>\n");
    QString s;
    s.reserve(bytes + line.size());
    while (s.size() < bytes / 2)  // about two bytes a character once stored
        s += line;
    return s;
}

double threadMicroseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Pane {
    bool colour;
    bool aids;
    const char *keys;
    std::unique_ptr<frmMain> form = std::make_unique<frmMain>();
    std::vector<double> wall, cpu, listOpened;
    int typed = 0;

    Pane(bool colour_, const QString &text, bool aids_ = false, const char *keys_ = "abcdefghij")
        : colour(colour_), aids(aids_), keys(keys_)
    {
        form->show();
        txtHTML(*form)->setSyntaxColouring(colour);
        TagAssist::of(*txtHTML(*form)).setEnabled(aids);
        txtHTML(*form)->SetText(text);
        if (aids_ || keys_ != std::string_view("abcdefghij")) {
            // The aids read around the caret: from the middle of the document, both ways.
            QTextCursor c = txtHTML(*form)->textCursor();
            c.setPosition(txtHTML(*form)->document()->findBlockByNumber(txtHTML(*form)->document()->blockCount() / 2).position());
            txtHTML(*form)->setTextCursor(c);
        } else {
            txtHTML(*form)->moveCursor(QTextCursor::Start);
        }
    }

    void type(int keys)
    {
        QApplication::setActiveWindow(form.get());
        txtHTML(*form)->setFocus();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        const QListWidget *list = TagAssist::of(*txtHTML(*form)).list();
        const size_t cycle = std::strlen(this->keys);
        for (int i = 0; i < keys; ++i, ++typed) {
            const char c = this->keys[typed % cycle];
            const bool listBefore = list->isVisible();
            const double cpuStart = threadMicroseconds();
            t.start();
            QTest::keyClick(txtHTML(*form), c);
            QCoreApplication::processEvents();  // let the pane lay out and paint what changed
            wall.push_back(t.nsecsElapsed() / 1000.0);
            cpu.push_back(threadMicroseconds() - cpuStart);
            if (!listBefore && list->isVisible())
                listOpened.push_back(wall.back());
        }
    }

    void print(const char *label, qsizetype chars) const
    {
        std::vector<double> sorted = wall;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-14s %-10s %-8s %8lld chars  median %7.1f us (cpu %7.1f)  p99 %8.1f us  worst %8.1f us  caption \"%s\"\n",
                    label, colour ? "colour" : "no colour", aids ? "aids" : "no aids", (long long)chars, median(wall),
                    median(cpu), sorted[sorted.size() * 99 / 100], sorted.back(), qPrintable(form->windowTitle()));
        if (!listOpened.empty())
            std::printf("%-14s   completion list opened %zu times: median %.1f us, worst %.1f us after the key\n", label,
                        listOpened.size(), median(listOpened),
                        *std::max_element(listOpened.begin(), listOpened.end()));
    }
};

} // namespace

int main(int argc, char **argv)
{
    BenchApp app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const struct {
        const char *label;
        QString text;
    } documents[] = {{"small (10 kB)", document(10 * 1000)}, {"big (10 MB)", document(10 * 1000 * 1000)}};

    std::vector<double> ratios[2][2];  // [document][wall, cpu]
    for (int round = 0; round < rounds; ++round) {
        for (int d = 0; d < 2; ++d) {
            Pane plain(false, documents[d].text), coloured(true, documents[d].text);
            for (int block = 0; block < 10; ++block) {
                plain.type(100);
                coloured.type(100);
            }
            plain.print(documents[d].label, documents[d].text.size());
            coloured.print(documents[d].label, documents[d].text.size());
            ratios[d][0].push_back(median(coloured.wall) / median(plain.wall));
            ratios[d][1].push_back(median(coloured.cpu) / median(plain.cpu));
            std::fflush(stdout);
        }
    }
    // The typing aids off and on, both in colour, HTML typed in the middle of the document.
    const char *html = " <em>text</em>";
    std::vector<double> aidRatios[2][2];
    for (int round = 0; round < rounds; ++round) {
        for (int d = 0; d < 2; ++d) {
            Pane off(true, documents[d].text, false, html), on(true, documents[d].text, true, html);
            for (int block = 0; block < 10; ++block) {
                off.type(100);
                on.type(100);
            }
            off.print(documents[d].label, documents[d].text.size());
            on.print(documents[d].label, documents[d].text.size());
            aidRatios[d][0].push_back(median(on.wall) / median(off.wall));
            aidRatios[d][1].push_back(median(on.cpu) / median(off.cpu));
            std::fflush(stdout);
        }
    }
    std::printf("\ncolour / no colour, median over %d rounds:\n", rounds);
    for (int d = 0; d < 2; ++d)
        std::printf("%-14s wall %.2fx  cpu %.2fx\n", documents[d].label, median(ratios[d][0]), median(ratios[d][1]));
    std::printf("typing aids on / off (in colour), median over %d rounds:\n", rounds);
    for (int d = 0; d < 2; ++d)
        std::printf("%-14s wall %.2fx  cpu %.2fx\n", documents[d].label, median(aidRatios[d][0]), median(aidRatios[d][1]));
    return 0;
}
