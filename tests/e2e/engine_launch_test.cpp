// The engine launcher against the real ffmpeg, through ferrox, on media made on the spot.
#include "engine/engine_launcher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/media_engine.h"
#include "platform/process.h"
#include "test_support.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;
using platform::QuoteArgument;
using test::Ferrox;
using test::TempDir;

bool Probe(const fs::path& file, SourceItem& item) {
    item.path = file.string();
    std::string extension = file.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    item.extension = extension;
    return LaunchEngine(BuildProbeCommandLine(Ferrox(), item.path, item.extension), &item, true, 0, nullptr);
}

TEST(EngineProbe, ClipWithOneVideoAndTwoAudioStreams) {
    TempDir dir;
    const fs::path clip = dir / "two tracks \"quoted\".mp4";
    ASSERT_TRUE(test::MakeClip(clip, 2.0, 2, 2, 320, 240, 25));
    SourceItem item;
    ASSERT_TRUE(Probe(clip, item));
    EXPECT_EQ(item.durationSeconds, 2u);
    EXPECT_EQ(item.videoStreamId, "0:0");
    EXPECT_EQ(item.width, 320);
    EXPECT_EQ(item.height, 240);
    EXPECT_DOUBLE_EQ(item.frameRate, 25.0);
    EXPECT_DOUBLE_EQ(item.displayAspectRatio, 4.0 / 3.0);
    EXPECT_GT(item.videoBitRate, 0);
    EXPECT_EQ(item.audioStreamIds, (std::vector<std::string>{"0:1", "0:2"}));
    EXPECT_EQ(item.audioSampleRates, (std::vector<uint32_t>{44100, 44100}));
    EXPECT_EQ(item.audioChannels, (std::vector<uint32_t>{2, 2}));
    ASSERT_EQ(item.audioBitRates.size(), 2u);
    EXPECT_GT(item.audioBitRates[0], 0u);
    // Probe mode leaves nothing running and stores no handles in the item.
    EXPECT_FALSE(item.process.Valid());
}

TEST(EngineProbe, AudioOnlyAndSurroundFiles) {
    TempDir dir;
    SourceItem wav;
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 1.0, 2, 44100));
    ASSERT_TRUE(Probe(dir / "tone.wav", wav));
    EXPECT_EQ(wav.durationSeconds, 1u);
    EXPECT_TRUE(wav.videoStreamId.empty());
    EXPECT_EQ(wav.width, 0);
    EXPECT_DOUBLE_EQ(wav.frameRate, -1.0);
    EXPECT_EQ(wav.audioStreamIds, (std::vector<std::string>{"0:0"}));
    EXPECT_EQ(wav.audioSampleRates, (std::vector<uint32_t>{44100}));
    EXPECT_EQ(wav.audioChannels, (std::vector<uint32_t>{2}));
    EXPECT_EQ(wav.audioBitRates, (std::vector<uint32_t>{1411}));

    SourceItem surround;
    ASSERT_TRUE(test::RunFfmpeg(
        {"-f", "lavfi", "-i", "sine=duration=1:sample_rate=48000", "-ac", "6", (dir / "surround.ac3").string()}));
    ASSERT_TRUE(Probe(dir / "surround.ac3", surround));
    EXPECT_EQ(surround.audioChannels, (std::vector<uint32_t>{6}));
    EXPECT_EQ(surround.audioSampleRates, (std::vector<uint32_t>{48000}));
    EXPECT_EQ(surround.audioBitRates, (std::vector<uint32_t>{448}));
    EXPECT_EQ(surround.durationSeconds, 1u);
}

TEST(EngineProbe, FailsWhenTheEngineFindsNoStream) {
    TempDir dir;
    test::WriteFile(dir / "notes.mp4", "not a movie\n");
    SourceItem item;
    EXPECT_FALSE(Probe(dir / "notes.mp4", item));
    EXPECT_TRUE(item.audioSampleRates.empty());
    EXPECT_TRUE(item.videoStreamId.empty());
    SourceItem missing;
    EXPECT_FALSE(Probe(dir / "missing.mkv", missing));
}

TEST(EngineProbe, RawH264StreamWithItsForcedFormat) {
    TempDir dir;
    const fs::path raw = dir / "camera.264";
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v", "libx264",
                                 "-f", "h264", raw.string()}));
    EXPECT_EQ(BuildProbeCommandLine("f", raw.string(), "264").find(" -f h264 -i "), 3u);
    SourceItem item;
    ASSERT_TRUE(Probe(raw, item));
    EXPECT_EQ(item.durationSeconds, 0u);  // a raw stream has no duration: N/A
    EXPECT_EQ(item.videoStreamId, "0:0");
    EXPECT_EQ(item.width, 160);
    EXPECT_EQ(item.height, 120);
    EXPECT_DOUBLE_EQ(item.frameRate, 25.0);
    EXPECT_TRUE(item.audioSampleRates.empty());
}

std::vector<EngineReport> CollectUntilFinished(EngineReportQueue& queue) {
    std::vector<EngineReport> reports;
    for (;;) {
        auto report = queue.Pop(60'000);
        if (!report) {
            ADD_FAILURE() << "no finished report within a minute";
            return reports;
        }
        reports.push_back(std::move(*report));
        if (reports.back().message == WM_ENGINE_FINISHED) return reports;
    }
}

std::string ConversionLine(const fs::path& in, const fs::path& out) {
    // -re reads at the clip's own pace and -stats_period makes progress lines frequent, so a
    // short clip yields a series of reports.
    return platform::QuoteProgramName(Ferrox()) + " -re -i " + QuoteArgument(in.string()) +
           " -stats_period 0.1 -c:v mpeg4 -c:a mp2 -y " + QuoteArgument(out.string());
}

TEST(EngineConversion, ReportsRisingProgressThenOneFinishedReport) {
    TempDir dir;
    const fs::path clip = dir / "clip.mp4";
    ASSERT_TRUE(test::MakeClip(clip, 2.0));
    SourceItem item;
    ASSERT_TRUE(Probe(clip, item));
    ASSERT_EQ(item.durationSeconds, 2u);

    EngineReportQueue queue;
    const fs::path out = dir / "out put.avi";
    ASSERT_TRUE(LaunchEngine(ConversionLine(clip, out), &item, false, platform::kNormalPriorityClass, &queue));
    EXPECT_TRUE(item.process.Valid());
    EXPECT_TRUE(item.outputPipe.Valid());

    const std::vector<EngineReport> reports = CollectUntilFinished(queue);
    ASSERT_GE(reports.size(), 4u);
    int64_t lastElapsed = -1;
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].message, WM_ENGINE_PROGRESS);
        EXPECT_EQ(reports[i].source, &item);
        EXPECT_GE(reports[i].elapsedMs, lastElapsed);
        EXPECT_GE(reports[i].percent, 0);
        EXPECT_LE(reports[i].percent, 100);
        lastElapsed = reports[i].elapsedMs;
    }
    EXPECT_LT(reports.front().percent, reports[reports.size() - 2].percent);
    EXPECT_EQ(reports[reports.size() - 2].percent, 100);  // the summary line reaches the end

    const EngineReport& finished = reports.back();
    EXPECT_EQ(finished.source, &item);
    // The process had ended and its output was read to the end: ffmpeg's closing summary.
    EXPECT_TRUE(item.process.HasEnded());
    EXPECT_EQ(item.process.ExitCode(), 0);
    EXPECT_EQ(finished.lastLine.rfind("video:", 0), 0u) << finished.lastLine;
    EXPECT_GT(fs::file_size(out), 0u);
    EXPECT_FALSE(queue.Pop(300).has_value());  // nothing follows the finished report
}

TEST(EngineConversion, FailureCarriesTheEnginesLastLineAndUnknownDurationGivesMinusOne) {
    TempDir dir;
    const fs::path clip = dir / "clip.mp4";
    ASSERT_TRUE(test::MakeClip(clip, 1.0));
    SourceItem item;  // durationSeconds stays 0
    EngineReportQueue queue;
    const fs::path out = dir / "missing folder" / "out.avi";
    ASSERT_TRUE(LaunchEngine(ConversionLine(clip, out), &item, false, platform::kNormalPriorityClass, &queue));
    const std::vector<EngineReport> reports = CollectUntilFinished(queue);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().lastLine, out.string() + ": No such file or directory");
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) EXPECT_EQ(reports[i].percent, -1);
    EXPECT_NE(item.process.ExitCode(), 0);

    // The same clip converted with no known duration: every report says -1.
    EngineReportQueue second;
    SourceItem unknown;
    ASSERT_TRUE(
        LaunchEngine(ConversionLine(clip, dir / "ok.avi"), &unknown, false, platform::kNormalPriorityClass, &second));
    const std::vector<EngineReport> progress = CollectUntilFinished(second);
    ASSERT_GE(progress.size(), 2u);
    for (std::size_t i = 0; i + 1 < progress.size(); ++i) {
        EXPECT_EQ(progress[i].percent, -1);
    }
    EXPECT_GT(progress[progress.size() - 2].elapsedMs, 900);
}

TEST(EngineConversion, CancelEndsTheEngineAndStillSendsTheFinishedReport) {
    TempDir dir;
    const fs::path clip = dir / "clip.mp4";
    ASSERT_TRUE(test::MakeClip(clip, 20.0, 1, 2, 64, 48, 10));
    SourceItem item;
    item.durationSeconds = 20;
    EngineReportQueue queue;
    ASSERT_TRUE(
        LaunchEngine(ConversionLine(clip, dir / "out.avi"), &item, false, platform::kIdlePriorityClass, &queue));
    auto first = queue.Pop(30'000);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, WM_ENGINE_PROGRESS);
    item.process.Terminate();
    const std::vector<EngineReport> rest = CollectUntilFinished(queue);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest.back().message, WM_ENGINE_FINISHED);
    EXPECT_LT(rest.size() + 1, 150u);  // it did not run to the end
}

}  // namespace
}  // namespace quillon::engine
