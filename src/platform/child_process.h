#pragma once
// Running ffmpeg as a child of the helper programs (ferrox, tavrel): no shell, the child dies
// with its parent, and a SIGTERM/SIGINT/SIGHUP sent to the parent alone reaches the child too.

#include <functional>
#include <string>
#include <vector>

namespace quillon::platform {

// Files removed when a termination signal ends this process (intermediate files); at most 4.
void RemoveFileOnSignal(const std::string& path);

// Where the child's standard output goes.
enum class ChildOutput {
    Inherit,      // the parent's standard output
    Capture,      // a pipe the caller reads (binary data, e.g. raw PCM)
    CaptureBoth,  // one pipe for standard output and error (text lines)
    CaptureError, // a pipe for standard error only; standard output is the parent's
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] (PATH search) with standard input from /dev/null. False when it cannot start.
    bool Start(const std::vector<std::string>& argv, ChildOutput output);
    // The read end of the capture pipe, -1 without one.
    int OutputFd() const { return outFd_; }
    // Reads the capture pipe to its end, handing over every line without its line end
    // ("\r" counts as a line end too, as ffmpeg ends its status lines with it).
    void ReadLines(const std::function<void(const std::string&)>& onLine);
    // Waits for the child; its exit status, 128 + signal when killed, -1 when never started.
    int Wait();

private:
    int pid_ = -1;
    int outFd_ = -1;
};

}  // namespace quillon::platform
