#include "engine/media_engine.h"

#include <gtest/gtest.h>

#include "platform/process.h"

namespace quillon::engine {
namespace {

using Args = std::vector<std::string>;

TEST(MapInputFormat, ForcesFormatsOfRawStreamsOnly) {
    EXPECT_EQ(MapInputFormat("264"), "h264");
    EXPECT_EQ(MapInputFormat("h264"), "h264");
    EXPECT_EQ(MapInputFormat("h261"), "h261");
    EXPECT_EQ(MapInputFormat("263"), "h263");
    EXPECT_EQ(MapInputFormat("ulw"), "mulaw -ar 8k -ac 1");
    EXPECT_EQ(MapInputFormat("alaw"), "alaw -ar 8k -ac 1");
    EXPECT_EQ(MapInputFormat("mjpg"), "mjpeg");
    EXPECT_EQ(MapInputFormat("265"), "hevc");
    EXPECT_EQ(MapInputFormat("hevc"), "hevc");
    EXPECT_EQ(MapInputFormat("722"), "g722 -ar 7k -ac 1");
    EXPECT_EQ(MapInputFormat("g723_1"), "g723_1 -ar 8k -ac 1");
    EXPECT_EQ(MapInputFormat("729"), "g729 -ar 8k -ac 1");
    EXPECT_EQ(MapInputFormat("gsm"), "gsm");
    EXPECT_EQ(MapInputFormat("mp4"), "");
    EXPECT_EQ(MapInputFormat(""), "");
    EXPECT_EQ(MapInputFormat("H264"), "");  // callers pass the extension in lower case
}

TEST(BuildProbeCommandLine, QuotesPathsAndKeepsTheTwoBlanksWithoutAFormat) {
    EXPECT_EQ(BuildProbeCommandLine("/opt/q/ferrox", "/m/clip.mp4", "mp4"), "\"/opt/q/ferrox\"  -i \"/m/clip.mp4\"");
    EXPECT_EQ(BuildProbeCommandLine("/opt/q/ferrox", "/m/raw.264", "264"),
              "\"/opt/q/ferrox\" -f h264 -i \"/m/raw.264\"");
    EXPECT_EQ(BuildProbeCommandLine("/opt/q/ferrox", "/m/a.alw", "alw"),
              "\"/opt/q/ferrox\" -f alaw -ar 8k -ac 1 -i \"/m/a.alw\"");
    EXPECT_EQ(BuildDvdProbeCommandLine("/opt/q/ferrox", "/dvd/VIDEO_TS/VTS_01_1.VOB"),
              "\"/opt/q/ferrox\" -i \"/dvd/VIDEO_TS/VTS_01_1.VOB\"");

    const std::string hostile = "/m/say \"hi\"\\ $x\\";
    EXPECT_EQ(platform::SplitCommandLine(BuildProbeCommandLine("/opt/my q/ferrox", hostile, "")),
              (Args{"/opt/my q/ferrox", "-i", hostile}));
}

}  // namespace
}  // namespace quillon::engine
