// What quillon-cli convert does where the window would use the desktop: messages go to the
// terminal, and no file manager opens even when the settings ask to browse to the output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(CliConvertDesktop, MessagesGoToTheTerminalAndNothingIsOpened) {
    TempDir in;
    TempDir out;
    TempDir bin;
    ASSERT_TRUE(MakeAudio(in / "tone.wav", 0.5, 1, 22050));
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"DestOutputFolderOpt", "399"},
                                      {"DestSpecifiedFolder", out.path().string() + "/"},
                                      {"BrowseOutputFolder", "1"}}) {
        ASSERT_EQ(RunCommand({Cli(), "settings", "set", name, value}).exitCode, 0) << name;
    }
    // Stand-ins for the file manager's openers that only note that they were asked.
    const fs::path log = bin / "opened.txt";
    for (const char* opener : {"gdbus", "xdg-open"}) {
        WriteFile(bin / opener, "#!/bin/sh\necho \"$0 $*\" >> '" + log.string() + "'\n");
        fs::permissions(bin / opener, fs::perms::owner_all);
    }
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.path().string() + ":" + oldPath).c_str(), 1);

    const CommandResult converted = RunCommand({Cli(), "convert", "--format", "1160", (in / "tone.wav").string()});
    const CommandResult refused = RunCommand(
        {Cli(), "convert", "--format", "135", "--one", (out / "one.ogg").string(), (in / "tone.wav").string()});
    setenv("PATH", oldPath.c_str(), 1);

    EXPECT_EQ(converted.exitCode, 0) << converted.output;
    EXPECT_TRUE(fs::exists(out / "tone.mp3")) << converted.output;
    EXPECT_EQ(Count(converted.output, "Quillon: "), 0u) << converted.output;

    EXPECT_NE(refused.exitCode, 0) << refused.output;
    EXPECT_EQ(Count(refused.output,
                    "Quillon: OGG/OGM/OGV (optimized) is not supported for \"Convert to One\".\n\nYou may convert "
                    "all files to another format, and then convert the outputted file to the OGG/OGM/OGV "
                    "(optimized).\n"),
              1u)
        << refused.output;
    EXPECT_FALSE(fs::exists(out / "one.ogg"));

    EXPECT_FALSE(fs::exists(log)) << ReadFile(log);
}

}  // namespace
}  // namespace quillon::test
