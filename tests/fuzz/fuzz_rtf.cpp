// Feeds arbitrary bytes to the RTF reader, decoded as the help window would decode a file
// (Shift_JIS) or byte for byte (Latin-1), chosen by the length.
#include "windows/RtfReader.h"

#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Character formats reach for fonts, which need a GUI application.
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
    ReadRtf(text, doc);
    // Lay it out too: formats the reader made must also be safe to render.
    doc.setTextWidth(300);
    (void)doc.size();
    return 0;
}
