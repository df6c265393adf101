#pragma once
// Windows shortcut (.lnk) files read as Shell Link binaries: the local path they point to.
// Nothing is resolved through a shell; a target that moved is simply not found later.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::platform {

// The target path of the link held in bytes, with "\" turned into "/". A link without a local
// path (a network share only) falls back on its relative path, joined to linkFolder. nullopt
// when the data is not a shell link, is cut short, or names no local target.
std::optional<std::string> ParseShellLink(const std::vector<uint8_t>& bytes, const std::string& linkFolder);

// Reads the file and parses it; linkFolder is the link file's own folder.
std::optional<std::string> ResolveShortcut(const std::string& linkPath);

}  // namespace quillon::platform
