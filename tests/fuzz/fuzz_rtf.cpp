// Feeds arbitrary bytes to the RTF reader, decoded as the help window would decode a file
// (Shift_JIS) or byte for byte (Latin-1), chosen by the length.
#include "windows/core/RtfReader.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

// The application above is never destroyed, so fontconfig's caches, which it would free,
// stay allocated at exit; that is not a fault of the code under test.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Character formats reach for fonts, which need a GUI application. It lives until the
    // process ends: destroying it among the other statics at exit crashes inside Qt.
    static QGuiApplication *app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_rtf";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(app);

    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    if (size % 2) {
        QStringDecoder sjis("Shift_JIS");
        text = sjis.decode(bytes);
    } else {
        text = QString::fromLatin1(bytes);
    }
    QTextDocument doc;
    readRtf(text, doc);
    // Lay it out too: formats the reader made must also be safe to render.
    doc.setTextWidth(300);
    (void)doc.size();
    // Let the font cache's cleanup timer run, as the program's event loop would.
    QCoreApplication::processEvents();
    return 0;
}
