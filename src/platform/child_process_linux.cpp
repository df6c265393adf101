#include "platform/child_process.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

// Children to pass a termination signal on to; written only outside the handler.
std::array<std::atomic<pid_t>, 8> g_children{};

// Paths are copied in before they are armed, so the handler only reads finished strings.
constexpr std::size_t kMaxDoomedFiles = 4;
char g_doomedFiles[kMaxDoomedFiles][4096];
std::atomic<bool> g_doomedArmed[kMaxDoomedFiles];

void ForwardAndExit(int signo) {
    for (auto& child : g_children) {
        pid_t pid = child.load();
        if (pid > 0) kill(pid, signo);
    }
    for (std::size_t i = 0; i < kMaxDoomedFiles; ++i) {
        if (g_doomedArmed[i].load()) unlink(g_doomedFiles[i]);
    }
    signal(signo, SIG_DFL);
    raise(signo);
}

void InstallForwarding() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = ForwardAndExit;
    sigemptyset(&action.sa_mask);
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) sigaction(signo, &action, nullptr);
    // A caller that stops reading must not kill us half way through a write.
    signal(SIGPIPE, SIG_IGN);
}

void Remember(pid_t pid) {
    for (auto& child : g_children) {
        pid_t empty = 0;
        if (child.compare_exchange_strong(empty, pid)) return;
    }
}

void Forget(pid_t pid) {
    for (auto& child : g_children) {
        pid_t expected = pid;
        child.compare_exchange_strong(expected, 0);
    }
}

}  // namespace

void RemoveFileOnSignal(const std::string& path) {
    InstallForwarding();
    for (std::size_t i = 0; i < kMaxDoomedFiles; ++i) {
        if (g_doomedArmed[i].load() || path.size() >= sizeof g_doomedFiles[i]) continue;
        path.copy(g_doomedFiles[i], path.size());
        g_doomedFiles[i][path.size()] = '\0';
        g_doomedArmed[i].store(true);
        return;
    }
}

ChildProcess::~ChildProcess() {
    if (outFd_ >= 0) close(outFd_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        Wait();
    }
}

bool ChildProcess::Start(const std::vector<std::string>& argv, ChildOutput output) {
    if (argv.empty() || pid_ > 0) return false;
    InstallForwarding();
    int fds[2] = {-1, -1};
    if (output != ChildOutput::Inherit && pipe2(fds, O_CLOEXEC) != 0) return false;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        if (fds[0] >= 0) close(fds[0]), close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // Die with the parent, even when it is killed with SIGKILL.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        for (int signo : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) signal(signo, SIG_DFL);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        if (output == ChildOutput::Capture || output == ChildOutput::CaptureBoth) dup2(fds[1], 1);
        if (output == ChildOutput::CaptureBoth || output == ChildOutput::CaptureError) dup2(fds[1], 2);
        execvp(args[0], args.data());
        const std::string message = std::string("cannot run ") + args[0] + ": " + std::strerror(errno) + "\n";
        if (write(2, message.data(), message.size()) < 0) _exit(127);
        _exit(127);
    }
    pid_ = pid;
    Remember(pid);
    if (output != ChildOutput::Inherit) {
        close(fds[1]);
        outFd_ = fds[0];
    }
    return true;
}

void ChildProcess::ReadLines(const std::function<void(const std::string&)>& onLine) {
    if (outFd_ < 0) return;
    std::string pending;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(outFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            char c = buffer[i];
            if (c == '\n' || c == '\r') {
                if (!pending.empty()) onLine(pending);
                pending.clear();
            } else {
                pending.push_back(c);
            }
        }
    }
    if (!pending.empty()) onLine(pending);
}

int ChildProcess::Wait() {
    if (pid_ <= 0) return -1;
    if (outFd_ >= 0) {
        close(outFd_);
        outFd_ = -1;
    }
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            status = -1;
            break;
        }
    }
    Forget(pid_);
    pid_ = -1;
    if (status == -1) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace quillon::platform
