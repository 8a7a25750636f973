// Time from F5 to the preview's load-finished signal for a page of about 1 MB.
// Run by hand: build/bin/bench_preview [runs]   (offscreen unless a display is set; as root the
// browser engine also needs QTWEBENGINE_DISABLE_SANDBOX=1, which this sets when unset).
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString MegabytePage()
{
    QString page = QStringLiteral("<html><head><title>bench</title></head><body>\n");
    int row = 0;
    while (page.size() < 1024 * 1024)
        page += QStringLiteral("<p>%1 段落の本文 paragraph text for the preview benchmark.</p>\n").arg(row++);
    return page + QStringLiteral("</body></html>");
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    frmMain form;
    form.show();
    form.document().SetFile(dir.filePath(QStringLiteral("bench.html")), QStringLiteral("bench.html"),
                            TextEncoding::ShiftJis);
    const QString page = MegabytePage();
    form.txtHTML->SetText(page);
    std::printf("page: %lld UTF-16 characters\n", static_cast<long long>(page.size()));

    std::vector<double> ms;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the engine up and is not counted
        // Alternate the text so each run writes and shows a changed file.
        form.txtHTML->SetText(i % 2 ? page + QStringLiteral("\n") : page);
        QEventLoop loop;
        bool ok = false;
        auto conn = QObject::connect(form.Web, &QWebEngineView::loadFinished, &loop,
                                     [&](bool success) { ok = success; loop.quit(); });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        form.mnuWeb_Click();
        const double saved = timer.nsecsElapsed() / 1e6;
        loop.exec();
        const double elapsed = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(conn);
        if (!ok) {
            std::printf("run %d: load failed or timed out\n", i);
            return 1;
        }
        std::printf("run %d: %.1f ms (of which the save %.1f ms)%s\n", i, elapsed, saved,
                    i == 0 ? ", engine start-up included, not counted" : "");
        if (i > 0)
            ms.push_back(elapsed);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("F5 -> loadFinished, %zu runs: median %.1f ms, min %.1f ms, max %.1f ms\n", ms.size(),
                ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
