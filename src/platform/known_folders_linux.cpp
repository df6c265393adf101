#include "platform/known_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "platform/system_info.h"
#include "util/paths.h"

namespace quillon::platform {

using util::WithSlash;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

// Reads XDG_DOCUMENTS_DIR from user-dirs.dirs the way xdg-user-dir does ("$HOME/..." or absolute).
std::string DocumentsFromUserDirs(const std::string& home) {
    std::string configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = home + "/.config";
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    constexpr std::string_view key = "XDG_DOCUMENTS_DIR=";
    while (std::getline(in, line)) {
        if (!line.starts_with(key)) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.starts_with("$HOME")) value = home + value.substr(5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return {};
}

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || !exe.has_parent_path()) return {};
    return WithSlash(exe.parent_path().string());
}

std::string TempFolder() {
    std::string tmp = Env("TMPDIR");
    return WithSlash(tmp.empty() ? std::string("/tmp") : tmp);
}

std::string MakeTempName(const std::string& folder, const std::string& prefix, const std::string& suffix) {
    std::string base = folder.empty() ? TempFolder() : folder;
    base = WithSlash(base);
    for (unsigned n = 1;; ++n) {
        std::string name = base + prefix + std::to_string(ProcessId()) + std::to_string(ThreadId()) +
                           std::to_string(TickCount()) + std::to_string(std::rand()) + std::to_string(n) + suffix;
        if (!util::Exists(name)) return name;
    }
}

std::string DocumentsFolder() {
    std::string home = HomeFolder();
    if (home.empty()) return {};
    std::string docs = DocumentsFromUserDirs(home);
    if (docs.empty()) docs = home + "/Documents";
    std::error_code ec;
    std::filesystem::create_directories(docs, ec);
    return WithSlash(docs);
}

std::string ConfigFolder() {
    std::string dir = Env("QUILLON_CONFIG_DIR");
    if (!dir.empty()) return dir;
    std::string configHome = Env("XDG_CONFIG_HOME");
    if (configHome.empty()) configHome = HomeFolder() + "/.config";
    return configHome + "/quillon";
}

}  // namespace quillon::platform
