// Names reach the settings store from the file system and need not be UTF-8: any bytes must
// come back unchanged through UTF-16, and well-formed text must convert both ways alike.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "util/utf16.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillon::util;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto kept = Utf8ToUtf16(bytes, BadText::KeepBytes);
    if (!kept || Utf16ToUtf8(*kept, BadText::KeepBytes) != bytes) std::abort();
    const auto strict = Utf8ToUtf16(bytes);
    if (strict && (*strict != *kept || Utf16ToUtf8(*strict) != bytes)) std::abort();
    // Any units at all read as text once unpaired halves are replaced.
    const std::u16string units = Utf16FromLittleEndian({data, size});
    const auto replaced = Utf16ToUtf8(units, BadText::Replace);
    if (!replaced || !Utf8ToUtf16(*replaced)) std::abort();
    return 0;
}
