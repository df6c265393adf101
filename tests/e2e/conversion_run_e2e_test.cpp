// Conversion runs with the real engine on generated media.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <thread>

#include "../audio/audio_test_media.h"
#include "../audio/voice_test_files.h"
#include "app/conversion_run.h"
#include "app/intake.h"
#include "audio/bass_startup.h"
#include "engine/engine_launcher.h"
#include "fake_run_host.h"
#include "formats/conversion_settings.h"
#include "platform/known_folders.h"
#include "platform/process.h"
#include "recording_desktop.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;
using engine::SourceItem;
using test::TempDir;

constexpr int32_t kMp4 = 110;
constexpr int32_t kWav = 1200;
constexpr int32_t kAvi = 40;

double Duration(const fs::path& file) {
    const auto r = test::RunCommand(
        {"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", file.string()});
    return r.exitCode == 0 ? std::atof(r.output.c_str()) : -1.0;
}

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// Files in the temporary folder that a run could have left behind.
std::vector<std::string> TempLeftovers() {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(platform::TempFolder())) {
        const std::string ext = util::LowerExtension(e.path().string());
        if (ext == "ts" || ext == "txt" || ext == "wav" || ext == "vob") found.push_back(e.path().string());
    }
    return found;
}

// Every status a row ever showed.
struct StatusLog : FileListObserver {
    explicit StatusLog(FileList& l) : list(l) { list.SetObserver(this); }
    ~StatusLog() override { list.SetObserver(nullptr); }
    void StatusChanged(std::size_t row) override { seen[&list.Item(row)].push_back(list.Status(row)); }
    FileList& list;
    std::map<const SourceItem*, std::vector<std::string>> seen;
};

class RealRun : public ::testing::Test {
protected:
    RealRun() {
        formats::BuildCatalogue(catalogue);
        settings = formats::DefaultSettings("");
        settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
        settings.DestSpecifiedFolder = out.path().string() + "/";
        settings.BrowseOutputFolder = 0;
        enginePath = (test::BinDir() / "ferrox").string();
    }

    ConversionRun& Run() {
        if (!run) {
            RunEnvironment env{list,
                               catalogue,
                               settings,
                               host,
                               desktop,
                               events,
                               {},
                               {},
                               {},
                               enginePath,
                               (test::BinDir() / "tavrel").string()};
            env.launch = [this](std::string_view line, SourceItem* item, uint32_t priority,
                                engine::EngineReportSink* sink) {
                const bool ok = engine::LaunchEngine(line, item, false, priority, sink);
                if (ok) pids.push_back(item->process.Pid());
                maxRunning = std::max(maxRunning, Run().Queues().running.size());
                return ok;
            };
            env.prepare = [this](SourceItem& item, engine::LoadingWindow& w, std::string& m) {
                ++preparations;
                return prepare ? prepare(item, w, m) : PrepareSource(item, w, m);
            };
            run = std::make_unique<ConversionRun>(std::move(env));
        }
        return *run;
    }

    void Add(const fs::path& path) {
        Intake intake(list, index, settings, enginePath);
        ASSERT_EQ(intake.ProbeSource(path.string()), ProbeOutcome::Added) << path;
    }

    // Runs the event loop until the run is idle (or a minute has passed).
    // Clips of one and two seconds, a.mp4 and `second`, listed to be joined as they are.
    void AddClipsToJoin(const std::string& second) {
        ASSERT_TRUE(test::MakeClip(in / "a.mp4", 1, 1, 2, 160, 120));
        ASSERT_TRUE(test::MakeClip(in / second, 2, 1, 2, 160, 120));
        Add(in / "a.mp4");
        Add(in / second);
        settings.NormalizeFile = 0;
    }

    void Drive() {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Run().Active() && std::chrono::steady_clock::now() < limit) events.RunOne(50);
        ASSERT_FALSE(Run().Active()) << "the run did not end";
    }

    // Lets the reader threads of ended engines finish and drops their late reports.
    void Settle(std::size_t descriptors) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (OpenDescriptors() > descriptors && std::chrono::steady_clock::now() < limit) events.RunOne(20);
        events.RunPending();
    }

    void TearDown() override {
        if (run) {
            run->OnCancel();
            while (run->ReportsOutstanding() > 0) events.RunOne(50);
        }
        run.reset();
        events.RunPending();
    }

    TempDir in;
    TempDir out;
    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;
    FileList list;
    SourceIndex index;
    test::FakeRunHost host;
    test::RecordingDesktop desktop;
    EventQueue events;
    std::string enginePath;
    std::vector<int> pids;
    std::size_t maxRunning = 0;
    int preparations = 0;
    std::function<bool(SourceItem&, engine::LoadingWindow&, std::string&)> prepare;
    std::unique_ptr<ConversionRun> run;
};

TEST_F(RealRun, TwoEnginesAtATimeSkipPolicyFailureAndUnknownDuration) {
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(test::MakeClip(in / ("c" + std::to_string(i) + ".mp4"), 1, 1, 2, 160, 120));
        Add(in / ("c" + std::to_string(i) + ".mp4"));
    }
    test::WriteFile(out / "c1.avi", "already there");
    fs::remove(in / "c3.mp4");         // probed, then gone: the engine fails
    list.Item(4).durationSeconds = 0;  // as for a source whose length is unknown
    settings.TargetExistsOpt = formats::kTargetSkip;
    StatusLog log(list);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kAvi));
    EXPECT_EQ(Run().Queues().running.size(), 2u);
    Drive();
    EXPECT_EQ(maxRunning, 2u);
    EXPECT_EQ(pids.size(), 4u);  // c1 skipped; c3's engine started and failed
    EXPECT_EQ(list.Status(0), "c0.avi");
    EXPECT_EQ(list.Status(1), "Target exists and skipped");
    EXPECT_EQ(test::ReadFile(out / "c1.avi"), "already there");
    EXPECT_EQ(list.Status(2), "c2.avi");
    EXPECT_EQ(list.Status(3), "Conversion failure (" + (in / "c3.mp4").string() + ": No such file or directory)");
    EXPECT_EQ(list.StatusColumnWidth(), kWideStatusColumnWidth);
    EXPECT_FALSE(fs::exists(out / "c3.avi"));
    EXPECT_EQ(list.Status(4), "c4.avi");
    for (const std::string& s : log.seen[&list.Item(4)]) {
        EXPECT_EQ(s.find('%'), std::string::npos) << s;  // only the time while it ran
    }
    EXPECT_EQ(host.progress.percents.back(), "100%");
    EXPECT_GT(Duration(out / "c4.avi"), 0.8);
}

TEST_F(RealRun, CustomGroupWritesOneOutputPerFormat) {
    ASSERT_TRUE(test::MakeClip(in / "a.mkv", 1, 1, 2, 160, 120));
    Add(in / "a.mkv");
    formats::CustomFormatList groups{{"Two", {kMp4, kWav}}};
    formats::OutputFormat record;
    Run().StartRun(false, false, ChosenOutputFormat(formats::kFirstCustomGroupId, catalogue, groups, record));
    Drive();
    ASSERT_EQ(list.RowCount(), 3u);
    EXPECT_EQ(list.FileText(1), "   to WAV");
    EXPECT_EQ(list.Status(0), "");
    EXPECT_EQ(list.Status(1), "a.wav");
    EXPECT_EQ(list.Status(2), "a.mp4");
    EXPECT_GT(Duration(out / "a.wav"), 0.8);
    EXPECT_GT(Duration(out / "a.mp4"), 0.8);
    std::size_t outputs = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(out.path())) ++outputs;
    EXPECT_EQ(outputs, 2u);
}

TEST_F(RealRun, CancelDuringEightConversionsLeavesNothingBehind) {
    ASSERT_TRUE(test::MakeClip(in / "long.mp4", 6, 1, 2, 320, 240));
    for (int i = 0; i < 10; ++i) {
        fs::copy_file(in / "long.mp4", in / ("l" + std::to_string(i) + ".mp4"));
        Add(in / ("l" + std::to_string(i) + ".mp4"));
    }
    const std::size_t descriptors = OpenDescriptors();
    settings.ConversionThreads = 8;
    // A slow encoder keeps all eight busy.
    formats::OutputFormat* format = formats::FindFormat(catalogue, kMp4);
    Run().StartRun(false, false, format);
    ASSERT_EQ(Run().Queues().running.size(), 8u);
    // Wait until every engine has written something.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto written = [&] {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(out.path())) n += fs::file_size(e.path()) > 0;
        return n;
    };
    while (written() < 1 && std::chrono::steady_clock::now() < limit) events.RunOne(20);
    ASSERT_TRUE(Run().Active()) << "the conversions ended before the cancel";
    Run().OnCancel();
    EXPECT_FALSE(Run().Active());
    for (int pid : pids) EXPECT_FALSE(fs::exists("/proc/" + std::to_string(pid))) << pid;
    EXPECT_TRUE(fs::is_empty(out.path()));
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(list.Status(i), "Cancelled") << i;
    EXPECT_EQ(list.Status(8), "");
    EXPECT_EQ(list.Status(9), "");
    Settle(descriptors);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(list.Status(i), "Cancelled") << i;
}

TEST_F(RealRun, ConvertToOneWithNormalizationJoinsDifferentClipsAndLeavesOutAFailure) {
    ASSERT_TRUE(test::MakeClip(in / "big.mp4", 1, 1, 2, 320, 240));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=15:duration=2", "-f", "lavfi", "-i",
                                 "sine=sample_rate=22050:duration=2", "-ac", "1", "-pix_fmt", "yuv420p", "-shortest",
                                 (in / "small's.mkv").string()}));
    ASSERT_TRUE(test::MakeClip(in / "gone.mp4", 1, 1, 2, 160, 120));
    Add(in / "big.mp4");
    Add(in / "gone.mp4");
    Add(in / "small's.mkv");
    fs::remove(in / "gone.mp4");
    const auto before = TempLeftovers();
    host.oneOutput = (out / "joined.mp4").string();
    settings.ConversionThreads = 3;
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    Drive();
    EXPECT_EQ(list.Status(0), "joined.mp4");
    EXPECT_NE(list.Status(1).find("Conversion failure"), std::string::npos);
    EXPECT_EQ(list.Status(2), "joined.mp4");
    EXPECT_NEAR(Duration(out / "joined.mp4"), 3.0, 0.35);
    EXPECT_EQ(TempLeftovers(), before);
    const auto probe = test::RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                         "stream=width,height", "-of", "csv=p=0", (out / "joined.mp4").string()});
    EXPECT_EQ(probe.output, "320,240\n");
}

TEST_F(RealRun, ConvertToOneWithoutNormalizationAndCancelledJoin) {
    ASSERT_NO_FATAL_FAILURE(AddClipsToJoin("it's b.mp4"));
    const auto before = TempLeftovers();
    host.oneOutput = (out / "joined.mkv").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, 90));
    EXPECT_EQ(host.progress.statuses.front(), "Combining files...");
    Drive();
    EXPECT_EQ(list.Status(1), "joined.mkv");
    EXPECT_NEAR(Duration(out / "joined.mkv"), 3.0, 0.35);
    EXPECT_EQ(TempLeftovers(), before);

    // Cancelled while joining: neither the output nor the list file stays.
    ASSERT_TRUE(test::MakeClip(in / "long.mp4", 8, 1, 2, 320, 240));
    Add(in / "long.mp4");
    host.oneOutput = (out / "cancelled.mp4").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, kMp4));
    ASSERT_TRUE(Run().Active());
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(out / "cancelled.mp4") && std::chrono::steady_clock::now() < limit) events.RunOne(20);
    Run().OnCancel();
    EXPECT_FALSE(fs::exists(out / "cancelled.mp4"));
    EXPECT_EQ(TempLeftovers(), before);
    EXPECT_EQ(list.Status(0), "Cancelled");
}

TEST_F(RealRun, ConvertToOneReachesASourceWithANewlineInItsName) {
    ASSERT_NO_FATAL_FAILURE(AddClipsToJoin("two\nlines.mp4"));
    auto links = [] {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(platform::TempFolder())) n += fs::is_symlink(e.symlink_status());
        return n;
    };
    const auto before = TempLeftovers();
    host.oneOutput = (out / "joined.mkv").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, 90));
    EXPECT_EQ(links(), 1u);
    Drive();
    EXPECT_EQ(list.Status(0), "joined.mkv");
    EXPECT_EQ(list.Status(1), "joined.mkv");
    EXPECT_NEAR(Duration(out / "joined.mkv"), 3.0, 0.35);
    EXPECT_EQ(links(), 0u);
    EXPECT_EQ(TempLeftovers(), before);
    EXPECT_TRUE(fs::exists(in / "two\nlines.mp4"));

    // A join the engine fails removes its link too.
    fs::remove(in / "a.mp4");
    host.oneOutput = (out / "failed.mkv").string();
    Run().StartRun(false, true, formats::FindFormat(catalogue, 90));
    Drive();
    EXPECT_EQ(list.Status(1).substr(0, 18), "Conversion failure");
    EXPECT_EQ(links(), 0u);
    EXPECT_EQ(TempLeftovers(), before);
}

TEST_F(RealRun, OverwriteInTheSourceFolderKeepsEverySourceOfTheList) {
    ASSERT_TRUE(test::MakeClip(in / "a.avi", 1, 1, 2, 160, 120));
    ASSERT_TRUE(test::MakeClip(in / "a.mp4", 2, 1, 2, 160, 120));
    Add(in / "a.avi");
    Add(in / "a.mp4");
    const std::string original = test::ReadFile(in / "a.mp4");
    settings.DestOutputFolderOpt = formats::kOutputSameAsSource;
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Drive();
    EXPECT_EQ(list.Status(0), "a_1.mp4");
    EXPECT_EQ(list.Status(1).substr(0, 37), "Target file name is same as original ");
    EXPECT_EQ(test::ReadFile(in / "a.mp4"), original);
    EXPECT_NEAR(Duration(in / "a_1.mp4"), 1.0, 0.2);

    // Run again: a_1.mp4 is an output, not a source, and is overwritten in place.
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Drive();
    EXPECT_EQ(list.Status(0), "a_1.mp4");
    EXPECT_FALSE(fs::exists(in / "a_2.mp4"));
    EXPECT_EQ(test::ReadFile(in / "a.mp4"), original);
}

TEST_F(RealRun, ImageSequenceFollowsTheExistsPolicyAsOneTarget) {
    ASSERT_TRUE(test::MakeClip(in / "clip.mp4", 1, 1, 2, 64, 48, 5));
    Add(in / "clip.mp4");
    formats::OutputFormat* jpg = formats::FindFormat(catalogue, 710);
    ASSERT_NE(jpg, nullptr);
    auto frames = [&](const std::string& prefix) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out.path())) {
            const std::string name = e.path().filename().string();
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    Run().StartRun(false, false, jpg);
    Drive();
    const std::vector<std::string> first = frames("clip_");
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first.front(), "clip_1.jpg");  // 5 frames: one digit
    EXPECT_EQ(list.Status(0), "clip_1.jpg");

    // Skip: the sequence is there, nothing is written.
    for (const std::string& f : first) test::WriteFile(out / f, "kept");
    settings.TargetExistsOpt = formats::kTargetSkip;
    Run().StartRun(false, false, jpg);
    Drive();
    EXPECT_EQ(list.Status(0), "Target exists and skipped");
    for (const std::string& f : first) EXPECT_EQ(test::ReadFile(out / f), "kept") << f;
    EXPECT_EQ(frames("clip_"), first);

    // Rename: a new numbered pattern beside the old one.
    settings.TargetExistsOpt = formats::kTargetRename;
    Run().StartRun(false, false, jpg);
    Drive();
    EXPECT_EQ(list.Status(0), "clip_1_1.jpg");
    for (const std::string& f : first) EXPECT_EQ(test::ReadFile(out / f), "kept") << f;
    EXPECT_EQ(frames("clip_1_").size(), first.size());

    // Overwrite: the plain pattern is written again.
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    Run().StartRun(false, false, jpg);
    Drive();
    EXPECT_EQ(list.Status(0), "clip_1.jpg");
    EXPECT_NE(test::ReadFile(out / "clip_1.jpg"), "kept");
}

TEST_F(RealRun, DvdTitleIsJoinedFromItsPiecesUnlessSpaceIsShort) {
    const fs::path vob = in / "whole.vob";
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=3", "-f", "lavfi", "-i",
                                 "sine=sample_rate=48000:duration=3", "-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob",
                                 vob.string()}));
    const std::string bytes = test::ReadFile(vob);
    const fs::path dvd = in / "VIDEO_TS";
    fs::create_directories(dvd);
    const std::size_t third = bytes.size() / 3 / 2048 * 2048;  // pieces end on pack boundaries
    test::WriteFile(dvd / "VTS_01_1.VOB", bytes.substr(0, third));
    test::WriteFile(dvd / "VTS_01_2.VOB", bytes.substr(third, third));
    test::WriteFile(dvd / "vts_01_3.vob", bytes.substr(2 * third));
    Intake intake(list, index, settings, enginePath);
    ASSERT_EQ(intake.ProbeDvdTitle(dvd.string(), 1, 1), ProbeOutcome::Added);
    EXPECT_EQ(intake.ProbeDvdTitle(dvd.string() + "/", 1, 1), ProbeOutcome::Duplicate);
    EXPECT_EQ(list.FileText(0), "DVD Title 1");

    // Not enough room for the joined title: the row is left out with the reason.
    prepare = [](SourceItem& item, engine::LoadingWindow& w, std::string& m) {
        return engine::JoinDvdTitle(item, w, m, [](const std::string&) { return std::optional<uint64_t>(1000); });
    };
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    EXPECT_FALSE(Run().Active());
    EXPECT_EQ(list.Status(0).rfind("Error: ", 0), 0u) << list.Status(0);
    EXPECT_NE(list.Status(0).find("free space is required for converting"), std::string::npos);

    prepare = nullptr;
    settings.DestOutputFolderOpt = formats::kOutputSameAsSource;
    Run().StartRun(false, false, formats::FindFormat(catalogue, kMp4));
    Drive();
    EXPECT_EQ(list.Status(0), "DVD_Title_1.mp4");
    EXPECT_NEAR(Duration(dvd / "DVD_Title_1.mp4"), 3.0, 0.3);
    EXPECT_EQ(test::ReadFile(list.Item(0).preparedPath), test::ReadFile(dvd / "VTS_01_1.VOB") +
                                                             test::ReadFile(dvd / "VTS_01_2.VOB") +
                                                             test::ReadFile(dvd / "vts_01_3.vob"));
    const std::string prepared = list.Item(0).preparedPath;
    list.RemoveAll();
    EXPECT_FALSE(fs::exists(prepared));
}

TEST_F(RealRun, OwnReaderSourcesArePreparedOnceForTwoRuns) {
    ASSERT_EQ(audio::StartBassLibrary(platform::ProgramFolder()), audio::BassStartResult::Started);
    struct Release {
        ~Release() { audio::ReleaseBassLibrary(); }
    } release;
    // One CD track of 150 sectors (2 s), with its CUE sheet and track descriptor.
    std::vector<int16_t> track(150 * 588 * 2);
    for (std::size_t i = 0; i < track.size(); ++i) track[i] = static_cast<int16_t>((i % 200) * 100 - 10000);
    test::MakeCdImage(in.path(), {track}, true);
    ASSERT_TRUE(test::MakeAudio(in / "plain.wav", 1, 1, 22050));
    const auto aifc =
        test::RunCommand({"sndfile-convert", "-dwvw16", (in / "plain.wav").string(), (in / "tone.aifc").string()});
    ASSERT_EQ(aifc.exitCode, 0) << aifc.output;
    std::string stream;
    for (int i = 0; i < 8000; ++i) stream += static_cast<char>((i * 37) & 0x77);
    test::WriteFile(in / "memo.voc", test::VoiceFileBytes(test::VoiceHeader{}, stream));

    Intake intake(list, index, settings, enginePath);
    for (const char* name : {"Track01.cda", "tone.aifc", "memo.voc"}) {
        ASSERT_EQ(intake.ProbeSource((in / name).string()), ProbeOutcome::Added) << name;
    }
    fs::create_symlink(in / "tone.aifc", in / "again.aifc");
    EXPECT_EQ(intake.ProbeSource((in / "again.aifc").string()), ProbeOutcome::Duplicate);
    EXPECT_EQ(intake.ProbeSource((in / "missing.mp4").string()), ProbeOutcome::Failed);
    EXPECT_EQ(list.RowCount(), 3u);
    EXPECT_EQ(list.Item(0).kind, engine::SourceKind::CdAudioTrack);
    EXPECT_EQ(list.Item(1).kind, engine::SourceKind::AiffFile);
    EXPECT_EQ(list.Item(2).kind, engine::SourceKind::VocFile);
    StatusLog log(list);
    settings.ConversionThreads = 3;
    Run().StartRun(false, false, formats::FindFormat(catalogue, 1160));
    Drive();
    EXPECT_EQ(preparations, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log.seen[&list.Item(i)].front(), "Loading...");
        EXPECT_EQ(log.seen[&list.Item(i)][1], "Loading OK");
        EXPECT_EQ(util::LowerExtension(list.Status(i)), "mp3") << list.Status(i);
    }
    EXPECT_NEAR(Duration(out / "Track01.mp3"), 2.0, 0.2);
    EXPECT_NEAR(Duration(out / "tone.mp3"), 1.0, 0.2);

    std::vector<std::string> prepared;
    for (std::size_t i = 0; i < 3; ++i) prepared.push_back(list.Item(i).preparedPath);
    Run().StartRun(false, false, formats::FindFormat(catalogue, kWav));
    Drive();
    EXPECT_EQ(preparations, 3);  // reused
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list.Item(i).preparedPath, prepared[i]);
        EXPECT_EQ(util::LowerExtension(list.Status(i)), "wav");
    }
    list.RemoveAll();
    for (const std::string& p : prepared) EXPECT_FALSE(fs::exists(p)) << p;
}

}  // namespace
}  // namespace quillon::app
