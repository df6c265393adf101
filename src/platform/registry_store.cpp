#include "platform/registry_store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/known_folders.h"
#include "util/text.h"
#include "util/utf16.h"

namespace quillon::platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kFileName = "quillon.reg";

std::string_view TrimSeparators(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    return key;
}

// The map key of a key path: without outer separators, in lower case.
std::string KeyOf(std::string_view key) { return util::LowerAscii(std::string(TrimSeparators(key))); }

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
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        out += prefix;
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

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing) {
    missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// An exclusive lock on the store's lock file for the lifetime of the object. The lock file is
// separate from the store because the store itself is replaced by rename.
class StoreLock {
public:
    explicit StoreLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Keeps a damaged store for the user to inspect; never replaces an earlier kept copy.
void MoveAside(const std::string& path) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".damaged-" + stamp;
    std::string target = base;
    struct stat st;
    for (int n = 2; ::lstat(target.c_str(), &st) == 0; ++n) target = base + "-" + std::to_string(n);
    ::rename(path.c_str(), target.c_str());
}

}  // namespace

RegValue MakeDwordValue(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return RegValue{RegDword,
                    {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                     static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)}};
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

RegistryTree::Key& RegistryTree::EnsureKey(std::string_view key) {
    key = TrimSeparators(key);
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

void RegistryTree::SetBinary(std::string_view key, std::string_view name, const void* bytes,
                             size_t size) {
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
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x",
                              static_cast<uint32_t>(value.data[0] | value.data[1] << 8 |
                                                    value.data[2] << 16 |
                                                    static_cast<uint32_t>(value.data[3]) << 24));
                out += digits;
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
            if (TrimSeparators(path).empty() || !util::Utf8ToUtf16(path)) return fail(lineNo, "bad key name");
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

RegistryStore::RegistryStore() : RegistryStore(ConfigFolder()) {}

RegistryStore::RegistryStore(std::string folder)
    : folder_(std::move(folder)), path_(folder_ + "/" + std::string(kFileName)) {}

RegistryTree RegistryStore::Read() {
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(path_, text, missing)) return {};
    if (std::optional<RegistryTree> tree = RegistryTree::Parse(text)) return std::move(*tree);

    // Damaged, or caught between two writers on a file system without atomic rename: look
    // again under the lock before keeping it aside.
    StoreLock lock(path_ + ".lock");
    if (!lock.Held()) return {};
    if (!ReadWholeFile(path_, text, missing)) return {};
    if (std::optional<RegistryTree> tree = RegistryTree::Parse(text)) return std::move(*tree);
    MoveAside(path_);
    return {};
}

bool RegistryStore::Update(const std::function<void(RegistryTree&)>& apply) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    StoreLock lock(path_ + ".lock");
    if (!lock.Held()) return false;

    std::string before;
    bool missing = false;
    RegistryTree tree;
    if (ReadWholeFile(path_, before, missing)) {
        if (std::optional<RegistryTree> parsed = RegistryTree::Parse(before)) {
            tree = std::move(*parsed);
        } else {
            MoveAside(path_);
            missing = true;
        }
    } else if (!missing) {
        return false;  // unreadable: writing would throw its values away
    }
    apply(tree);
    const std::string after = tree.Serialize();
    if (!missing && after == before) return true;

    const std::string temp = path_ + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, after) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace quillon::platform
