#include "cli/formats_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace quillon::cli {

namespace {

// Length of the valid UTF-8 sequence at text[pos], or 0.
size_t Utf8SequenceLength(std::string_view text, size_t pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    size_t len = b0 < 0x80 ? 1 : (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : (b0 & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || pos + len > text.size()) return 0;
    char32_t cp = len == 1 ? b0 : b0 & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[pos + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

std::string ShortestDouble(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void FormatsJson::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ",";
        first_.back() = false;
    }
}

FormatsJson& FormatsJson::BeginObject() {
    BeforeValue();
    out_ += "{";
    first_.push_back(true);
    return *this;
}

FormatsJson& FormatsJson::EndObject() {
    out_ += "}";
    first_.pop_back();
    return *this;
}

FormatsJson& FormatsJson::BeginArray() {
    BeforeValue();
    out_ += "[";
    first_.push_back(true);
    return *this;
}

FormatsJson& FormatsJson::EndArray() {
    out_ += "]";
    first_.pop_back();
    return *this;
}

FormatsJson& FormatsJson::Key(std::string_view name) {
    BeforeValue();
    AppendString(name);
    out_ += ":";
    afterKey_ = true;
    return *this;
}

FormatsJson& FormatsJson::String(std::string_view text) {
    BeforeValue();
    AppendString(text);
    return *this;
}

void FormatsJson::AppendString(std::string_view text) {
    out_ += "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(c);
        } else if (c == '\n') {
            out_ += "\\n";
        } else if (c == '\r') {
            out_ += "\\r";
        } else if (c == '\t') {
            out_ += "\\t";
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out_ += escape;
        } else if (size_t len = Utf8SequenceLength(text, i); len > 0) {
            out_.append(text.substr(i, len));
            i += len;
            continue;
        } else {
            out_ += "\\ufffd";  // not UTF-8 (a Linux file name may hold any bytes)
        }
        ++i;
    }
    out_ += "\"";
}

FormatsJson& FormatsJson::Int(int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

FormatsJson& FormatsJson::Double(double value) {
    if (!std::isfinite(value)) return Null();
    BeforeValue();
    out_ += ShortestDouble(value);
    return *this;
}

FormatsJson& FormatsJson::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

FormatsJson& FormatsJson::NewLine() {
    out_ += "\n";
    return *this;
}

}  // namespace quillon::cli
