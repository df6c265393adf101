// quillon-cli convert as a user runs it, on generated media.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/process.h"
#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::string Cli() { return (BinDir() / "quillon-cli").string(); }

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
    ASSERT_EQ(RunCommand({"sndfile-convert", "-dwvw16", (in / "b.wav").string(), (in / "sub" / "d.aifc").string()})
                  .exitCode,
              0);
    const CommandResult r = RunCommand({Cli(), "convert", "--format", "110", "--threads", "3", in.path().string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const auto rows = RowLines(r.output);
    ASSERT_EQ(rows.size(), 4u) << r.output;
    // The folder's own files come before those of its subfolder.
    std::set<std::string> top(rows.begin(), rows.begin() + 2);
    EXPECT_EQ(top, (std::set<std::string>{"a.mp4\ta.mp4", "b.wav\tb.mp4"}));
    std::set<std::string> sub(rows.begin() + 2, rows.end());
    EXPECT_EQ(sub, (std::set<std::string>{"c.mkv (2 audios)\tc.mp4", "d.aifc\td.mp4"}));
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}) EXPECT_GT(fs::file_size(out / name), 0u) << name;

    // A file the engine cannot read is reported, and the exit status says not everything was written.
    WriteFile(in / "notes.txt", "not media");
    const CommandResult again = RunCommand({Cli(), "convert", "--format", "1200", (in / "notes.txt").string(),
                                            (in / "a.mp4").string()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.output.find("Failed to load the following files."), std::string::npos);
    EXPECT_EQ(RowLines(again.output), (std::vector<std::string>{"a.mp4\ta.wav"}));
}

TEST_F(CliConvert, ConvertToOneAndTheStoredFormatSetting) {
    ASSERT_TRUE(MakeClip(in / "x.mp4", 1, 1, 2, 160, 120));
    ASSERT_TRUE(MakeClip(in / "y.mp4", 1, 1, 2, 320, 240));
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "OutputFormat", "90"}).exitCode, 0);
    const CommandResult r = RunCommand({Cli(), "convert", "--one", (out / "both").string(), (in / "x.mp4").string(),
                                        (in / "y.mp4").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(RowLines(r.output), (std::vector<std::string>{"x.mp4\tboth.mkv", "y.mp4\tboth.mkv"}));
    EXPECT_TRUE(fs::exists(out / "both.mkv"));
    const CommandResult bad = RunCommand({Cli(), "convert", "--one", (out / "no" / "dir.mp4").string(),
                                          (in / "x.mp4").string()});
    EXPECT_EQ(bad.exitCode, 2);
}

TEST_F(CliConvert, InterruptCancelsLikeTheCancelButton) {
    ASSERT_TRUE(MakeClip(in / "long.mp4", 8, 1, 2, 320, 240));
    for (int i = 0; i < 3; ++i) fs::copy_file(in / "long.mp4", in / ("l" + std::to_string(i) + ".mp4"));
    fs::remove(in / "long.mp4");
    platform::StartedProcess cli;
    ASSERT_TRUE(platform::StartProcess(std::vector<std::string>{Cli(), "convert", "--format", "110", "--threads", "2",
                                                                in.path().string()},
                                       {}, cli));
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

}  // namespace
}  // namespace quillon::test
