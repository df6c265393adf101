// What ferrox does with the codec choices the system's ffmpeg cannot carry out as written.
#include <gtest/gtest.h>

#include "argument_text.h"

#include "adapter_common/ferrox_aifc.h"
#include "adapter_common/ferrox_amr.h"
#include "adapter_common/ferrox_arguments.h"
#include "adapter_common/ferrox_codec_translations.h"
#include "platform/process.h"

namespace quillon::engine {
namespace {

// The arguments after the program name, translated.
std::string Translate(const std::string& line) {
    std::vector<std::string> args = platform::SplitCommandLine("ferrox " + line);
    args.erase(args.begin());
    return Join(TranslateFerroxArguments(args));
}

TEST(FerroxTranslations, CodecChoicesBecomeWorkingEquivalents) {
    EXPECT_EQ(Translate("-i in.mkv -c:v libschroedinger -s 176x144 -q:v 26 -r 25.000 -y out.mkv"),
              "-i in.mkv -c:v vc2 -s 176x144 -r 25.000 -y -b:v 6500k out.mkv");
    EXPECT_EQ(Translate("-i in.mkv -c:v libschroedinger -b:v 900000 -y out.ts"),
              "-i in.mkv -c:v vc2 -b:v 900000 -y out.ts");
    EXPECT_EQ(Translate("-i in -c:v libvpx-vp9 -qmin 40 -qmax 40 -r 30 -y out.webm"),
              "-i in -c:v libvpx-vp9 -r 30 -y -crf 40 -b:v 0 -pix_fmt yuv420p out.webm");
    EXPECT_EQ(Translate("-i in -c:v libvpx -qmin 4 -qmax 40 -y out.webm"),
              "-i in -c:v libvpx -qmin 4 -qmax 40 -y -pix_fmt yuv420p out.webm");
    // DV takes the frame rate (and for NTSC the sampling) of the system its height names.
    EXPECT_EQ(Translate("-i in -c:v dvvideo -vf \"scale=586:480,pad=720:480:68:0\" -r 25.000 -y out.avi"),
              "-i in -c:v dvvideo -vf scale=586:480,pad=720:480:68:0 -r 30000/1001 -y -pix_fmt yuv411p out.avi");
    EXPECT_EQ(Translate("-i in -c:v dvvideo -s 720x576 -r 29.970 -y out.mov"),
              "-i in -c:v dvvideo -s 720x576 -r 25 -y out.mov");
    EXPECT_EQ(Translate("-i in -c:v dvvideo -target ntsc-dv -s 720x576 -r 25.000 -y out.dv"),
              "-i in -c:v dvvideo -target ntsc-dv -s 720x576 -r 30000/1001 -y out.dv");
    EXPECT_EQ(Translate("-i in -c:v dvvideo -target pal-dv -r 29.970 -c:a pcm_s16le -y out.dv"),
              "-i in -c:v dvvideo -target pal-dv -r 25 -c:a pcm_s16le -y -af aresample=async=1:first_pts=0 out.dv");
    EXPECT_EQ(Translate("-i in -c:v dvvideo -target pal-dv -an -y out.dv"),
              "-i in -c:v dvvideo -target pal-dv -an -y -r 25 out.dv");
    EXPECT_EQ(Translate("-i in -c:v libx265 -preset fast -y out.avi"),
              "-i in -c:v libx265 -preset fast -y -tag:v HEVC -pix_fmt yuv420p out.avi");
    EXPECT_EQ(Translate("-i in -f ipod -c:v libx265 -y out.m4v"),
              "-i in -f mp4 -c:v libx265 -y -tag:v hvc1 -pix_fmt yuv420p out.m4v");
    EXPECT_EQ(Translate("-i in -c:v libx265 -y out.mkv"), "-i in -c:v libx265 -y -pix_fmt yuv420p out.mkv");
    EXPECT_EQ(Translate("-f concat -i \"/tmp/list 1.txt\" -dn -c:v mpeg4 -y out.mp4"),
              "-f concat -safe 0 -i /tmp/list 1.txt -dn -c:v mpeg4 -y -pix_fmt yuv420p out.mp4");
    // File names are never taken for options.
    EXPECT_EQ(Translate("-i -qmin -c:v libvpx -y -qmax"), "-i -qmin -c:v libvpx -y -pix_fmt yuv420p -qmax");
}

TEST(FerroxTranslations, ConsumerVideoBecomesEightBit420) {
    // Device presets: a baseline or main profile cannot take a 4:4:4 or 10-bit picture at all.
    EXPECT_EQ(Translate("-i in.mkv -dn -sn -c:v libx264 -profile:v baseline -preset medium -s 320x240 -y o.mp4"),
              "-i in.mkv -dn -sn -c:v libx264 -profile:v baseline -preset medium -s 320x240 -y -pix_fmt yuv420p o.mp4");
    for (const char* codec : {"mpeg4 -vtag divx", "libxvid", "msmpeg4", "h263", "flv", "wmv2", "mpeg1video",
                              "mpeg2video", "libvpx-vp9", "libtheora"}) {
        EXPECT_EQ(Translate(std::string("-i in -c:v ") + codec + " -y o"),
                  std::string("-i in -c:v ") + codec + " -y -pix_fmt yuv420p o")
            << codec;
    }
    // Editing and archiving codecs keep their encoder's choice; an explicit choice stays.
    for (const char* kept : {"-c:v prores_ks -profile:v 3", "-c:v dvvideo", "-c:v mjpeg", "-c:v huffyuv", "-c:v ffv1",
                             "-c:v png", "-c:v gif", "-c:v copy", "-c:v libschroedinger -b:v 9k",
                             "-f image2 -pix_fmt rgb24 -c:v tiff", "-c:v libx264 -pix_fmt yuv444p", "-vn -c:a aac"}) {
        const std::string translated = Translate(std::string("-i in ") + kept + " -y o");
        EXPECT_EQ(translated.find("yuv420p"), std::string::npos) << translated;
    }
    // The source's own options are not the output's.
    EXPECT_EQ(Translate("-pix_fmt yuv444p -i in -c:v h263p -y o"),
              "-pix_fmt yuv444p -i in -c:v h263p -y -pix_fmt yuv420p o");
}

TEST(FerroxTranslations, FixedRateVoiceInputsLoseTheRateOptions) {
    EXPECT_EQ(Translate("-f g722 -ar 7k -ac 1 -i a.722"), "-f g722 -i a.722");
    EXPECT_EQ(Translate("-f g723_1 -ar 8k -ac 1 -i \"/m/a b.g723_1\" -c:a pcm_s16le -ar 8000 -ac 1 -y o.wav"),
              "-f g723_1 -i /m/a b.g723_1 -c:a pcm_s16le -ar 8000 -ac 1 -y o.wav");
    EXPECT_EQ(Translate("-ar 8k -f g729 -ac 1 -i a.729"), "-f g729 -i a.729");
    // Other raw audio takes them; only the voice input of several loses them.
    EXPECT_EQ(Translate("-f mulaw -ar 8k -ac 1 -i a.ulw"), "-f mulaw -ar 8k -ac 1 -i a.ulw");
    EXPECT_EQ(Translate("-f alaw -ar 8k -i a.alw -f g722 -ar 7k -i b.722 -y o.wav"),
              "-f alaw -ar 8k -i a.alw -f g722 -i b.722 -y o.wav");
    // A file named like an option is still a file.
    EXPECT_EQ(Translate("-f g729 -i -ar"), "-f g729 -i -ar");
}

TEST(FerroxTranslations, OffersNoWriterCanHonourAreRefused) {
    EXPECT_NE(UnreadableCombination({"-i", "in", "-c:v", "rv20", "-y", "out.AVI"}), "");
    EXPECT_NE(UnreadableCombination({"-i", "in", "-f", "avi", "-c:v", "rv10", "-y", "out"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-c:v", "rv20", "-y", "out.rm"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-c:v", "mpeg4", "-y", "out.avi"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "x.avi"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-f", "matroska", "-c:v", "rv20", "-y", "out.avi"}), "");

    const std::string h264 = UnreadableCombination(
        {"-i", "in", "-dn", "-sn", "-c:v", "libx264", "-profile:v", "main", "-c:a", "libmp3lame", "-y", "o.swf"});
    EXPECT_NE(h264.find("Motion JPEG"), std::string::npos) << h264;
    const std::string aac = UnreadableCombination({"-i", "in", "-c:v", "flv", "-c:a", "aac", "-y", "/v/O.SWF"});
    EXPECT_NE(aac.find("MP3"), std::string::npos) << aac;
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-c:v", "flv", "-c:a", "libmp3lame", "-y", "o.swf"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-c:v", "mjpeg", "-an", "-y", "o.swf"}), "");
    EXPECT_EQ(UnreadableCombination({"-i", "in", "-vn", "-c:a", "libmp3lame", "-y", "o.swf"}), "");
    // The input's name says nothing about the output.
    EXPECT_EQ(UnreadableCombination({"-i", "in.swf", "-c:v", "libx264", "-y", "o.mp4"}), "");
}

TEST(FerroxTranslations, TheOutputFileOfAConversion) {
    EXPECT_EQ(ConversionOutputFile({"-i", "in.mkv", "-c:v", "mpeg4", "-y", "out.mp4"}), "out.mp4");
    EXPECT_EQ(ConversionOutputFile({"-hide_banner", "-i", "probe.mkv"}), "");
    EXPECT_EQ(ConversionOutputFile({"-version"}), "");
    EXPECT_EQ(ConversionOutputFile({"-i", "in.mkv", "-f", "image2", "-y", "out_1.png"}), "");
    EXPECT_EQ(ConversionOutputFile({"-i", "in.mkv", "-y", "out_%03d.png"}), "");
}

TEST(FerroxAmr, ThreeStepsAroundTheAmrLibraries) {
    const std::vector<std::string> args = platform::SplitCommandLine(
        "ffmpeg -i in.mkv -dn -sn -movflags faststart -c:v h263 -s 352x288 -r 15.000 -c:a libopencore_amrnb "
        "-ar 8000 -ac 1 -b:a 10000 -map_metadata -1 -y \"out put.3gp\"");
    auto plan = PlanAmrEncoding(args, "/tmp/mid.nut");
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->kind, AmrKind::NarrowBand);
    EXPECT_EQ(plan->bitRate, 10200);
    EXPECT_EQ(plan->mode, 6);
    EXPECT_EQ(Join(plan->encodeArgs),
              "ffmpeg -i in.mkv -dn -sn -c:v h263 -s 352x288 -r 15.000 -c:a pcm_s16le "
              "-map_metadata -1 -y -ar 8000 -ac 1 -f nut /tmp/mid.nut");
    EXPECT_EQ(
        Join(AmrPcmArguments("ff", *plan, "/tmp/mid.nut")),
        "ff -nostdin -hide_banner -loglevel error -nostats -i /tmp/mid.nut -map 0:a:0 -f s16le -ar 8000 -ac 1 pipe:1");
    EXPECT_EQ(Join(AmrMuxArguments("ff", *plan, "/tmp/mid.nut", "/tmp/a.amr")),
              "ff -nostdin -hide_banner -loglevel error -nostats -i /tmp/mid.nut -i /tmp/a.amr -map 0:v? -map 1:a "
              "-c copy -movflags faststart -y out put.3gp");

    auto wide = PlanAmrEncoding({"ffmpeg", "-i", "in.wav", "-vn", "-c:a", "libvo_amrwbenc", "-y", "o.amr"}, "m.nut");
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->kind, AmrKind::WideBand);
    EXPECT_EQ(wide->sampleRate, 16000);
    EXPECT_EQ(wide->mode, 8);  // no rate given: the highest
    EXPECT_EQ(AmrModeForBitRate(AmrKind::WideBand, 1), 0);
    EXPECT_EQ(AmrModeForBitRate(AmrKind::NarrowBand, 99999), 7);

    EXPECT_FALSE(PlanAmrEncoding({"ffmpeg", "-i", "in", "-c:a", "aac", "-y", "o.3gp"}, "m").has_value());
    // An input file that happens to be named like the encoder is not a codec choice.
    EXPECT_FALSE(PlanAmrEncoding({"ffmpeg", "-i", "libopencore_amrnb", "-c:a", "aac", "-y", "o"}, "m").has_value());
}

TEST(FerroxAifc, G722AndGsmGetTheirAifcFrame) {
    const std::vector<std::string> args = {
        "ffmpeg",         "-i", "in.wav", "-dn",  "-sn", "-vn", "-c:a", "libgsm", "-write_id3v2", "1",
        "-id3v2_version", "3",  "-ar",    "8000", "-ac", "1",   "-b:a", "13000",  "-y",           "/o/a.aiff"};
    auto plan = PlanAifcWrap(args, "/tmp/r.raw");
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(Join(plan->encodeArgs),
              "ffmpeg -i in.wav -dn -sn -vn -c:a libgsm -ar 8000 -ac 1 -b:a 13000 -y -f gsm -y /tmp/r.raw");
    EXPECT_EQ(plan->output, "/o/a.aiff");

    const std::string h = AifcHeader(*plan, 3333);  // 101 GSM blocks, odd: one pad byte follows
    auto be32 = [&](std::size_t at) {
        return (uint32_t(uint8_t(h[at])) << 24) | (uint32_t(uint8_t(h[at + 1])) << 16) |
               (uint32_t(uint8_t(h[at + 2])) << 8) | uint8_t(h[at + 3]);
    };
    ASSERT_EQ(h.size(), 12u + 12u + 8u + 32u + 16u);
    EXPECT_EQ(h.substr(0, 4), "FORM");
    EXPECT_EQ(be32(4), h.size() - 8 + 3333 + 1);
    EXPECT_EQ(h.substr(8, 8), "AIFCFVER");
    EXPECT_EQ(h.substr(24, 4), "COMM");
    EXPECT_EQ(be32(28), 32u);
    EXPECT_EQ(be32(34), 101u);                                       // frames
    EXPECT_EQ(h.substr(40, 4), std::string("\x40\x0b\xfa\x00", 4));  // 8000 Hz as 80-bit float
    EXPECT_EQ(h.substr(50, 4), "GSM ");
    EXPECT_EQ(h.substr(h.size() - 16, 4), "SSND");
    EXPECT_EQ(be32(h.size() - 12), 3333u + 8);

    plan->codec = AifcCodec::G722;
    EXPECT_EQ(AifcHeader(*plan, 3334).substr(34, 4), std::string("\x00\x00\x0d\x06", 4));  // bytes are frames

    auto other = args;
    other[7] = "pcm_s16be";
    EXPECT_FALSE(PlanAifcWrap(other, "r").has_value());
    other = args;
    other.back() = "/o/a.wav";
    EXPECT_FALSE(PlanAifcWrap(other, "r").has_value());
}

}  // namespace
}  // namespace quillon::engine
