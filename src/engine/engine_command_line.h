#pragma once
// The media engine's conversion command line: a pure function of the output format, the
// settings and the source (no probing, no file system work).

#include <string>
#include <string_view>

#include "engine/media_engine.h"
#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::engine {

// An odd value gets 1 added (the largest int, which cannot grow, loses 1 instead).
inline int RoundUpEven(int value) {
    if (value % 2 == 0) return value;
    return value == 2147483647 ? value - 1 : value + 1;
}

// "a:b" gives a/b (-1 unless both exceed 0.01); other text its leading number (0 without one);
// empty text -1.
double ParseAspectText(std::string_view text);

struct FrameSizeResult {
    std::string sizeOption;  // "-s WxH " or empty (a lone blank with padding: never written)
    std::string padFilter;
    int displayWidth = 0;
    int displayHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

FrameSizeResult ComputeFrameSize(const formats::OutputFormat& format, const SourceItem& source, bool padMode);
// The size when the format gives none: the source's, corrected by the display aspect ratio.
FrameSizeResult ComputeSourceFrameSize(const formats::OutputFormat& format, const SourceItem& source);

// Bit/s for an automatic audio bit rate.
int DefaultAudioBitRate(int sampleRate, int channels);
// The largest allowed channel count not above `channels` (at most 8); 2 when none is allowed.
int FitChannels(int channels, int mask);

// "%d" for whole seconds, else "%02d:%02d:%02d.%03d" (hours not capped).
std::string FormatTimeOption(long long milliseconds);

// Number of decimal digits of a frame count (1 for 0).
int DecimalDigits(long long value);

// The engine line. Adjusts in place what later steps rely on: the source's size is rounded up
// to even, the DV/DVD/VCD targets set the format's size, the crop "same as" options copy the
// margins, and an image sequence's outputPath becomes the name of its first image.
std::string BuildEngineCommandLine(formats::OutputFormat& format, SourceItem& source,
                                   formats::ConversionSettings& settings, const std::string& enginePath);

// Milliseconds the line converts of a source lasting durationSeconds, after From, Length and
// Ignore last; 0 when unknown (and no Length is set).
long long ConvertedLengthMs(const formats::ConversionSettings& settings, uint32_t durationSeconds);

// An image sequence written for outputPath ("x.jpg"): the engine's number pattern
// ("x_%03d.jpg") and the name of its first image ("x_001.jpg").
struct ImageSequenceNames {
    std::string pattern;
    std::string firstImage;
};
ImageSequenceNames ImageSequenceNamesFor(const formats::OutputFormat& format, const SourceItem& source,
                                         const std::string& outputPath);

// Typed text as one argument: unchanged when it holds no blank, tab or double quote, else quoted.
std::string ArgumentText(const std::string& text);

// The path of the input the engine reads: the prepared file when there is one.
const std::string& EngineInputPath(const SourceItem& source);

}  // namespace quillon::engine
