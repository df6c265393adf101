#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::util {

// ASCII letters in upper case; other bytes (UTF-8 included) unchanged.
std::string UpperAscii(std::string text);
// ASCII letters in lower case; other bytes unchanged. Unlike std::tolower, never depends on the
// user's locale (Qt sets it, and a Turkish one lowers 'I' to a non-ASCII byte).
std::string LowerAscii(std::string text);
char UpperAscii(char c);
char LowerAscii(char c);
// Equal but for the case of ASCII letters, as the registry compares key and value names.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The pieces of text between separators, empty pieces dropped. No pieces for an empty text
// or a separator of 0.
std::vector<std::string> SplitText(std::string_view text, char separator);

// Position of the last character of the first run made only of a and b; npos when the text
// holds neither.
std::size_t FindSeparatorRun(std::string_view text, char a, char b);

// The text between single quotes, each quote in it written '\'' (closes, escaped quote,
// reopens): how both a POSIX shell and ffmpeg's concat lists read a quoted word.
std::string SingleQuoted(std::string_view text);

}  // namespace quillon::util
