#include <gtest/gtest.h>

#include <filesystem>

#include "engine/convert_to_one.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::engine {
namespace {

SourceItem Source(int w, int h, double fps, uint32_t rate, uint32_t channels) {
    SourceItem s;
    s.width = w;
    s.height = h;
    s.frameRate = fps;
    if (rate) {
        s.audioSampleRates = {rate};
        s.audioChannels = {channels};
        s.audioBitRates = {128};
    }
    return s;
}

TEST(BuildNormalizationFormat, TakesTheLargestOfEverySourceUnlessTheFinalFormatFixesIt) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    const formats::OutputFormat* ts = formats::FindFormat(catalogue, 170);
    formats::OutputFormat final = *formats::FindFormat(catalogue, 110);
    final.VideoWidth = final.VideoHeight = 0;
    final.AudioSampleRate = final.AudioChannels = 0;
    final.VideoFrameRate = -1.0;
    SourceItem small = Source(640, 480, 25, 22050, 1);
    SourceItem large = Source(1280, 720, 30, 48000, 2);
    SourceItem silent = Source(320, 240, 50, 0, 0);
    // The selected stream decides; an index out of range means stream 0.
    large.audioSampleRates.push_back(96000);
    large.audioChannels.push_back(6);
    large.selectedAudioStream = 0;
    small.selectedAudioStream = 7;

    formats::OutputFormat n = BuildNormalizationFormat({&small, &large, &silent}, final, ts);
    EXPECT_EQ(n.FormatId, 170);
    EXPECT_EQ(n.Extension, "ts");
    EXPECT_EQ(n.VideoCodecs, ts->VideoCodecs);
    EXPECT_EQ(n.VideoCodec, "mpeg4");
    EXPECT_EQ(n.VideoWidth, 1280);
    EXPECT_EQ(n.VideoHeight, 720);
    EXPECT_EQ(n.VideoKeepAspect, 1);
    EXPECT_EQ(n.AddPadding, 1);
    EXPECT_EQ(n.VideoVBREnabled, 1);
    EXPECT_EQ(n.VideoVBRQuality, 2);
    EXPECT_DOUBLE_EQ(n.VideoFrameRate, 50);
    EXPECT_EQ(n.AudioCodec, "ac3");
    EXPECT_EQ(n.AudioSampleRate, 48000);
    EXPECT_EQ(n.AudioChannels, 2);
    EXPECT_EQ(n.AudioBitRate, 192000 * 3 / 2);

    final.VideoWidth = 320;
    final.VideoHeight = 180;
    final.AudioChannels = 1;
    final.AudioSampleRate = 44100;
    n = BuildNormalizationFormat({&small, &large}, final, ts);
    EXPECT_EQ(n.VideoWidth, 320);
    EXPECT_EQ(n.AudioBitRate, 96000 * 3 / 2);

    // Audio-only sources with an audio target: no video at all.
    SourceItem a = Source(0, 0, -1, 8000, 1);
    n = BuildNormalizationFormat({&a}, final, ts);
    EXPECT_EQ(n.VideoEnable, 0);
    EXPECT_TRUE(n.VideoCodec.empty());
    EXPECT_EQ(n.AudioEnable, 1);
}

TEST(ConcatList, QuotesAreEscapedAndEmptyInputsSkipped) {
    EXPECT_EQ(ConcatListLine("/in/a.mp4"), "file '/in/a.mp4'\n");
    EXPECT_EQ(ConcatListLine("/in/it's 'x'.mp4"), "file '/in/it'\\''s '\\''x'\\''.mp4'\n");
    EXPECT_EQ(ConcatListLine("/in/Ünïcode ☃.mp4"), "file '/in/Ünïcode ☃.mp4'\n");

    test::TempDir dir;
    const std::string list = WriteConcatListFile({"/a.ts", "", "/b.ts"}, dir.path().string() + "/");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(test::ReadFile(list), "file '/a.ts'\nfile '/b.ts'\n");
    EXPECT_EQ(util::LowerExtension(list), "txt");
    EXPECT_TRUE(WriteConcatListFile({"", ""}, dir.path().string() + "/").empty());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u);  // the empty list left nothing behind
}

}  // namespace
}  // namespace quillon::engine
