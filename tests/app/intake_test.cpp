#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "app/intake.h"
#include "app/ui_dispatcher.h"
#include "cancelling_window.h"
#include "fake_probe_worker.h"
#include "formats/conversion_settings.h"
#include "process_census.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;

// An intake over a list of its own with a first start's settings; it has no engine to probe with.
struct UnprobedIntake {
    formats::ConversionSettings settings = formats::DefaultSettings("");
    FileList list;
    SourceIndex index;
    Intake intake{list, index, settings, "/nonexistent/ferrox"};

    // Takes only files with these extensions, as the Options sheet's filter does.
    void Filter(const std::string& extensions) {
        settings.EnableExtFilter = 1;
        settings.FilterExts = extensions;
        formats::RebuildExtensionFilter(settings);
    }

    // The files a folder scan finds below `folder`, in the order it finds them.
    std::vector<std::string> FolderFiles(const fs::path& folder) {
        std::vector<std::string> paths;
        intake.CollectFolderFiles(paths, folder.string());
        return paths;
    }
};

TEST(Intake, FolderScanListsEachFolderBeforeItsSubfoldersAndAppliesTheFilter) {
    test::TempDir dir;
    fs::create_directories(dir / "b" / "deep");
    fs::create_directories(dir / "a");
    test::WriteFile(dir / "top.mp4", "");
    test::WriteFile(dir / "b" / "deep" / "x.MP4", "");
    test::WriteFile(dir / "b" / "y.avi", "");
    test::WriteFile(dir / "a" / "noext", "");
    test::WriteFile(dir / "a" / "z.txt", "");

    UnprobedIntake setup;
    const std::vector<std::string> all = setup.FolderFiles(dir.path());
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0], (dir / "top.mp4").string());
    // A subfolder's files follow its parent's, and deep/ comes right after b/.
    auto at = [&](const fs::path& p) { return std::find(all.begin(), all.end(), p.string()) - all.begin(); };
    EXPECT_EQ(at(dir / "b" / "deep" / "x.MP4"), at(dir / "b" / "y.avi") + 1);

    setup.Filter("mp4,,AVI");
    std::vector<std::string> filtered = setup.FolderFiles(dir.path());
    std::sort(filtered.begin(), filtered.end());
    EXPECT_EQ(filtered, (std::vector<std::string>{(dir / "b" / "deep" / "x.MP4").string(),
                                                  (dir / "b" / "y.avi").string(), (dir / "top.mp4").string()}));
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

    UnprobedIntake setup;
    auto& [settings, list, index, intake] = setup;
    setup.Filter("mp4, avi;wav");
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
    UnprobedIntake setup;
    setup.Filter("mp3");
    std::vector<std::string> paths;
    setup.intake.CollectDroppedPaths(
        paths, {(dir / "single.txt").string(), (dir / "tree").string(), (dir / "single.mp3").string(), ""});
    EXPECT_EQ(paths, (std::vector<std::string>{
                         (dir / "tree" / "a.mp3").string(), (dir / "tree" / "sub" / "b.mp3").string(),
                         (dir / "tree" / "sub" / "deeper" / "c.mp3").string(), (dir / "single.mp3").string()}));
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

TEST(Intake, FoldersAreWalkedInNaturalNameOrder) {
    EXPECT_TRUE(NaturalNameLess("clip2.wav", "clip10.wav"));
    EXPECT_FALSE(NaturalNameLess("clip10.wav", "clip2.wav"));
    EXPECT_TRUE(NaturalNameLess("Alpha.wav", "beta.wav"));
    EXPECT_TRUE(NaturalNameLess("beta.wav", "Gamma.wav"));
    EXPECT_TRUE(NaturalNameLess("a9b", "a10a"));
    EXPECT_TRUE(NaturalNameLess("track", "track1"));
    // Equal by value and letters: still a strict, fixed order.
    EXPECT_NE(NaturalNameLess("x01", "x1"), NaturalNameLess("x1", "x01"));
    EXPECT_NE(NaturalNameLess("A.wav", "a.wav"), NaturalNameLess("a.wav", "A.wav"));
    EXPECT_FALSE(NaturalNameLess("same", "same"));
    // Digit runs longer than any integer type compare by value all the same.
    EXPECT_TRUE(NaturalNameLess("n99999999999999999999999", "n100000000000000000000000"));

    test::TempDir dir;
    for (const char* name : {"tone_230.wav", "Tone_3.wav", "tone_1000.wav", "tone_228.wav", "b.wav"}) {
        test::WriteFile(dir / name, "");
    }
    fs::create_directories(dir / "set10");
    fs::create_directories(dir / "Set9");
    test::WriteFile(dir / "set10" / "x.wav", "");
    test::WriteFile(dir / "Set9" / "x.wav", "");
    UnprobedIntake setup;
    std::vector<std::string> names;
    for (const std::string& p : setup.FolderFiles(dir.path()))
        names.push_back(fs::path(p).lexically_relative(dir.path()).string());
    EXPECT_EQ(names, (std::vector<std::string>{"b.wav", "Tone_3.wav", "tone_228.wav", "tone_230.wav", "tone_1000.wav",
                                               "Set9/x.wav", "set10/x.wav"}));
}

class PooledIntake : public ::testing::Test {
protected:
    std::unique_ptr<engine::ProbePool> MakePool(int workers, double delaySeconds, int silenceLimitMs = 600'000) {
        engine::ProbePoolOptions options;
        options.workerCommand = test::FakeProbeWorker(dir.path(), delaySeconds);
        options.workers = workers;
        options.silenceLimitMs = silenceLimitMs;
        return std::make_unique<engine::ProbePool>(options);
    }
    std::string Touch(const std::string& name) {
        test::WriteFile(dir / name, "RIFF");
        return (dir / name).string();
    }

    test::TempDir dir;
    formats::ConversionSettings settings = formats::DefaultSettings("");
    FileList list;
    SourceIndex index;
};

TEST_F(PooledIntake, RowsComeInPathOrderAndOnlyRegularFilesAreProbed) {
    auto pool = MakePool(3, 0);
    Intake intake(list, index, settings, "/nonexistent/ferrox", pool.get());
    std::vector<std::string> paths;
    for (int i = 0; i < 24; ++i) paths.push_back(Touch("clip" + std::to_string(i) + ".wav"));
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0644), 0);
    fs::create_directories(dir / "folder.wav");
    fs::create_symlink(dir / "clip3.wav", dir / "link to clip.wav");
    ASSERT_EQ(::mkfifo((dir / "other pipe").c_str(), 0644), 0);
    fs::create_symlink(dir / "other pipe", dir / "link to pipe.wav");
    const std::string dying = Touch("die.wav");
    const std::vector<std::string> more = {(dir / "pipe.wav").string(),
                                           (dir / "folder.wav").string(),
                                           paths[5],
                                           (dir / "link to pipe.wav").string(),
                                           dying,
                                           (dir / "missing.wav").string()};
    paths.insert(paths.begin() + 10, more.begin(), more.end());
    paths.push_back((dir / "link to clip.wav").string());

    const std::string failures = intake.LoadSources(paths, nullptr);
    // The FIFO would have blocked any reader; the worker that died fails only its own file.
    EXPECT_EQ(failures, (dir / "pipe.wav").string() + " (not a regular file)\n" + (dir / "folder.wav").string() +
                            " (not a regular file)\n" + (dir / "link to pipe.wav").string() +
                            " (not a regular file)\n" + dying +
                            " (the engine's probe process was killed while reading the file)\n" +
                            (dir / "missing.wav").string() + "\n");
    ASSERT_EQ(list.RowCount(), 24u);
    for (std::size_t row = 0; row < 24; ++row) {
        EXPECT_EQ(list.Item(row).path, (dir / ("clip" + std::to_string(row) + ".wav")).string());
        EXPECT_EQ(list.Item(row).audioSampleRates, std::vector<uint32_t>{8000});
    }
    // A second load of the same files finds every one a duplicate; the link to a regular file
    // was one too (it is clip3).
    EXPECT_EQ(intake.LoadSources({paths[0], (dir / "link to clip.wav").string()}, nullptr), "");
    EXPECT_EQ(list.RowCount(), 24u);
    EXPECT_EQ(intake.ProbeSource(Touch("late.wav")), ProbeOutcome::Added);
    EXPECT_EQ(intake.ProbeSource((dir / "late.wav").string()), ProbeOutcome::Duplicate);
}

TEST_F(PooledIntake, CancelStopsA500FileLoadAndLeavesNoProcess) {
    std::vector<std::string> paths;
    for (int i = 0; i < 500; ++i) paths.push_back(Touch("c" + std::to_string(i) + ".wav"));
    const std::set<int> before = test::ChildPids();  // another test's workers, if any
    std::set<int> sessions;
    {
        auto pool = MakePool(2, 0.05);
        Intake intake(list, index, settings, "/nonexistent/ferrox", pool.get());
        test::CancellingWindow window([&] { return list.RowCount() >= 6; });
        EXPECT_EQ(intake.LoadSources(paths, &window), "");
        for (int pid : test::ChildPids()) {
            if (!before.count(pid)) sessions.insert(pid);
        }
        EXPECT_TRUE(window.cancelled);
        EXPECT_GE(list.RowCount(), 6u);
        EXPECT_LT(list.RowCount(), 20u);
        // The window kept being served while the answers were awaited.
        EXPECT_GT(window.pumps, static_cast<int>(list.RowCount()));
        EXPECT_EQ(window.statuses.front(), "[1/500] Adding file c0.wav...");
        EXPECT_EQ(window.statuses.back().rfind("[" + std::to_string(list.RowCount()) + "/500]", 0), 0u)
            << window.statuses.back();

        // Cancel() from another thread (a signal handler of the command line) stops a load whose
        // probes never answer.
        auto hanging = MakePool(2, 0);
        FileList other;
        SourceIndex otherIndex;
        Intake stuck(other, otherIndex, settings, "/nonexistent/ferrox", hanging.get());
        std::vector<std::string> hangs;
        for (int i = 0; i < 500; ++i) hangs.push_back(Touch("hang" + std::to_string(i) + ".wav"));
        std::thread canceller([&] {
            while (test::ProcessesInSessions(test::ChildPids()).size() < before.size() + sessions.size() + 4) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            stuck.Cancel();
        });
        EXPECT_EQ(stuck.LoadSources(hangs, nullptr), "");
        canceller.join();
        EXPECT_EQ(other.RowCount(), 0u);
        EXPECT_TRUE(stuck.CancelRequested());
        for (int pid : test::ChildPids()) {
            EXPECT_TRUE(sessions.count(pid) || before.count(pid)) << "a hung probe is still there: " << pid;
        }
    }
    EXPECT_TRUE(test::LeftInSessions(sessions).empty());
    EXPECT_EQ(test::ChildPids(), before);
}

}  // namespace
}  // namespace quillon::app
