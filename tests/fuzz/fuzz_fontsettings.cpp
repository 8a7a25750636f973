// Settings-file bytes -> font values. Whatever is accepted must survive being written out
// and read back unchanged, and the written form must be stable.
#include "app/core/QuotedValue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto values = parseFontSettings(bytes);
    if (!values)
        return 0;
    if (values->name.isEmpty() || !(values->size > 0 && values->size <= MaxFontPointSize))
        std::abort();
    const QByteArray written = formatFontSettings(*values);
    const auto back = parseFontSettings(written);
    if (!back || !(*back == *values))
        std::abort();
    if (formatFontSettings(*back) != written)
        std::abort();
    return 0;
}
