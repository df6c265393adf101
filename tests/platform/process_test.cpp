#include "platform/process.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "process_census.h"
#include "test_support.h"

namespace quillon::platform {
namespace {

using Items = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    struct Case {
        const char* line;
        Items items;
    };
    const Case cases[] = {
        {"", {}},
        {"prog", {"prog"}},
        {"\"C:\\Program Files\\a.exe\" x", {"C:\\Program Files\\a.exe", "x"}},
        // The program name knows no escapes and ends at its closing quote.
        {"\"a\\\"b c", {"a\\", "b", "c"}},
        {"\"prog\"next arg", {"prog", "next", "arg"}},
        {"pro\"g x\" y", {"pro\"g", "x y"}},
        {" prog", {"", "prog"}},
        {"p \"abc\" d e", {"p", "abc", "d", "e"}},
        {"p a\\\\\\b d\"e f\"g h", {"p", "a\\\\\\b", "de fg", "h"}},
        {"p a\\\\\\\"b c d", {"p", "a\\\"b", "c", "d"}},
        {"p a\\\\\\\\\"b c\" d e", {"p", "a\\\\b c", "d", "e"}},
        {"p \"hello\\\\\"", {"p", "hello\\"}},
        // Two quotes inside quotes give a literal quote and end the quoted part.
        {"p a\"b\"\" c d", {"p", "ab\"", "c", "d"}},
        {"p \"a\"\"\"b c\"", {"p", "a\"b c"}},
        {"p \"\"\"\"", {"p", "\""}},
        {"p \"\" x", {"p", "", "x"}},
        {"p a\tb  \t", {"p", "a", "b"}},
        {"p \"a\nb\" c\nd", {"p", "a\nb", "c\nd"}},
        {"p \"unterminated arg", {"p", "unterminated arg"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line), c.items) << c.line;
    }
}

TEST(QuoteArgument, SplitsBackToTheSameText) {
    const std::string samples[] = {
        "",
        "plain",
        "with blank",
        "a\"b",
        "\"",
        "\"\"",
        "\\",
        "ends with backslash\\",
        "two\\\\",
        "back\\\"quote",
        "back\\\\\"quote",
        "C:\\dir\\file.mp4",
        "tab\there",
        "new\nline",
        "-leading-dash",
        "$HOME `ls` ;|&<>*?'",
        "Grüße Ωmega 日本",
    };
    for (const std::string& s : samples) {
        const Items split = SplitCommandLine("\"prog\" " + QuoteArgument(s) + " " + QuoteArgument(s));
        EXPECT_EQ(split, (Items{"prog", s, s})) << s;
    }

    // Random mixes of the characters that matter.
    std::mt19937 rng(7);
    const std::string alphabet = "\\\"\t \na";
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        const int length = static_cast<int>(rng() % 12);
        for (int i = 0; i < length; ++i) s.push_back(alphabet[rng() % alphabet.size()]);
        const Items split = SplitCommandLine("prog " + QuoteArgument(s) + " x");
        ASSERT_EQ(split, (Items{"prog", s, "x"})) << "[" << s << "]";
    }
}

TEST(QuoteProgramName, RoundTripsWhereTheRulesAllow) {
    EXPECT_EQ(SplitCommandLine(QuoteProgramName("/opt/my app/ferrox") + " -i x")[0], "/opt/my app/ferrox");
    EXPECT_EQ(SplitCommandLine(QuoteProgramName("/opt/a\"b/ferrox") + " -i x")[0], "/opt/a\"b/ferrox");
}

TEST(NiceValueForPriorityClass, MapsTheFiveClasses) {
    EXPECT_EQ(NiceValueForPriorityClass(kHighPriorityClass), -10);
    EXPECT_EQ(NiceValueForPriorityClass(kAboveNormalPriorityClass), -5);
    EXPECT_EQ(NiceValueForPriorityClass(kNormalPriorityClass), 0);
    EXPECT_EQ(NiceValueForPriorityClass(kBelowNormalPriorityClass), 5);
    EXPECT_EQ(NiceValueForPriorityClass(kIdlePriorityClass), 19);
    EXPECT_EQ(NiceValueForPriorityClass(12345), 0);
}

// Everything the child writes until it closes its output.
std::string ReadAll(StartedProcess& p) {
    std::string out;
    char buffer[4096];
    for (;;) {
        const auto r = p.output.Read(buffer, sizeof buffer, 5000);
        if (r.status == PipeHandle::ReadStatus::Data) {
            out.append(buffer, r.bytes);
        } else if (r.status == PipeHandle::ReadStatus::End) {
            return out;
        } else {
            ADD_FAILURE() << "child wrote nothing for 5 s";
            return out;
        }
    }
}

std::string RunChild(const std::string& commandLine, const std::string& folder = "") {
    StartedProcess p;
    std::string error;
    EXPECT_TRUE(StartProcess(commandLine, folder, p, &error)) << error;
    if (!p.process.Valid()) return {};
    std::string out = ReadAll(p);
    EXPECT_TRUE(p.process.Wait(5000));
    return out;
}

Items SplitNul(const std::string& text) {
    Items items;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            items.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return items;
}

TEST(StartProcess, HostileNamesReachTheChildAsOneArgumentEach) {
    const Items names = {
        "/media/My Videos/clip one.mp4",
        "say \"hi\".mp4",
        "back\\slash\\",
        "quote after backslash\\\".mkv",
        "\\\\server\\share\\",
        "$HOME and $(id) and `id`.avi",
        "-i",
        "--help",
        "line\nbreak.mp3",
        "tab\tstop",
        "Grüße, Ωmega, 日本語.flac",
        "",
        "'single' ; rm -rf x & | > <",
    };
    std::string line = QuoteProgramName("/usr/bin/printf") + " " + QuoteArgument("%s\\0");
    for (const std::string& n : names) line += " " + QuoteArgument(n);
    EXPECT_EQ(SplitNul(RunChild(line)), names);
}

TEST(StartProcess, SharesOnePipeForOutputAndErrorAndClosesInput) {
    // cat would wait forever on an open input; it must see the end at once.
    EXPECT_EQ(RunChild("/bin/sh -c \"echo out; echo err >&2; cat; echo done\""), "out\nerr\ndone\n");
}

TEST(StartProcess, RunsInTheGivenFolderWithinItsOwnSession) {
    test::TempDir dir;
    EXPECT_EQ(RunChild("/bin/pwd", dir.path().string()), dir.path().string() + "\n");
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    EXPECT_EQ(RunChild("/bin/pwd"), std::string(here) + "\n");

    // Field 1 is the pid, 5 the process group, 6 the session.
    std::istringstream stat(RunChild("/bin/sh -c \"exec cat /proc/self/stat\""));
    std::string pid, comm, state, ppid, group, session;
    stat >> pid >> comm >> state >> ppid >> group >> session;
    EXPECT_EQ(group, pid);
    EXPECT_EQ(session, pid);
}

TEST(StartProcess, KeepsThisProgramsDescriptorsToItself) {
    const int leaky = open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
    ASSERT_GE(leaky, 3);
    const std::string listing = RunChild("/bin/ls /proc/self/fd");
    close(leaky);
    // ls sees its three standard descriptors and the one it reads the folder with.
    std::istringstream in(listing);
    Items fds;
    for (std::string fd; in >> fd;) fds.push_back(fd);
    EXPECT_EQ(fds, (Items{"0", "1", "2", "3"})) << listing;
}

TEST(StartProcess, FailsCleanlyForMissingProgramsAndFolders) {
    StartedProcess p;
    std::string error;
    EXPECT_FALSE(StartProcess("\"/nonexistent/ferrox\" -i x", "", p, &error));
    EXPECT_FALSE(p.process.Valid());
    EXPECT_FALSE(p.output.Valid());
    EXPECT_NE(error.find("/nonexistent/ferrox"), std::string::npos) << error;
    EXPECT_FALSE(StartProcess("/bin/true", "/nonexistent-folder", p, &error));
    EXPECT_FALSE(StartProcess("", "", p, &error));
}

TEST(ProcessHandle, WaitsWithTimeoutAndReportsTheExitCode) {
    StartedProcess p;
    ASSERT_TRUE(StartProcess("/bin/sh -c \"sleep 0.3; exit 7\"", "", p));
    EXPECT_FALSE(p.process.Wait(20));
    EXPECT_FALSE(p.process.ExitCode().has_value());
    EXPECT_TRUE(p.process.Wait(5000));
    EXPECT_TRUE(p.process.HasEnded());
    EXPECT_EQ(p.process.ExitCode(), 7);
}

bool Alive(pid_t pid) { return kill(pid, 0) == 0; }

TEST(ProcessHandle, TerminateEndsTheWholeGroup) {
    test::TempDir dir;
    const std::string pidFile = (dir / "child.pid").string();
    StartedProcess p;
    // The shell starts a grandchild in its group and writes the grandchild's pid.
    ASSERT_TRUE(StartProcess("/bin/sh -c " + QuoteArgument("sleep 60 & echo $! > '" + pidFile + "'; wait"), "", p));
    pid_t grandchild = 0;
    for (int i = 0; i < 500 && grandchild == 0; ++i) {
        std::ifstream in(pidFile);
        in >> grandchild;
        if (grandchild == 0) usleep(10000);
    }
    ASSERT_GT(grandchild, 0);
    ASSERT_TRUE(Alive(grandchild));

    p.process.Terminate();
    EXPECT_TRUE(p.process.HasEnded());
    EXPECT_FALSE(p.process.ExitCode().has_value());  // killed, not exited
    // The grandchild is reaped by init; give it a moment to disappear.
    for (int i = 0; i < 500 && Alive(grandchild); ++i) usleep(10000);
    EXPECT_FALSE(Alive(grandchild));
    // Its output pipe reports the end once every writer is gone.
    char buffer[16];
    EXPECT_EQ(p.output.Read(buffer, sizeof buffer, 2000).status, PipeHandle::ReadStatus::End);
}

TEST(ProcessHandle, LastCopyEndsARunningChild) {
    pid_t pid = 0;
    {
        StartedProcess p;
        ASSERT_TRUE(StartProcess("/bin/sleep 60", "", p));
        pid = p.process.Pid();
        ProcessHandle copy = p.process;
        p.process.Close();
        ASSERT_TRUE(Alive(pid));
    }
    // Killed and reaped: no zombie keeps the id.
    EXPECT_FALSE(Alive(pid));
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
}

TEST(ProcessHandle, AppliesThePriorityClassToTheGroup) {
    StartedProcess p;
    ASSERT_TRUE(StartProcess("/bin/sleep 30", "", p));
    EXPECT_TRUE(p.process.SetPriorityClass(kBelowNormalPriorityClass));
    EXPECT_EQ(test::NiceOf(p.process.Pid()), 5);
    EXPECT_TRUE(p.process.SetPriorityClass(kIdlePriorityClass));
    EXPECT_EQ(test::NiceOf(p.process.Pid()), 19);
    // Raising needs a privilege this user may lack; either way the call stays quiet.
    EXPECT_TRUE(p.process.SetPriorityClass(kHighPriorityClass));
    const int raised = test::NiceOf(p.process.Pid());
    EXPECT_TRUE(raised == 19 || raised == -10) << raised;
    p.process.Terminate();
    EXPECT_FALSE(p.process.SetPriorityClass(kNormalPriorityClass));
}

TEST(StartProcess, LeavesNoDescriptorOrChildBehindAfterManyLaunches) {
    const int before = test::OpenDescriptors();
    for (int i = 0; i < 200; ++i) {
        StartedProcess p;
        switch (i % 4) {
        case 0:  // read to the end, then wait
            ASSERT_TRUE(StartProcess("/bin/echo hello", "", p));
            ReadAll(p);
            ASSERT_TRUE(p.process.Wait(5000));
            break;
        case 1:  // terminated while running
            ASSERT_TRUE(StartProcess("/bin/sleep 10", "", p));
            p.process.Terminate();
            break;
        case 2:  // handles dropped without waiting
            ASSERT_TRUE(StartProcess("/bin/sleep 10", "", p));
            break;
        case 3:  // failed start
            ASSERT_FALSE(StartProcess("/nonexistent/program", "", p));
            break;
        }
    }
    EXPECT_EQ(test::OpenDescriptors(), before);
    EXPECT_TRUE(test::NoChildLeft()) << "a child or zombie was left behind";
}

TEST(StartProcessWithInput, TheChildReadsWhatIsWrittenAndAGoneReaderIsNoSignal) {
    StartedProcess p;
    ASSERT_TRUE(StartProcessWithInput({"/bin/cat"}, "", p));
    ASSERT_TRUE(p.input.Valid());
    std::string text(200'000, 'x');  // more than a pipe holds: the write waits for the reader
    text += "end";
    std::string echoed;
    std::thread reader([&] { echoed = ReadAll(p); });
    EXPECT_TRUE(p.input.Write(text));
    p.input.Close();  // end of input ends cat
    reader.join();
    EXPECT_EQ(echoed, text);
    ASSERT_TRUE(p.process.Wait(5000));

    // The reader is gone: the write fails instead of ending this program by SIGPIPE, and
    // leaves no SIGPIPE pending for a later moment.
    StartedProcess gone;
    ASSERT_TRUE(StartProcessWithInput({"/bin/true"}, "", gone));
    ASSERT_TRUE(gone.process.Wait(5000));
    EXPECT_FALSE(gone.input.Write("request"));
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);

    // The plain start still gives the child an input that has already ended.
    StartedProcess plain;
    ASSERT_TRUE(StartProcess(std::vector<std::string>{"/bin/cat"}, "", plain));
    EXPECT_FALSE(plain.input.Valid());
    EXPECT_EQ(ReadAll(plain), "");
    EXPECT_TRUE(plain.process.Wait(5000));
}

// What the child wrote to the pipe and, with the test's own standard output and error pointed
// at a file meanwhile, to this program's.
struct Routed {
    std::string piped;
    std::string ours;
    int status = -1;
};

Routed RunRouted(const std::vector<std::string>& argv, const ProcessOptions& options) {
    Routed r;
    test::TempDir dir;
    const std::string file = (dir / "stderr").string();
    std::fflush(stdout);
    const int savedOut = dup(1);
    const int savedError = dup(2);
    const int sink = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    dup2(sink, 1);
    dup2(sink, 2);
    close(sink);
    StartedProcess p;
    std::string error;
    const bool started = StartProcessWith(argv, options, p, &error);
    if (started && p.output.Valid()) ReadToEnd(p.output, [&](std::string_view bytes) { r.piped += bytes; });
    if (started) p.process.Wait(5000);
    dup2(savedOut, 1);
    dup2(savedError, 2);
    close(savedOut);
    close(savedError);
    EXPECT_TRUE(started) << error;
    r.ours = test::ReadFile(file);
    r.status = p.process.ShellStatus();
    return r;
}

TEST(StartProcessWith, CapturesTheChosenStreamsAndLeavesTheOthersToThisProgram) {
    const std::vector<std::string> both{"/bin/sh", "-c", "echo out; echo err >&2; exit 3"};
    ProcessOptions options;
    Routed r = RunRouted(both, options);
    EXPECT_EQ(r.piped, "out\nerr\n");
    EXPECT_EQ(r.ours, "");
    EXPECT_EQ(r.status, 3);

    options.capture = OutputCapture::ErrorOnly;
    r = RunRouted({"/bin/sh", "-c", "echo out >&2; echo err >&2"}, options);
    EXPECT_EQ(r.piped, "out\nerr\n");
    r = RunRouted({"/bin/sh", "-c", "echo out; echo err >&2"}, options);
    EXPECT_EQ(r.piped, "err\n");
    EXPECT_EQ(r.ours, "out\n");

    // Raw bytes come through whole, however they are cut into reads.
    options.capture = OutputCapture::OutputOnly;
    r = RunRouted({"/bin/sh", "-c", "head -c 300000 /dev/zero; echo err >&2"}, options);
    EXPECT_EQ(r.piped, std::string(300000, '\0'));
    EXPECT_EQ(r.ours, "err\n");

    options.capture = OutputCapture::None;
    r = RunRouted({"/bin/sh", "-c", "echo err >&2; kill -KILL $$"}, options);
    EXPECT_EQ(r.piped, "");
    EXPECT_EQ(r.ours, "err\n");
    EXPECT_EQ(r.status, 128 + SIGKILL);  // as a shell reports a killed child
}

TEST(StartProcessWith, AFollowingChildStaysInThisGroupAndGoesWithThisProgram) {
    // Field 5 is the process group, 6 the session.
    StartedProcess p;
    ASSERT_TRUE(StartProcessWith({"/bin/sh", "-c", "exec cat /proc/self/stat"},
                                 FollowingThisProgram(OutputCapture::OutputOnly), p));
    std::string out;
    ReadToEnd(p.output, [&](std::string_view bytes) { out += bytes; });
    ASSERT_TRUE(p.process.Wait(5000));
    std::istringstream stat(out);
    std::string pid, comm, state, ppid, group, session;
    stat >> pid >> comm >> state >> ppid >> group >> session;
    EXPECT_EQ(group, std::to_string(getpgrp()));
    EXPECT_EQ(session, std::to_string(getsid(0)));

    // A helper stopped by SIGTERM passes it on and removes its intermediate file; it runs in a
    // child so that the handlers stay out of the test program.
    test::TempDir dir;
    const std::string doomed = (dir / "intermediate").string();
    test::WriteFile(doomed, "x");
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    const pid_t helper = fork();
    ASSERT_GE(helper, 0);
    if (helper == 0) {
        RemoveFileOnSignal(doomed);
        StartedProcess sleeper;
        if (!StartProcessWith({"/bin/sleep", "60"}, FollowingThisProgram(OutputCapture::None), sleeper)) _exit(1);
        const int child = sleeper.process.Pid();
        if (write(fds[1], &child, sizeof child) != sizeof child) _exit(1);
        sleeper.process.Wait(-1);
        _exit(0);
    }
    close(fds[1]);
    int sleeper = 0;
    ASSERT_EQ(read(fds[0], &sleeper, sizeof sleeper), static_cast<ssize_t>(sizeof sleeper));
    close(fds[0]);
    ASSERT_EQ(kill(helper, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(helper, &status, 0), helper);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_FALSE(std::filesystem::exists(doomed));
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        std::ifstream procStat("/proc/" + std::to_string(sleeper) + "/stat");
        std::string text;
        gone = !std::getline(procStat, text) || text.find(") Z") != std::string::npos;
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the helper's child outlived it";
}

}  // namespace
}  // namespace quillon::platform
