#include "adapter_common/ferrox_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon::engine {
namespace {

using Args = std::vector<std::string>;

TEST(TranslateFerroxArguments, TurnsDeinterlaceIntoTheYadifFilter) {
    // Merged in front of the existing chain, so that scaling sees whole frames.
    EXPECT_EQ(TranslateFerroxArguments({"-i", "in.vob", "-c:v", "mpeg4", "-vf", "scale=640:480,pad=640:480:0:0",
                                        "-deinterlace", "-r", "25", "-y", "out.avi"}),
              (Args{"-i", "in.vob", "-c:v", "mpeg4", "-vf", "yadif,scale=640:480,pad=640:480:0:0", "-r", "25", "-y",
                    "-pix_fmt", "yuv420p", "out.avi"}));
    // Without a chain, a new one where the option stood.
    EXPECT_EQ(TranslateFerroxArguments({"-i", "in.vob", "-s", "320x240", "-deinterlace", "-y", "out.avi"}),
              (Args{"-i", "in.vob", "-s", "320x240", "-vf", "yadif", "-y", "out.avi"}));
    EXPECT_EQ(TranslateFerroxArguments({"-i", "a", "-filter:v", "hflip", "-deinterlace", "o"}),
              (Args{"-i", "a", "-filter:v", "yadif,hflip", "o"}));
}

TEST(TranslateFerroxArguments, LeavesFileNamesAndOtherArgumentsAlone) {
    const Args probe{"-f", "h264", "-i", "/m/raw.264"};
    EXPECT_EQ(TranslateFerroxArguments(probe), probe);
    const Args named{"-i", "-deinterlace", "-c:v", "mpeg4", "-y", "-deinterlace"};
    EXPECT_EQ(TranslateFerroxArguments(named),
              (Args{"-i", "-deinterlace", "-c:v", "mpeg4", "-y", "-pix_fmt", "yuv420p", "-deinterlace"}));
    EXPECT_EQ(TranslateFerroxArguments({}), Args{});
    // A -vf of an earlier section (before the last input) is not this output's chain.
    EXPECT_EQ(TranslateFerroxArguments({"-vf", "x", "-i", "a", "-deinterlace", "o"}),
              (Args{"-vf", "x", "-i", "a", "-vf", "yadif", "o"}));
}

}  // namespace
}  // namespace quillon::engine
