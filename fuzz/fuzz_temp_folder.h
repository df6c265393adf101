#pragma once
// A private folder for the files a fuzz target hands to a reader. libFuzzer may end the process
// without running exit handlers, so each run removes the folders its dead predecessors left.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace quillon::fuzz {

inline std::filesystem::path FuzzTempFolder(const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path root = fs::temp_directory_path(ec);
    const std::string prefix = "quillon_fuzz_" + name + "_";
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry.rfind(prefix, 0) != 0) continue;
        const long pid = std::strtol(entry.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
    const fs::path folder = root / (prefix + std::to_string(getpid()));
    fs::create_directories(folder, ec);
    return folder;
}

}  // namespace quillon::fuzz
