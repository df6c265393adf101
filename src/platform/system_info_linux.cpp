#include "platform/system_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quillon::platform {

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(::getpid()); }

std::uint32_t ThreadId() { return static_cast<std::uint32_t>(::gettid()); }

std::uint32_t TickCount() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms =
        static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::optional<std::string> ErrorText(int code) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may not be in buffer.
    const char* text = ::strerror_r(code, buffer, sizeof buffer);
    if (text == nullptr || *text == '\0' || std::strncmp(text, "Unknown error", 13) == 0) {
        return std::nullopt;
    }
    std::string result;
    for (const char* p = text; *p; ++p) {
        if (*p != '\r' && *p != '\n') result.push_back(*p);
    }
    return result;
}

std::optional<std::uint64_t> FreeSpace(const std::string& path) {
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::optional<FileTimes> GetFileTimes(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileTimes times;
    times.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    times.accessedNs = std::int64_t{st.st_atim.tv_sec} * 1000000000 + st.st_atim.tv_nsec;
    return times;
}

bool SetModificationTime(const std::string& path, std::int64_t modifiedNs) {
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(modifiedNs / 1000000000);
    times[1].tv_nsec = static_cast<long>(modifiedNs % 1000000000);
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::optional<std::string> CanonicalPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

}  // namespace quillon::platform
