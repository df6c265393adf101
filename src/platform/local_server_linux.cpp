#include "platform/local_server.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio_ext.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "platform/adopted_descriptor.h"

namespace quillon::platform {

namespace {

// How often the server looks at its ended children and its idle time.
constexpr int kServerTickMs = 200;

bool AbstractAddress(const std::string& name, sockaddr_un& address, socklen_t& length) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    // The leading NUL puts the name in the abstract namespace.
    if (name.empty() || name.size() + 1 > sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return true;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

}  // namespace

std::string LocalServerName(const std::string& program, const std::string& purpose) {
    if (const char* no = std::getenv("QUILLON_NO_SHARED_SERVER"); no && *no) return {};
    std::string identity = program;
    struct stat st {};
    if (::stat(program.c_str(), &st) == 0) {
        identity += "\n" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                    std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
                    std::to_string(st.st_mtim.tv_nsec);
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(identity)));
    return "quillon-" + purpose + "-" + std::to_string(::geteuid()) + "-" + hash;
}

ConnectResult ConnectLocalServer(const std::string& name, LocalConnection& connection) {
    connection = LocalConnection{};
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length)) return ConnectResult::Failed;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return ConnectResult::Failed;
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        const int error = errno;
        ::close(fd);
        return error == ECONNREFUSED || error == ENOENT ? ConnectResult::NoServer : ConnectResult::Failed;
    }
    // Anybody may take an abstract name: answers count only from a server of this user.
    if (!PeerIsThisUser(fd)) {
        ::close(fd);
        return ConnectResult::OtherUser;
    }
    if (!AdoptDescriptor(fd, connection.output, connection.input)) return ConnectResult::Failed;
    return ConnectResult::Connected;
}

LocalListener::~LocalListener() {
    if (fd_ >= 0) ::close(fd_);
}

LocalListener::Result LocalListener::Listen(const std::string& name) {
    sockaddr_un address;
    socklen_t length = 0;
    if (fd_ >= 0 || !AbstractAddress(name, address, length)) return Result::Failed;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Result::Failed;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) < 0) {
        const int error = errno;
        ::close(fd);
        return error == EADDRINUSE ? Result::Taken : Result::Failed;
    }
    if (::listen(fd, 64) < 0) {
        ::close(fd);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Listening;
}

namespace {

// A child serves at most this many connections, so that what a library leaks stays small.
constexpr int kConnectionsPerChild = 200;
constexpr int kFreshChildYieldMs = 2;
// A child's status when it ends for want of connections; any other end is replaced.
constexpr int kIdleChildStatus = 3;

// What a child tells the server: its pid and whether it now serves or waits.
struct ChildNews {
    pid_t pid;
    char busy;
};

void Tell(int fd, bool busy) {
    const ChildNews news{::getpid(), static_cast<char>(busy)};
    // Writes of this size to a pipe are atomic; the server reads whole items.
    while (::write(fd, &news, sizeof news) < 0 && errno == EINTR) {
    }
}

class Watch final : public ConnectionGuard {
public:
    explicit Watch(int connection)
        : connection_(connection), thread_([this] {
              pollfd hangup{connection_, POLLRDHUP, 0};
              while (::poll(&hangup, 1, -1) < 0 && errno == EINTR) {
              }
              gone_.store(true);
              if (working_.load()) ::_exit(0);
          }) {}
    ~Watch() {
        // Wakes the watch when the other end is still there.
        ::shutdown(connection_, SHUT_RDWR);
        thread_.join();
    }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    bool BeginWork() override {
        working_.store(true);
        if (!gone_.load()) return true;
        working_.store(false);
        return false;
    }
    void EndWork() override { working_.store(false); }

private:
    int connection_;
    std::atomic<bool> working_{false};
    std::atomic<bool> gone_{false};
    std::thread thread_;
};

void ServeOne(int connection, const std::function<void(ConnectionGuard&)>& serve) {
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    ::dup2(connection, STDIN_FILENO);
    ::dup2(connection, STDERR_FILENO);
    __fpurge(stdin);
    std::clearerr(stdin);
    {
        Watch watch(connection);
        serve(watch);
        std::fflush(nullptr);
    }
    // Nothing of this connection may reach the next one.
    __fpurge(stdin);
    std::clearerr(stdin);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
    ::close(connection);
}

[[noreturn]] void ChildLoop(int listener, int news, int idleMs, const std::function<void(ConnectionGuard&)>& serve) {
    for (int served = 0; served < kConnectionsPerChild;) {
        pollfd p{listener, POLLIN, 0};
        const int ready = ::poll(&p, 1, idleMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) ::_exit(kIdleChildStatus);
        // A child that has served before answers faster (its memory is set up): one that has
        // not leaves it the connection when both wait.
        if (served == 0) std::this_thread::sleep_for(std::chrono::milliseconds(kFreshChildYieldMs));
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;  // a sibling took it
        if (!PeerIsThisUser(connection)) {
            ::close(connection);
            continue;
        }
        Tell(news, true);
        ServeOne(connection, serve);
        ++served;
        Tell(news, false);
    }
    ::_exit(0);
}

}  // namespace

int LocalListener::ServeConnections(int idleMs, const std::function<void(ConnectionGuard&)>& serve) {
    if (fd_ < 0) return 1;
    int newsPipe[2];
    if (::pipe2(newsPipe, O_CLOEXEC | O_NONBLOCK) < 0) return 1;
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    std::map<pid_t, bool> busy;  // every child, and whether it serves a connection
    auto waiting = [&] {
        return std::count_if(busy.begin(), busy.end(), [](const auto& child) { return !child.second; });
    };
    for (;;) {
        ChildNews news;
        while (::read(newsPipe[0], &news, sizeof news) == static_cast<ssize_t>(sizeof news)) {
            if (auto child = busy.find(news.pid); child != busy.end()) child->second = news.busy != 0;
        }
        bool lastLeftIdle = false;
        int status = 0;
        for (pid_t pid; (pid = ::waitpid(-1, &status, WNOHANG)) > 0;) {
            busy.erase(pid);
            lastLeftIdle = WIFEXITED(status) && WEXITSTATUS(status) == kIdleChildStatus;
        }
        // The children end by themselves after idleMs without a connection; the server goes
        // with the last, and its name with it. One that crashed or was killed is replaced.
        if (busy.empty() && lastLeftIdle) break;
        if (waiting() == 0) {
            const pid_t pid = ::fork();
            if (pid < 0 && busy.empty()) break;
            if (pid == 0) {
                ::close(newsPipe[0]);
                ChildLoop(fd_, newsPipe[1], idleMs, serve);
            }
            if (pid > 0) busy[pid] = false;
        }
        pollfd p{newsPipe[0], POLLIN, 0};
        ::poll(&p, 1, kServerTickMs);
    }
    ::close(newsPipe[0]);
    ::close(newsPipe[1]);
    ::close(fd_);
    fd_ = -1;
    return 0;
}

bool DetachAsServer() {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid > 0) ::_exit(0);
    ::setsid();
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGCHLD, SIG_DFL);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) ::dup2(null, fd);
        ::close(null);
    }
    // Holds no folder of the program that started it.
    if (::chdir("/") != 0) {
    }
    return true;
}

}  // namespace quillon::platform
