// The pool's probe server against the lone engine probe on real media: the facts must match
// field by field. And a 500-file load through the real workers, cancelled part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "app/intake.h"
#include "cancelling_window.h"
#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/probe_pool.h"
#include "engine/theora_command_line.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/process.h"
#include "process_census.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;

using test::Ferrox;

struct Facts {
    bool found = false;
    MediaInfo info;
};

Facts LoneProbe(const std::string& line) {
    SourceItem item;
    Facts facts;
    facts.found = LaunchEngine(line, &item, true, 0, nullptr);
    facts.info = item.mediaInfo();
    return facts;
}

// What a pool worker answers for the same command line, program name left out.
Facts PoolProbe(ProbePool& pool, const std::string& line, std::string& failure) {
    std::vector<std::string> args = platform::SplitCommandLine(line);
    args.erase(args.begin());
    Facts facts;
    auto batch = std::make_shared<ProbeBatch>(1);
    pool.Run(batch, {[&](ProbeWorker& worker, const ProbeBatch& b) {
                 facts.found = worker.Probe(args, facts.info, failure, &b);
             }});
    batch->WaitAll();
    return facts;
}

// Every field by name, so a failure says which one differs.
void ExpectSameFacts(const Facts& lone, const Facts& pooled, const std::string& label) {
    SCOPED_TRACE(label);
    EXPECT_EQ(pooled.found, lone.found);
    const MediaInfo& a = lone.info;
    const MediaInfo& b = pooled.info;
    EXPECT_EQ(b.videoStreamId, a.videoStreamId);
    EXPECT_EQ(b.width, a.width);
    EXPECT_EQ(b.height, a.height);
    EXPECT_EQ(b.frameRate, a.frameRate);
    EXPECT_EQ(b.displayAspectRatio, a.displayAspectRatio);
    EXPECT_EQ(b.videoBitRate, a.videoBitRate);
    EXPECT_EQ(b.audioStreamIds, a.audioStreamIds);
    EXPECT_EQ(b.audioChannels, a.audioChannels);
    EXPECT_EQ(b.audioSampleRates, a.audioSampleRates);
    EXPECT_EQ(b.audioBitRates, a.audioBitRates);
    EXPECT_EQ(b.durationSeconds, a.durationSeconds);
}

class ProbeDifferential : public ::testing::Test {
protected:
    // expectFound: what the lone probe must say; nullopt for damaged files, where only the
    // agreement of the two counts.
    void Compare(const fs::path& file, std::optional<bool> expectFound) {
        const std::string path = file.string();
        const std::string ext = file.has_extension() ? util::LowerExtension(path) : std::string();
        const std::string line = BuildProbeCommandLine(Ferrox(), path, ext);
        std::string failure;
        const Facts lone = LoneProbe(line);
        const Facts pooled = PoolProbe(pool, line, failure);
        EXPECT_EQ(failure, "") << path;
        if (expectFound) {
            EXPECT_EQ(lone.found, *expectFound) << path;
        }
        ExpectSameFacts(lone, pooled, file.filename().string());
    }

    test::TempDir dir;
    ProbePool pool{ProbePoolOptions{{ProbeServerBeside(Ferrox())}, 2, 60'000}};
};

TEST_F(ProbeDifferential, EveryCatalogueFormatAsWritten) {
    ASSERT_TRUE(test::MakeClip(dir / "clip.mkv", 1, 1, 2, 176, 144, 25));
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 1, 2, 44100));
    SourceItem clip;
    SourceItem tone;
    clip.path = (dir / "clip.mkv").string();
    tone.path = (dir / "tone.wav").string();
    ASSERT_TRUE(LaunchEngine(BuildProbeCommandLine(Ferrox(), clip.path, "mkv"), &clip, true, 0, nullptr));
    ASSERT_TRUE(LaunchEngine(BuildProbeCommandLine(Ferrox(), tone.path, "wav"), &tone, true, 0, nullptr));

    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    ASSERT_EQ(catalogue.size(), 79u);
    std::vector<std::pair<std::string, fs::path>> outputs(catalogue.size());
    std::atomic<std::size_t> next{0};
    auto convert = [&] {
        for (std::size_t i; (i = next++) < catalogue.size();) {
            formats::OutputFormat format = catalogue[i];
            SourceItem item = format.Family == formats::FamilyAudio ? tone : clip;
            const fs::path folder = dir / std::to_string(format.FormatId);
            fs::create_directories(folder);
            item.outputPath = (folder / ("out." + format.Extension)).string();
            formats::ConversionSettings settings;
            const std::string line =
                UsesTheoraEncoder(format.FormatId)
                    ? BuildTheoraCommandLine(format, item, settings, (test::BinDir() / "tavrel").string())
                    : BuildEngineCommandLine(format, item, settings, Ferrox());
            test::RunCommand(platform::SplitCommandLine(line));
            outputs[i] = {std::to_string(format.FormatId) + " " + format.Extension, folder};
        }
    };
    std::thread a(convert), b(convert);
    a.join();
    b.join();
    for (const auto& [label, folder] : outputs) {
        // An image sequence is probed by its first picture.
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        ASSERT_FALSE(files.empty()) << label << " wrote nothing";
        SCOPED_TRACE(label);
        Compare(files.front(), true);
    }
}

TEST_F(ProbeDifferential, RawStreamsMultiStreamNoStreamDamagedAndDvd) {
    const std::string src = "testsrc=size=176x144:rate=25:duration=1";
    const std::string tone = "sine=frequency=440:sample_rate=8000:duration=1";
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "libx264", "-f", "h264", (dir / "raw.h264").string()}));
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "libx265", "-f", "hevc", (dir / "raw.265").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "h263", "-f", "h263", (dir / "raw.263").string()}));
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "mjpeg", "-f", "mjpeg", (dir / "raw.mjpg").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", tone, "-f", "mulaw", (dir / "raw.ulw").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", tone, "-f", "alaw", (dir / "raw.alaw").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "sine=sample_rate=16000:duration=1", "-c:a", "g722", "-f", "g722",
                                 (dir / "raw.g722").string()}));
    ASSERT_TRUE(test::MakeClip(dir / "three audio.mkv", 1, 3, 2, 176, 144, 25));
    ASSERT_TRUE(test::MakeClip(dir / "two audio.mp4", 1, 2, 1, 320, 240, 30));
    test::WriteFile(dir / "subtitles.srt", "1\n00:00:00,000 --> 00:00:01,000\nhello\n");
    ASSERT_TRUE(test::RunFfmpeg({"-i", (dir / "subtitles.srt").string(), (dir / "subtitles only.mkv").string()}));
    test::WriteFile(dir / "empty.mp4", "");
    test::WriteFile(dir / "noise.avi", std::string(4096, '\x5a'));
    ASSERT_TRUE(test::MakeClip(dir / "whole.mp4", 1));
    const std::string whole = test::ReadFile(dir / "whole.mp4");
    test::WriteFile(dir / "cut short.mp4", whole.substr(0, whole.size() / 2));
    std::string scrambled = whole;
    for (std::size_t i = 64; i < scrambled.size(); i += 97) scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    test::WriteFile(dir / "scrambled.mp4", scrambled);
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", src, "-f", "lavfi", "-i", "sine=sample_rate=48000:duration=1",
                                 "-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob", (dir / "VTS_01_1.VOB").string()}));

    for (const char* name :
         {"raw.h264", "raw.265", "raw.263", "raw.mjpg", "raw.ulw", "raw.alaw", "three audio.mkv", "two audio.mp4"}) {
        Compare(dir / name, true);
    }
    for (const char* name : {"subtitles only.mkv", "empty.mp4", "noise.avi"}) Compare(dir / name, false);
    // Raw G.722 is readable once ferrox translates its input options; either way, alike.
    for (const char* name : {"cut short.mp4", "scrambled.mp4", "raw.g722"}) Compare(dir / name, std::nullopt);
    std::string failure;
    // A DVD title is probed by its first piece, without any forced format.
    const std::string vob = (dir / "VTS_01_1.VOB").string();
    const Facts dvd = LoneProbe(BuildDvdProbeCommandLine(Ferrox(), vob));
    EXPECT_TRUE(dvd.found);
    ExpectSameFacts(dvd, PoolProbe(pool, BuildDvdProbeCommandLine(Ferrox(), vob), failure), "VTS_01_1.VOB");
}

TEST(PooledLoad, FiveHundredFilesAddedOrCancelledWithNoProcessLeft) {
    test::TempDir dir;
    ASSERT_TRUE(test::MakeAudio(dir / "c0.wav", 0.1, 1, 8000));
    std::vector<std::string> paths{(dir / "c0.wav").string()};
    for (int i = 1; i < 500; ++i) {
        const fs::path copy = dir / ("c" + std::to_string(i) + ".wav");
        fs::copy_file(dir / "c0.wav", copy);
        paths.push_back(copy.string());
    }
    const formats::ConversionSettings settings = formats::DefaultSettings("");
    // Workers of the shared pool, left by other tests of this process, are not this pool's.
    const std::set<int> before = test::ChildPids();
    std::set<int> sessions;
    {
        ProbePool pool(ProbePoolOptions{{ProbeServerBeside(Ferrox())}, 2, 60'000});
        app::FileList list;
        app::SourceIndex index;
        app::Intake intake(list, index, settings, Ferrox(), &pool);
        // All of them: every row, in order, with the file's facts.
        EXPECT_EQ(intake.LoadSources(paths, nullptr), "");
        ASSERT_EQ(list.RowCount(), 500u);
        for (std::size_t row = 0; row < 500; row += 99) {
            EXPECT_EQ(list.Item(row).path, paths[row]);
            EXPECT_EQ(list.Item(row).audioSampleRates, std::vector<uint32_t>{8000});
        }

        // Again in a fresh list, cancelled once 50 rows are in.
        app::FileList second;
        app::SourceIndex secondIndex;
        app::Intake again(second, secondIndex, settings, Ferrox(), &pool);
        test::CancellingWindow window([&] { return second.RowCount() >= 50; });
        window.onPump = [&] {
            for (int pid : test::ChildPids()) {
                if (!before.count(pid)) sessions.insert(pid);
            }
        };
        EXPECT_EQ(again.LoadSources(paths, &window), "");
        EXPECT_TRUE(window.cancelled);
        EXPECT_GE(second.RowCount(), 50u);
        EXPECT_LT(second.RowCount(), 500u);
        for (std::size_t row = 0; row < second.RowCount(); ++row) EXPECT_EQ(second.Item(row).path, paths[row]);
    }
    EXPECT_FALSE(sessions.empty());
    EXPECT_TRUE(test::LeftInSessions(sessions).empty());
    EXPECT_EQ(test::ChildPids(), before);
}

}  // namespace
}  // namespace quillon::engine
