#include "engine/engine_command_line.h"
#include "engine/theora_command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "formats/output_format.h"
#include "platform/process.h"

namespace quillon::engine {
namespace {

struct AudioStream {
    uint32_t channels;
    uint32_t rate;
};

SourceItem MakeSource(int width, int height, double fps, uint32_t seconds,
                      std::vector<AudioStream> audio = {{2, 44100}}) {
    SourceItem s;
    s.path = "/m/clip.avi";
    s.extension = "avi";
    s.outputPath = "/o/clip.out";
    s.videoStreamId = width > 0 ? "0:0" : "";
    s.width = width;
    s.height = height;
    s.frameRate = fps;
    s.durationSeconds = seconds;
    for (std::size_t i = 0; i < audio.size(); ++i) {
        s.audioStreamIds.push_back("0:" + std::to_string(i + (width > 0 ? 1 : 0)));
        s.audioChannels.push_back(audio[i].channels);
        s.audioSampleRates.push_back(audio[i].rate);
        s.audioBitRates.push_back(128);
    }
    return s;
}

struct CommandLineTest : ::testing::Test {
    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;  // the defaults: tags kept, crop margins follow
    SourceItem source = MakeSource(320, 240, 25, 10);

    CommandLineTest() { formats::BuildCatalogue(catalogue); }

    formats::OutputFormat& Format(int id) {
        formats::OutputFormat* f = formats::FindFormat(catalogue, id);
        EXPECT_NE(f, nullptr) << id;
        return *f;
    }
    std::string Line(int id) { return BuildEngineCommandLine(Format(id), source, settings, "/opt/q/ferrox"); }
    // The part between the input and the output.
    std::string Middle(int id) {
        const std::string line = Line(id);
        const std::size_t from = line.find(" -dn -sn ") + 9;
        return line.substr(from, line.rfind("-y \"") - from);
    }
    std::string Theora(int id) { return BuildTheoraCommandLine(Format(id), source, settings, "/opt/q/tavrel"); }
};

TEST_F(CommandLineTest, DefaultFormatsGiveTheirExactLines) {
    source.outputPath = "/o/clip.mp4";
    EXPECT_EQ(Line(110),
              "\"/opt/q/ferrox\" -i \"/m/clip.avi\" -dn -sn -movflags faststart -c:v mpeg4 -s 320x240 -aspect 320:240 "
              "-q:v 5 -r 25.000 -c:a aac -strict -2 -cutoff 21000 -ar 44100 -ac 2 -b:a 128000 -y \"/o/clip.mp4\"");
    EXPECT_EQ(Middle(80),
              "-movflags faststart -c:v libx264 -preset medium -s 320x240 -aspect 320:240 -crf 26 -r 25.000 "
              "-c:a aac -strict -2 -cutoff 21000 -ar 44100 -ac 2 -b:a 128000 ");
    EXPECT_EQ(Middle(82).rfind("-movflags faststart -c:v libx265 -preset fast -s 320x240 ", 0), 0u);
    EXPECT_EQ(Middle(50),
              "-c:v mpeg4 -vtag divx -s 320x240 -aspect 320:240 -q:v 5 -r 25.000 -c:a libmp3lame -ar 44100 "
              "-ac 2 -b:a 128000 ");
    // Fixed-size codecs are always padded to a listed size; 352x288 from 4:3 leaves 12-pixel bands.
    EXPECT_EQ(Middle(20),
              "-movflags faststart -c:v h263 -vf \"scale=352:264,pad=352:288:0:12\" -aspect 352:288 "
              "-q:v 5 -r 15.000 -c:a libopencore_amrnb -ar 8000 -ac 1 -b:a 12200 ");
    // The automatic VP8 rate (no quality mode by default): 320 x 2.4 = 768, halved.
    EXPECT_EQ(Middle(195),
              "-f webm -c:v libvpx -s 320x240 -aspect 320:240 -b:v 384k -r 25.000 -c:a libvorbis -ar 44100 "
              "-ac 2 -b:a 128000 ");
    source.extension = "264";
    EXPECT_EQ(Line(130).rfind("\"/opt/q/ferrox\" -f h264 -i \"/m/clip.avi\" -dn -sn ", 0), 0u);
}

TEST_F(CommandLineTest, DiscAndCamcorderTargetsFollowTheHeight) {
    EXPECT_EQ(Middle(60),
              "-c:v dvvideo -target ntsc-dv -vf \"scale=640:480,pad=720:480:40:0\" -aspect 720:480 "
              "-r 29.970 -c:a pcm_s16le -ar 48000 -ac 2 ");
    Format(60).VideoHeight = 576;
    EXPECT_EQ(Middle(60),
              "-c:v dvvideo -target pal-dv -vf \"scale=720:540,pad=720:576:0:18\" -aspect 720:576 "
              "-r 29.970 -c:a pcm_s16le -ar 48000 -ac 2 ");
    // Any other height falls back to NTSC, and the width is forced.
    Format(65).VideoWidth = 640;
    Format(65).VideoHeight = 360;
    EXPECT_NE(Middle(65).find("-target ntsc-dvd "), std::string::npos);
    EXPECT_EQ(Format(65).VideoWidth, 720);
    EXPECT_EQ(Format(65).VideoHeight, 480);
    Format(65).VideoHeight = 576;
    EXPECT_NE(Middle(65).find("-target pal-dvd "), std::string::npos);

    Format(180).VideoHeight = 288;
    Format(180).AddPadding = 0;  // the fixed-size list pads anyway
    EXPECT_EQ(Middle(180),
              "-f vcd -c:v mpeg1video -target pal-vcd -vf \"scale=352:264,pad=352:288:0:12\" "
              "-aspect 352:288 -b:v 1150000 -r 29.970 -c:a mp2 -ar 44100 -ac 2 -b:a 224000 ");
    Format(180).VideoHeight = 100;
    EXPECT_NE(Middle(180).find("-target ntsc-vcd "), std::string::npos);
    EXPECT_EQ(Format(180).VideoHeight, 240);
}

TEST_F(CommandLineTest, KeepAspectPadsOrShrinksBothWays) {
    formats::OutputFormat& h264 = Format(80);
    h264.VideoVBREnabled = 0;
    h264.VideoWidth = 1920;
    h264.VideoHeight = 1080;
    source = MakeSource(640, 480, 25, 10);
    h264.AddPadding = 1;
    EXPECT_NE(Middle(80).find("-movflags faststart -c:v libx264 -preset medium -vf \"scale=1440:1080,"
                              "pad=1920:1080:240:0\" -aspect 1920:1080 -b:v 1728k -r 25.000 -c:a aac "),
              std::string::npos);
    h264.AddPadding = 0;
    EXPECT_NE(Middle(80).find("-preset medium -s 1440x1080 -aspect 1440:1080 -b:v 1728k "), std::string::npos);

    // A wide source in a 4:3 frame: the height shrinks instead.
    source = MakeSource(1280, 720, 25, 10);
    h264.VideoWidth = 640;
    h264.VideoHeight = 480;
    EXPECT_NE(Middle(80).find("-s 640x360 -aspect 640:360 -b:v 768k "), std::string::npos);
    h264.AddPadding = 1;
    EXPECT_NE(Middle(80).find("-vf \"scale=640:360,pad=640:480:0:60\" -aspect 640:480 "), std::string::npos);

    // Same size as the source: the display aspect ratio corrects the width (2 pixels or more).
    h264.VideoWidth = h264.VideoHeight = 0;
    source = MakeSource(720, 576, 25, 10);
    source.displayAspectRatio = 16.0 / 9;
    EXPECT_NE(Middle(80).find("-s 1024x576 -aspect 1024:576 "), std::string::npos);
    source.displayAspectRatio = 720.5 / 576;
    EXPECT_NE(Middle(80).find("-s 720x576 -aspect 720:576 "), std::string::npos);
    // A typed aspect wins over the computed one.
    h264.AddPadding = 0;
    h264.VideoAspect = "16:9";
    EXPECT_NE(Middle(80).find("-s 1024x576 -aspect 16:9 "), std::string::npos);
}

TEST_F(CommandLineTest, CropRotateAndTheirOrderInTheFilter) {
    settings.CropPictures = 1;
    settings.CropLeft = 10;
    settings.CropRight = 99;  // follows the left margin
    settings.CropTop = 4;
    settings.CropSameAsTop = 0;
    settings.CropBottom = 6;
    EXPECT_EQ(Middle(110).rfind("-movflags faststart -c:v mpeg4 -vf \"crop=in_w-20:in_h-10:10:4\" -aspect 300:230 "
                                "-q:v 5 ",
                                0),
              0u);
    EXPECT_EQ(settings.CropRight, 10);

    settings.CropPictures = 0;
    const char* expected[] = {"", "transpose=1", "transpose=3", "transpose=2", "transpose=0", "hflip", "vflip"};
    for (int r = 1; r <= 6; ++r) {
        settings.RotateFlip = r;
        const std::string aspect = r <= 4 ? "240:320" : "320:240";
        EXPECT_NE(Middle(110).find(std::string("-vf \"") + expected[r] + "\" -aspect " + aspect + " "),
                  std::string::npos)
            << r;
    }

    // Scale first, then pad, crop and rotation.
    settings.CropPictures = 1;
    settings.RotateFlip = 1;
    Format(110).VideoWidth = 640;
    Format(110).VideoHeight = 480;
    Format(110).AddPadding = 1;
    source = MakeSource(1280, 720, 25, 10);
    EXPECT_NE(Middle(110).find("-vf \"scale=640:360,pad=640:480:0:60,crop=in_w-20:in_h-10:10:4,transpose=1\" "
                               "-aspect 470:620 "),
              std::string::npos);
}

TEST_F(CommandLineTest, ImageSequencesNameTheirNumberedFiles) {
    source.outputPath = "/o/name.jpg";
    EXPECT_EQ(Line(710),
              "\"/opt/q/ferrox\" -i \"/m/clip.avi\" -dn -sn -f image2 -c:v mjpeg -s 320x240 -aspect 320:240 "
              "-q:v 2 -r 25.000 -an -y \"/o/name_%03d.jpg\"");
    EXPECT_EQ(source.outputPath, "/o/name_001.jpg");

    // A frame rate of its own becomes a filter; 10 s at 2 fps are 20 frames.
    Format(790).VideoFrameRate = 2;
    source.outputPath = "/o.d/name";
    EXPECT_EQ(Middle(790), "-f image2 -pix_fmt rgb24 -c:v tiff -vf \"fps=fps=2.000\" -aspect 320:240 -an ");
    EXPECT_EQ(source.outputPath, "/o.d/name_01");

    // A "%" of the path is a plain character for the image writer too.
    source.outputPath = "/o/100%/name.png";
    EXPECT_NE(Line(755).find("-y \"/o/100%%/name_%03d.png\""), std::string::npos);
    EXPECT_EQ(source.outputPath, "/o/100%/name_001.png");

    source.durationSeconds = 0;
    source.outputPath = "/o/name.png";
    EXPECT_NE(Line(755).find("-y \"/o/name_%d.png\""), std::string::npos);
    EXPECT_EQ(source.outputPath, "/o/name_1.png");
}

TEST_F(CommandLineTest, TimeRanges) {
    settings.EnableSkipLength = 1;
    settings.SkipLength = 1500;
    settings.EnableIgnoreTheLast = 1;
    settings.IgnoreLength = 2000;
    EXPECT_NE(Line(110).find("-ss 00:00:01.500 -t 00:00:06.500 -y"), std::string::npos);
    settings.IgnoreLength = 9000;
    EXPECT_NE(Line(110).find("-ss 00:00:01.500 -t 0 -y"), std::string::npos);
    settings.SkipLength = 2000;
    settings.EnableConvertLength = 1;
    settings.ConvertLength = 3723004;  // the length wins over the ignored end
    EXPECT_NE(Line(110).find("-ss 2 -t 01:02:03.004 -y"), std::string::npos);
    settings.EnableSkipLength = 0;
    settings.ConvertLength = 30000;
    EXPECT_NE(Line(110).find("-b:a 128000 -t 30 -y"), std::string::npos);

    // The encoder counts whole seconds and writes an end time, not a length.
    source.durationSeconds = 90;
    settings.EnableSkipLength = 1;
    settings.SkipLength = 10000;
    EXPECT_NE(Theora(135).find("--nosubtitles -s 10 -e 40 -x"), std::string::npos);
    settings.SkipLength = 500;
    EXPECT_NE(Theora(135).find("--nosubtitles -s 0 -e 30 -x"), std::string::npos);
    settings.EnableConvertLength = 0;
    settings.EnableSkipLength = 0;
    settings.IgnoreLength = 30000;
    source.durationSeconds = 20;
    EXPECT_NE(Theora(135).find("--nosubtitles -s 1 -e 1 -x"), std::string::npos);
    settings.EnableSkipLength = 1;  // a written "-s 0" is a start already
    EXPECT_NE(Theora(135).find("--nosubtitles -s 0 -e 0 -x"), std::string::npos);
}

TEST(ConvertedLength, FollowsFromLengthAndIgnoreLast) {
    formats::ConversionSettings s;
    EXPECT_EQ(ConvertedLengthMs(s, 100), 100'000);
    EXPECT_EQ(ConvertedLengthMs(s, 0), 0);
    s.SkipLength = 40'000;
    EXPECT_EQ(ConvertedLengthMs(s, 100), 100'000);  // not enabled
    s.EnableSkipLength = 1;
    EXPECT_EQ(ConvertedLengthMs(s, 100), 60'000);
    EXPECT_EQ(ConvertedLengthMs(s, 30), 0);  // starts past the end
    s.EnableConvertLength = 1;
    s.ConvertLength = 20'000;
    EXPECT_EQ(ConvertedLengthMs(s, 100), 20'000);
    EXPECT_EQ(ConvertedLengthMs(s, 50), 10'000);  // the source ends first
    EXPECT_EQ(ConvertedLengthMs(s, 0), 20'000);   // unknown length: the Length
    s.EnableConvertLength = 0;
    s.EnableIgnoreTheLast = 1;
    s.IgnoreLength = 15'000;
    EXPECT_EQ(ConvertedLengthMs(s, 100), 45'000);
    EXPECT_EQ(ConvertedLengthMs(s, 50), 0);
    s.EnableSkipLength = 0;
    EXPECT_EQ(ConvertedLengthMs(s, 4'000'000'000u), 3'999'999'985'000LL);
}

TEST_F(CommandLineTest, AudioStreamsAndCodecOptions) {
    source = MakeSource(320, 240, 25, 10, {{2, 44100}, {6, 48000}});
    source.selectedAudioStream = 1;
    EXPECT_EQ(Middle(110),
              "-movflags faststart -map 0:0 -c:v mpeg4 -s 320x240 -aspect 320:240 -q:v 5 -r 25.000 "
              "-map 0:2 -c:a aac -strict -2 -cutoff 21000 -ar 48000 -ac 6 -b:a 512000 ");
    EXPECT_NE(Theora(135).find("--audiostream 2 "), std::string::npos);
    source.selectedAudioStream = 7;  // stale: the first stream rather than a read past the end
    EXPECT_NE(Middle(110).find("-map 0:1 -c:a aac -strict -2 -cutoff 21000 -ar 44100 -ac 2 "), std::string::npos);

    source = MakeSource(0, 0, -1, 10, {{2, 44100}});
    formats::OutputFormat& wav = Format(1200);
    wav.AudioCodec = "g726";
    wav.AudioBitRate = 4;
    EXPECT_EQ(Middle(1200), "-vn -c:a g726 -ar 8000 -ac 1 -b:a 32000 ");
    EXPECT_EQ(Middle(1090), "-vn -c:a flac -ar 44100 -ac 2 -compression_level 5 ");
    Format(1220).AudioCompressionLevel = 9;  // nearest offered level
    EXPECT_EQ(Middle(1220), "-vn -c:a wavpack -ar 44100 -ac 2 -compression_level 4 ");
    Format(1010).AudioVolume = 50;
    EXPECT_EQ(Middle(1010),
              "-f adts -vn -c:a aac -strict -2 -cutoff 21000 -write_apetag 1 -ar 44100 -ac 2 "
              "-b:a 128000 -vol 128 ");
    EXPECT_EQ(Middle(1040), "-vn -c:a pcm_s16be -write_id3v2 1 -id3v2_version 3 -ar 44100 -ac 2 ");
    EXPECT_EQ(Middle(1085), "-vn -c:a dca -ar 44100 -ac 2 -strict -2 ");
    Format(1180).AudioVBREnabled = 1;
    EXPECT_EQ(Middle(1180), "-vn -c:a libvorbis -ar 44100 -ac 2 -q:a 5 ");

    // MP3 keeps the cover picture with the tags, and drops both without them.
    EXPECT_EQ(Middle(1160), "-c:v mjpeg -q:v 2 -c:a libmp3lame -id3v2_version 3 -ar 44100 -ac 2 -b:a 128000 ");
    settings.KeepID3Tag = 0;
    settings.FixAudioUnsync = 1;
    EXPECT_EQ(Middle(1160),
              "-vn -c:a libmp3lame -id3v2_version 3 -ar 44100 -ac 2 -b:a 128000 -async 1 "
              "-map_metadata -1 ");

    // No audio stream, or a codec the format does not offer: no audio at all.
    source.audioSampleRates.clear();
    EXPECT_EQ(Middle(1150), "-vn -an -map_metadata -1 ");
    source = MakeSource(320, 240, 25, 10);
    Format(110).AudioCodec = "libvorbis";
    Format(110).VideoCodec = "nonesuch";
    EXPECT_EQ(Middle(110), "-movflags faststart -vn -an -map_metadata -1 ");
}

TEST_F(CommandLineTest, QualityAndBitRateChoices) {
    formats::OutputFormat& mkv = Format(90);
    source = MakeSource(1280, 720, -1, 10);
    mkv.VideoVBREnabled = 0;
    EXPECT_NE(Middle(90).find("-b:v 1536k -r 30 "), std::string::npos);  // 1280/720 < 1.8
    mkv.VideoCodec = "mpeg4";
    source = MakeSource(1920, 800, 30, 10);
    EXPECT_NE(Middle(90).find("-b:v 3840k -r 30.000 "), std::string::npos);
    mkv.VideoBitRate = 2000000;
    EXPECT_NE(Middle(90).find("-b:v 2000000 "), std::string::npos);
    mkv.VideoVBREnabled = 1;
    mkv.VideoVBRQuality = 40;
    mkv.VideoCodec = "libvpx-vp9";
    EXPECT_NE(Middle(90).find("-c:v libvpx-vp9 -s 1920x800 -aspect 1920:800 -qmin 40 -qmax 40 "), std::string::npos);
    mkv.VideoCodec = "huffyuv";  // neither a quality scale nor bit rates
    EXPECT_NE(Middle(90).find("-aspect 1920:800 -r 30.000 "), std::string::npos);
    Format(100).VideoCodec = "prores_ks";
    EXPECT_NE(Middle(100).find("-c:v prores_ks -profile:v 3 "), std::string::npos);
    Format(100).VideoCodec = "h264bp";
    EXPECT_NE(Middle(100).find("-c:v libx264 -profile:v baseline -preset medium "), std::string::npos);
    settings.VideoDeinterlace = 1;
    EXPECT_NE(Middle(100).find("-aspect 1920:800 -deinterlace -crf 26 "), std::string::npos);
    source.kind = SourceKind::ConcatList;
    EXPECT_EQ(Line(100).find("-deinterlace"), std::string::npos);
    EXPECT_EQ(Line(100).rfind("\"/opt/q/ferrox\" -f concat -i \"/m/clip.avi\" -dn -sn ", 0), 0u);
}

TEST_F(CommandLineTest, HostilePathsSplitBackExactly) {
    source.path = "/m/say \"hi\" \\\"x\\.avi";
    source.outputPath = "/o/end in backslash\\";
    source.needsPreparation = true;
    source.prepared = true;
    source.preparedPath = "/tmp/prep \\\\\".wav";
    Format(110).VideoAspect = "4 : 3";  // typed text stays one argument
    const std::string line = Line(110);
    const auto args = platform::SplitCommandLine(line);
    ASSERT_GE(args.size(), 4u);
    EXPECT_EQ(args[0], "/opt/q/ferrox");
    EXPECT_EQ(args[2], "/tmp/prep \\\\\".wav");
    EXPECT_EQ(args.back(), "/o/end in backslash\\");
    EXPECT_NE(std::find(args.begin(), args.end(), "4 : 3"), args.end()) << line;

    source.outputPath = "/o/clip \"1\".ogv";
    const auto theora = platform::SplitCommandLine(Theora(155));
    EXPECT_EQ(theora[theora.size() - 2], "/o/clip \"1\".ogv");
    EXPECT_EQ(theora.back(), "/tmp/prep \\\\\".wav");
}

TEST_F(CommandLineTest, TheoraLines) {
    source.outputPath = "/o/clip.ogv";
    EXPECT_EQ(Theora(155),
              "\"/opt/q/tavrel\" --frontend --nosubtitles -x 320 -y 240 -v 6 -o \"/o/clip.ogv\" "
              "\"/m/clip.avi\"");
    formats::OutputFormat& ogg = Format(135);
    ogg.VideoVBRQuality = 0;
    ogg.VideoWidth = 640;
    ogg.VideoHeight = 480;
    ogg.VideoAspect = "4:3";
    ogg.VideoFrameRate = 29.97;
    ogg.AudioSampleRate = 22000;
    ogg.AudioChannels = 9;
    ogg.AudioBitRate = 112000;
    settings.CropPictures = 1;
    settings.CropLeft = 8;
    settings.CropTop = 2;
    settings.VideoDeinterlace = 1;
    settings.FixAudioUnsync = 1;
    settings.KeepID3Tag = 0;
    EXPECT_EQ(Theora(135),
              "\"/opt/q/tavrel\" --frontend --nosubtitles -x 640 -y 480 --cropleft 8 --cropright 8 "
              "--croptop 2 --cropbottom 2 --deinterlace --aspect 4:3 -v 1 -F 29.970 -H 22050 -c 8 "
              "-A 112 --nosync --nometadata -o \"/o/clip.ogv\" \"/m/clip.avi\"");
    EXPECT_EQ(ogg.VideoVBRQuality, 1);
    ogg.VideoVBRQuality = 12;
    ogg.AudioVBREnabled = 1;
    ogg.VideoEnable = 0;
    source.width = source.height = 0;
    EXPECT_EQ(Theora(135),
              "\"/opt/q/tavrel\" --frontend --nosubtitles --novideo -H 22050 -c 8 -a 5 --nosync "
              "--nometadata -o \"/o/clip.ogv\" \"/m/clip.avi\"");
    ogg.VideoEnable = 1;
    ogg.VideoWidth = 0;
    EXPECT_EQ(Theora(135).find(" -x "), std::string::npos);  // no size known anywhere
    EXPECT_NE(Theora(135).find("-v 10 "), std::string::npos);
}

TEST_F(CommandLineTest, AbsurdStoredValuesStillGiveALine) {
    formats::OutputFormat& mp4 = Format(110);
    mp4.VideoVBREnabled = 0;
    mp4.VideoAspect = "0.0000001";
    mp4.VideoWidth = 2147483647;
    mp4.VideoHeight = 2147483647;
    mp4.AudioVolume = 2147483647;
    settings.CropPictures = 1;
    settings.CropLeft = settings.CropTop = 2147483646;
    source.durationSeconds = 4000000000u;
    source.frameRate = 1e300;
    EXPECT_NE(Line(110).find("-vol 2147483647 "), std::string::npos);
    Format(710).VideoFrameRate = 1e300;
    EXPECT_NE(Line(710).find("_%010d"), std::string::npos);
}

TEST_F(CommandLineTest, NumbersAreWrittenWholeAndNeverRunIntoTheNextOption) {
    // Each argument after "-r" must read back as the rate, with "-c:a" its own argument.
    auto rateArguments = [&](double formatRate, double sourceRate) {
        Format(110).VideoFrameRate = formatRate;
        source.frameRate = sourceRate;
        const std::vector<std::string> args = platform::SplitCommandLine(Line(110));
        const auto r = std::find(args.begin(), args.end(), "-r");
        EXPECT_NE(r, args.end());
        EXPECT_TRUE(r != args.end() && r + 2 < args.end() && r[2] == "-c:a");
        return r != args.end() && r + 1 < args.end() ? r[1] : std::string();
    };
    const std::string huge = rateArguments(2.02e301, 25);
    EXPECT_GT(huge.size(), 300u);
    EXPECT_EQ(huge.substr(huge.size() - 4), ".000");
    EXPECT_DOUBLE_EQ(std::strtod(huge.c_str(), nullptr), 2.02e301);
    // No rate the engine could read: the source's; none there either: 30.
    EXPECT_EQ(rateArguments(std::numeric_limits<double>::infinity(), 25), "25.000");
    EXPECT_EQ(rateArguments(std::nan(""), 25), "25.000");
    EXPECT_EQ(rateArguments(-1, std::numeric_limits<double>::infinity()), "30");
    EXPECT_EQ(rateArguments(-1, std::nan("")), "30");
    EXPECT_EQ(rateArguments(-1, 1.7976931348623157e308).size(), 313u);

    Format(135).VideoFrameRate = 1.7976931348623157e308;
    const std::vector<std::string> theora = platform::SplitCommandLine(Theora(135));
    const auto f = std::find(theora.begin(), theora.end(), "-F");
    ASSERT_TRUE(f != theora.end() && f + 2 < theora.end());
    EXPECT_DOUBLE_EQ(std::strtod(f[1].c_str(), nullptr), 1.7976931348623157e308);
    EXPECT_EQ(f[2].substr(0, 1), "-");
    Format(135).VideoFrameRate = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Theora(135).find("-F "), std::string::npos);
}

TEST(CommandLineHelpers, ValuesAndLists) {
    EXPECT_DOUBLE_EQ(ParseAspectText("16:9"), 16.0 / 9);
    EXPECT_DOUBLE_EQ(ParseAspectText("1.85"), 1.85);
    EXPECT_DOUBLE_EQ(ParseAspectText(""), -1);
    EXPECT_DOUBLE_EQ(ParseAspectText("0:9"), -1);
    EXPECT_DOUBLE_EQ(ParseAspectText("None"), 0);

    EXPECT_EQ(FitChannels(6, 0x03), 2);
    EXPECT_EQ(FitChannels(12, 0xFF), 8);
    EXPECT_EQ(FitChannels(2, 0x01), 1);
    EXPECT_EQ(FitChannels(1, 0x02), 2);  // nothing allowed at or below: stereo
    EXPECT_EQ(FitChannels(0, 0x01), 0);

    EXPECT_EQ(DefaultAudioBitRate(8000, 1), 24000);
    EXPECT_EQ(DefaultAudioBitRate(16000, 2), 56000);
    EXPECT_EQ(DefaultAudioBitRate(44100, 0), 128000);
    EXPECT_EQ(DefaultAudioBitRate(48000, 6), 576000);
    EXPECT_EQ(DefaultAudioBitRate(22050, 3), 96000);

    EXPECT_EQ(FormatTimeOption(0), "0");
    EXPECT_EQ(FormatTimeOption(90061001), "25:01:01.001");
    EXPECT_EQ(DecimalDigits(0), 1);
    EXPECT_EQ(DecimalDigits(250), 3);
    EXPECT_EQ(MapInputFormat("alw"), "alaw -ar 8k -ac 1");
    EXPECT_EQ(MapInputFormat("mp4"), "");
}

}  // namespace
}  // namespace quillon::engine
