#include "util/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon::util {

namespace {

// The number at the start of text, with one sign at most; `end` is where it stops.
std::optional<double> SignedNumber(std::string_view text, const char*& end) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '-') return std::nullopt;  // from_chars would take a second sign
    double value = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (result.ec != std::errc()) return std::nullopt;
    end = result.ptr;
    return negative ? -value : value;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
    const char* end = nullptr;
    const std::optional<double> value = SignedNumber(text, end);
    if (!value || end != text.data() + text.size() || !std::isfinite(*value)) return std::nullopt;
    return value;
}

double TextToNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    const char* end = nullptr;
    return SignedNumber(text.substr(i), end).value_or(0.0);
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Counted towards the negative end, which holds one more than the positive one.
    constexpr long long kLowest = std::numeric_limits<int>::min();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::max(value * 10 - (text[i] - '0'), kLowest);
    }
    if (negative) return static_cast<int>(value);
    return static_cast<int>(std::min(-value, static_cast<long long>(std::numeric_limits<int>::max())));
}

}  // namespace quillon::util
