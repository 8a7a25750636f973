// Document-file bytes -> text -> bytes. Checks that decoding never leaves a CR in the text,
// that writing is idempotent (saving a saved file again rewrites the same bytes), that text
// survives a save unless it held characters the encoding cannot store, and that a file
// whose bytes are already in canonical form is written back unchanged, apart from the
// final line break a file without one gains.
#include "app/DocumentCodec.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

// Decodes with a known encoding, as the editor would reread a file it wrote.
QString DecodeAs(const QByteArray &bytes, TextEncoding encoding)
{
    QString text;
    if (encoding == TextEncoding::ShiftJis) {
        text = DecodeShiftJis(bytes);
    } else {
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        Require(bom == (encoding == TextEncoding::Utf8Bom));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = utf8.decode(bom ? bytes.sliced(3) : bytes);
    }
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

bool HasLoneBreak(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n')
                return true;
            ++i;
        } else if (bytes[i] == '\n') {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedDocument doc = DecodeDocument(input);
    if (doc.hasNul) {
        Require(input.contains('\0') && doc.text.isEmpty());
        return 0;
    }
    Require(!doc.text.contains(u'\r'));
    (void)ChooseWriteEncoding(doc.text, doc.encoding);

    const EncodedDocument saved = EncodeDocument(doc.text, doc.encoding);
    Require(saved.bytes.endsWith("\r\n") && !HasLoneBreak(saved.bytes));
    if (!doc.hadInvalidBytes)
        Require(!saved.unstorable); // what was read can be stored again

    const QString reread = DecodeAs(saved.bytes, doc.encoding);
    const EncodedDocument again = EncodeDocument(reread, doc.encoding);
    Require(again.bytes == saved.bytes && !again.unstorable);

    QString expected = doc.text;
    if (!expected.endsWith(u'\n'))
        expected += u'\n';
    if (!saved.unstorable)
        Require(reread == expected);

    if (!doc.hadInvalidBytes && !HasLoneBreak(input)) {
        const QByteArrayView body = doc.encoding == TextEncoding::Utf8Bom ? QByteArrayView(input).sliced(3)
                                                                         : QByteArrayView(input);
        // Code page 932 gives some characters two codes and writes the preferred one.
        const bool canonical = doc.encoding != TextEncoding::ShiftJis
            || EncodeShiftJis(DecodeShiftJis(body)) == body;
        if (canonical)
            Require(saved.bytes == (doc.text.endsWith(u'\n') ? input : input + "\r\n"));
    }
    return 0;
}
