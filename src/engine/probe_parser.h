#pragma once
// Reads the engine's description of an input ("Duration:" and "Stream #" lines) into MediaInfo.

#include <cstdint>
#include <string_view>

#include "engine/source_item.h"

namespace quillon::engine {

struct VideoStreamFacts {
    int32_t width = 0;  // rounded up to even
    int32_t height = 0;
    int32_t bitRate = 0;  // kbit/s
    double frameRate = -1.0;
    double displayAspectRatio = -1.0;
};

struct AudioStreamFacts {
    uint32_t bitRate = 0;  // kbit/s
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
};

// "00:01:23.45, start: ..." gives 83; "N/A" gives 0.
uint32_t ParseDuration(std::string_view text);
// The text after "Video:" / "Audio:" of a stream line.
VideoStreamFacts ParseVideoStream(std::string_view text);
AudioStreamFacts ParseAudioStream(std::string_view text);

// Fed one line at a time; fills `info`, which should start out empty.
class ProbeOutputParser {
public:
    // Stream specifiers longer than this are cut; real ones have a few characters.
    static constexpr std::size_t kMaxSpecifierLength = 32;

    explicit ProbeOutputParser(MediaInfo& info) : info_(info) {}

    void ParseLine(std::string_view line);

    // True when a video stream or at least one audio stream was seen.
    bool FoundStream() const { return sawVideo_ || !info_.audioSampleRates.empty(); }

private:
    MediaInfo& info_;
    bool sawDuration_ = false;
    bool sawVideo_ = false;
};

// The whole output at once: resets `info`, parses every line, returns FoundStream().
bool ParseProbeOutput(MediaInfo& info, std::string_view output);

}  // namespace quillon::engine
