// Document-file bytes -> text -> bytes. Checks that decoding never leaves a CR in the text,
// that writing is idempotent (saving a saved file again rewrites the same bytes), that text
// survives a save unless it held characters the encoding cannot store, that a valid file
// is written back unchanged, line ends included, and that the same text as a new document's
// is written with CR LF breaks only.
#include "app/core/DocumentCodec.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool hasLoneBreak(QByteArrayView bytes)
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
    const DecodedDocument doc = decodeDocument(input);
    if (doc.hasNul) {
        require(input.contains('\0') && doc.text.isEmpty());
        return 0;
    }
    require(!doc.text.contains(u'\r'));
    for (qsizetype k = 1; k < doc.spellings.size(); ++k)
        require(doc.spellings[k - 1].position < doc.spellings[k].position);
    (void)chooseWriteEncoding(doc.text, doc.encoding);

    const bool utf16 = doc.encoding == TextEncoding::Utf16Le || doc.encoding == TextEncoding::Utf16Be;
    const EncodedDocument saved = encodeDocument(doc.text, doc.encoding, doc.spellings, doc.lineEnds);
    if (!utf16) {
        const QByteArray fresh = encodeDocument(doc.text, doc.encoding, doc.spellings).bytes;
        require(fresh.endsWith("\r\n") && !hasLoneBreak(fresh));
    }
    if (!doc.hadInvalidBytes)
        require(!saved.unstorable); // what was read can be stored again

    // Saving what was saved, read back as the editor would, changes nothing more.
    const DecodedDocument reread = decodeDocumentAs(saved.bytes, doc.encoding);
    const EncodedDocument again = encodeDocument(reread.text, doc.encoding, reread.spellings, reread.lineEnds);
    require(again.bytes == saved.bytes && !again.unstorable);

    if (!saved.unstorable)
        require(reread.text == doc.text);

    // An unedited save of a valid file writes its bytes; ISO-2022-JP may choose other escape
    // sequences for the same text.
    if (!doc.hadInvalidBytes && !utf16 && doc.encoding != TextEncoding::Iso2022Jp)
        require(saved.bytes == input);
    return 0;
}
