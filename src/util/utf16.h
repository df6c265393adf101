#pragma once
// UTF-8 and UTF-16 conversions for the files that store text as UTF-16 (the settings store,
// Windows shortcuts) and for checking UTF-8 before it is written out.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillon::util {

// What a conversion does with text that is not well-formed.
enum class BadText {
    Reject,     // no result
    KeepBytes,  // a byte that is not UTF-8 (Linux file names need not be) becomes the lone
                // surrogate U+DC00 + byte and comes back as that byte; other lone surrogates reject
    Replace,    // U+FFFD in its place
};

// Length of the well-formed UTF-8 sequence at text[at], 0 when the bytes there are not one
// (cut short, overlong, a surrogate or above U+10FFFF). `codePoint` receives its value.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint);
void AppendUtf8(std::string& out, char32_t codePoint);

std::optional<std::u16string> Utf8ToUtf16(std::string_view text, BadText bad = BadText::Reject);
std::optional<std::string> Utf16ToUtf8(std::u16string_view units, BadText bad = BadText::Reject);

// Units from little-endian byte pairs; an odd last byte is left out.
std::u16string Utf16FromLittleEndian(std::span<const uint8_t> bytes);

}  // namespace quillon::util
