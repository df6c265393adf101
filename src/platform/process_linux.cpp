#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/adopted_descriptor.h"

extern char** environ;

namespace quillon::platform {

// ---------------------------------------------------------------- command-line text

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };

    if (n == 0) return items;

    std::string program;
    if (line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') program.push_back(line[i++]);
        if (i < n) ++i;  // the closing quote ends the name even without a blank behind it
    } else {
        while (i < n && !isBlank(line[i])) program.push_back(line[i++]);
    }
    items.push_back(std::move(program));

    while (i < n && isBlank(line[i])) ++i;
    if (i >= n) return items;

    std::string current;
    int quotes = 0;  // 1 inside quotes, 0 outside; a run of quotes counts on (see below)
    std::size_t backslashes = 0;
    while (i < n) {
        const char c = line[i];
        if (isBlank(c) && quotes == 0) {
            items.push_back(std::move(current));
            current.clear();
            while (i < n && isBlank(line[i])) ++i;
            backslashes = 0;
            if (i >= n) return items;
            continue;
        }
        if (c == '\\') {
            current.push_back(c);
            ++backslashes;
            ++i;
            continue;
        }
        if (c == '"') {
            if (backslashes % 2 == 0) {
                // 2n backslashes and a quote: n backslashes, and the quote toggles quoting.
                current.resize(current.size() - backslashes / 2);
                ++quotes;
            } else {
                // 2n+1 backslashes and a quote: n backslashes and a literal quote.
                current.resize(current.size() - backslashes / 2 - 1);
                current.push_back('"');
            }
            ++i;
            backslashes = 0;
            // A run of further quotes: every third quote of the count is a literal one.
            while (i < n && line[i] == '"') {
                if (++quotes == 3) {
                    current.push_back('"');
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) quotes = 0;
            continue;
        }
        current.push_back(c);
        backslashes = 0;
        ++i;
    }
    items.push_back(std::move(current));
    return items;
}

std::string QuoteArgument(std::string_view argument) {
    std::string out;
    out.reserve(argument.size() + 2);
    out.push_back('"');
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Backslashes in front of a quote are doubled, and the quote itself escaped.
            out.append(backslashes * 2 + 1, '\\');
            out.push_back('"');
        } else {
            out.append(backslashes, '\\');
            out.push_back(c);
        }
        backslashes = 0;
    }
    // Trailing backslashes stand in front of the closing quote.
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

std::string QuoteProgramName(std::string_view program) {
    if (program.find('"') != std::string_view::npos) return std::string(program);
    std::string out;
    out.reserve(program.size() + 2);
    out.push_back('"');
    out.append(program);
    out.push_back('"');
    return out;
}

int NiceValueForPriorityClass(uint32_t priorityClass) {
    switch (priorityClass) {
    case kHighPriorityClass: return -10;
    case kAboveNormalPriorityClass: return -5;
    case kBelowNormalPriorityClass: return 5;
    case kIdlePriorityClass: return 19;
    default: return 0;
    }
}

// ---------------------------------------------------------------- descriptors

namespace {

void CloseQuietly(int fd) {
    if (fd >= 0) ::close(fd);
}

std::string ErrorText(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

}  // namespace

struct PipeState {
    int fd = -1;
    explicit PipeState(int f) : fd(f) {}
    ~PipeState() { CloseQuietly(fd); }
    PipeState(const PipeState&) = delete;
    PipeState& operator=(const PipeState&) = delete;
};

bool AdoptDescriptor(int fd, PipeHandle& reading, InputPipeHandle& writing) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        CloseQuietly(fd);
        return false;
    }
    reading = PipeHandle(std::make_shared<PipeState>(fd));
    writing = InputPipeHandle(std::make_shared<PipeState>(copy));
    return true;
}

PipeHandle::ReadResult PipeHandle::Read(char* buffer, std::size_t size, int timeoutMs) {
    ReadResult result;
    if (!state_ || state_->fd < 0 || size == 0) return result;
    pollfd p{state_->fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return result;
    ssize_t got;
    do {
        got = ::read(state_->fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        result.status = ReadStatus::Data;
        result.bytes = static_cast<std::size_t>(got);
    } else if (got == 0) {
        result.status = ReadStatus::End;
    }
    return result;
}

bool PipeHandle::StillOpen() {
    if (!state_ || state_->fd < 0) return false;
    pollfd p{state_->fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

bool InputPipeHandle::Write(std::string_view bytes) {
    if (!state_ || state_->fd < 0) return false;
    // A closed reader must come back as EPIPE, not as a signal that ends the program: block
    // SIGPIPE on this thread for the write and take back one that was raised meanwhile.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;
    bool ok = true;
    bool broken = false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(state_->fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            broken = n < 0 && errno == EPIPE;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (broken && !wasPending) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

// ---------------------------------------------------------------- termination signals

namespace {

// Children to pass a termination signal on to; written only outside the handler.
std::array<std::atomic<pid_t>, 8> g_signalledChildren{};

// Paths are copied in before they are armed, so the handler only reads finished strings.
constexpr std::size_t kMaxDoomedFiles = 4;
char g_doomedFiles[kMaxDoomedFiles][4096];
std::atomic<bool> g_doomedArmed[kMaxDoomedFiles];

void ForwardAndExit(int signo) {
    for (auto& child : g_signalledChildren) {
        const pid_t pid = child.load();
        if (pid > 0) ::kill(pid, signo);
    }
    for (std::size_t i = 0; i < kMaxDoomedFiles; ++i) {
        if (g_doomedArmed[i].load()) ::unlink(g_doomedFiles[i]);
    }
    ::signal(signo, SIG_DFL);
    ::raise(signo);
}

void InstallForwarding() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_handler = ForwardAndExit;
        sigemptyset(&action.sa_mask);
        for (int signo : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signo, &action, nullptr);
        // A caller that stops reading must not kill us half way through a write.
        ::signal(SIGPIPE, SIG_IGN);
    });
}

void PassSignalsTo(pid_t pid) {
    for (auto& child : g_signalledChildren) {
        pid_t empty = 0;
        if (child.compare_exchange_strong(empty, pid)) return;
    }
}

void StopPassingSignalsTo(pid_t pid) {
    for (auto& child : g_signalledChildren) {
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

// ---------------------------------------------------------------- processes

struct ProcessState {
    std::mutex mutex;
    pid_t pid = 0;
    bool ownGroup = true;        // the child leads its own session and process group
    bool signalsPassed = false;  // listed for termination signals to reach it
    bool reaped = false;
    std::optional<int> exitCode;
    std::optional<int> endSignal;

    // Collects the child's status if it has ended. Reaping happens only under the mutex, so a
    // signal sent under the mutex while `reaped` is false can never reach a recycled id.
    bool PollLocked() {
        if (reaped) return true;
        if (signalsPassed) {
            // Off the signal list before the id is freed, so the handler cannot hit a recycled one.
            siginfo_t info{};
            int r;
            do {
                r = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
            } while (r < 0 && errno == EINTR);
            if (r == 0 && info.si_pid == 0) return false;
            StopPassingSignalsTo(pid);
            signalsPassed = false;
        }
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(pid, &status, WNOHANG);
        } while (r < 0 && errno == EINTR);
        if (r == 0) return false;
        reaped = true;  // also when the status is lost (ECHILD: SIGCHLD ignored by the program)
        if (r == pid && WIFEXITED(status)) exitCode = WEXITSTATUS(status);
        if (r == pid && WIFSIGNALED(status)) endSignal = WTERMSIG(status);
        return true;
    }

    bool Poll() {
        std::lock_guard<std::mutex> lock(mutex);
        return PollLocked();
    }

    void KillGroup() {
        std::lock_guard<std::mutex> lock(mutex);
        if (PollLocked()) return;
        // A child leading its own session has its pid as its process group id.
        if (ownGroup) ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);  // in case it left its group
    }

    bool WaitFor(int timeoutMs) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        auto step = std::chrono::microseconds(200);
        for (;;) {
            if (Poll()) return true;
            if (timeoutMs >= 0 && Clock::now() >= deadline) return false;
            auto pause = step;
            if (timeoutMs >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
                if (left < pause) pause = left;
            }
            if (pause.count() > 0) std::this_thread::sleep_for(pause);
            if (step < std::chrono::milliseconds(10)) step *= 2;
        }
    }

    ~ProcessState() {
        if (pid <= 0) return;
        KillGroup();
        WaitFor(-1);
    }
};

int ProcessHandle::Pid() const { return state_ ? state_->pid : 0; }

bool ProcessHandle::Wait(int timeoutMs) { return !state_ || state_->WaitFor(timeoutMs); }

bool ProcessHandle::HasEnded() { return !state_ || state_->Poll(); }

std::optional<int> ProcessHandle::ExitCode() const {
    if (!state_) return std::nullopt;
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->exitCode;
}

int ProcessHandle::ShellStatus() const {
    if (!state_) return -1;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->exitCode) return *state_->exitCode;
    if (state_->endSignal) return 128 + *state_->endSignal;
    return -1;
}

void ProcessHandle::Terminate() {
    if (!state_) return;
    state_->KillGroup();
    state_->WaitFor(-1);
}

bool ProcessHandle::SetPriorityClass(uint32_t priorityClass) {
    if (!state_) return false;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->PollLocked()) return false;
    // A raise without the privilege fails with EACCES or EPERM; the child keeps its priority.
    ::setpriority(state_->ownGroup ? PRIO_PGRP : PRIO_PROCESS, static_cast<id_t>(state_->pid),
                  NiceValueForPriorityClass(priorityClass));
    return true;
}

namespace {

// Owns the posix_spawn attribute objects for the length of one launch.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool actionsReady = false;
    bool attributesReady = false;
    ~SpawnSetup() {
        if (actionsReady) posix_spawn_file_actions_destroy(&actions);
        if (attributesReady) posix_spawnattr_destroy(&attributes);
    }
};

}  // namespace

bool StartProcessWith(const std::vector<std::string>& argv, const ProcessOptions& options, StartedProcess& started,
                      std::string* error) {
    started = StartedProcess{};
    const bool capture = options.capture != OutputCapture::None;
    auto fail = [&](std::string message) {
        if (error) *error = std::move(message);
        return false;
    };
    if (argv.empty() || argv[0].empty()) return fail("no program to start");

    int output[2] = {-1, -1};
    int input[2] = {-1, -1};
    // Close-on-exec from the start: a child started by another thread at the same moment must
    // not inherit these ends (it would hold our pipe open).
    if (capture && ::pipe2(output, O_CLOEXEC) != 0) return fail(ErrorText("cannot create a pipe", errno));
    if (::pipe2(input, O_CLOEXEC) != 0) {
        const int e = errno;
        CloseQuietly(output[0]);
        CloseQuietly(output[1]);
        return fail(ErrorText("cannot create a pipe", e));
    }
    auto closeAll = [&] {
        for (int fd : {output[0], output[1], input[0], input[1]}) CloseQuietly(fd);
    };

    SpawnSetup setup;
    int rc = posix_spawn_file_actions_init(&setup.actions);
    setup.actionsReady = rc == 0;
    if (rc == 0) rc = posix_spawnattr_init(&setup.attributes);
    setup.attributesReady = setup.actionsReady && rc == 0;
    // dup2 onto 0, 1 and 2 clears close-on-exec on the copies the child keeps.
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&setup.actions, input[0], 0);
    const bool captureOutput = options.capture == OutputCapture::Both || options.capture == OutputCapture::OutputOnly;
    const bool captureError = options.capture == OutputCapture::Both || options.capture == OutputCapture::ErrorOnly;
    if (rc == 0 && captureOutput) rc = posix_spawn_file_actions_adddup2(&setup.actions, output[1], 1);
    if (rc == 0 && captureError) rc = posix_spawn_file_actions_adddup2(&setup.actions, output[1], 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors the program opened without close-on-exec stay out of the child as well.
    if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3);
#endif
    if (rc == 0 && !options.currentFolder.empty()) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
        rc = posix_spawn_file_actions_addchdir_np(&setup.actions, options.currentFolder.c_str());
#else
#error "posix_spawn_file_actions_addchdir_np is needed"
#endif
    }
    // The child starts with default signal handling and nothing blocked, whatever this
    // program (or the thread launching it) has set up.
    sigset_t mask;
    sigemptyset(&mask);
    if (rc == 0) rc = posix_spawnattr_setsigmask(&setup.attributes, &mask);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2}) sigaddset(&defaults, s);
    if (rc == 0) rc = posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    if (rc == 0) {
        const short session = options.ownSession ? POSIX_SPAWN_SETSID : 0;
        rc = posix_spawnattr_setflags(&setup.attributes, session | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    if (rc != 0) {
        closeAll();
        return fail(ErrorText("cannot prepare the process", rc));
    }

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    rc = posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
    // The child's ends and our write end of its input go now: it sees end of input at once and
    // our read end reports the end once the child (and anything it started) is gone.
    CloseQuietly(output[1]);
    CloseQuietly(input[0]);
    if (rc != 0 || !options.keepInput) CloseQuietly(input[1]);
    if (rc != 0) {
        CloseQuietly(output[0]);
        return fail(ErrorText(("cannot start " + argv[0]).c_str(), rc));
    }

    auto state = std::make_shared<ProcessState>();
    state->pid = pid;
    state->ownGroup = options.ownSession;
    if (options.passTerminationSignals) {
        InstallForwarding();
        PassSignalsTo(pid);
        state->signalsPassed = true;
    }
    started.process = ProcessHandle(std::move(state));
    if (capture) started.output = PipeHandle(std::make_shared<PipeState>(output[0]));
    if (options.keepInput) started.input = InputPipeHandle(std::make_shared<PipeState>(input[1]));
    return true;
}

ProcessOptions FollowingThisProgram(OutputCapture capture) {
    ProcessOptions options;
    options.capture = capture;
    options.ownSession = false;
    options.passTerminationSignals = true;
    return options;
}

bool StartProcess(const std::vector<std::string>& argv, const std::string& currentFolder, StartedProcess& started,
                  std::string* error) {
    ProcessOptions options;
    options.currentFolder = currentFolder;
    return StartProcessWith(argv, options, started, error);
}

bool StartProcessWithInput(const std::vector<std::string>& argv, const std::string& currentFolder,
                           StartedProcess& started, std::string* error) {
    ProcessOptions options;
    options.currentFolder = currentFolder;
    options.keepInput = true;
    return StartProcessWith(argv, options, started, error);
}

bool StartProcess(std::string_view commandLine, const std::string& currentFolder, StartedProcess& started,
                  std::string* error) {
    return StartProcess(SplitCommandLine(commandLine), currentFolder, started, error);
}

void ReadToEnd(PipeHandle& pipe, const std::function<void(std::string_view)>& onBytes) {
    char buffer[16384];
    for (;;) {
        const auto r = pipe.Read(buffer, sizeof buffer, -1);
        if (r.status != PipeHandle::ReadStatus::Data) return;
        onBytes(std::string_view(buffer, r.bytes));
    }
}

}  // namespace quillon::platform
