#pragma once
// Child processes started from Windows-style command lines, with one pipe carrying their
// standard output and error. No shell is involved: the line is split into arguments by the
// CommandLineToArgvW rules, so a quoted path reaches the child byte for byte.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {

// Splits a command line the way CommandLineToArgvW does. The first item is the program name:
// it ends at the first blank or tab, or, when it begins with a double quote, at the next double
// quote (backslashes are not special in it). Later items follow the backslash and quote rules,
// including the modern handling of "" inside quotes (a literal quote that also ends the quoted
// part). Only blanks and tabs separate items. An empty line gives no items; a line that
// begins with a blank has an empty program name.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The inverse for any item after the first: text that SplitCommandLine turns back into exactly
// `argument`. The result is always enclosed in double quotes.
std::string QuoteArgument(std::string_view argument);

// The program name in quotes. Under these rules a quoted program name cannot hold a double
// quote; such a name is returned unquoted, which splits back to it only when it has no blank
// or tab (a name with both cannot be written at all).
std::string QuoteProgramName(std::string_view program);

// Windows priority-class values, kept as the program stores them.
inline constexpr uint32_t kHighPriorityClass = 0x80;
inline constexpr uint32_t kAboveNormalPriorityClass = 0x8000;
inline constexpr uint32_t kNormalPriorityClass = 0x20;
inline constexpr uint32_t kBelowNormalPriorityClass = 0x4000;
inline constexpr uint32_t kIdlePriorityClass = 0x40;

// The nice value standing for a priority class; unknown values count as Normal (0).
int NiceValueForPriorityClass(uint32_t priorityClass);

struct ProcessState;
struct PipeState;

// Shared handle to a started child process. Copies refer to the same child. When the last
// copy goes while the child still runs, its process group is killed and the child reaped, so a
// handle never leaves a zombie behind.
class ProcessHandle {
public:
    ProcessHandle() = default;
    explicit ProcessHandle(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}

    bool Valid() const { return state_ != nullptr; }
    int Pid() const;  // 0 when not valid

    // Waits up to timeoutMs (negative: without limit) for the child to end and reaps it.
    // True when it has ended (also when the handle is empty).
    bool Wait(int timeoutMs);
    bool HasEnded();

    // Exit code when the child exited normally; empty while it runs, after a signal, or when
    // the status could not be collected.
    std::optional<int> ExitCode() const;
    // The status as a shell reports it: the exit code, or 128 + the signal that ended the
    // child; -1 while it runs or when the status could not be collected.
    int ShellStatus() const;

    // Kills the child's whole process group, then waits for the child.
    void Terminate();

    // Applies the class's nice value to the child's process group. A refused change (raising
    // the priority without the privilege) is ignored; false only for an empty or ended handle.
    bool SetPriorityClass(uint32_t priorityClass);

    // Drops this reference.
    void Close() { state_.reset(); }

private:
    std::shared_ptr<ProcessState> state_;
};

// Shared handle to the read end of a child's output pipe; the descriptor is closed with the
// last copy.
class PipeHandle {
public:
    PipeHandle() = default;
    explicit PipeHandle(std::shared_ptr<PipeState> state) : state_(std::move(state)) {}

    bool Valid() const { return state_ != nullptr; }

    enum class ReadStatus { Data, End, NoData };
    struct ReadResult {
        ReadStatus status = ReadStatus::NoData;
        std::size_t bytes = 0;
    };
    // Waits up to timeoutMs for data (0: only what is there), then reads at most `size` bytes.
    // End: every writer has closed the pipe. NoData: nothing arrived in time, or the read failed.
    ReadResult Read(char* buffer, std::size_t size, int timeoutMs);
    // True while nothing waits to be read and the writer has not closed its end: a connection
    // kept between requests that is still good for the next one.
    bool StillOpen();

    void Close() { state_.reset(); }

private:
    std::shared_ptr<PipeState> state_;
};

// Shared handle to the write end of a child's standard input; closed with the last copy.
class InputPipeHandle {
public:
    InputPipeHandle() = default;
    explicit InputPipeHandle(std::shared_ptr<PipeState> state) : state_(std::move(state)) {}

    bool Valid() const { return state_ != nullptr; }
    // Writes all of `bytes`. False when the child has closed its end (it has ended, say):
    // that never raises SIGPIPE in this program.
    bool Write(std::string_view bytes);
    void Close() { state_.reset(); }

private:
    std::shared_ptr<PipeState> state_;
};

struct StartedProcess {
    ProcessHandle process;
    PipeHandle output;      // the child's captured output (see OutputCapture)
    InputPipeHandle input;  // only with ProcessOptions::keepInput
};

// Which of the child's standard output and error go into the output pipe; a stream that does
// not is this program's own.
enum class OutputCapture { Both, OutputOnly, ErrorOnly, None };

struct ProcessOptions {
    std::string currentFolder;  // the parent's when empty
    OutputCapture capture = OutputCapture::Both;
    bool keepInput = false;  // standard input stays open for `started.input`
    // A child that leads a session of its own takes what it starts along when its group is
    // killed. Without one it stays in this program's process group, so whoever stops that group
    // stops the child with it (the helper programs' ffmpeg).
    bool ownSession = true;
    // SIGTERM, SIGINT and SIGHUP that end this program are first passed on to the child.
    bool passTerminationSignals = false;
};

// How the helper programs run ffmpeg: in the helper's process group and passed the termination
// signals the helper gets, so the child never outlives a stopped helper.
ProcessOptions FollowingThisProgram(OutputCapture capture);

// Starts the program named by argv[0] (searched in PATH when it holds no "/") with these
// arguments. Standard input is a pipe (closed at once unless kept), and no other descriptor of
// the parent reaches the child. On failure returns false with a message; nothing is left open
// and no child remains.
bool StartProcessWith(const std::vector<std::string>& argv, const ProcessOptions& options, StartedProcess& started,
                      std::string* error = nullptr);

// Reads the pipe until every writer has closed it, handing over each piece that arrives.
void ReadToEnd(PipeHandle& pipe, const std::function<void(std::string_view)>& onBytes);

// A file removed when a termination signal (SIGTERM, SIGINT, SIGHUP) ends this process: an
// intermediate file of a helper program. At most four are kept.
void RemoveFileOnSignal(const std::string& path);

// The usual start: standard output and error share one pipe, standard input is closed at once,
// the child leads a session of its own, and its current folder is `currentFolder`.
bool StartProcess(const std::vector<std::string>& argv, const std::string& currentFolder, StartedProcess& started,
                  std::string* error = nullptr);

// The same, but the child's standard input stays open for `started.input` to write to.
bool StartProcessWithInput(const std::vector<std::string>& argv, const std::string& currentFolder,
                           StartedProcess& started, std::string* error = nullptr);

// The same for a Windows-style command line, split with SplitCommandLine.
bool StartProcess(std::string_view commandLine, const std::string& currentFolder, StartedProcess& started,
                  std::string* error = nullptr);

}  // namespace quillon::platform
