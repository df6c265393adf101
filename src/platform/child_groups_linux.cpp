#include "platform/child_groups.h"

#include <dirent.h>
#include <unistd.h>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon::platform {

namespace {

// The parent id from /proc/<pid>/stat; -1 when it cannot be read. The command name in that
// line is in parentheses and may hold anything, so the fields are counted from the last ')'.
long ParentOf(const char* pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%s/stat", pid);
    std::FILE* file = std::fopen(path, "re");
    if (!file) return -1;
    char line[1024];
    const std::size_t n = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[n] = '\0';
    const char* close = std::strrchr(line, ')');
    if (!close) return -1;
    char state = 0;
    long parent = -1;
    if (std::sscanf(close + 1, " %c %ld", &state, &parent) != 2) return -1;
    return parent;
}

}  // namespace

int KillChildProcessGroups() {
    DIR* proc = opendir("/proc");
    if (!proc) return 0;
    const long self = static_cast<long>(getpid());
    int found = 0;
    while (const dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        if (ParentOf(entry->d_name) != self) continue;
        const auto pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        // Our children lead their own sessions; the group holds what they started.
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        ++found;
    }
    closedir(proc);
    return found;
}

}  // namespace quillon::platform
