#pragma once
// A small JSON text builder for the formats and settings commands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::cli {

class FormatsJson {
public:
    FormatsJson& BeginObject();
    FormatsJson& EndObject();
    FormatsJson& BeginArray();
    FormatsJson& EndArray();
    FormatsJson& Key(std::string_view name);
    FormatsJson& String(std::string_view text);
    FormatsJson& Int(int64_t value);
    // Shortest text that reads back as the same double; null when not finite.
    FormatsJson& Double(double value);
    FormatsJson& Null();
    // Starts the next element of the outermost array on a new line.
    FormatsJson& NewLine();

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    void AppendString(std::string_view text);
    std::string out_;
    std::vector<bool> first_;  // per open container: nothing written in it yet
    bool afterKey_ = false;
};

// Shortest decimal text that reads back as the same double ("29.97", "-1", "15").
std::string ShortestDouble(double value);

}  // namespace quillon::cli
