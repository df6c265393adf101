#include "platform/shell_link.h"

#include <cstdint>
#include <fstream>
#include <span>

#include "util/utf16.h"

namespace quillon::platform {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kHasTargetIdList = 0x1;
constexpr uint32_t kHasLinkInfo = 0x2;
constexpr uint32_t kHasName = 0x4;
constexpr uint32_t kHasRelativePath = 0x8;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kForceNoLinkInfo = 0x100;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool Has(std::size_t at, std::size_t count) const { return at <= bytes_.size() && count <= bytes_.size() - at; }
    std::optional<uint32_t> U32(std::size_t at) const {
        if (!Has(at, 4)) return std::nullopt;
        return uint32_t(bytes_[at]) | uint32_t(bytes_[at + 1]) << 8 | uint32_t(bytes_[at + 2]) << 16 |
               uint32_t(bytes_[at + 3]) << 24;
    }
    std::optional<uint16_t> U16(std::size_t at) const {
        if (!Has(at, 2)) return std::nullopt;
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    uint8_t Byte(std::size_t at) const { return bytes_[at]; }
    std::span<const uint8_t> Bytes(std::size_t at, std::size_t count) const {
        return std::span<const uint8_t>(bytes_).subspan(at, count);
    }

private:
    const std::vector<uint8_t>& bytes_;
};

// count UTF-16 units from at; unpaired surrogates become U+FFFD.
std::optional<std::string> Utf16Text(const Reader& r, std::size_t at, std::size_t count) {
    if (!r.Has(at, 2 * count)) return std::nullopt;
    return util::Utf16ToUtf8(util::Utf16FromLittleEndian(r.Bytes(at, 2 * count)), util::BadText::Replace);
}

// Code-page text: ASCII kept, other bytes read as Latin-1 (the code page is not recorded).
std::optional<std::string> NulText(const Reader& r, std::size_t at, std::size_t end) {
    std::string out;
    for (std::size_t i = at; i < end; ++i) {
        const uint8_t b = r.Byte(i);
        if (b == 0) return out;
        util::AppendUtf8(out, b);
    }
    return std::nullopt;
}

std::optional<std::string> NulUtf16Text(const Reader& r, std::size_t at, std::size_t end) {
    std::size_t count = 0;
    while (true) {
        if (at + 2 * count + 2 > end) return std::nullopt;
        if (*r.U16(at + 2 * count) == 0) break;
        ++count;
    }
    return Utf16Text(r, at, count);
}

std::string Slashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

// The local path of a LinkInfo structure: base path + common suffix, Unicode when present.
std::optional<std::string> LinkInfoPath(const Reader& r, std::size_t at) {
    const auto size = r.U32(at);
    const auto headerSize = r.U32(at + 4);
    const auto flags = r.U32(at + 8);
    if (!size || !headerSize || !flags || *size < 0x1C || !r.Has(at, *size) || *headerSize > *size) return std::nullopt;
    if (!(*flags & kVolumeIdAndLocalBasePath)) return std::nullopt;
    const std::size_t end = at + *size;
    if (*headerSize >= 0x24) {
        const auto baseOffset = r.U32(at + 0x1C);
        const auto suffixOffset = r.U32(at + 0x20);
        if (baseOffset && suffixOffset && *baseOffset && *baseOffset < *size && *suffixOffset < *size) {
            auto base = NulUtf16Text(r, at + *baseOffset, end);
            auto suffix = *suffixOffset ? NulUtf16Text(r, at + *suffixOffset, end) : std::optional<std::string>("");
            if (base && suffix) return *base + *suffix;
        }
    }
    const auto baseOffset = r.U32(at + 0x10);
    const auto suffixOffset = r.U32(at + 0x18);
    if (!baseOffset || !suffixOffset || *baseOffset >= *size || *suffixOffset >= *size) return std::nullopt;
    auto base = NulText(r, at + *baseOffset, end);
    auto suffix = *suffixOffset ? NulText(r, at + *suffixOffset, end) : std::optional<std::string>("");
    if (!base || !suffix) return std::nullopt;
    return *base + *suffix;
}

}  // namespace

std::optional<std::string> ParseShellLink(const std::vector<uint8_t>& bytes, const std::string& linkFolder) {
    const Reader r(bytes);
    if (r.U32(0) != kHeaderSize || !r.Has(0, kHeaderSize)) return std::nullopt;
    for (std::size_t i = 0; i < 16; ++i) {
        if (r.Byte(4 + i) != kLinkClsid[i]) return std::nullopt;
    }
    const uint32_t flags = *r.U32(20);
    std::size_t at = kHeaderSize;
    if (flags & kHasTargetIdList) {
        const auto idListSize = r.U16(at);
        if (!idListSize || !r.Has(at + 2, *idListSize)) return std::nullopt;
        at += 2 + *idListSize;
    }
    std::optional<std::string> target;
    if ((flags & kHasLinkInfo) && !(flags & kForceNoLinkInfo)) {
        const auto size = r.U32(at);
        if (!size || *size < 4 || !r.Has(at, *size)) return std::nullopt;
        target = LinkInfoPath(r, at);
        at += *size;
    }
    // The string data must be whole (its name is the link's description).
    std::optional<std::string> relative;
    const uint32_t stringFlags[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation};
    for (const uint32_t f : stringFlags) {
        if (!(flags & f)) continue;
        const auto count = r.U16(at);
        if (!count) return std::nullopt;
        const std::size_t bytesLong = (flags & kIsUnicode) ? 2u * *count : *count;
        if (!r.Has(at + 2, bytesLong)) return std::nullopt;
        if (f == kHasRelativePath) {
            if (flags & kIsUnicode) {
                relative = Utf16Text(r, at + 2, *count);
            } else {
                std::string text;
                for (std::size_t i = 0; i < *count; ++i) util::AppendUtf8(text, r.Byte(at + 2 + i));
                relative = text;
            }
        }
        at += 2 + bytesLong;
    }
    if (target && !target->empty()) return Slashes(*target);
    if (relative && !relative->empty()) {
        std::string path = Slashes(*relative);
        if (path.front() != '/') {
            std::string folder = linkFolder;
            if (!folder.empty() && folder.back() != '/') folder += '/';
            path = folder + path;
        }
        return path;
    }
    return std::nullopt;
}

std::optional<std::string> ResolveShortcut(const std::string& linkPath) {
    std::ifstream in(linkPath, std::ios::binary);
    if (!in) return std::nullopt;
    // Real links are a few kilobytes; anything huge is not one.
    std::vector<uint8_t> bytes;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > (1u << 20)) return std::nullopt;
    }
    const std::size_t slash = linkPath.rfind('/');
    return ParseShellLink(bytes, slash == std::string::npos ? std::string(".") : linkPath.substr(0, slash));
}

}  // namespace quillon::platform
