#include "platform/registry_tree.h"

#include "util/text.h"
#include "util/utf16.h"

namespace quillon::platform {

namespace {

// A key path without outer separators and with each run of inner ones taken as one, so that
// the path written back for a key reads to the same key.
std::string NormalPath(std::string_view key) {
    std::string path;
    for (const char c : key) {
        if (c == '\\' && (path.empty() || path.back() == '\\')) continue;
        path.push_back(c);
    }
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// The map key of a key path: normalised, in lower case.
std::string KeyOf(std::string_view key) { return util::LowerAscii(NormalPath(key)); }

}  // namespace

RegValue MakeDwordValue(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return RegValue{RegDword,
                    {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                     static_cast<uint8_t>(v >> 24)}};
}

RegValue MakeStringValue(std::string_view utf8) {
    RegValue value{RegSz, {}};
    std::u16string units = *util::Utf8ToUtf16(utf8, util::BadText::KeepBytes);
    units.push_back(0);
    for (char16_t u : units) {
        value.data.push_back(static_cast<uint8_t>(u & 0xFF));
        value.data.push_back(static_cast<uint8_t>(u >> 8));
    }
    return value;
}

RegValue MakeBinaryValue(const void* bytes, size_t size) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    return RegValue{RegBinary, std::vector<uint8_t>(p, p + size)};
}

std::optional<std::string> StringFromValue(const RegValue& value) {
    std::u16string units = util::Utf16FromLittleEndian(value.data);
    if (size_t zero = units.find(char16_t{0}); zero != std::u16string::npos) units.resize(zero);
    return util::Utf16ToUtf8(units, util::BadText::KeepBytes);
}

RegistryTree::Key* RegistryTree::FindKey(std::string_view key) {
    auto it = keys_.find(KeyOf(key));
    return it == keys_.end() ? nullptr : &it->second;
}

const RegistryTree::Key* RegistryTree::FindKey(std::string_view key) const {
    auto it = keys_.find(KeyOf(key));
    return it == keys_.end() ? nullptr : &it->second;
}

RegistryTree::Key& RegistryTree::EnsureKey(std::string_view given) {
    const std::string normal = NormalPath(given);
    const std::string_view key = normal;
    Key* found = nullptr;
    for (size_t end = 0; end != std::string_view::npos;) {
        end = key.find('\\', end + 1);
        std::string_view part = key.substr(0, end);
        auto [it, inserted] = keys_.try_emplace(util::LowerAscii(std::string(part)));
        if (inserted) it->second.path = std::string(part);
        found = &it->second;
    }
    return *found;
}

bool RegistryTree::KeyExists(std::string_view key) const { return FindKey(key) != nullptr; }

void RegistryTree::CreateKey(std::string_view key) { EnsureKey(key); }

bool RegistryTree::DeleteKey(std::string_view key) {
    const std::string lower = KeyOf(key);
    auto it = keys_.find(lower);
    if (it == keys_.end()) return false;
    keys_.erase(it);
    const std::string below = lower + "\\";
    for (auto k = keys_.begin(); k != keys_.end();) {
        k = k->first.starts_with(below) ? keys_.erase(k) : std::next(k);
    }
    return true;
}

const RegValue* RegistryTree::QueryValue(std::string_view key, std::string_view name) const {
    const Key* k = FindKey(key);
    if (!k) return nullptr;
    for (const auto& [n, v] : k->values) {
        if (util::EqualsIgnoringAsciiCase(n, name)) return &v;
    }
    return nullptr;
}

void RegistryTree::SetValue(std::string_view key, std::string_view name, RegValue value) {
    Key& k = EnsureKey(key);
    for (auto& [n, v] : k.values) {
        if (util::EqualsIgnoringAsciiCase(n, name)) {
            v = std::move(value);
            return;
        }
    }
    k.values.emplace_back(std::string(name), std::move(value));
}

bool RegistryTree::DeleteValue(std::string_view key, std::string_view name) {
    Key* k = FindKey(key);
    if (!k) return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (util::EqualsIgnoringAsciiCase(it->first, name)) {
            k->values.erase(it);
            return true;
        }
    }
    return false;
}

void RegistryTree::SetDword(std::string_view key, std::string_view name, int32_t value) {
    SetValue(key, name, MakeDwordValue(value));
}

void RegistryTree::SetString(std::string_view key, std::string_view name, std::string_view utf8) {
    SetValue(key, name, MakeStringValue(utf8));
}

void RegistryTree::SetBinary(std::string_view key, std::string_view name, const void* bytes, size_t size) {
    SetValue(key, name, MakeBinaryValue(bytes, size));
}

std::vector<std::string> RegistryTree::ValueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Key* k = FindKey(key)) {
        for (const auto& entry : k->values) names.push_back(entry.first);
    }
    return names;
}

std::vector<std::string> RegistryTree::SubkeyNames(std::string_view key) const {
    std::vector<std::string> names;
    const std::string lower = KeyOf(key);
    const std::string below = lower.empty() ? std::string() : lower + "\\";
    for (const auto& [k, entry] : keys_) {
        if (!k.starts_with(below) || k.size() == below.size()) continue;
        if (k.find('\\', below.size()) != std::string::npos) continue;
        names.push_back(entry.path.substr(below.size()));
    }
    return names;
}

}  // namespace quillon::platform
