// Crash recovery on a big document: what one keeping of the unsaved text costs the window's
// thread (taking the pane's text and handing it over) and what the write itself takes on the
// worker thread, for a 10 MB document. The window's share must stay under a frame (16 ms).
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "support/Controls.h"

#include <QCoreApplication>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    BenchApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString line = QStringLiteral("<p class=\"note\">日本語のテキストと English text, 123</p>\n");
    QString text;
    while (text.size() < 5 * 1000 * 1000)  // about 10 MB once stored
        text += line;

    frmMain form;
    form.show();
    txtHTML(form)->SetText(text);
    std::vector<double> window, write;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms up and is not counted
        // The keeping runs as in the program: the text copied in slices from the event loop,
        // then written on the worker. Each slice's share of the window's thread is timed.
        txtHTML(form)->setSelText(QStringLiteral(" "));  // an edit: there is something to keep
        double longestSlice = 0, previous = 0;
        QElapsedTimer t, slice;
        bool copied = false;
        auto conn = QObject::connect(&form.recoverySnapshot(), &TextSnapshot::done, [&] { copied = true; });
        t.start();
        form.recoverySnapshot().start();
        while (!copied) {
            slice.start();
            QCoreApplication::processEvents();
            longestSlice = std::max(longestSlice, slice.nsecsElapsed() / 1e6);
        }
        previous = t.nsecsElapsed() / 1e6;
        form.recovery().flush();
        const double written = t.nsecsElapsed() / 1e6 - previous;
        QObject::disconnect(conn);
        std::printf("run %d: copied in %.1f ms, longest hold of the window %.1f ms; write on the worker "
                    "%.1f ms%s\n", i, previous, longestSlice, written, i == 0 ? ", not counted" : "");
        if (i > 0) {
            window.push_back(longestSlice);
            write.push_back(written);
        }
    }
    std::sort(window.begin(), window.end());
    std::sort(write.begin(), write.end());
    std::printf("10 MB document, median of %d: longest hold of the window %.1f ms (target under 16 ms), "
                "write on the worker %.1f ms\n",
                runs, window[window.size() / 2], write[write.size() / 2]);
    form.document().setModified(false);
    return window[window.size() / 2] < 16 ? 0 : 2;
}
