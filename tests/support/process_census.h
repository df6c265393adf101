#pragma once
// Which processes are still there: a child that leads its own session takes everything it
// starts along, so an empty session census means nothing it started is left.

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace quillon::test {

// The processes whose parent and session pass `keep`. Zombies count when this process is their
// parent (it failed to reap them); others wait for the system's first process to reap them.
inline std::set<int> ProcessesWhere(const std::function<bool(int parent, int session)>& keep) {
    std::set<int> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        FILE* f = std::fopen((entry.path() / "stat").c_str(), "r");
        if (!f) continue;
        char buffer[1024] = {};
        const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, f);
        std::fclose(f);
        const std::string stat(buffer, got);
        const std::size_t close = stat.rfind(')');  // the name in parentheses may hold anything
        if (close == std::string::npos) continue;
        char state = 0;
        int parent = 0, group = 0, session = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d %d %d", &state, &parent, &group, &session) == 4 &&
            (state != 'Z' || parent == ::getpid()) && keep(parent, session)) {
            pids.insert(std::stoi(name));
        }
    }
    return pids;
}

inline std::set<int> ChildPids() {
    const int self = ::getpid();
    return ProcessesWhere([self](int parent, int) { return parent == self; });
}

inline std::set<int> ProcessesInSessions(const std::set<int>& sessions) {
    return ProcessesWhere([&](int, int session) { return sessions.count(session) != 0; });
}

// What is still left in the sessions once a killed process had a moment to finish dying (a
// SIGKILL is delivered at once, but a process sent one may take a little while to exit).
inline std::set<int> LeftInSessions(const std::set<int>& sessions) {
    std::set<int> left = ProcessesInSessions(sessions);
    for (int i = 0; i < 200 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        left = ProcessesInSessions(sessions);
    }
    return left;
}

// The nice value of a process, as the system reports it.
inline int NiceOf(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    // Fields after the command name (which may hold blanks) start behind the last ')'.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 19; ++i) rest >> field;  // field 19 is the nice value
    return std::stoi(field);
}

// How many descriptors this process has open, counted the same way each time (the count
// includes the one used to look), so that a difference shows a leak.
inline int OpenDescriptors() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

// True when this process has no child left, running or waiting to be reaped.
inline bool NoChildLeft() {
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

}  // namespace quillon::test
