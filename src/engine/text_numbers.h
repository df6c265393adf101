#pragma once
// Number reading for engine output, the way the C library reads leading numbers (without its
// locale): leading digits, 0 when there are none.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace quillon::engine::detail {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Leading decimal digits of `text` from `pos`; saturates instead of overflowing. `pos` moves
// behind the digits.
inline uint64_t ReadDigits(std::string_view text, std::size_t& pos) {
    uint64_t value = 0;
    constexpr uint64_t limit = std::numeric_limits<uint32_t>::max();
    while (pos < text.size() && IsDigit(text[pos])) {
        value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
        if (value > limit) value = limit;
        ++pos;
    }
    return value;
}

inline uint64_t LeadingUnsigned(std::string_view text) {
    std::size_t pos = 0;
    return ReadDigits(text, pos);
}

// Leading decimal number with an optional fraction; 0 when there is none.
inline double LeadingDouble(std::string_view text, std::size_t* used = nullptr) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || !std::isfinite(value)) {
        if (used) *used = 0;
        return 0;
    }
    if (used) *used = static_cast<std::size_t>(end - text.data());
    return value;
}

inline std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return text.substr(i);
}

}  // namespace quillon::engine::detail
