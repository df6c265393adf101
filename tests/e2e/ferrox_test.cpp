// ferrox in front of the real ffmpeg.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "test_support.h"

namespace quillon::test {
namespace {

std::string Ferrox() { return (BinDir() / "ferrox").string(); }

TEST(Ferrox, ConvertsWithTheRemovedDeinterlaceOption) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mp4", 0.5, 1, 2, 160, 120, 10));
    const std::string out = (dir / "out.avi").string();
    const CommandResult r = RunCommand({Ferrox(), "-nostdin", "-i", (dir / "in.mp4").string(), "-c:v", "mpeg4",
                                        "-vf", "scale=80:60", "-deinterlace", "-y", out});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_GT(std::filesystem::file_size(out), 0u);
    const CommandResult probe = RunCommand({Ferrox(), "-i", out});
    EXPECT_NE(probe.output.find("80x60"), std::string::npos) << probe.output;
}

TEST(Ferrox, PassesFfmpegsOutputAndExitStatusThrough) {
    TempDir dir;
    const CommandResult direct = RunCommand({"ffmpeg", "-hide_banner", "-i", (dir / "missing.mp4").string()});
    const CommandResult viaFerrox = RunCommand({Ferrox(), "-hide_banner", "-i", (dir / "missing.mp4").string()});
    EXPECT_NE(viaFerrox.exitCode, 0);
    EXPECT_EQ(viaFerrox.exitCode, direct.exitCode);
    EXPECT_EQ(viaFerrox.output, direct.output);
}

TEST(Ferrox, RunsTheProgramNamedByQuillonFfmpeg) {
    setenv("QUILLON_FFMPEG", "/usr/bin/printf", 1);
    const CommandResult echoed = RunCommand({Ferrox(), "[%s]", "-i", "a b", "-deinterlace", "out"});
    setenv("QUILLON_FFMPEG", "/nonexistent/ffmpeg", 1);
    const CommandResult missing = RunCommand({Ferrox(), "-version"});
    unsetenv("QUILLON_FFMPEG");
    EXPECT_EQ(echoed.exitCode, 0);
    EXPECT_EQ(echoed.output, "[-i][a b][-vf][yadif][out]");
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_NE(missing.output.find("/nonexistent/ffmpeg"), std::string::npos) << missing.output;
}

}  // namespace
}  // namespace quillon::test
