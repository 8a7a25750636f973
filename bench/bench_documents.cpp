// Opening and saving a generated 50 MB Shift_JIS HTML file through the File menu's commands,
// beside the bare work those commands cannot avoid, measured in the same run:
//   open baseline: read the bytes, decode them as Shift_JIS, give them to a bare QPlainTextEdit;
//   save baseline: take the text from that QPlainTextEdit, encode it as Shift_JIS, write it
//                  through QSaveFile (which syncs to disk on commit, as a safe save must).
// The encoding detector's share of the open: the file decoded with detection (as Open does)
// against the same bytes decoded as Shift_JIS without it, in the same run.
// Run by hand: build/bin/bench_documents [runs] [megabytes] [folder]
// (offscreen unless a display is set; the folder defaults to a temporary one in /tmp).
#include "bench/BenchApp.h"
#include "app/core/DocumentCodec.h"
#include "app/core/EncodingDetector.h"
#include "app/frmMain.h"
#include "support/Controls.h"
#include "app/mdlIO.h"
#include "app/platform/Japanese.h"
#include "app/platform/Paths.h"
#include "app/platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray generatePage(qsizetype bytes)
{
    QString line;
    QByteArray out;
    out.reserve(bytes + 256);
    QStringEncoder sjis("Shift_JIS");
    out += "<html>\r\n<head>\r\n<title>bench</title>\r\n</head>\r\n<body>\r\n";
    for (int row = 0; out.size() < bytes; ++row) {
        line = QStringLiteral("<p class=\"r%1\">%2 行目：日本語の本文と ASCII text が混ざった段落です～。</p>\r\n")
                   .arg(row % 7)
                   .arg(row);
        out += sjis.encode(line);
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The process's resident memory now (VmRSS) or at its peak (VmHWM), in MB.
double memoryMb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// Peak RSS while work runs: the peak is set back to the present first (Linux's clear_refs).
double peakMb(const std::function<void()> &work)
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    reset.close();
    work();
    return memoryMb("VmHWM:");
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    QCoreApplication::processEvents();  // the first layout and paint of the new text
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApp app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const qsizetype megabytes = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    QTemporaryDir scratch(argc > 3 ? QString::fromLocal8Bit(argv[3]) + QStringLiteral("/bench-XXXXXX")
                                   : QString());
    if (!scratch.isValid()) {
        std::printf("no scratch folder\n");
        return 1;
    }

    BenchPlatform platform;
    setPlatform(&platform);
    const QString docPath = scratch.filePath(QStringLiteral("bench.html"));
    const QString basePath = scratch.filePath(QStringLiteral("baseline.html"));
    platform.path = docPath;
    const QByteArray original = generatePage(megabytes * 1024 * 1024);
    {
        QFile f(docPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(original) != original.size())
            return 1;
    }
    std::printf("file: %lld bytes of Shift_JIS HTML in %s\n", static_cast<long long>(original.size()),
                qPrintable(scratch.path()));

    frmMain form;
    form.resize(800, 600);
    form.show();
    QPlainTextEdit bare;
    bare.resize(400, 560);
    bare.show();
    QCoreApplication::processEvents();

    std::vector<double> open, openBase, save, saveBase, detected, forced, guesses, peakOpen,
        peakOpenBase, peakSave;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms caches up and is not counted
        // Empty both panes first, so each run fills a fresh document.
        txtHTML(form)->SetText(QString());
        bare.setPlainText(QString());
        form.document().setModified(false);
        QCoreApplication::processEvents();

        double ob = 0, o = 0;
        const double before = memoryMb("VmRSS:");
        const double pb = peakMb([&] {
            ob = timeMs([&] {
                const QByteArray bytes = readAll(docPath);
                QStringDecoder decoder("Shift_JIS");
                bare.setPlainText(decoder.decode(bytes));
            });
        });
        const double between = memoryMb("VmRSS:");
        const double po = peakMb([&] { o = timeMs([&] { form.mnuOpen_Click(); }); });
        if (form.document().FilePath() != docPath || form.document().IsModified() || platform.questions) {
            std::printf("run %d: the open did not complete\n", i);
            return 1;
        }
        const QByteArray bytes = readAll(docPath);
        // Alternated three times, the fastest of each: the two differ by milliseconds, far
        // less than a busy machine's noise on seconds.
        double dd = 1e12, df = 1e12;
        for (int k = 0; k < 3; ++k) {
            dd = std::min(dd, timeMs([&] {
                if (decodeDocument(bytes).encoding != TextEncoding::ShiftJis)
                    std::printf("run %d: the detector missed Shift_JIS\n", i);
            }));
            df = std::min(df, timeMs([&] { (void)decodeDocumentAs(bytes, TextEncoding::ShiftJis); }));
        }
        // The detector's own steps alone, repeated for a readable figure.
        constexpr int Guesses = 20;
        const double dg = timeMs([&] {
            for (int k = 0; k < Guesses; ++k) {
                (void)declaredEncoding(QString::fromLatin1(bytes.first(64 * 1024)));
                (void)bytes.isValidUtf8();
                (void)guessJapaneseLegacy(bytes);
            }
        }) / Guesses;
        const double sb = timeMs([&] {
            QStringEncoder encoder("Shift_JIS");
            QString text = bare.toPlainText();
            text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            const QByteArray bytes = encoder.encode(text);
            QSaveFile f(basePath);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
                std::printf("baseline write failed\n");
        });
        SaveResult saved;
        double s = 0;
        const double beforeSave = memoryMb("VmRSS:");
        const double ps = peakMb([&] {
            s = timeMs([&] {
                DocumentContext c = form.context();
                saved = mdlIO::SaveDocument(c);
            });
        });
        if (!saved.written() || platform.questions) {
            std::printf("run %d: the save did not complete\n", i);
            return 1;
        }
        if (readAll(docPath) != original) {
            std::printf("run %d: open and save changed the file\n", i);
            return 1;
        }
        std::printf("run %d: open %.0f ms (baseline %.0f ms), save %.0f ms (baseline %.0f ms), "
                    "decode with detection %.1f ms, without %.1f ms, detector alone %.3f ms%s\n",
                    i, o, ob, s, sb, dd, df, dg, i == 0 ? ", not counted" : "");
        // Peak memory above what the process held before each step.
        std::printf("run %d: peak RSS open +%.0f MB (baseline +%.0f MB), save +%.0f MB\n", i,
                    po - between, pb - before, ps - beforeSave);
        if (i > 0) {
            open.push_back(o);
            openBase.push_back(ob);
            save.push_back(s);
            saveBase.push_back(sb);
            detected.push_back(dd);
            forced.push_back(df);
            guesses.push_back(dg);
            peakOpen.push_back(po - between);
            peakOpenBase.push_back(pb - before);
            peakSave.push_back(ps - beforeSave);
        }
    }
    const double ro = median(open) / median(openBase);
    const double rs = median(save) / median(saveBase);
    std::printf("median of %d runs: open %.0f ms vs baseline %.0f ms = %.2fx; save %.0f ms vs "
                "baseline %.0f ms = %.2fx (target: within 1.25x)\n",
                runs, median(open), median(openBase), ro, median(save), median(saveBase), rs);
    std::printf("peak RSS above the process's before each step, medians: open +%.0f MB (baseline "
                "+%.0f MB), save +%.0f MB; the process peaked at %.0f MB\n",
                median(peakOpen), median(peakOpenBase), median(peakSave), memoryMb("VmHWM:"));
    const double detector = median(detected) - median(forced);
    std::printf("detector: decode %.1f ms with detection vs %.1f ms without = %+.1f ms, %+.1f%% of the "
                "open (open without it: about %.0f ms; target: at most +5%%)\n",
                median(detected), median(forced), detector, 100.0 * detector / median(open),
                median(open) - detector);
    std::printf("detector alone (declaration, UTF-8 check, Shift_JIS/EUC-JP score): %.3f ms = %.3f%% "
                "of the open\n", median(guesses), 100.0 * median(guesses) / median(open));
    setPlatform(nullptr);
    return ro <= 1.25 && rs <= 1.25 ? 0 : 2;
}
