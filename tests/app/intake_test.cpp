#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "app/intake.h"
#include "app/ui_dispatcher.h"
#include "formats/conversion_settings.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;

TEST(Intake, FolderScanListsEachFolderBeforeItsSubfoldersAndAppliesTheFilter) {
    test::TempDir dir;
    fs::create_directories(dir / "b" / "deep");
    fs::create_directories(dir / "a");
    test::WriteFile(dir / "top.mp4", "");
    test::WriteFile(dir / "b" / "deep" / "x.MP4", "");
    test::WriteFile(dir / "b" / "y.avi", "");
    test::WriteFile(dir / "a" / "noext", "");
    test::WriteFile(dir / "a" / "z.txt", "");

    formats::ConversionSettings settings = formats::DefaultSettings("");
    FileList list;
    SourceIndex index;
    Intake intake(list, index, settings, "/nonexistent/ferrox");
    std::vector<std::string> all;
    intake.CollectFolderFiles(all, dir.path().string());
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0], (dir / "top.mp4").string());
    // A subfolder's files follow its parent's, and deep/ comes right after b/.
    auto at = [&](const fs::path& p) { return std::find(all.begin(), all.end(), p.string()) - all.begin(); };
    EXPECT_EQ(at(dir / "b" / "deep" / "x.MP4"), at(dir / "b" / "y.avi") + 1);

    settings.EnableExtFilter = 1;
    settings.FilterExts = "mp4,,AVI";
    formats::RebuildExtensionFilter(settings);
    std::vector<std::string> filtered;
    intake.CollectFolderFiles(filtered, dir.path().string());
    std::sort(filtered.begin(), filtered.end());
    EXPECT_EQ(filtered, (std::vector<std::string>{(dir / "b" / "deep" / "x.MP4").string(), (dir / "b" / "y.avi").string(),
                                                  (dir / "top.mp4").string()}));
}

TEST(SourceIndex, KeysAreCanonicalPathsSoLinksMatchButLetterCaseDoesNot) {
    test::TempDir dir;
    test::WriteFile(dir / "Clip.mp4", "");
    test::WriteFile(dir / "clip.mp4", "");
    fs::create_symlink(dir / "Clip.mp4", dir / "link.mp4");
    EXPECT_EQ(SourceKey((dir / "link.mp4").string()), SourceKey((dir / "Clip.mp4").string()));
    EXPECT_EQ(SourceKey((dir / "." / "Clip.mp4").string()), SourceKey((dir / "Clip.mp4").string()));
    EXPECT_NE(SourceKey((dir / "clip.mp4").string()), SourceKey((dir / "Clip.mp4").string()));
    EXPECT_EQ(DvdTitleKey(dir.path().string(), 3), DvdTitleKey(dir.path().string() + "/", 3));
    EXPECT_NE(DvdTitleKey(dir.path().string(), 3), DvdTitleKey(dir.path().string(), 4));
}

TEST(EventQueue, CallsPostedFromManyThreadsRunOnTheOwnerInPostingOrder) {
    EventQueue queue;
    std::vector<int> seen;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&queue, &seen, t] {
            for (int i = 0; i < 100; ++i) queue.Post([&seen, t, i] { seen.push_back(t * 1000 + i); });
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_TRUE(queue.RunOne(-1));
    queue.RunPending();
    ASSERT_EQ(seen.size(), 400u);
    std::vector<int> last(4, -1);
    for (int v : seen) {
        EXPECT_GT(v % 1000, last[static_cast<std::size_t>(v / 1000)]);
        last[static_cast<std::size_t>(v / 1000)] = v % 1000;
    }
    EXPECT_FALSE(queue.RunOne(10));
}

}  // namespace
}  // namespace quillon::app
