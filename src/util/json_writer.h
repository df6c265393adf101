#pragma once
// A small streaming JSON writer: objects, arrays, keys and values, with commas and escaping
// handled here. Texts are UTF-8; bytes that are not valid UTF-8 are written as U+FFFD, so the
// result is always valid JSON.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::util {

class JsonWriter {
public:
    // indent 0 writes everything on one line; otherwise nested values go on their own lines.
    explicit JsonWriter(int indent = 0) : indent_(indent) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    JsonWriter& String(std::string_view value);
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    // Not-a-number and infinities have no JSON form and are written as null.
    JsonWriter& Double(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& str() const { return out_; }

private:
    void BeforeValue();
    void NewLine();

    struct Level {
        bool isObject;
        bool empty = true;
    };
    std::string out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
    int indent_;
};

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view text);

}  // namespace quillon::util
