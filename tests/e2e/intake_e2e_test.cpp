#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/intake.h"
#include "app/product_info.h"
#include "formats/conversion_settings.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;

struct IntakeRun : ::testing::Test {
    test::TempDir dir;
    formats::ConversionSettings settings = formats::DefaultSettings("");
    FileList list;
    SourceIndex index;
    std::string enginePath = (test::BinDir() / "ferrox").string();
};

TEST_F(IntakeRun, OneFileByTwoPathsOrByAShortcutIsOneRow) {
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 1.0));
    fs::create_directories(dir / "sub");
    fs::create_symlink(dir / "tone.wav", dir / "sub" / "alias.wav");
    Intake intake(list, index, settings, enginePath);
    const std::string report = intake.LoadSources(
        {(dir / "tone.wav").string(), (dir / "sub" / ".." / "tone.wav").string(), (dir / "sub" / "alias.wav").string()},
        nullptr);
    EXPECT_EQ(report, "");
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Item(0).durationSeconds, 1u);

    // A dropped shortcut to a second file adds that file, once.
    ASSERT_TRUE(test::MakeAudio(dir / "other.wav", 2.0));
    std::string link(0x4C, '\0');
    const unsigned char head[24] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0,    0,    0, 0, 0,
                                    0xC0, 0, 0, 0, 0,    0,    0,    0x46, 0x02, 0, 0, 0};
    for (int i = 0; i < 24; ++i) link[static_cast<std::size_t>(i)] = static_cast<char>(head[i]);
    const std::string target = (dir / "other.wav").string();
    const uint32_t size = 0x1C + static_cast<uint32_t>(target.size()) + 2;
    for (uint32_t v : {size, 0x1Cu, 1u, 0u, 0x1Cu, 0u, 0x1Cu + static_cast<uint32_t>(target.size()) + 1}) {
        for (int i = 0; i < 4; ++i) link += static_cast<char>(v >> (8 * i));
    }
    link += target + std::string(2, '\0');
    test::WriteFile(dir / "other.lnk", link);
    settings.EnableExtFilter = 1;
    settings.FilterExts = "wav";
    formats::RebuildExtensionFilter(settings);
    std::vector<std::string> dropped;
    intake.CollectDroppedPaths(dropped, {(dir / "other.lnk").string(), (dir / "other.wav").string()});
    EXPECT_EQ(intake.LoadSources(dropped, nullptr), "");
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Item(1).path, target);
}

TEST_F(IntakeRun, FailureReportNamesThirtyFilesAndEndsWithOneHint) {
    std::vector<std::string> paths;
    for (int i = 0; i < 31; ++i) {
        paths.push_back((dir / ("bad" + std::to_string(i) + ".mp4")).string());
        test::WriteFile(paths.back(), "not media at all");
    }
    Intake intake(list, index, settings, enginePath);
    const std::string failures = intake.LoadSources(paths, nullptr);
    EXPECT_EQ(list.RowCount(), 0u);
    std::string expected;
    for (int i = 0; i < 30; ++i) expected += paths[static_cast<std::size_t>(i)] + "\n";
    expected += "<more files>...\n";
    EXPECT_EQ(failures, expected);
    EXPECT_EQ(intake.FailureReport(failures), "Failed to load the following files.\n\n" + expected + kSupportLine);

    // A CD track copied to a disk cannot be read there, and the report says why.
    test::WriteFile(dir / "Track01.cda", std::string(44, 'x'));
    const std::string cd = intake.LoadSources({(dir / "Track01.cda").string()}, nullptr);
    EXPECT_EQ(cd, (dir / "Track01.cda").string() + "\n");
    EXPECT_TRUE(intake.CdTrackFailed());
    EXPECT_EQ(intake.FailureReport(cd),
              "Failed to load the following files.\n\n" + cd +
                  "\nIMPORTANT: please DO NOT add CDA file from hard drive, but from CD drive directly.");
    // A missing engine outweighs both.
    Intake broken(list, index, settings, (dir / "no-ferrox").string());
    const std::string missing = broken.LoadSources({(dir / "Track01.cda").string()}, nullptr);
    EXPECT_NE(broken.FailureReport(missing).find("Please reinstall the program."), std::string::npos);
    // So does a missing probe server beside a present engine: the file fails, and so says the report.
    fs::create_directories(dir / "half");
    fs::copy_file(enginePath, dir / "half" / "ferrox");
    Intake half(list, index, settings, (dir / "half" / "ferrox").string());
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 0.2));
    const std::string unprobed = half.LoadSources({(dir / "tone.wav").string()}, nullptr);
    EXPECT_EQ(unprobed, (dir / "tone.wav").string() + "\n");
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_NE(half.FailureReport(unprobed).find("Please reinstall the program."), std::string::npos);
}

TEST_F(IntakeRun, DvdMenuTitleSetIsSkippedAndDoesNotCount) {
    const fs::path vob = dir / "title.vob";
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=1", "-c:v", "mpeg2video",
                                 "-f", "vob", vob.string()}));
    std::string bytes = test::ReadFile(vob);
    // Padding packs after the stream bring the title set above the menu size.
    if (bytes.size() < 1100000) bytes.resize(1100000, '\0');
    fs::create_directories(dir / "disc" / "Video_TS");
    test::WriteFile(dir / "disc" / "Video_TS" / "VTS_01_1.VOB", std::string(500 * 1024, '\0'));
    test::WriteFile(dir / "disc" / "Video_TS" / "vts_02_1.vob", bytes);
    const std::optional<std::string> folder = FindDvdVideoFolder((dir / "disc").string());
    ASSERT_TRUE(folder);
    Intake intake(list, index, settings, enginePath);
    EXPECT_EQ(intake.AddDvdTitles(*folder), "");
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.FileText(0), "DVD Title 1");
    EXPECT_EQ(list.Item(0).dvdTitleNumber, 2);
    // Added again: a duplicate, not a failure; a title that cannot be probed is reported by ordinal.
    EXPECT_EQ(intake.AddDvdTitles(*folder), "");
    EXPECT_EQ(list.RowCount(), 1u);
    test::WriteFile(dir / "disc" / "Video_TS" / "VTS_03_1.VOB", std::string(1100000, 'x'));
    EXPECT_EQ(intake.AddDvdTitles(*folder), "Failed to load the following DVD Titles.\n\nDVD Title 2\n");
}

}  // namespace
}  // namespace quillon::app
