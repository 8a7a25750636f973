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
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "support/Controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
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
    std::unique_ptr<frmMain> form = std::make_unique<frmMain>();
    std::vector<double> wall, cpu;
    int typed = 0;

    Pane(bool colour_, const QString &text) : colour(colour_)
    {
        form->show();
        txtHTML(*form)->setSyntaxColouring(colour);
        txtHTML(*form)->SetText(text);
        txtHTML(*form)->moveCursor(QTextCursor::Start);
    }

    void type(int keys)
    {
        QApplication::setActiveWindow(form.get());
        txtHTML(*form)->setFocus();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        for (int i = 0; i < keys; ++i, ++typed) {
            const char c = "abcdefghij"[typed % 10];
            const double cpuStart = threadMicroseconds();
            t.start();
            QTest::keyClick(txtHTML(*form), c);
            QCoreApplication::processEvents();  // let the pane lay out and paint what changed
            wall.push_back(t.nsecsElapsed() / 1000.0);
            cpu.push_back(threadMicroseconds() - cpuStart);
        }
    }

    void print(const char *label, qsizetype chars) const
    {
        std::vector<double> sorted = wall;
        std::sort(sorted.begin(), sorted.end());
        std::printf("%-14s %-10s %8lld chars  median %7.1f us (cpu %7.1f)  p99 %8.1f us  worst %8.1f us  caption \"%s\"\n",
                    label, colour ? "colour" : "no colour", (long long)chars, median(wall), median(cpu),
                    sorted[sorted.size() * 99 / 100], sorted.back(), qPrintable(form->windowTitle()));
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
    std::printf("\ncolour / no colour, median over %d rounds:\n", rounds);
    for (int d = 0; d < 2; ++d)
        std::printf("%-14s wall %.2fx  cpu %.2fx\n", documents[d].label, median(ratios[d][0]), median(ratios[d][1]));
    return 0;
}
