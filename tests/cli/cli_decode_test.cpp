#include <gtest/gtest.h>

#include <sys/stat.h>

#include "test_support.h"

namespace fs = std::filesystem;
using namespace quillon::test;

namespace {

std::string DataChunk(const std::string& wav) {
    const std::size_t at = wav.find("data");
    return at == std::string::npos ? std::string() : wav.substr(at + 8);
}

TEST(CliDecode, DwvwAifcToWav) {
    TempDir dir;
    ASSERT_TRUE(MakeAudio(dir / "in.wav", 1.5, 1, 22050));
    CommandResult r = RunCommand({"sndfile-convert", "-dwvw16", (dir / "in.wav").string(), (dir / "in.aifc").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    r = RunCommand({"sndfile-convert", "-pcm16", (dir / "in.aifc").string(), (dir / "ref.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;

    r = RunCommand({Cli(), "decode", (dir / "in.aifc").string(), (dir / "out.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string out = ReadFile(dir / "out.wav");
    ASSERT_GT(out.size(), 44u);
    EXPECT_EQ(out.substr(0, 4), "RIFF");
    EXPECT_EQ(out.substr(36, 4), "data");
    EXPECT_EQ(out.substr(44), DataChunk(ReadFile(dir / "ref.wav")));
}

TEST(CliDecode, FailuresPrintTheMessage) {
    TempDir dir;
    WriteFile(dir / "junk.aifc", std::string(100, 'j'));
    CommandResult r = RunCommand({Cli(), "decode", (dir / "junk.aifc").string(), (dir / "out.wav").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("Failed to open file"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "out.wav"));

    r = RunCommand({Cli(), "decode", (dir / "clip.mp4").string(), (dir / "out.wav").string()});
    EXPECT_EQ(r.exitCode, 1);
    r = RunCommand({Cli(), "decode", (dir / "junk.aifc").string()});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(CliDecode, FullDiskAndNonRegularFilesFailTheCommand) {
    TempDir dir;
    ASSERT_TRUE(MakeAudio(dir / "in.wav", 3.0, 1, 22050));
    CommandResult r = RunCommand({"sndfile-convert", "-dwvw16", (dir / "in.wav").string(), (dir / "in.aifc").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;

    r = RunCommand({Cli(), "decode", (dir / "in.aifc").string(), (dir / "out.wav").string()}, 30000);
    EXPECT_NE(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("File too large"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(dir.path().string()), std::string::npos) << "names the folder: " << r.output;
    EXPECT_FALSE(fs::exists(dir / "out.wav")) << "no partial WAV is left";

    ASSERT_EQ(mkfifo((dir / "pipe.voc").c_str(), 0600), 0);
    r = RunCommand({Cli(), "decode", (dir / "pipe.voc").string(), (dir / "out.wav").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("is not a regular file"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "out.wav"));
}

}  // namespace
