#pragma once
// The Ogg/Theora encoder's options (the ffmpeg2theora interface) and how tavrel carries them
// out with ffmpeg's libtheora/libvorbis encoders and Ogg muxer.

#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

struct TavrelOptions {
    bool frontend = false;  // JSON progress lines instead of ffmpeg's own status
    bool noVideo = false;
    bool noAudio = false;
    bool noMetadata = false;
    bool noSync = false;  // leave audio timestamps alone
    bool deinterlace = false;
    int startSeconds = -1;  // -1: not given
    int endSeconds = -1;
    int width = 0;  // 0: not given
    int height = 0;
    int cropLeft = 0, cropRight = 0, cropTop = 0, cropBottom = 0;
    std::string aspect;
    std::string frameRate;
    int videoQuality = -1;  // 0..10
    int audioStream = 0;    // 1-based; 0: the default stream
    int sampleRate = 0;
    int channels = 0;
    std::string audioQuality;  // -2..10, kept as written
    int audioKbps = 0;
    std::string output;
    std::string input;
};

// Reads the command line (without the program name). On failure returns nothing and sets error.
std::optional<TavrelOptions> ParseTavrelArguments(const std::vector<std::string>& args, std::string& error);

// The ffmpeg argument list (first item `ffmpeg`) that encodes as the options ask.
std::vector<std::string> BuildTavrelFfmpegArguments(const TavrelOptions& options, const std::string& ffmpeg);

// Turns ffmpeg's "-progress" key=value blocks and "-loglevel level+info" lines into tavrel's
// output: JSON progress lines, and the warnings and errors worth passing on.
class TavrelProgress {
public:
    explicit TavrelProgress(const TavrelOptions& options) : options_(options) {}

    // The line to print for one line of ffmpeg output, or nothing.
    std::optional<std::string> Feed(const std::string& line);
    // Seconds of output expected, -1 while unknown.
    double ExpectedDuration() const;

private:
    const TavrelOptions& options_;
    double sourceDuration_ = -1;
    double position_ = 0;
};

}  // namespace quillon::engine
