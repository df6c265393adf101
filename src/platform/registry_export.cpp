// The registry export format ("Windows Registry Editor Version 5.00") of a tree.
#include "platform/registry_tree.h"

#include <fmt/format.h>
#include <algorithm>

#include "util/text.h"
#include "util/utf16.h"

namespace quillon::platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

// The text of a string value that can be written in quotes and read back to the same bytes:
// well-formed UTF-16 ended by exactly one zero.
std::optional<std::string> QuotableText(const RegValue& value) {
    if (value.type != RegSz || value.data.size() < 2 || value.data.size() % 2 != 0) return std::nullopt;
    std::u16string units = util::Utf16FromLittleEndian(value.data);
    if (units.back() != 0) return std::nullopt;
    units.pop_back();
    if (units.find(char16_t{0}) != std::u16string::npos) return std::nullopt;
    return util::Utf16ToUtf8(units);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out.push_back(c);
        }
    }
    out.push_back('"');
}

void AppendHex(std::string& out, const RegValue& value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    size_t lineStart = out.rfind('\n') + 1;
    if (value.type == RegBinary) {
        out += "hex:";
    } else {
        out += fmt::format("hex({:x}):", value.type);
    }
    for (size_t i = 0; i < value.data.size(); ++i) {
        out.push_back(kDigits[value.data[i] >> 4]);
        out.push_back(kDigits[value.data[i] & 15]);
        if (i + 1 < value.data.size()) {
            out.push_back(',');
            if (out.size() - lineStart > 76) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, size_t& pos) {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            char n = text[pos + 1];
            if (n == '\\' || n == '"') {
                out.push_back(n);
            } else if (n == 'n') {
                out.push_back('\n');
            } else if (n == 'r') {
                out.push_back('\r');
            } else if (n == '0') {
                out.push_back('\0');
            } else {
                out.push_back(c);
                continue;
            }
            ++pos;
            continue;
        }
        out.push_back(c);
    }
    return std::nullopt;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> ReadHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    };
    skipBlanks();
    if (pos == text.size()) return bytes;
    for (;;) {
        skipBlanks();
        if (pos + 2 > text.size()) return std::nullopt;
        int hi = HexDigit(text[pos]), lo = HexDigit(text[pos + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        pos += 2;
        skipBlanks();
        if (pos == text.size()) return bytes;
        if (text[pos] != ',') return std::nullopt;
        ++pos;
    }
}

std::optional<RegValue> ReadData(std::string_view text) {
    RegValue value;
    if (!text.empty() && text.front() == '"') {
        size_t pos = 0;
        std::optional<std::string> s = ReadQuoted(text, pos);
        if (!s || text.find_first_not_of(" \t", pos) != std::string_view::npos) return std::nullopt;
        std::optional<std::u16string> units = util::Utf8ToUtf16(*s);
        if (!units) return std::nullopt;
        return MakeStringValue(*s);
    }
    if (text.starts_with("dword:")) {
        std::string_view digits = text.substr(6);
        if (digits.size() != 8) return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint32_t>(d);
        }
        return MakeDwordValue(static_cast<int32_t>(v));
    }
    if (text.starts_with("hex:")) {
        value.type = RegBinary;
        text.remove_prefix(4);
    } else if (text.starts_with("hex(")) {
        size_t close = text.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) return std::nullopt;
        uint32_t type = 0;
        for (char c : text.substr(4, close - 4)) {
            int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            type = type * 16 + static_cast<uint32_t>(d);
        }
        value.type = type;
        text.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    std::optional<std::vector<uint8_t>> bytes = ReadHexBytes(text);
    if (!bytes) return std::nullopt;
    value.data = std::move(*bytes);
    return value;
}

}  // namespace

std::string RegistryTree::Serialize() const {
    std::string out(kHeader);
    out += "\n";
    for (const auto& [lower, key] : keys_) {
        out += "\n[";
        out += kRoot;
        out += "\\";
        out += key.path;
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            if (name.empty()) {
                out += "@";
            } else {
                AppendQuoted(out, name);
            }
            out += "=";
            if (std::optional<std::string> text = QuotableText(value)) {
                AppendQuoted(out, *text);
            } else if (value.type == RegDword && value.data.size() == 4) {
                out += fmt::format("dword:{:08x}",
                                   static_cast<uint32_t>(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                                         static_cast<uint32_t>(value.data[3]) << 24));
            } else {
                AppendHex(out, value);
            }
            out += "\n";
        }
    }
    return out;
}

std::optional<RegistryTree> RegistryTree::Parse(std::string_view text, std::string* error) {
    auto fail = [&](size_t line, const char* why) -> std::optional<RegistryTree> {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return std::nullopt;
    };
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }

    RegistryTree tree;
    bool headerSeen = false;
    Key* current = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t lineNo = i + 1;
        std::string_view line = lines[i];
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != kHeader) return fail(lineNo, "not a registry export");
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') return fail(lineNo, "unterminated key");
            std::string_view path = line.substr(1, line.size() - 2);
            if (path == kRoot) {
                current = nullptr;
                continue;
            }
            if (!path.starts_with(kRoot) || path.size() <= kRoot.size() || path[kRoot.size()] != '\\') {
                return fail(lineNo, "key outside HKEY_CURRENT_USER");
            }
            path.remove_prefix(kRoot.size() + 1);
            if (path.find_first_not_of('\\') == std::string_view::npos || !util::Utf8ToUtf16(path))
                return fail(lineNo, "bad key name");
            current = &tree.EnsureKey(path);
            continue;
        }
        if (!current) return fail(lineNo, "value outside a key");
        std::string name;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() == '"') {
            std::optional<std::string> quoted = ReadQuoted(line, pos);
            if (!quoted || !util::Utf8ToUtf16(*quoted)) return fail(lineNo, "bad value name");
            name = std::move(*quoted);
        } else {
            return fail(lineNo, "unexpected text");
        }
        if (pos >= line.size() || line[pos] != '=') return fail(lineNo, "missing '='");
        std::string data(line.substr(pos + 1));
        // Hex data may continue over several lines, each but the last ending in a backslash.
        if (data.starts_with("hex")) {
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                if (++i >= lines.size()) return fail(lineNo, "unfinished hex data");
                std::string_view next = lines[i];
                next.remove_prefix(std::min(next.find_first_not_of(" \t"), next.size()));
                data += next;
            }
        }
        std::optional<RegValue> value = ReadData(data);
        if (!value) return fail(lineNo, "bad value data");
        bool replaced = false;
        for (auto& [n, v] : current->values) {
            if (util::EqualsIgnoringAsciiCase(n, name)) {
                v = std::move(*value);
                replaced = true;
                break;
            }
        }
        if (!replaced) current->values.emplace_back(std::move(name), std::move(*value));
    }
    if (!headerSeen) return fail(1, "empty file");
    return tree;
}

}  // namespace quillon::platform
