// quillon-cli command-line: the exact line a conversion would run, and that the line works.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/process.h"
#include "test_support.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CommandResult;
using test::RunCommand;

TEST(CliCommandLine, PrintsTheLineARunWouldStart) {
    test::TempDir dir;
    const fs::path clip = dir / "my clip.mkv";
    ASSERT_TRUE(test::MakeClip(clip, 1, 2, 2, 176, 144, 25));
    const std::string out = (dir / "o \"x\".mp4").string();
    const std::string ferrox = (test::BinDir() / "ferrox").string();

    // The first audio stream by default, the second once asked for.
    CommandResult r = RunCommand({Cli(), "command-line", "--format", "110", "--output", out, clip.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "\"" + ferrox + "\" -i \"" + clip.string() +
                            "\" -dn -sn -movflags faststart -map 0:0 -c:v mpeg4 "
                            "-s 176x144 -aspect 176:144 -q:v 5 -r 25.000 -map 0:1 -c:a aac -strict -2 -cutoff 21000 "
                            "-ar 44100 -ac 2 -b:a 128000 -y \"" +
                            dir.path().string() + "/o \\\"x\\\".mp4\"\n");
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "RequestAudioIndex", "2"}).exitCode, 0);
    r = RunCommand({Cli(), "command-line", "--format", "110", "--output", out, clip.string()});
    EXPECT_NE(r.output.find(" -map 0:2 -c:a aac "), std::string::npos) << r.output;

    // The printed line runs as it stands and makes the file it names.
    std::vector<std::string> argv = platform::SplitCommandLine(r.output.substr(0, r.output.size() - 1));
    ASSERT_EQ(argv.back(), out);
    EXPECT_EQ(RunCommand(argv).exitCode, 0);
    EXPECT_GT(fs::file_size(out), 0u);

    // Without --output the path is resolved as a run resolves it (here: beside the source),
    // and nothing is left at it.
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "DestOutputFolderOpt", "199"}).exitCode, 0);
    r = RunCommand({Cli(), "command-line", "--format", "155", clip.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "\"" + (test::BinDir() / "tavrel").string() +
                            "\" --frontend --nosubtitles -x 176 -y 144 -v 6 "
                            "--audiostream 2 -o \"" +
                            dir.path().string() + "/my clip.ogv\" \"" + clip.string() + "\"\n");
    EXPECT_FALSE(fs::exists(dir / "my clip.ogv"));
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", "TargetExistsOpt", "33"}).exitCode, 0);
    test::WriteFile(dir / "my clip.ogv", "taken");
    r = RunCommand({Cli(), "command-line", "--format", "155", clip.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("Target exists and skipped"), std::string::npos) << r.output;
}

TEST(CliCommandLine, RefusesWhatItCannotDescribe) {
    test::TempDir dir;
    test::WriteFile(dir / "noise.bin", std::string(1000, 'x'));
    CommandResult r = RunCommand({Cli(), "command-line", "--format", "110", (dir / "noise.bin").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("no video or audio stream found"), std::string::npos) << r.output;
    r = RunCommand({Cli(), "command-line", "--format", "12345", (dir / "noise.bin").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("no output format 12345"), std::string::npos) << r.output;
    EXPECT_EQ(RunCommand({Cli(), "command-line", "--format", "x1", "a"}).exitCode, 2);
    // 4294967406 is 110 cut to 32 bits: no number of a format, not MP4.
    r = RunCommand({Cli(), "command-line", "--format", "4294967406", (dir / "noise.bin").string()});
    EXPECT_EQ(r.exitCode, 2) << r.output;
    EXPECT_EQ(RunCommand({Cli(), "command-line", "a"}).exitCode, 2);
}

}  // namespace
}  // namespace quillon::cli
