#pragma once
// The settings store in memory: keys in a tree shaped like the registry of the current user,
// each with named values of a type (DWORD, string, binary, ...), and its text form.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::platform {

enum RegType : uint32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegMultiSz = 7,
    RegQword = 11,
};

// A value as the registry holds it: its type and its bytes. Strings are UTF-16LE with their
// terminating zero, so sizes are those of the registry (2 x (length + 1) bytes).
struct RegValue {
    uint32_t type = RegNone;
    std::vector<uint8_t> data;

    bool operator==(const RegValue&) const = default;
};

RegValue MakeDwordValue(int32_t value);
RegValue MakeStringValue(std::string_view utf8);
RegValue MakeBinaryValue(const void* bytes, size_t size);

// The text of a string value up to its first zero; nothing when the bytes are no UTF-16 text.
std::optional<std::string> StringFromValue(const RegValue& value);

// An in-memory copy of the store. Key paths lie below HKEY_CURRENT_USER, parts separated by
// "\" (for example "Software\Quillon 5\Options"); key and value names are compared without
// regard to the case of ASCII letters, as the registry does. Values keep their insertion order.
class RegistryTree {
public:
    bool KeyExists(std::string_view key) const;
    // Creates the key and any missing parent.
    void CreateKey(std::string_view key);
    // Deletes the key, its values and every key below it; false when it did not exist.
    bool DeleteKey(std::string_view key);

    const RegValue* QueryValue(std::string_view key, std::string_view name) const;
    // Creates the key when needed.
    void SetValue(std::string_view key, std::string_view name, RegValue value);
    bool DeleteValue(std::string_view key, std::string_view name);

    void SetDword(std::string_view key, std::string_view name, int32_t value);
    void SetString(std::string_view key, std::string_view name, std::string_view utf8);
    void SetBinary(std::string_view key, std::string_view name, const void* bytes, size_t size);

    std::vector<std::string> ValueNames(std::string_view key) const;
    // Names of the direct subkeys.
    std::vector<std::string> SubkeyNames(std::string_view key) const;

    bool operator==(const RegistryTree&) const = default;

    // The registry export format ("Windows Registry Editor Version 5.00"), UTF-8.
    std::string Serialize() const;
    // Nothing when the text is not a well-formed export of keys below HKEY_CURRENT_USER; `error`
    // then says where and why.
    static std::optional<RegistryTree> Parse(std::string_view text, std::string* error = nullptr);

private:
    struct Key {
        std::string path;  // as first created
        std::vector<std::pair<std::string, RegValue>> values;
        bool operator==(const Key&) const = default;
    };
    Key* FindKey(std::string_view key);
    const Key* FindKey(std::string_view key) const;
    Key& EnsureKey(std::string_view key);

    std::map<std::string, Key> keys_;  // by lower-case path
};

}  // namespace quillon::platform
