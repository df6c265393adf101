#pragma once
// Reading numbers from text typed by people or written by other programs (the engine, our own
// settings): without the C library's locale, which a Qt program sets, and never undefined on
// overflow as atoi is.

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>

namespace quillon::util {

// The whole text as a decimal integer of T: an optional sign, digits and nothing else (no
// blanks). Nothing for other text and for a number outside T.
template <std::integral T>
std::optional<T> ReadInteger(std::string_view text) {
    if (text.starts_with('+') && text.size() > 1 && text[1] != '-') text.remove_prefix(1);
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The whole text as a finite decimal number: an optional sign, digits with a fraction or an
// exponent, nothing else.
std::optional<double> ReadNumber(std::string_view text);

// The leading decimal floating-point number of text, as the C library reads it; 0 without one.
double TextToNumber(std::string_view text);

// The integer at the start of the text as atoi reads it (blanks, a sign, digits; what follows
// is ignored), 0 without digits; beyond the range of int it stops at its ends.
int LeadingInteger(std::string_view text);

}  // namespace quillon::util
