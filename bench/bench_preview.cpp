// Time from F5 to the preview's load-finished signal for a page of about 1 MB: the sandboxed
// preview pane, and in the same run, interleaved, a plain browser view on the engine's default
// profile loading the same saved file (how the pane worked before it was sandboxed).
// Run by hand: build/bin/bench_preview [runs]   (offscreen unless a display is set; as root the
// browser engine also needs QTWEBENGINE_DISABLE_SANDBOX=1, which this sets when unset).
#include "bench/BenchApp.h"
#include "app/frmMain.h"
#include "support/Controls.h"
#include "app/mdlIO.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <functional>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString megabytePage()
{
    QString page = QStringLiteral("<html><head><title>bench</title></head><body>\n");
    int row = 0;
    while (page.size() < 1024 * 1024)
        page += QStringLiteral("<p>%1 段落の本文 paragraph text for the preview benchmark.</p>\n").arg(row++);
    return page + QStringLiteral("</body></html>");
}

// Saves like F5 and shows the file in a plain view, reloading past the cache when it is shown.
void plainPreview(frmMain &form, QWebEngineView &web)
{
    DocumentContext c = form.context();
    const SaveResult saved = mdlIO::SaveDocument(c);
    web.settings()->setDefaultTextEncoding(encodingLabel(saved.encoding));
    const QUrl url = QUrl::fromLocalFile(form.document().FilePath());
    if (web.url() == url)
        web.triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    else
        web.setUrl(url);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    frmMain form;
    form.show();
    form.document().setFile(dir.filePath(QStringLiteral("bench.html")), QStringLiteral("bench.html"),
                            TextEncoding::ShiftJis);
    const QString page = megabytePage();
    txtHTML(form)->SetText(page);
    std::printf("page: %lld UTF-16 characters\n", static_cast<long long>(page.size()));

    QWebEngineView plain;
    plain.resize(Web(form)->size());
    plain.show();

    // One timed F5 into view; false when the load failed or timed out.
    const auto timed = [](QWebEngineView &view, const std::function<void()> &f5, double &ms) {
        QEventLoop loop;
        bool ok = false;
        auto conn = QObject::connect(&view, &QWebEngineView::loadFinished, &loop,
                                     [&](bool success) { ok = success; loop.quit(); });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        f5();
        loop.exec();
        ms = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(conn);
        return ok;
    };

    std::vector<double> sandboxed, plainMs;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the engine up and is not counted
        // Alternate the text so each run writes and shows a changed file.
        txtHTML(form)->SetText(i % 2 ? page + QStringLiteral("\n") : page);
        double a = 0, b = 0;
        if (!timed(*Web(form), [&] { form.mnuWeb_Click(); }, a)
            || !timed(plain, [&] { plainPreview(form, plain); }, b)) {
            std::printf("run %d: load failed or timed out\n", i);
            return 1;
        }
        std::printf("run %d: preview pane %.1f ms, plain view %.1f ms%s\n", i, a, b,
                    i == 0 ? " (engine start-up included, not counted)" : "");
        if (i > 0) {
            sandboxed.push_back(a);
            plainMs.push_back(b);
        }
    }
    const double mine = median(sandboxed), before = median(plainMs);
    std::printf("F5 -> loadFinished, %zu runs: preview pane median %.1f ms, plain view median "
                "%.1f ms, ratio %.2f\n", sandboxed.size(), mine, before, mine / before);
    return 0;
}
