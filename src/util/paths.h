#pragma once
// Path pieces, file tests, folder creation and temporary names. Paths are UTF-8 with "/".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::util {

// folder with a trailing "/" (an empty folder stays empty).
std::string WithSlash(std::string folder);

// The text after the last "/", or the whole path when it has none.
std::string_view FileNamePart(std::string_view path);

// Position (in path) of the last "." of the file-name part, or npos when the name has no dot.
std::size_t ExtensionPart(std::string_view path);

// The lower-case (ASCII) text after that dot; empty when there is none.
std::string LowerExtension(std::string_view path);

// The path up to and including its last "/"; nullopt when it holds none.
std::optional<std::string> FolderPart(std::string_view path);

bool Exists(const std::string& path);
bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);
// A regular file, or a symbolic link (chain) that ends at one. Devices, FIFOs and sockets are
// not: opening one to read may wait for ever.
bool IsRegularFileOrLinkToOne(const std::string& path);
std::optional<std::int64_t> FileSize(const std::string& path);
std::optional<std::uint32_t> FileSizeLow(const std::string& path);

// True when path is an existing folder; otherwise, with create, CreateFolderChain(path).
bool EnsureFolder(const std::string& path, bool create);

// Creates every missing level of path from the left. False at the first level that exists
// but is no folder, or cannot be created; nothing is created below it.
bool CreateFolderChain(const std::string& path);

}  // namespace quillon::util
