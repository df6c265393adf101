#pragma once
// Small facts about the running process and the system, and file-system services.

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::platform {

std::uint32_t ProcessId();
std::uint32_t ThreadId();
// Milliseconds since boot, wrapping at 32 bits like a tick counter.
std::uint32_t TickCount();

// The system's message for an errno value, without line breaks; nullopt when it has none.
std::optional<std::string> ErrorText(int code);

// Bytes free for the user on the file system holding path.
std::optional<std::uint64_t> FreeSpace(const std::string& path);

struct FileTimes {
    std::int64_t modifiedNs = 0;  // nanoseconds since the epoch
    std::int64_t accessedNs = 0;
};
std::optional<FileTimes> GetFileTimes(const std::string& path);
// Sets the modification time (and keeps the access time). Linux cannot set a birth time.
bool SetModificationTime(const std::string& path, std::int64_t modifiedNs);

// True when both paths name the same existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// The canonical absolute form of an existing path (links resolved); nullopt when it fails.
std::optional<std::string> CanonicalPath(const std::string& path);

}  // namespace quillon::platform
