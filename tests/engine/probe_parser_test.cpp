#include "engine/probe_parser.h"

#include <gtest/gtest.h>

namespace quillon::engine {
namespace {

TEST(ParseDuration, ReadsWholeSecondsAndStopsAtMissingParts) {
    EXPECT_EQ(ParseDuration("00:01:23.45, start: 0.000000, bitrate: 201 kb/s"), 83u);
    EXPECT_EQ(ParseDuration("01:00:00.99"), 3600u);
    EXPECT_EQ(ParseDuration("N/A, start: 0.000000, bitrate: N/A"), 0u);
    EXPECT_EQ(ParseDuration("02"), 7200u);
    EXPECT_EQ(ParseDuration("00:03, start"), 180u);
    // A colon behind the comma does not belong to the duration.
    EXPECT_EQ(ParseDuration("00, start: 12:34"), 0u);
    EXPECT_EQ(ParseDuration(""), 0u);
    EXPECT_EQ(ParseDuration("99999999:00:00.00"), UINT32_MAX);
}

TEST(ParseVideoStream, ReadsSizeRateAspectAndBitRate) {
    const VideoStreamFacts f = ParseVideoStream(
        " h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709, progressive), 1279x720 [SAR 1:1 DAR 16:9], "
        "1205 kb/s, 29.97 fps, 29.97 tbr, 30k tbn (default)");
    EXPECT_EQ(f.width, 1280);
    EXPECT_EQ(f.height, 720);
    EXPECT_DOUBLE_EQ(f.frameRate, 29.97);
    EXPECT_DOUBLE_EQ(f.displayAspectRatio, 16.0 / 9.0);
    EXPECT_EQ(f.bitRate, 1205);

    const VideoStreamFacts pal =
        ParseVideoStream(" mpeg2video (Main), yuv420p(tv, top first), 720x576 [SAR 16:15 DAR 4:3], 25 fps");
    EXPECT_EQ(pal.width, 720);
    EXPECT_DOUBLE_EQ(pal.displayAspectRatio, 4.0 / 3.0);
    EXPECT_EQ(ParseVideoStream(" theora, yuv420p, 320x240, 4294967 kb/s, 25 fps").bitRate, 0);
}

TEST(ParseVideoStream, UsesTbrOnlyWithoutFpsAndBelowSixtyPointOne) {
    EXPECT_DOUBLE_EQ(ParseVideoStream(" h264, yuv420p, 320x240, 25 tbr, 1200k tbn").frameRate, 25.0);
    EXPECT_DOUBLE_EQ(ParseVideoStream(" h264, yuv420p, 320x240, 60.1 tbr").frameRate, -1.0);
    EXPECT_DOUBLE_EQ(ParseVideoStream(" h264, yuv420p, 320x240, 90 tbr").frameRate, -1.0);
    EXPECT_DOUBLE_EQ(ParseVideoStream(" h264, 24 fps, 50 tbr").frameRate, 24.0);
}

TEST(ParseVideoStream, RejectsTokensThatOnlyLookLikeSizes) {
    const VideoStreamFacts f = ParseVideoStream(" rawvideo, 0x31637661), 12x, x34, 640x480x, 1 kb/s");
    EXPECT_EQ(f.width, 0);
    EXPECT_EQ(f.height, 0);
    EXPECT_EQ(f.bitRate, 1);
    // A DAR token of its own, and one with a zero part that is ignored.
    EXPECT_DOUBLE_EQ(ParseVideoStream(" x, 640x480, DAR 16:9").displayAspectRatio, 16.0 / 9.0);
    EXPECT_DOUBLE_EQ(ParseVideoStream(" x, 640x480 [SAR 0:1 DAR 0:1]").displayAspectRatio, -1.0);
}

TEST(ParseAudioStream, ReadsRateChannelsAndBitRate) {
    struct Case {
        const char* text;
        uint32_t rate, channels, bitRate;
    };
    const Case cases[] = {
        {" ac3, 48000 Hz, 5.1(side), fltp, 384 kb/s", 48000, 6, 384},
        {" aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp, 128 kb/s (default)", 44100, 2, 128},
        {" pcm_s16le ([1][0][0][0] / 0x0001), 8000 Hz, mono, s16, 128 kb/s", 8000, 1, 128},
        {" flac, 96000 Hz, 3 channels, s32 (24 bit)", 96000, 3, 0},
        {" aac, 48000 Hz, 7.1, fltp", 48000, 8, 0},
        {" aac, 48000 Hz, 6.1, fltp", 48000, 7, 0},
        {" aac, 48000 Hz, 5.0(side), fltp", 48000, 5, 0},
        {" aac, 48000 Hz, 4.1, fltp", 48000, 5, 0},
        {" aac, 48000 Hz, 4.0, fltp", 48000, 4, 0},
        {" aac, 48000 Hz, 2.1, fltp", 48000, 3, 0},
        {" aac, 48000 Hz, quad, fltp", 48000, 0, 0},
        // An unset nominal rate (Vorbis) is printed as 4294967 kb/s; no real stream has it.
        {" vorbis, 44100 Hz, stereo, fltp, 4294967 kb/s", 44100, 2, 0},
        {" vorbis, 44100 Hz, stereo, fltp, 99999999999 kb/s", 44100, 2, 0},
        {" flac, 48000 Hz, stereo, s32, 4294966 kb/s", 48000, 2, 4294966},
    };
    for (const Case& c : cases) {
        const AudioStreamFacts f = ParseAudioStream(c.text);
        EXPECT_EQ(f.sampleRate, c.rate) << c.text;
        EXPECT_EQ(f.channels, c.channels) << c.text;
        EXPECT_EQ(f.bitRate, c.bitRate) << c.text;
    }
}

// What ffmpeg prints for an input with a video stream, two audio streams and a subtitle.
constexpr const char* kTwoAudioTracks =
    "ffmpeg version 5.1.9-0+deb12u1 Copyright (c) 2000-2026 the FFmpeg developers\n"
    "Input #0, matroska,webm, from '/media/clip.mkv':\n"
    "  Metadata:\n"
    "    ENCODER         : Lavf59.27.100\n"
    "  Duration: 00:02:10.52, start: 0.000000, bitrate: 2012 kb/s\n"
    "  Stream #0:0(eng): Video: h264 (High), yuv420p(progressive), 1920x1080 [SAR 1:1 DAR 16:9], 25 fps, 25 tbr, 1k "
    "tbn (default)\r\n"
    "    Metadata:\n"
    "      DURATION        : 00:02:10.520000000\n"
    "  Stream #0:1(eng): Audio: aac (LC), 48000 Hz, 5.1, fltp (default)\n"
    "  Stream #0:2(ger): Audio: mp3, 44100 Hz, stereo, fltp, 192 kb/s\n"
    "  Stream #0:3(eng): Subtitle: subrip\n"
    "  Stream #0:4: Video: mjpeg (Baseline), yuvj420p, 600x600, 90k tbr (attached pic)\n"
    "Input #1, mpeg, from '/media/other.mpg':\n"
    "  Duration: 00:00:07.00, start: 0.5, bitrate: 104 kb/s\n"
    "At least one output file must be specified\n";

TEST(ParseProbeOutput, FillsMediaInfoFromTheEnginesDescription) {
    MediaInfo info;
    ASSERT_TRUE(ParseProbeOutput(info, kTwoAudioTracks));
    EXPECT_EQ(info.durationSeconds, 130u);  // the second input's duration does not count
    EXPECT_EQ(info.videoStreamId, "0:0");
    EXPECT_EQ(info.width, 1920);
    EXPECT_EQ(info.height, 1080);
    EXPECT_DOUBLE_EQ(info.frameRate, 25.0);
    EXPECT_EQ(info.audioStreamIds, (std::vector<std::string>{"0:1", "0:2"}));
    EXPECT_EQ(info.audioSampleRates, (std::vector<uint32_t>{48000, 44100}));
    EXPECT_EQ(info.audioChannels, (std::vector<uint32_t>{6, 2}));
    EXPECT_EQ(info.audioBitRates, (std::vector<uint32_t>{0, 192}));
}

TEST(ParseProbeOutput, ReadsSpecifiersUpToTheirFirstOtherCharacter) {
    MediaInfo info;
    ASSERT_TRUE(ParseProbeOutput(info,
                                 "\tStream #0:1[0x1c0]: Audio: mp2, 48000 Hz, stereo, s16p, 224 kb/s\n"
                                 "Stream #12:345:6: Audio: pcm, 8000 Hz, mono\n"
                                 "Stream #0:2: Data: none\n"));
    EXPECT_EQ(info.audioStreamIds, (std::vector<std::string>{"0:1", "12:345"}));
    EXPECT_TRUE(info.videoStreamId.empty());
    EXPECT_DOUBLE_EQ(info.frameRate, -1.0);

    const std::string longId(200, '7');
    ASSERT_TRUE(ParseProbeOutput(info, "Stream #" + longId + ": Audio: pcm, 8000 Hz\n"));
    EXPECT_EQ(info.audioStreamIds.at(0), longId.substr(0, ProbeOutputParser::kMaxSpecifierLength));
}

TEST(ParseProbeOutput, FindsNothingInAnErrorAndStartsFromScratch) {
    MediaInfo info;
    info.audioSampleRates = {44100};
    info.durationSeconds = 9;
    EXPECT_FALSE(ParseProbeOutput(info,
                                  "/media/notes.txt: Invalid data found when processing input\n"
                                  "Stream #0:0: Subtitle: ass\n"));
    EXPECT_TRUE(info.audioSampleRates.empty());
    EXPECT_EQ(info.durationSeconds, 0u);
    // A last line without a line break still counts.
    EXPECT_TRUE(ParseProbeOutput(info, "  Stream #0:0: Video: h264, 320x240"));
    EXPECT_EQ(info.width, 320);
}

}  // namespace
}  // namespace quillon::engine
