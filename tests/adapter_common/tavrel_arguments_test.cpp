#include "adapter_common/tavrel_arguments.h"

#include <gtest/gtest.h>

#include "argument_text.h"

namespace quillon::engine {
namespace {

TavrelOptions Parse(const std::vector<std::string>& args) {
    std::string error;
    auto o = ParseTavrelArguments(args, error);
    EXPECT_TRUE(o.has_value()) << error;
    return o.value_or(TavrelOptions{});
}

TEST(TavrelArguments, FullLineBecomesOneFfmpegRun) {
    auto o = Parse({"--frontend",
                    "--nosubtitles",
                    "-s",
                    "10",
                    "-e",
                    "40",
                    "-x",
                    "320",
                    "-y",
                    "240",
                    "--cropleft",
                    "8",
                    "--croptop",
                    "4",
                    "--deinterlace",
                    "--aspect",
                    "16:9",
                    "-v",
                    "6",
                    "-F",
                    "25.000",
                    "--audiostream",
                    "2",
                    "-H",
                    "44100",
                    "-c",
                    "2",
                    "-A",
                    "112",
                    "--nosync",
                    "--nometadata",
                    "-o",
                    "out dir/a.ogv",
                    "in.mkv"});
    EXPECT_EQ(Join(BuildTavrelFfmpegArguments(o, "ff")),
              "ff -nostdin -hide_banner -y -loglevel level+info -nostats -progress pipe:1 -ss 10 "
              "-i in.mkv -t 30 -dn -sn -map 0:v:0? -map 0:a:1 -vf yadif,crop=in_w-8:in_h-4:8:4,"
              "scale=320:240 -c:v libtheora -pix_fmt yuv420p -q:v 6 -aspect 16:9 -r 25.000 "
              "-c:a libvorbis -ar 44100 -ac 2 -b:a 112k -map_metadata -1 -f ogg out dir/a.ogv");
}

TEST(TavrelArguments, DefaultsAndDisabledStreams) {
    auto o = Parse({"--novideo", "-a", "5", "-o", "a.ogg", "in.wav"});
    EXPECT_EQ(Join(BuildTavrelFfmpegArguments(o, "ff")),
              "ff -nostdin -hide_banner -y -i in.wav -dn -sn -vn -c:a libvorbis -q:a 5 "
              "-af aresample=async=1 -f ogg a.ogg");
    // An end time before the start gives an empty range, never a negative length.
    auto r = Parse({"--noaudio", "-s", "5", "-e", "3", "-o", "a.ogv", "in.mp4"});
    EXPECT_EQ(Join(BuildTavrelFfmpegArguments(r, "ff")),
              "ff -nostdin -hide_banner -y -ss 5 -i in.mp4 -t 0 -dn -sn -c:v libtheora -pix_fmt "
              "yuv420p -q:v 6 -an -f ogg a.ogv");
}

TEST(TavrelArguments, RefusesBadCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {"-o", "a.ogg"},                          // no input
        {"in.mp4"},                               // no output
        {"-x", "abc", "-o", "a.ogg", "in.mp4"},   // not a number
        {"-s", "-3", "-o", "a.ogg", "in.mp4"},    // negative start
        {"--bogus", "-o", "a.ogg", "in.mp4"},     // unknown option
        {"-o", "a.ogg", "in.mp4", "second.mp4"},  // two inputs
        {"-o"},                                   // value missing
        {"--novideo", "--noaudio", "-o", "a.ogg", "in.mp4"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseTavrelArguments(args, error).has_value()) << Join(args);
        EXPECT_FALSE(error.empty());
    }
}

TEST(TavrelArguments, ProgressBecomesJsonWithPosition) {
    auto o = Parse({"-s", "1", "-e", "30", "-o", "a.ogg", "in.mp4"});
    TavrelProgress p(o);
    EXPECT_FALSE(p.Feed("[info] Input #0, matroska,webm, from 'in.mp4':").has_value());
    EXPECT_FALSE(p.Feed("[info]   Duration: 00:00:10.50, start: 0.000000, bitrate: 5 kb/s").has_value());
    EXPECT_DOUBLE_EQ(p.ExpectedDuration(), 9.5);  // the source ends before the asked end
    EXPECT_FALSE(p.Feed("out_time_us=N/A").has_value());
    EXPECT_EQ(p.Feed("progress=continue").value_or(""), "{\"duration\": 9.500, \"position\": 0.000}");
    EXPECT_FALSE(p.Feed("frame=10").has_value());
    EXPECT_FALSE(p.Feed("out_time_us=2500000").has_value());
    EXPECT_EQ(p.Feed("progress=end").value_or(""), "{\"duration\": 9.500, \"position\": 2.500}");
    // Warnings and errors are passed on without their level tag; information is not.
    EXPECT_EQ(p.Feed("[libvorbis @ 0x1] [error] encoder setup failed").value_or(""),
              "[libvorbis @ 0x1] encoder setup failed");
    EXPECT_EQ(p.Feed("[fatal] in.mp4: No such file or directory").value_or(""), "in.mp4: No such file or directory");
    EXPECT_FALSE(p.Feed("[info]   Stream #0:0: Video: h264").has_value());
}

}  // namespace
}  // namespace quillon::engine
