#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
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

// A minimal shell link to a local path.
std::string LinkTo(const std::string& target) {
    std::string b(0x4C, '\0');
    b[0] = 0x4C;
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    for (int i = 0; i < 16; ++i) b[4 + i] = static_cast<char>(clsid[i]);
    b[20] = 0x02;  // LinkInfo only
    const uint32_t header = 0x1C;
    const uint32_t size = header + static_cast<uint32_t>(target.size()) + 2;
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>(v >> (8 * i));
    };
    u32(size);
    u32(header);
    u32(1);
    u32(0);  // no volume id
    u32(header);
    u32(0);
    u32(header + static_cast<uint32_t>(target.size()) + 1);
    b += target;
    b += '\0';
    b += '\0';
    return b;
}

TEST(Intake, FilterEntriesKeepTheirBlanksAndShortcutsLeadToTheirTargets) {
    test::TempDir dir;
    for (const char* name : {"clip.MP4", "x.avi", "notes", "b.avi"}) test::WriteFile(dir / name, "");
    test::WriteFile(dir / "a.lnk", LinkTo((dir / "b.avi").string()));
    test::WriteFile(dir / "loop.lnk", LinkTo((dir / "loop.lnk").string()));
    test::WriteFile(dir / "broken.lnk", "not a link");

    formats::ConversionSettings settings = formats::DefaultSettings("");
    settings.EnableExtFilter = 1;
    settings.FilterExts = "mp4, avi;wav";
    formats::RebuildExtensionFilter(settings);
    FileList list;
    SourceIndex index;
    Intake intake(list, index, settings, "/nonexistent/ferrox");
    const auto accepted = [&](const char* name) { return intake.AcceptedPath((dir / name).string()); };
    EXPECT_EQ(accepted("clip.MP4"), (dir / "clip.MP4").string());
    EXPECT_EQ(accepted("x.avi"), std::nullopt);  // the entry is " avi;wav"
    EXPECT_EQ(accepted("notes"), std::nullopt);

    settings.FilterExts = "mp4,avi";
    formats::RebuildExtensionFilter(settings);
    EXPECT_EQ(accepted("x.avi"), (dir / "x.avi").string());
    EXPECT_EQ(accepted("a.lnk"), (dir / "b.avi").string());
    EXPECT_EQ(accepted("loop.lnk"), std::nullopt);  // a link to itself ends
    EXPECT_EQ(accepted("broken.lnk"), std::nullopt);

    // Off: everything is taken as it is, shortcuts included.
    settings.EnableExtFilter = 0;
    formats::RebuildExtensionFilter(settings);
    EXPECT_EQ(accepted("notes"), (dir / "notes").string());
    EXPECT_EQ(accepted("a.lnk"), (dir / "a.lnk").string());
}

TEST(Intake, DropsKeepTheirOrderAndScanFoldersFirstLevelFirst) {
    test::TempDir dir;
    fs::create_directories(dir / "tree" / "sub" / "deeper");
    test::WriteFile(dir / "tree" / "sub" / "deeper" / "c.mp3", "");
    test::WriteFile(dir / "tree" / "sub" / "b.mp3", "");
    test::WriteFile(dir / "tree" / "a.mp3", "");
    test::WriteFile(dir / "tree" / "skip.txt", "");
    test::WriteFile(dir / "single.mp3", "");
    test::WriteFile(dir / "single.txt", "");
    formats::ConversionSettings settings = formats::DefaultSettings("");
    settings.EnableExtFilter = 1;
    settings.FilterExts = "mp3";
    formats::RebuildExtensionFilter(settings);
    FileList list;
    SourceIndex index;
    Intake intake(list, index, settings, "/nonexistent/ferrox");
    std::vector<std::string> paths;
    intake.CollectDroppedPaths(paths, {(dir / "single.txt").string(), (dir / "tree").string(),
                                       (dir / "single.mp3").string(), ""});
    EXPECT_EQ(paths, (std::vector<std::string>{(dir / "tree" / "a.mp3").string(), (dir / "tree" / "sub" / "b.mp3").string(),
                                               (dir / "tree" / "sub" / "deeper" / "c.mp3").string(),
                                               (dir / "single.mp3").string()}));
}

TEST(Intake, RememberedFoldersEndInASlash) {
    test::TempDir dir;
    formats::ConversionSettings settings = formats::DefaultSettings("");
    RememberAddFilesFolder(settings, {(dir / "one.wav").string()});
    EXPECT_EQ(settings.LastAddFileDir, dir.path().string() + "/");
    RememberAddFilesFolder(settings, {});
    EXPECT_EQ(settings.LastAddFileDir, dir.path().string() + "/");
    EXPECT_EQ(AddFilesStartFolder(settings, "/nowhere"), dir.path().string() + "/");

    settings.LastAddFileDir = (dir / "gone/").string();
    EXPECT_EQ(AddFilesStartFolder(settings, (dir / "Documents").string()), (dir / "Documents/").string());
    EXPECT_TRUE(fs::is_directory(dir / "Documents"));
    settings.LastAddFileDir = (dir / "gone/").string();
    EXPECT_EQ(AddFilesStartFolder(settings, ""), "");

    RememberFolder(settings.DVDFolder, "/media/disc");
    EXPECT_EQ(settings.DVDFolder, "/media/disc/");
}

TEST(Intake, AddFilesFiltersMatchEveryLetterCaseAndAllFilesMatchesNamesWithoutADot) {
    const std::vector<FileFilter>& filters = AddFilesFilters();
    ASSERT_EQ(filters.size(), 50u);
    EXPECT_STREQ(filters.front().description, "All Files (*.*)");
    EXPECT_STREQ(filters.back().description, "YUV Video Files (*.yuv)");
    for (const FileFilter& f : filters) {
        const std::string d = f.description;
        EXPECT_EQ(d.substr(d.rfind('(') + 1, d.size() - d.rfind('(') - 2), f.patterns) << d;
    }
    EXPECT_EQ(QtNameFilter(filters[0]), "All Files (*.*) (*)");
    EXPECT_EQ(QtNameFilter(filters[1]), "3GPP Files (*.3gp;*.3gpp) (*.3[gG][pP] *.3[gG][pP][pP])");
}

TEST(Intake, DvdVideoFolderIsFoundInAnyLetterCase) {
    test::TempDir dir;
    EXPECT_EQ(FindDvdVideoFolder(dir.path().string()), std::nullopt);
    fs::create_directories(dir / "video_ts");
    test::WriteFile(dir / "video_ts" / "Vts_01_1.Vob", "");
    EXPECT_EQ(FindDvdVideoFolder(dir.path().string()), (dir / "video_ts").string() + "/");
    test::TempDir flat;
    test::WriteFile(flat / "VTS_01_1.VOB", "");
    EXPECT_EQ(FindDvdVideoFolder(flat.path().string() + "/"), flat.path().string() + "/");
    EXPECT_EQ(NoDvdMessage("/media/x"), "Quillon doesn't find any DVD video files at /media/x/.");
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
