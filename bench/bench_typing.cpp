// Typing into a big document: 1,000 characters typed into a 10 MB document through the real
// main window (every keystroke through the pane's change event and the caption). Prints the
// median and worst time per keystroke, for a small document and for the big one: what a
// keystroke costs must not grow with the document.
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
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

void measure(const char *label, const QString &text, bool colour)
{
    frmMain form;
    form.show();
    QApplication::setActiveWindow(&form);
    form.txtHTML->SetSyntaxColouring(colour);
    form.txtHTML->SetText(text);
    form.txtHTML->setFocus();
    form.txtHTML->moveCursor(QTextCursor::Start);
    QCoreApplication::processEvents();

    std::vector<double> us;
    us.reserve(1000);
    QElapsedTimer t;
    for (int i = 0; i < 1000; ++i) {
        const QChar c = QLatin1Char("abcdefghij"[i % 10]);
        t.start();
        QTest::keyClick(form.txtHTML, c.toLatin1());
        QCoreApplication::processEvents();  // let the pane lay out and paint what changed
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    std::printf("%-22s %-10s %9lld chars  median %8.1f us  p99 %8.1f us  worst %8.1f us  caption \"%s\"\n",
                label, colour ? "colour" : "no colour", (long long)text.size(), us[us.size() / 2], us[us.size() * 99 / 100], us.back(),
                qPrintable(form.windowTitle()));
}

} // namespace

int main(int argc, char **argv)
{
    BenchApp app(argc, argv);
    // Each with the tags in colour and without: colouring must not make typing slower.
    for (const bool colour : {false, true}) {
        measure("small (10 kB)", document(10 * 1000), colour);
        measure("big (10 MB)", document(10 * 1000 * 1000), colour);
    }
    return 0;
}
