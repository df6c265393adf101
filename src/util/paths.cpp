#include "util/paths.h"

#include <sys/stat.h>
#include <cstdlib>

namespace quillon::util {

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::size_t ExtensionPart(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::string_view::npos;
    return path.size() - name.size() + dot;
}

std::string LowerExtension(std::string_view path) {
    const std::size_t dot = ExtensionPart(path);
    if (dot == std::string_view::npos) return {};
    std::string ext(path.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

std::optional<std::string> FolderPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return std::nullopt;
    return std::string(path.substr(0, slash + 1));
}

namespace {

bool StatPath(const std::string& path, struct stat& st) { return !path.empty() && ::stat(path.c_str(), &st) == 0; }

}  // namespace

bool Exists(const std::string& path) {
    struct stat st;
    return StatPath(path, st);
}

bool IsFile(const std::string& path) {
    struct stat st;
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool IsRegularFileOrLinkToOne(const std::string& path) {
    struct stat st;
    return StatPath(path, st) && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> FileSize(const std::string& path) {
    struct stat st;
    if (!StatPath(path, st)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<std::uint32_t> FileSizeLow(const std::string& path) {
    auto size = FileSize(path);
    if (!size) return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(*size));
}

bool EnsureFolder(const std::string& path, bool create) {
    if (IsFolder(path)) return true;
    return create && CreateFolderChain(path);
}

namespace {

bool EnsureLevel(const std::string& prefix) {
    if (prefix.empty()) return true;  // the root before a leading "/"
    if (IsFolder(prefix)) return true;
    if (Exists(prefix)) return false;
    return ::mkdir(prefix.c_str(), 0777) == 0 || IsFolder(prefix);
}

}  // namespace

bool CreateFolderChain(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (!EnsureLevel(path.substr(0, slash))) return false;
    }
    if (path.back() != '/') return EnsureLevel(path);
    return true;
}

}  // namespace quillon::util
