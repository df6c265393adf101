// quillon-cli convert as a user runs it, on generated media.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "fake_probe_worker.h"
#include "formats/custom_output_format.h"
#include "platform/process.h"
#include "platform/registry_store.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(text.substr(start, nl - start));
    }
    return lines;
}

// The row lines: "file<TAB>status".
std::vector<std::string> RowLines(const std::string& output) {
    std::vector<std::string> rows;
    for (const std::string& l : Lines(output)) {
        if (l.find('\t') != std::string::npos) rows.push_back(l);
    }
    return rows;
}

bool AnyProcessMentions(const std::string& text) {
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string cmdline = ReadFile(e.path() / "cmdline");
        if (cmdline.find(text) != std::string::npos) return true;
    }
    return false;
}

class CliConvert : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunCommand({Cli(), "settings", "set", "DestOutputFolderOpt", "399"}).exitCode, 0);
        ASSERT_EQ(RunCommand({Cli(), "settings", "set", "DestSpecifiedFolder", out.path().string() + "/"}).exitCode, 0);
    }
    TempDir in;
    TempDir out;
};

TEST_F(CliConvert, FolderOfMixedSourcesWithThreeThreads) {
    ASSERT_TRUE(MakeClip(in / "a.mp4", 1, 1, 2, 160, 120));
    ASSERT_TRUE(MakeAudio(in / "b.wav", 1, 1, 22050));
    fs::create_directories(in / "sub");
    ASSERT_TRUE(MakeClip(in / "sub" / "c.mkv", 1, 2, 1, 160, 120));
    ASSERT_EQ(
        RunCommand({"sndfile-convert", "-dwvw16", (in / "b.wav").string(), (in / "sub" / "d.aifc").string()}).exitCode,
        0);
    const CommandResult r = RunCommand({Cli(), "convert", "--format", "110", "--threads", "3", in.path().string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const auto rows = RowLines(r.output);
    ASSERT_EQ(rows.size(), 4u) << r.output;
    // The first file converts while the others are still being added.
    EXPECT_LT(r.output.find("Converting 4 file(s) to MP4..."), r.output.find("[2/4] Adding file")) << r.output;
    // The folder's own files come before those of its subfolder.
    std::set<std::string> top(rows.begin(), rows.begin() + 2);
    EXPECT_EQ(top, (std::set<std::string>{"a.mp4\ta.mp4", "b.wav\tb.mp4"}));
    std::set<std::string> sub(rows.begin() + 2, rows.end());
    EXPECT_EQ(sub, (std::set<std::string>{"c.mkv (2 audios)\tc.mp4", "d.aifc\td.mp4"}));
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}) EXPECT_GT(fs::file_size(out / name), 0u) << name;

    // A file the engine cannot read is reported, and the exit status says not everything was written.
    WriteFile(in / "notes.txt", "not media");
    const CommandResult again =
        RunCommand({Cli(), "convert", "--format", "1200", (in / "notes.txt").string(), (in / "a.mp4").string()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.output.find("Failed to load the following files."), std::string::npos);
    EXPECT_EQ(RowLines(again.output), (std::vector<std::string>{"a.mp4\ta.wav"}));
}

TEST_F(CliConvert, ConvertToOneAndTheStoredFormatSetting) {
    ASSERT_TRUE(MakeClip(in / "x.mp4", 1, 1, 2, 160, 120));
    ASSERT_TRUE(MakeClip(in / "y.mp4", 1, 1, 2, 320, 240));
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "OutputFormat", "90"}).exitCode, 0);
    const CommandResult r = RunCommand(
        {Cli(), "convert", "--one", (out / "both").string(), (in / "x.mp4").string(), (in / "y.mp4").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(RowLines(r.output), (std::vector<std::string>{"x.mp4\tboth.mkv", "y.mp4\tboth.mkv"}));
    EXPECT_TRUE(fs::exists(out / "both.mkv"));
    const CommandResult bad =
        RunCommand({Cli(), "convert", "--one", (out / "no" / "dir.mp4").string(), (in / "x.mp4").string()});
    EXPECT_EQ(bad.exitCode, 2);
}

TEST_F(CliConvert, InterruptCancelsLikeTheCancelButton) {
    ASSERT_TRUE(MakeClip(in / "long.mp4", 8, 1, 2, 320, 240));
    for (int i = 0; i < 3; ++i) fs::copy_file(in / "long.mp4", in / ("l" + std::to_string(i) + ".mp4"));
    fs::remove(in / "long.mp4");
    platform::StartedProcess cli;
    ASSERT_TRUE(platform::StartProcess(
        std::vector<std::string>{Cli(), "convert", "--format", "110", "--threads", "2", in.path().string()}, {}, cli));
    std::string output;
    char buffer[4096];
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool sent = false;
    for (;;) {
        const auto r = cli.output.Read(buffer, sizeof buffer, 50);
        if (r.status == platform::PipeHandle::ReadStatus::Data) output.append(buffer, r.bytes);
        if (r.status == platform::PipeHandle::ReadStatus::End) break;
        if (!sent && output.find("%\n") != std::string::npos) {
            ::kill(cli.process.Pid(), SIGINT);  // once
            sent = true;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), limit) << output;
    }
    ASSERT_TRUE(cli.process.Wait(10'000));
    ASSERT_TRUE(sent) << output;
    EXPECT_EQ(cli.process.ExitCode(), 130) << output;
    const auto rows = RowLines(output);
    ASSERT_EQ(rows.size(), 3u) << output;
    int cancelled = 0;
    for (const std::string& row : rows) cancelled += row.ends_with("\tCancelled");
    EXPECT_GE(cancelled, 1) << output;
    for (const auto& e : fs::directory_iterator(out.path())) {
        // Only outputs that were complete before the interrupt may stay.
        bool listed = false;
        for (const std::string& row : rows) listed = listed || row.ends_with("\t" + e.path().filename().string());
        EXPECT_TRUE(listed) << e.path();
    }
    EXPECT_FALSE(AnyProcessMentions(out.path().string()));
}

// A process as /proc shows it: its parent, state and start time (which tells a reused id apart).
struct ProcessEntry {
    int parent = 0;
    char state = 0;
    unsigned long long start = 0;
};

std::optional<ProcessEntry> ReadEntry(int pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    ProcessEntry e;
    std::string skip;
    fields >> e.state >> e.parent;
    for (int i = 0; i < 17; ++i) fields >> skip;  // fields 5 to 21
    fields >> e.start;
    return e;
}

// Every living process below pid, with its start time.
std::map<int, unsigned long long> Descendants(int pid) {
    std::map<int, ProcessEntry> all;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        if (auto entry = ReadEntry(std::atoi(name.c_str()))) all[std::atoi(name.c_str())] = *entry;
    }
    std::map<int, unsigned long long> found;
    std::vector<int> parents{pid};
    while (!parents.empty()) {
        const int parent = parents.back();
        parents.pop_back();
        for (const auto& [id, entry] : all) {
            if (entry.parent == parent && entry.state != 'Z' && !found.count(id)) {
                found[id] = entry.start;
                parents.push_back(id);
            }
        }
    }
    return found;
}

// Those of `seen` that still run (a zombie has ended).
std::vector<int> StillRunning(const std::map<int, unsigned long long>& seen) {
    std::vector<int> running;
    for (const auto& [pid, start] : seen) {
        const auto entry = ReadEntry(pid);
        if (entry && entry->start == start && entry->state != 'Z' && entry->state != 'X') running.push_back(pid);
    }
    return running;
}

// A stand-in for ffmpeg that runs the real one, slowed to real time for a conversion.
fs::path RealTimeFfmpeg(const TempDir& dir) {
    const fs::path script = dir / "real-time-ffmpeg";
    WriteFile(script,
              "#!/bin/sh\n"
              "case \" $* \" in\n"
              "  *\" -y \"*) exec ffmpeg -re \"$@\" ;;\n"
              "esac\n"
              "exec ffmpeg \"$@\"\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

struct Interrupted {
    std::string output;
    std::optional<int> exitCode;
    std::map<int, unsigned long long> children;  // every process seen below the CLI
    bool sent = false;
};

// quillon-cli and ferrox copied to a folder of their own, beside a stand-in probe server that
// never answers for a file whose name holds "hang".
fs::path CliWithHangingProbeServer(const TempDir& dir) {
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    for (const char* name : {"quillon-cli", "ferrox"}) fs::copy_file(fs::path(Cli()).parent_path() / name, bin / name);
    const std::vector<std::string> worker = FakeProbeWorker(dir.path());  // {"/bin/bash", script}
    fs::copy_file(worker.back(), bin / "ferrox-probe");
    fs::permissions(bin / "ferrox-probe", fs::perms::owner_all);
    return bin / "quillon-cli";
}

// Starts quillon-cli (or `program`), sends `signo` once its output holds `cue` (and, with
// at least `childrenBelow` processes run below it), and collects what it prints until it ends.
Interrupted InterruptAt(const std::vector<std::string>& args, const std::string& cue, int signo, const fs::path& ffmpeg,
                        std::size_t childrenBelow = 1, const std::string& program = Cli()) {
    Interrupted r;
    setenv("QUILLON_FFMPEG", ffmpeg.c_str(), 1);
    // Probe workers of its own: a shared probe server, meant to outlive the CLI, would count
    // as left behind if caught below it as it starts (its own tests see that it ends).
    setenv("QUILLON_NO_SHARED_SERVER", "1", 1);
    platform::StartedProcess cli;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    const bool started = platform::StartProcess(argv, {}, cli);
    unsetenv("QUILLON_FFMPEG");
    unsetenv("QUILLON_NO_SHARED_SERVER");
    EXPECT_TRUE(started);
    if (!started) return r;
    char buffer[4096];
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        const auto read = cli.output.Read(buffer, sizeof buffer, 20);
        if (read.status == platform::PipeHandle::ReadStatus::Data) r.output.append(buffer, read.bytes);
        if (read.status == platform::PipeHandle::ReadStatus::End) break;
        const auto now = Descendants(cli.process.Pid());
        r.children.insert(now.begin(), now.end());
        if (!r.sent && r.output.find(cue) != std::string::npos && now.size() >= childrenBelow) {
            ::kill(cli.process.Pid(), signo);
            r.sent = true;
        }
        if (std::chrono::steady_clock::now() > limit) {
            ADD_FAILURE() << "still running: " << r.output;
            cli.process.Terminate();
            break;
        }
    }
    // Ended at once, not after the held probe's ten minutes.
    EXPECT_TRUE(cli.process.Wait(10'000)) << r.output;
    r.exitCode = cli.process.ExitCode();
    return r;
}

void ExpectNothingLeft(const Interrupted& r, const TempDir& out) {
    EXPECT_TRUE(r.sent) << r.output;
    EXPECT_EQ(r.exitCode, 130) << r.output;
    // SIGKILL is delivered at once, but the ending may take a moment to show.
    std::vector<int> running = StillRunning(r.children);
    for (int i = 0; i < 100 && !running.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        running = StillRunning(r.children);
    }
    EXPECT_TRUE(running.empty()) << "left running: " << running.size() << "\n" << r.output;
    for (int pid : running) ::kill(pid, SIGKILL);  // not for the next test to meet
    for (const auto& e : fs::directory_iterator(out.path())) ADD_FAILURE() << "left behind: " << e.path();
}

TEST_F(CliConvert, EverySignalStopsEveryPhaseAtOnceAndLeavesNoProcess) {
    ASSERT_TRUE(MakeClip(in / "clip.mp4", 20, 1, 2, 160, 120));
    const fs::path realTime = RealTimeFfmpeg(in);

    // Adding files: a probe that does not end.
    fs::copy_file(in / "clip.mp4", in / "hang.mp4");
    const Interrupted adding = InterruptAt({"convert", "--format", "110", (in / "hang.mp4").string()}, "Adding file",
                                           SIGTERM, realTime, 2, CliWithHangingProbeServer(in).string());
    ExpectNothingLeft(adding, out);
    EXPECT_GE(adding.children.size(), 2u) << "the probe server and the probe it waits on";
    fs::remove(in / "hang.mp4");

    // Preparing: a long DWVW file is decoded by the program itself, no child involved.
    ASSERT_TRUE(MakeAudio(in / "long.wav", 600, 1, 44100));
    ASSERT_EQ(
        RunCommand({"sndfile-convert", "-dwvw16", (in / "long.wav").string(), (in / "long.aifc").string()}).exitCode,
        0);
    fs::remove(in / "long.wav");
    const Interrupted preparing =
        InterruptAt({"convert", "--format", "110", (in / "long.aifc").string(), (in / "clip.mp4").string()},
                    "Loading long.aifc", SIGHUP, realTime, 0);
    ExpectNothingLeft(preparing, out);
    EXPECT_NE(preparing.output.find("long.aifc\tCancelled"), std::string::npos) << preparing.output;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path())) {
        EXPECT_NE(e.path().extension(), ".wav") << "decoded file left: " << e.path();
    }
    fs::remove(in / "long.aifc");

    // Converting, in real time.
    const Interrupted converting =
        InterruptAt({"convert", "--format", "110", (in / "clip.mp4").string()}, "%\n", SIGINT, realTime);
    ExpectNothingLeft(converting, out);
    EXPECT_NE(converting.output.find("clip.mp4\tCancelled"), std::string::npos) << converting.output;

    // Converting the first file while later ones are still being added.
    fs::create_directories(in / "many");
    fs::copy_file(in / "clip.mp4", in / "many" / "a.mp4");
    ASSERT_TRUE(MakeAudio(in / "many" / "b000.wav", 0.1));
    for (int i = 1; i < 400; ++i) {
        fs::copy_file(in / "many" / "b000.wav", in / "many" / ("b" + std::to_string(1000 + i).substr(1) + ".wav"));
    }
    const Interrupted both = InterruptAt({"convert", "--format", "110", "--threads", "1", (in / "many").string()},
                                         "Converting", SIGINT, realTime);
    ExpectNothingLeft(both, out);
    EXPECT_NE(both.output.find("a.mp4\tCancelled"), std::string::npos) << both.output;
    EXPECT_LT(RowLines(both.output).size(), 401u) << "the load stopped too";
    fs::remove_all(in / "many");

    // Joining into one file.
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "NormalizeFile", "0"}).exitCode, 0);
    fs::copy_file(in / "clip.mp4", in / "second.mp4");
    ExpectNothingLeft(InterruptAt({"convert", "--one", (out / "one.mp4").string(), (in / "clip.mp4").string(),
                                   (in / "second.mp4").string()},
                                  "Combining files...", SIGTERM, realTime),
                      out);
}

TEST_F(CliConvert, ExitStatusContract) {
    const CommandResult help = RunCommand({Cli(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* line : {"  0    every file was converted", "  1    at least one file",
                             "  2    usage or configuration", "  130  interrupted"}) {
        EXPECT_NE(help.output.find(line), std::string::npos) << line << "\n" << help.output;
    }

    ASSERT_TRUE(MakeAudio(in / "a.wav", 1));
    ASSERT_TRUE(MakeAudio(in / "b.wav", 1));
    const std::string a = (in / "a.wav").string();
    const std::string b = (in / "b.wav").string();
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "1040", a, b}).exitCode, 0);

    // Skipped by the policy counts as done; one failed row makes it 1.
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "TargetExistsOpt", "33"}).exitCode, 0);
    const CommandResult skipped = RunCommand({Cli(), "convert", "--format", "1040", a, b});
    EXPECT_EQ(skipped.exitCode, 0) << skipped.output;
    EXPECT_EQ(RowLines(skipped.output),
              (std::vector<std::string>{"a.wav\tTarget exists and skipped", "b.wav\tTarget exists and skipped"}));
    fs::remove(out / "b.aiff");
    WriteFile(in / "broken.wav", "RIFF");
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "1040", a, b, (in / "broken.wav").string()}).exitCode, 1);

    // Usage and configuration errors.
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "99999", a}).exitCode, 2);
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "4294968336", a}).exitCode, 2);  // 1040 beyond 32 bits
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "No such group", a}).exitCode, 2);
    EXPECT_EQ(RunCommand({Cli(), "convert", "--bogus", a}).exitCode, 2);
    EXPECT_EQ(RunCommand({Cli(), "convert"}).exitCode, 2);
    {
        platform::RegistryStore store;
        ASSERT_TRUE(formats::SaveCustomFormats(store, {{"Empty", {}}, {"Retired", {9999}}}));
    }
    // A group without ids is not kept by the store; one whose formats are all gone is.
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "Empty", a}).exitCode, 2);
    const CommandResult retired = RunCommand({Cli(), "convert", "--format", "Retired", a});
    EXPECT_EQ(retired.exitCode, 2) << retired.output;
    EXPECT_NE(retired.output.find("custom group Retired has no output formats"), std::string::npos) << retired.output;
    const std::string storePath = platform::RegistryStore().FilePath();
    const std::string saved = ReadFile(storePath);
    WriteFile(storePath, "\x01\x02 not a store");
    const CommandResult damaged = RunCommand({Cli(), "convert", "--format", "1040", a});
    EXPECT_EQ(damaged.exitCode, 2) << damaged.output;
    EXPECT_EQ(ReadFile(storePath), "\x01\x02 not a store");  // left for the user to look at
    fs::remove(storePath);
    fs::create_directory(storePath);
    EXPECT_EQ(RunCommand({Cli(), "convert", "--format", "1040", a}).exitCode, 2);
    fs::remove(storePath);
    WriteFile(storePath, saved);
}

}  // namespace
}  // namespace quillon::test
