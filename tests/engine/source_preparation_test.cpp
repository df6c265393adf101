#include <gtest/gtest.h>

#include <filesystem>

#include "engine/source_preparation.h"
#include "fake_run_host.h"
#include "platform/known_folders.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;

std::size_t TempFiles(const std::string& suffix) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(platform::TempFolder())) {
        if (e.path().extension() == suffix) ++n;
    }
    return n;
}

SourceItem Title(const fs::path& folder, int number) {
    SourceItem item;
    item.kind = SourceKind::DvdTitle;
    item.dvdFolder = folder.string() + "/";
    item.dvdTitleNumber = number;
    item.dvdTitleOrdinal = 2;
    item.path = "DVD Title 2";
    item.needsPreparation = true;
    return item;
}

TEST(JoinDvdTitle, JoinsUpToNinePiecesInOrderInAnyLetterCase) {
    test::TempDir dvd;
    std::string expected;
    for (int k = 1; k <= 10; ++k) {
        const std::string piece(static_cast<std::size_t>(1000 + k), static_cast<char>('a' + k));
        if (k <= 9) expected += piece;
        const std::string name = (k % 2 ? "VTS_03_" : "vts_03_") + std::to_string(k) + (k % 2 ? ".VOB" : ".vob");
        test::WriteFile(dvd / name, piece);
    }
    test::WriteFile(dvd / "VTS_04_1.VOB", "other title");
    SourceItem item = Title(dvd.path(), 3);
    test::FakeLoadingWindow window;
    std::string message;
    ASSERT_TRUE(JoinDvdTitle(item, window, message, [](const std::string&) { return std::optional<uint64_t>{}; }))
        << message;
    EXPECT_EQ(test::ReadFile(item.preparedPath), expected);
    EXPECT_EQ(window.statuses.front(), "Loading DVD Title 2...");
    EXPECT_EQ(window.percents.back(), "100%");
    EXPECT_EQ(util::LowerExtension(item.preparedPath), "vob");
    fs::remove(item.preparedPath);
}

TEST(JoinDvdTitle, RefusesWithoutSpaceOrPiecesAndLeavesNothingOnCancel) {
    test::TempDir dvd;
    test::WriteFile(dvd / "VTS_01_1.VOB", std::string(3000, 'x'));
    test::WriteFile(dvd / "VTS_01_2.VOB", std::string(20000, 'y'));
    const std::size_t before = TempFiles(".vob");
    test::FakeLoadingWindow window;
    std::string message;

    SourceItem item = Title(dvd.path(), 1);
    uint64_t asked = 0;
    auto tight = [&](const std::string& folder) {
        EXPECT_EQ(folder, platform::TempFolder());
        asked = 23000 + 104'857'600 - 1;
        return std::optional<uint64_t>(asked);
    };
    EXPECT_FALSE(JoinDvdTitle(item, window, message, tight));
    EXPECT_EQ(message, "100.02 MB free space is required for converting. There isn't enough free space on drive " +
                           platform::TempFolder() + ".");
    EXPECT_TRUE(item.preparedPath.empty());

    window.cancelAfterPumps = 2;
    EXPECT_FALSE(JoinDvdTitle(item, window, message));
    EXPECT_EQ(message, "Cancelled");
    EXPECT_TRUE(item.preparedPath.empty());
    EXPECT_EQ(TempFiles(".vob"), before);

    SourceItem missing = Title(dvd.path(), 7);
    EXPECT_FALSE(JoinDvdTitle(missing, window, message));
    EXPECT_EQ(message, "Failed to load from DVD");
}

TEST(DecodeToWav, UnreadableSourceGivesTheOpenFailureAndNoFile) {
    test::TempDir dir;
    test::WriteFile(dir / "broken.aif", "FORM....AIFCjunk");
    const std::size_t before = TempFiles(".wav");
    for (SourceKind kind : {SourceKind::AiffFile, SourceKind::VocFile, SourceKind::CdAudioTrack}) {
        SourceItem item;
        item.kind = kind;
        item.path = (dir / "broken.aif").string();
        item.preparedPath = "stale";
        test::FakeLoadingWindow window;
        std::string message;
        EXPECT_FALSE(DecodeToWav(item, window, message));
        EXPECT_EQ(message, "Failed to open file");
        EXPECT_TRUE(item.preparedPath.empty());
    }
    EXPECT_EQ(TempFiles(".wav"), before);
}

}  // namespace
}  // namespace quillon::engine
