#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/conversion_run.h"
#include "fake_run_host.h"
#include "formats/conversion_settings.h"
#include "recording_desktop.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;
using engine::SourceItem;
using test::FakeRunHost;
using test::TempDir;

constexpr int32_t kMp4 = 110;
constexpr int32_t kAvi = 40;

struct Launched {
    std::string line;
    SourceItem* item;
    engine::EngineReportSink* sink;
    bool finished = false;
};

// A run over fake engines: the test decides when each one reports and whether it wrote output.
class RunTest : public ::testing::Test {
protected:
    RunTest() {
        formats::BuildCatalogue(catalogue);
        settings = formats::DefaultSettings("");
        settings.ConversionThreads = 2;
        engineFile = (dir / "ferrox").string();
        test::WriteFile(engineFile, "#");
    }

    ConversionRun& Run() {
        if (!run) {
            RunEnvironment env{list, catalogue, settings, host, desktop, events, {}, {}, {}, engineFile, engineFile};
            env.launch = [this](std::string_view line, SourceItem* item, uint32_t, engine::EngineReportSink* sink) {
                // A failed start is finished by the run itself.
                launched.push_back({std::string(line), item, sink, !launchWorks});
                return launchWorks;
            };
            run = std::make_unique<ConversionRun>(std::move(env));
        }
        return *run;
    }

    SourceItem& AddSource(const std::string& name, uint32_t duration = 10) {
        auto item = std::make_unique<SourceItem>();
        item->path = (dir / name).string();
        item->extension = util::LowerExtension(name);
        item->durationSeconds = duration;
        item->audioSampleRates = {44100};
        item->audioChannels = {2};
        item->audioBitRates = {128};
        item->audioStreamIds = {"0:0"};
        test::WriteFile(item->path, "source");
        SourceItem& ref = *item;
        list.InsertRow(std::move(item), 1);
        return ref;
    }

    // Ends a launched engine: with output written (success) or not.
    void Finish(std::size_t launch, bool writeOutput, const std::string& lastLine = "") {
        Launched& l = launched.at(launch);
        l.finished = true;
        if (writeOutput) test::WriteFile(l.item->outputPath, "converted");
        l.sink->EngineFinished(l.item, lastLine);
        events.RunPending();
    }

    void Progress(std::size_t launch, int percent, int64_t ms) {
        launched.at(launch).sink->EngineProgress(launched.at(launch).item, percent, ms);
        events.RunPending();
    }

    // Every engine reports its end exactly once, also those a test left running.
    void TearDown() override {
        run.reset();
        for (Launched& l : launched) {
            if (!l.finished) l.sink->EngineFinished(l.item, "");
        }
        events.RunPending();
    }

    // Joins the rows into dir/joined.mp4 with Convert to One, without the normalizing pass.
    void StartJoiningAsTheyAre() {
        settings.NormalizeFile = 0;
        host.oneOutput = (dir / "joined.mp4").string();
        Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    }

    std::vector<std::string> Statuses() const {
        std::vector<std::string> s;
        for (std::size_t i = 0; i < list.RowCount(); ++i) s.push_back(list.Status(i));
        return s;
    }

    TempDir dir;
    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;
    FileList list;
    FakeRunHost host;
    test::RecordingDesktop desktop;
    EventQueue events;
    std::string engineFile;
    std::vector<Launched> launched;
    bool launchWorks = true;
    std::unique_ptr<ConversionRun> run;
};

TEST_F(RunTest, KeepsThreadCountEnginesRunningUntilTheQueueIsEmpty) {
    for (const char* n : {"a.avi", "b.avi", "c.avi", "d.avi", "e.avi"}) AddSource(n);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(host.progress.statuses.front(), "Converting 5 file(s) to MP4...");
    EXPECT_FALSE(host.mainWindowEnabled);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Initialize...", "Initialize...", "", "", ""}));

    EXPECT_EQ(Run().ReportsOutstanding(), 2);
    Finish(1, true);
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(Run().ReportsOutstanding(), 2);  // b reported, the third started
    EXPECT_EQ(list.Status(1), "b.mp4");
    EXPECT_EQ(launched[2].item, &list.Item(2));
    Finish(0, true);
    Finish(2, true);
    ASSERT_EQ(launched.size(), 5u);
    EXPECT_TRUE(Run().Active());
    Finish(3, true);
    Finish(4, true);
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4", "d.mp4", "e.mp4"}));
    EXPECT_EQ(host.progress.closed, 1);
    EXPECT_TRUE(host.mainWindowEnabled);
    EXPECT_EQ(host.ended, 1);
    // The first item to finish was b: its output is the one shown in the file manager.
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"show " + (dir / "b.mp4").string()}));
    EXPECT_EQ(host.shutdowns, 0);
    EXPECT_EQ(Run().OverallPercent(), 100);
}

TEST_F(RunTest, OverallPercentAndStatusTextsFollowTheReports) {
    AddSource("a.avi");
    AddSource("b.avi");
    AddSource("c.avi", 0);
    settings.ConversionThreads = 3;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);
    Finish(0, true);
    Progress(1, 50, 61'250);
    EXPECT_EQ(list.Status(1), "50% [01:01.250]");
    EXPECT_EQ(Run().OverallPercent(), 50);  // (100 + 50 + 0) / 3
    EXPECT_EQ(host.progress.percents.back(), "50%");
    EXPECT_EQ(host.progress.barPosition, 100);  // 150 of 300 on a 200-pixel bar

    // Unknown duration: only the time, and the overall progress stands still.
    Progress(2, -1, 3'723'004);
    EXPECT_EQ(list.Status(2), "[01:02:03.004]");
    EXPECT_EQ(Run().OverallPercent(), 50);

    // Lowering the thread count stops nothing; raising priority reaches the settings.
    Run().OnThreadCountChange(1);
    Run().OnPriorityChange(0x4000);
    EXPECT_EQ(settings.ConversionThreads, 1);
    EXPECT_EQ(settings.ConversionPriority, 0x4000);
    Finish(1, true);
    Finish(2, true);
    EXPECT_FALSE(Run().Active());
}

TEST_F(RunTest, FailuresEndTheirItemAndTheRunGoesOn) {
    AddSource("a.avi");
    AddSource("b.avi");
    AddSource("c.avi");
    settings.ConversionThreads = 1;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    test::WriteFile(launched[0].item->outputPath, "");  // an empty output is no output
    Finish(0, false, "Invalid argument");
    EXPECT_EQ(list.Status(0), "Conversion failure (Invalid argument)");
    EXPECT_FALSE(fs::exists(dir / "a.mp4"));
    EXPECT_TRUE(list.Item(0).outputPath.empty());
    EXPECT_EQ(list.StatusColumnWidth(), kWideStatusColumnWidth);

    // A start that fails ends by the same path, after the loop that started it.
    launchWorks = false;
    Finish(1, true);
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(list.Status(2), "Initialize...");
    events.RunPending();
    EXPECT_EQ(list.Status(2), "Conversion failure");
    EXPECT_FALSE(Run().Active());
    // Only the written output is browsed to.
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"show " + (dir / "b.mp4").string()}));
}

TEST_F(RunTest, MissingEngineIsNamedInTheFailure) {
    AddSource("a.avi");
    fs::remove(engineFile);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Finish(0, false, "whatever");
    EXPECT_EQ(list.Status(0),
              "Conversion failure (Some files of the program are missing or corrupted. Please reinstall the program)");
}

TEST_F(RunTest, SkippedTargetsCountAsDoneAndRefusedLastItemsEndTheRun) {
    AddSource("a.avi");
    AddSource("b.avi");
    test::WriteFile(dir / "b.mp4", "old");
    settings.TargetExistsOpt = formats::kTargetSkip;
    settings.ConversionThreads = 1;
    settings.BrowseOutputFolder = 0;
    host.progress.shutdownChecked = true;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 1u);
    Finish(0, true);
    EXPECT_EQ(list.Status(1), "Target exists and skipped");
    EXPECT_EQ(test::ReadFile(dir / "b.mp4"), "old");
    EXPECT_EQ(Run().OverallPercent(), 100);
    // The run ended through its normal end, so the shutdown box is honoured.
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(host.shutdowns, 1);
    EXPECT_TRUE(desktop.calls.empty());
}

TEST_F(RunTest, CancelKillsRunningItemsOnlyAndDropsLaterReports) {
    for (const char* n : {"a.avi", "b.avi", "c.avi", "d.avi"}) AddSource(n);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 2u);
    test::WriteFile(launched[0].item->outputPath, "partial");
    const std::string partial = launched[0].item->outputPath;
    Run().OnCancel();
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Cancelled", "Cancelled", "", ""}));
    EXPECT_FALSE(Run().Active());
    EXPECT_TRUE(host.mainWindowEnabled);
    EXPECT_TRUE(desktop.calls.empty());

    // The killed engines still report; nothing changes, and a new run is not disturbed.
    Finish(0, false, "Exiting normally, received signal 9.");
    EXPECT_EQ(list.Status(0), "Cancelled");
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Finish(1, false, "stale");
    EXPECT_EQ(list.Status(1), "Initialize...");
    EXPECT_EQ(launched.size(), 4u);
}

TEST_F(RunTest, CustomGroupConvertsOnlyItsCopyRows) {
    AddSource("a.mov");
    AddSource("b.mov");
    formats::CustomFormatList groups{{"Both", {kMp4, kAvi}}};
    formats::OutputFormat groupRecord;
    formats::OutputFormat* group = ChosenOutputFormat(formats::kFirstCustomGroupId, catalogue, groups, groupRecord);
    ASSERT_NE(group, nullptr);
    settings.ConversionThreads = 8;
    Run().StartRun(false, false, group);
    ASSERT_EQ(list.RowCount(), 6u);
    std::vector<std::string> files;
    for (std::size_t i = 0; i < list.RowCount(); ++i) files.push_back(list.FileText(i));
    EXPECT_EQ(files, (std::vector<std::string>{"a.mov", "   to AVI", "   to MP4", "b.mov", "   to AVI", "   to MP4"}));
    ASSERT_EQ(launched.size(), 4u);
    for (const Launched& l : launched) EXPECT_TRUE(l.item->isFormatCopy);
    EXPECT_EQ(host.progress.statuses.front(), "Converting 4 file(s) to Both...");
    for (std::size_t i = 0; i < 4; ++i) Finish(i, true);
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"", "a.avi", "a.mp4", "", "b.avi", "b.mp4"}));

    // The next run removes the copies first.
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    EXPECT_EQ(list.RowCount(), 2u);

    formats::CustomFormatList empty{{"Nothing", {9999}}};
    group = ChosenOutputFormat(formats::kFirstCustomGroupId, catalogue, empty, groupRecord);
    for (std::size_t i = 4; i < launched.size(); ++i) Finish(i, true);
    Run().StartRun(false, false, group);
    EXPECT_EQ(desktop.messages.back(),
              "There're not any output formats associated with custom format \"Nothing\". Please choose one or "
              "more output formats for the format before converting.");
    EXPECT_EQ(desktop.icons.back(), MessageIcon::Exclamation);
}

TEST_F(RunTest, RefusalsBeforeAnythingStarts) {
    formats::OutputFormat* mp4 = formats::FindFormat(catalogue, kMp4);
    Run().StartRun(false, false, mp4);
    EXPECT_EQ(desktop.messages.back(), "There aren't files in list.");
    EXPECT_EQ(desktop.icons.back(), MessageIcon::Information);
    AddSource("a.avi");
    Run().StartRun(true, false, mp4);
    EXPECT_EQ(desktop.messages.back(), "You should select a file at least.");
    host.oneOutput = (dir / "one.mp4").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, 135));
    EXPECT_NE(desktop.messages.back().find("OGG/OGM/OGV (optimized) is not supported"), std::string::npos);
    host.oneOutput.reset();
    Run().StartRun(false, true, mp4);  // the save question was cancelled
    EXPECT_TRUE(launched.empty());
    EXPECT_EQ(host.progress.opened, 0);
}

TEST_F(RunTest, ConvertToOneJoinsWhatTheFirstPassProduced) {
    SourceItem& a = AddSource("a.avi", 2);
    AddSource("b.avi", 3);
    AddSource("c.avi", 4);
    a.width = 640;
    a.height = 480;
    settings.CropPictures = 1;
    settings.ConversionThreads = 3;
    host.oneOutput = (dir / "joined.mp4").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(host.progress.statuses.front(), "Normalizing files...");
    EXPECT_EQ(settings.CropPictures, 0);  // crop applies to the joined result only
    std::vector<std::string> intermediates;
    for (const Launched& l : launched) {
        EXPECT_EQ(util::LowerExtension(l.item->outputPath), "ts");
        intermediates.push_back(l.item->outputPath);
    }
    Finish(0, true);
    EXPECT_EQ(list.Status(0), "Normalizing OK");
    Finish(1, false, "broken");
    EXPECT_EQ(list.Status(1), "Conversion failure (broken)");
    Finish(2, true);

    ASSERT_EQ(launched.size(), 4u);
    SourceItem* concat = launched[3].item;
    EXPECT_EQ(concat->kind, engine::SourceKind::ConcatList);
    EXPECT_EQ(concat->durationSeconds, 6u);  // a and c only
    EXPECT_NE(launched[3].line.find("-f concat"), std::string::npos);
    EXPECT_EQ(settings.CropPictures, 1);
    EXPECT_EQ(test::ReadFile(concat->path), "file '" + intermediates[0] + "'\nfile '" + intermediates[2] + "'\n");
    const std::string listFile = concat->path;
    EXPECT_EQ(list.Status(0), "Combining...");
    EXPECT_EQ(list.Status(1), "Conversion failure (broken)");

    Progress(3, -1, 1000);
    EXPECT_EQ(host.progress.statuses.back(), "Combining files...  [00:01.000]");
    EXPECT_EQ(host.progress.steps, 1);
    EXPECT_EQ(host.progress.barStep, 2);
    Finish(3, true);
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(list.Status(0), "joined.mp4");
    EXPECT_EQ(list.Status(2), "joined.mp4");
    EXPECT_FALSE(fs::exists(listFile));
    for (const std::string& f : intermediates) EXPECT_FALSE(fs::exists(f)) << f;
    EXPECT_EQ(list.Item(0).outputPath, (dir / "joined.mp4").string());
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"show " + (dir / "joined.mp4").string()}));
}

TEST_F(RunTest, ConvertToOneWithoutNormalizationAndItsCancel) {
    AddSource("a.avi", 2);
    AddSource("b's.avi", 0);
    StartJoiningAsTheyAre();
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(Run().ItemCount(), 1);
    SourceItem* concat = launched[0].item;
    EXPECT_EQ(concat->durationSeconds, 0u);  // one unknown duration makes the sum unknown
    EXPECT_EQ(test::ReadFile(concat->path),
              "file '" + (dir / "a.avi").string() + "'\nfile '" + (dir / "b'\\''s.avi").string() + "'\n");
    const std::string listFile = concat->path;
    test::WriteFile(dir / "joined.mp4", "partial");
    Run().OnCancel();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Cancelled", "Cancelled"}));
    EXPECT_FALSE(fs::exists(listFile));
    EXPECT_FALSE(fs::exists(dir / "joined.mp4"));
    EXPECT_FALSE(Run().Active());

    // Every first pass failing leaves nothing to join.
    settings.NormalizeFile = 1;
    Finish(0, false);  // the killed engine's report, dropped
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);
    Finish(1, false);
    Finish(2, false);
    EXPECT_EQ(desktop.messages.back(), "No files need to be converted.");
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(host.ended, 2);
}

// A cancel in the normalization pass gives back the options that were set aside for the joined
// result and removes what the pass already wrote.
TEST_F(RunTest, CancelWhileNormalizingRestoresTheOptionsAndRemovesIntermediates) {
    AddSource("a.avi", 2);
    AddSource("b.avi", 2);
    settings.CropPictures = 1;
    settings.RotateFlip = 3;
    settings.EnableSkipLength = 1;
    settings.EnableIgnoreTheLast = 1;
    host.oneOutput = (dir / "joined.mp4").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(settings.RotateFlip, 0);
    EXPECT_EQ(settings.EnableSkipLength, 0);
    EXPECT_EQ(settings.EnableIgnoreTheLast, 0);
    Finish(0, true);
    const std::string intermediate = launched[0].item->outputPath;
    ASSERT_TRUE(fs::exists(intermediate));

    Run().OnCancel();
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(settings.CropPictures, 1);
    EXPECT_EQ(settings.RotateFlip, 3);
    EXPECT_EQ(settings.EnableSkipLength, 1);
    EXPECT_EQ(settings.EnableIgnoreTheLast, 1);
    EXPECT_FALSE(fs::exists(intermediate));
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Cancelled", "Cancelled"}));
    EXPECT_FALSE(fs::exists(dir / "joined.mp4"));
}

TEST_F(RunTest, ConvertToOneReachesNewlineNamesThroughLinksAndRemovesThem) {
    AddSource("a.avi", 2);
    AddSource("new\nline.avi", 2);

    // Success: the list names a plain link to the source; the link goes with the list.
    StartJoiningAsTheyAre();
    ASSERT_EQ(launched.size(), 1u);
    const std::string listText = test::ReadFile(launched[0].item->path);
    EXPECT_EQ(listText.find("new\nline"), std::string::npos) << listText;
    const std::size_t second = listText.find("file '", 1);
    ASSERT_NE(second, std::string::npos);
    const fs::path link = listText.substr(second + 6, listText.size() - second - 6 - 2);
    EXPECT_EQ(link.filename().string().find('\n'), std::string::npos);
    EXPECT_EQ(link.extension(), ".avi");
    EXPECT_EQ(fs::read_symlink(link), dir / "new\nline.avi");
    Finish(0, true);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_EQ(list.Status(1), "joined.mp4");

    // A failed engine and a cancel remove their links as well.
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 2u);
    std::vector<fs::path> links;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path())) {
        if (fs::is_symlink(e.symlink_status())) links.push_back(e.path());
    }
    ASSERT_EQ(links.size(), 1u);
    Finish(1, false, "broken");
    EXPECT_FALSE(fs::exists(fs::symlink_status(links[0])));
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);
    Run().OnCancel();
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path())) {
        EXPECT_FALSE(fs::is_symlink(e.symlink_status())) << e.path();
    }
    EXPECT_TRUE(fs::exists(dir / "new\nline.avi"));  // only the link went
}

TEST_F(RunTest, FailedCombiningStartShowsTheFailureInTheRows) {
    AddSource("a.avi", 2);
    AddSource("b.avi", 2);
    settings.NormalizeFile = 0;
    host.oneOutput = (dir / "joined.mp4").string();
    // No temporary folder can hold the list: a folder below a regular file.
    const std::string savedTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    test::WriteFile(dir / "plain", "x");
    setenv("TMPDIR", (dir / "plain" / "tmp").c_str(), 1);
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    setenv("TMPDIR", savedTmp.c_str(), 1);
    EXPECT_TRUE(launched.empty());
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(desktop.messages.back(), "Failed to create temporary file. Conversion failed.");
    EXPECT_EQ(desktop.icons.back(), MessageIcon::Exclamation);
    EXPECT_EQ(Statuses(), (std::vector<std::string>(
                              2, "Conversion failure (Failed to create temporary file. Conversion failed.)")));
    EXPECT_EQ(host.ended, 1);
    EXPECT_TRUE(host.mainWindowEnabled);
}

TEST_F(RunTest, ProgressWithATimeRangeCountsOnlyTheConvertedPart) {
    AddSource("range.avi", 100);
    struct Case {
        int32_t from, length, ignore;
        uint32_t duration;
        int64_t elapsedMs;
        const char* status;
    };
    const Case cases[] = {
        {40'000, 0, 0, 100, 30'000, "50% [00:30.000]"},  // 60 s are converted
        {40'000, 0, 0, 100, 59'400, "99% [00:59.400]"}, {40'000, 0, 0, 100, 60'000, "100% [01:00.000]"},
        {0, 20'000, 0, 100, 5'000, "25% [00:05.000]"},  {0, 0, 75'000, 100, 10'000, "40% [00:10.000]"},
        {0, 0, 75'000, 0, 10'000, "[00:10.000]"},  // unknown length: only the time
    };
    for (const Case& c : cases) {
        settings.EnableSkipLength = c.from > 0;
        settings.SkipLength = c.from;
        settings.EnableConvertLength = c.length > 0;
        settings.ConvertLength = c.length;
        settings.EnableIgnoreTheLast = c.ignore > 0;
        settings.IgnoreLength = c.ignore;
        list.Item(0).durationSeconds = c.duration;
        Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
        const std::size_t launch = launched.size() - 1;
        Progress(launch, c.duration > 0 ? 1 : -1, c.elapsedMs);
        EXPECT_EQ(list.Status(0), c.status);
        if (std::string(c.status).starts_with("100%")) {
            EXPECT_EQ(Run().OverallPercent(), 100);
        }
        Finish(launch, true);
    }
}

TEST_F(RunTest, OverwriteNeverReplacesAnotherRowsSourceOrOutput) {
    AddSource("a.avi");
    AddSource("a.mp4");
    AddSource("b.avi");
    AddSource("b.mov");
    AddSource("b_1.mp4");
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    settings.ConversionThreads = 4;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);  // a.mp4 and b_1.mp4 would be their own outputs
    // a.mp4 is a row of the list: a.avi takes the next numbered name.
    EXPECT_EQ(launched[0].item->outputPath, (dir / "a_1.mp4").string());
    EXPECT_EQ(list.Status(1),
              "Target file name is same as original file that can't be overwritten. Please output files to a "
              "custom folder.");
    EXPECT_EQ(test::ReadFile(dir / "a.mp4"), "source");
    // b.mp4 is claimed by b.avi; b.mov passes b_1.mp4, a source as well.
    EXPECT_EQ(launched[1].item->outputPath, (dir / "b.mp4").string());
    EXPECT_EQ(launched[2].item->outputPath, (dir / "b_2.mp4").string());
    EXPECT_EQ(test::ReadFile(dir / "b_1.mp4"), "source");
    for (std::size_t i = 0; i < launched.size(); ++i) Finish(i, true);

    // An existing file that no row reads is still overwritten.
    list.RemoveRow(1);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    EXPECT_EQ(launched[3].item->outputPath, (dir / "a.mp4").string());
}

// The command line starts converting with the first probed file while later ones still come.
TEST_F(RunTest, RowsArrivingDuringTheRunJoinItAndItEndsWhenToldNoMoreCome) {
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    AddSource("a.avi");
    // a.mp4 is still being probed: a.avi's output must not replace it.
    test::WriteFile(dir / "a.mp4", "source");
    test::WriteFile(dir / "b.avi", "source");
    const std::vector<std::string> coming{(dir / "a.mp4").string(), (dir / "b.avi").string(),
                                          (dir / "broken.avi").string()};
    Run().ExpectMoreRows(coming, 4);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(host.progress.statuses.front(), "Converting 4 file(s) to MP4...");
    EXPECT_EQ(launched[0].item->outputPath, (dir / "a_1.mp4").string());
    Finish(0, true);
    EXPECT_TRUE(Run().Active()) << "done with what it has, but more rows are coming";
    EXPECT_EQ(host.ended, 0);
    EXPECT_EQ(Run().OverallPercent(), 25);

    AddSource("a.mp4");
    AddSource("b.avi");
    Run().AddNewRows();
    ASSERT_EQ(launched.size(), 2u) << "a.mp4 would be its own output";
    EXPECT_EQ(list.Status(1).substr(0, 11), "Target file");
    EXPECT_EQ(launched[1].item, &list.Item(2));
    Run().AddNewRows();  // nothing new: nothing queued twice
    EXPECT_EQ(launched.size(), 2u);
    Finish(1, true);
    EXPECT_TRUE(Run().Active());

    // broken.avi never became a row: the run counts the three it had and ends.
    Run().NoMoreRows();
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(host.ended, 1);
    EXPECT_EQ(host.progress.statuses.back(), "Converting 3 file(s) to MP4...");
    EXPECT_EQ(Run().OverallPercent(), 100);
    EXPECT_EQ(test::ReadFile(dir / "a.mp4"), "source");
    EXPECT_EQ(Run().Tally().converted, 2);

    // A start refused after the announcement leaves nothing announced for the next one: that
    // run is an ordinary one and ends when its rows are done. A cancel while waiting for rows
    // with nothing running still ends the run.
    Run().ExpectMoreRows({}, 5);
    Run().StartRun(true, false, formats::FindFormat(catalogue, kMp4));  // nothing selected
    EXPECT_FALSE(Run().Active());
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    EXPECT_EQ(host.progress.statuses.back(), "Converting 3 file(s) to MP4...");
    for (std::size_t i = 2; i < launched.size(); ++i) Finish(i, true);
    EXPECT_FALSE(Run().Active());
    list.RemoveAll();
    AddSource("c.avi");
    Run().ExpectMoreRows({}, 2);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Finish(launched.size() - 1, true);
    ASSERT_TRUE(Run().Active());
    Run().OnCancel();
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(host.progress.opened, host.progress.closed);
}

TEST_F(RunTest, ThreadCountRaisedDuringTheRunStartsMore) {
    for (const char* n : {"a.avi", "b.avi", "c.avi", "d.avi"}) AddSource(n);
    settings.ConversionThreads = 1;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    EXPECT_EQ(launched.size(), 1u);
    Run().OnThreadCountChange(3);
    EXPECT_EQ(launched.size(), 3u);
    EXPECT_EQ(Run().Queues().running.size(), 3u);
}

TEST(ElapsedTimeText, SwitchesToHoursAtOneHour) {
    EXPECT_EQ(ElapsedTimeText(0), "[00:00.000]");
    EXPECT_EQ(ElapsedTimeText(3'599'999), "[59:59.999]");
    EXPECT_EQ(ElapsedTimeText(3'600'000), "[01:00:00.000]");
    EXPECT_EQ(ElapsedTimeText(100LL * 3'600'000 + 61'001), "[100:01:01.001]");
}

}  // namespace
}  // namespace quillon::app

namespace quillon::app {
namespace {

TEST_F(RunTest, KeepsEachRowsEngineOutputAndCountsHowItemsEnded) {
    SourceItem& good = AddSource("good.avi");
    SourceItem& bad = AddSource("bad.avi");
    SourceItem& skipped = AddSource("skipped.avi");
    settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
    settings.DestSpecifiedFolder = (dir / "out").string() + "/";
    fs::create_directories(dir / "out");
    test::WriteFile((dir / "out" / "skipped.mp4").string(), "there already");
    settings.TargetExistsOpt = formats::kTargetSkip;
    settings.ConversionThreads = 3;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(skipped.engineOutput, "");

    launched[0].sink->EngineOutput(&good, "Stream #0:0\nframe= 1\rframe= 2\r\n");
    launched[1].sink->EngineOutput(&bad, "Stream #0:0\nbad.avi: Invalid data found\n");
    Finish(1, false, "bad.avi: Invalid data found");
    // A row's record is there as soon as it ended, with the command line it ran first.
    EXPECT_EQ(bad.engineOutput, "> " + launched[1].line + "\nStream #0:0\nbad.avi: Invalid data found\n");
    EXPECT_EQ(good.engineOutput, "");
    Finish(0, true);
    EXPECT_EQ(good.engineOutput, "> " + launched[0].line + "\nStream #0:0\nframe= 2\n");
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(Run().Tally().converted, 1);
    EXPECT_EQ(Run().Tally().failed, 1);
    EXPECT_EQ(Run().Tally().skipped, 1);
    EXPECT_FALSE(Run().Cancelled());

    // A second run starts each row's record over and its counts from zero (good.mp4 exists
    // now and is skipped); a cancelled engine leaves no half record behind.
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    ASSERT_EQ(launched.size(), 3u);
    EXPECT_EQ(launched[2].item, &bad);
    EXPECT_EQ(good.engineOutput, "");
    EXPECT_EQ(bad.engineOutput, "");
    launched[2].sink->EngineOutput(launched[2].item, "half\n");
    Run().OnCancel();
    Finish(2, false);
    EXPECT_EQ(launched[2].item->engineOutput, "");
    EXPECT_TRUE(Run().Cancelled());
    EXPECT_EQ(Run().Tally().converted, 0);
    EXPECT_EQ(Run().Tally().skipped, 2);
}

}  // namespace
}  // namespace quillon::app
