#include "util/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon::util {

std::optional<double> ReadNumber(std::string_view text) {
    if (text.starts_with('+') && text.size() > 1 && text[1] != '-') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
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
