// How ferrox reads ffmpeg's level-tagged output: what it passes on and the reason it ends with.
#include <gtest/gtest.h>

#include <string>

#include "argument_text.h"

#include "adapter_common/ferrox_engine_log.h"

namespace quillon::engine {
namespace {

// Feeds `text` in pieces of `piece` bytes, as a pipe may hand it over.
std::string FeedInPieces(EngineLog& log, const std::string& text, std::size_t piece) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece) out += log.Feed(std::string_view(text).substr(at, piece));
    return out + log.Finish();
}

// What the log concludes for the engine's exit code: the result and the reason line it gives.
// The line starts with an old text: what it held before must not show through.
void ExpectConclusion(EngineLog& log, int exitCode, int result, const std::string& reason) {
    std::string line = "a reason from before";
    EXPECT_EQ(log.Conclude(exitCode, line), result) << "exit code " << exitCode;
    EXPECT_EQ(line, reason) << "exit code " << exitCode;
}

// ffmpeg 5.1 with "-loglevel +level", a 4:4:4 picture given to a baseline profile.
constexpr const char* kBaselineFailure =
    "[info] Input #0, lavfi, from 'testsrc':\n"
    "[info]   Stream #0:0: Video: rawvideo (RGB[24] / 0x18424752), rgb24, 64x48, 25 tbr, 25 tbn\n"
    "[info] Press [q] to stop, [?] for help\n"
    "x264 [error]: baseline profile doesn't support 4:4:4\n"
    "[libx264 @ 0x557a1306a100] [error] Error setting profile baseline.\n"
    "[libx264 @ 0x557a1306a100] [info] Possible profiles: baseline main high\n"
    "[error] Error initializing output stream 0:0 -- Error while opening encoder\n"
    "[info] Conversion failed!\n";

TEST(FerroxEngineLog, PassesFfmpegsOwnTextOnWithoutTheTags) {
    const std::string expected =
        "Input #0, lavfi, from 'testsrc':\n"
        "  Stream #0:0: Video: rawvideo (RGB[24] / 0x18424752), rgb24, 64x48, 25 tbr, 25 tbn\n"
        "Press [q] to stop, [?] for help\n"
        "x264 [error]: baseline profile doesn't support 4:4:4\n"
        "[libx264 @ 0x557a1306a100] Error setting profile baseline.\n"
        "[libx264 @ 0x557a1306a100] Possible profiles: baseline main high\n"
        "Error initializing output stream 0:0 -- Error while opening encoder\n"
        "Conversion failed!\n";
    for (std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(4096)}) {
        EngineLog log;
        EXPECT_EQ(FeedInPieces(log, kBaselineFailure, piece), expected) << piece;
    }
    // Status lines end with "\r" and go on at once; tags behind a "\r" go too. Untagged text,
    // brackets that are no level and a parent context stay as they are.
    EngineLog log;
    EXPECT_EQ(log.Feed("[info] frame=    1 fps=0.0 time=00:00:00.00    \r[info] frame=   14 fps= 13"),
              "frame=    1 fps=0.0 time=00:00:00.00    \r");
    EXPECT_EQ(log.Feed(" time=00:00:00.53    \r"), "frame=   14 fps= 13 time=00:00:00.53    \r");
    EXPECT_EQ(log.Feed("[q] quits\n[x @ 0x1] [y @ 0x2] [warning] odd\n[mp4 @ 0x5] [noise] x\n"),
              "[q] quits\n[x @ 0x1] [y @ 0x2] odd\n[mp4 @ 0x5] [noise] x\n");
    EXPECT_EQ(log.Feed("ffmpeg version 5.1"), "");
    EXPECT_EQ(log.Finish(), "ffmpeg version 5.1");
    // A line without an end is not held back without bound.
    EXPECT_EQ(log.Feed(std::string(70000, 'x')).size(), 70000u);
}

TEST(FerroxEngineLog, AFailedRunEndsWithTheFirstErrorLine) {
    EngineLog log;
    log.Feed(kBaselineFailure);
    EXPECT_EQ(log.FirstError(), "baseline profile doesn't support 4:4:4");
    ExpectConclusion(log, 1, 1, "baseline profile doesn't support 4:4:4");
    ExpectConclusion(log, 0, 0, "");  // warnings and errors ffmpeg got over are no failure

    // The output cannot be created: ffmpeg's own last line is already the reason.
    EngineLog denied;
    denied.Feed("[info]   Stream #0:0: Video: h264\n[error] /ro/out.mp4: Permission denied\n");
    EXPECT_EQ(denied.FirstError(), "/ro/out.mp4: Permission denied");
    ExpectConclusion(denied, 1, 1, "");

    // Killed without a word: the last line would be some stream's metadata.
    EngineLog killed;
    killed.Feed("[info]     Metadata:\n[info]       encoder         : Lavc59.37.100 aac\n");
    ExpectConclusion(killed, 137, 137, "ffmpeg was stopped by signal 9");
    ExpectConclusion(killed, 1, 1, "");
}

TEST(FerroxEngineLog, AnOutputCutShortAtTheEndIsAFailure) {
    // ffmpeg 5.1 exits with 0 when the disk fills while it writes the trailer.
    EngineLog log;
    log.Feed(
        "[h264 @ 0x1] [error] error while decoding MB 3 4\n"
        "[info] frame=   14 fps= 13 q=2.0 size=       0kB time=00:00:00.53    \r"
        "[error] Error writing trailer of /o/out.mp4: File too large\n"
        "[info] frame=  125 fps= 85 q=2.0 Lsize=       0kB time=00:00:05.01    \n"
        "[error] Error closing file /o/out.mp4: File too large\n"
        "[aac @ 0x559d6f58be80] [info] Qavg: 417.655\n");
    EXPECT_TRUE(log.WriteFailed());
    ExpectConclusion(log, 0, 1, "Error writing trailer of /o/out.mp4: File too large");

    EngineLog full;
    full.Feed("[mp4 @ 0x2] [error] av_interleaved_write_frame(): No space left on device\n[info] Conversion failed!\n");
    ExpectConclusion(full, 1, 1, "av_interleaved_write_frame(): No space left on device");

    // The words alone, in a line that is no error, say nothing.
    EngineLog title;
    title.Feed("[info]     title           : No space left on device\n");
    EXPECT_FALSE(title.WriteFailed());
    ExpectConclusion(title, 0, 0, "");
}

TEST(FerroxEngineLog, LevelTagsAreAskedForBeforeTheFirstInput) {
    auto tagged = [](std::vector<std::string> args) {
        EngineLog::RequestLevelTags(args);
        return Join(args);
    };
    EXPECT_EQ(tagged({"ffmpeg", "-f", "g722", "-i", "a", "-i", "b", "-y", "o"}),
              "ffmpeg -f g722 -loglevel +level -i a -i b -y o");
    EXPECT_EQ(tagged({"ffmpeg", "-version"}), "ffmpeg -loglevel +level -version");
    EXPECT_EQ(tagged({"ffmpeg"}), "ffmpeg -loglevel +level");
    // A line that chooses its own log level keeps it; a file named "-v" is no such choice.
    EXPECT_EQ(tagged({"ffmpeg", "-v", "error", "-i", "a", "o"}), "ffmpeg -v error -i a o");
    EXPECT_EQ(tagged({"ffmpeg", "-i", "-v", "o"}), "ffmpeg -loglevel +level -i -v o");
}

}  // namespace
}  // namespace quillon::engine
