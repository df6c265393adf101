#include "util/text.h"

#include "platform/system_info.h"

#include <charconv>

namespace quillon::util {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string UpperAscii(std::string text) {
    for (char& c : text) c = UpperAscii(c);
    return text;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::vector<std::string> SplitText(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    if (text.empty() || separator == '\0') return pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::size_t FindSeparatorRun(std::string_view text, char a, char b) {
    std::size_t i = 0;
    while (i < text.size() && text[i] != a && text[i] != b) ++i;
    if (i == text.size()) return std::string_view::npos;
    while (i + 1 < text.size() && (text[i + 1] == a || text[i + 1] == b)) ++i;
    return i;
}

double TextToNumber(std::string_view text) {
    // from_chars, not strtod: the reading must not follow the user's locale (a Qt program
    // sets it), since the texts come from the engine and from our own settings.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i < text.size() && text[i] == '-') return 0.0;  // from_chars would take a second sign
    double value = 0.0;
    const char* first = text.data() + i;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec != std::errc() || end == first) return 0.0;
    return negative ? -value : value;
}

std::optional<std::string> SystemErrorText(int code) { return platform::ErrorText(code); }

}  // namespace quillon::util
