#pragma once
// The choice lists of the Video & Audio page: what each box offers for a codec, with the texts
// and marks it shows, which rate list a codec takes, and the names of frame sizes.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/output_format.h"

namespace quillon::app {

inline constexpr const char* kAutoChoice = "Auto";

// One entry of a choice list; `value` (or width x height for sizes) is what choosing it stores.
struct Choice {
    std::string text;
    int32_t value = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct ChoiceList {
    std::vector<Choice> entries;
    int selected = -1;    // -1: nothing selected
    std::string text;     // the edit text of an editable box
    bool enabled = true;  // the list has something to offer; its group's check box decides too

    void Clear() {
        entries.clear();
        selected = -1;
        text.clear();
    }
    // Selects the entry and takes its text; -1 clears the selection.
    void Select(int index);
    int Find(int32_t value) const;
};

// Kinds of the Size entries besides the listed sizes.
inline constexpr int32_t kSizeListed = 0;
inline constexpr int32_t kSizeSameAsOriginal = 1;
inline constexpr int32_t kSizeCustomize = 2;

// What the video bit-rate / quality box and the audio rate box currently list.
enum class RateKind { None, BitRate, Quality, Compression };

bool HasBitRates(const formats::VideoCodecInfo& codec);
bool HasQuality(const formats::VideoCodecInfo& codec);
bool HasQuality(const formats::AudioCodecInfo& codec);
// The list the audio rate box offers for the codec; `both` tells that the CBR / VBR radios
// choose between bit rates and quality.
RateKind AudioRateKind(const formats::AudioCodecInfo& codec, bool* both);

std::vector<Choice> VideoBitRateChoices(const formats::VideoCodecInfo& codec);
std::vector<Choice> VideoQualityChoices(const formats::VideoCodecInfo& codec);
std::vector<Choice> AudioBitRateChoices(const formats::AudioCodecInfo& codec);
std::vector<Choice> AudioQualityChoices(const formats::AudioCodecInfo& codec);
std::vector<Choice> CompressionChoices(const formats::AudioCodecInfo& codec);
std::vector<Choice> SampleRateChoices(const formats::AudioCodecInfo& codec);
std::vector<Choice> ChannelChoices(const formats::AudioCodecInfo& codec);
// Sizes of the codec for the format (names by the format's own rules), then "Same as original
// video" and "Customize" unless the list is fixed.
std::vector<Choice> SizeChoices(const formats::OutputFormat& format, const formats::VideoCodecInfo& codec);
std::vector<Choice> RotateChoices();
std::vector<std::string> AspectChoices();

// The name shown beside a frame size ("VGA 4:3"; "DVD PAL" for DVD Video); empty when none.
std::string FrameSizeName(int32_t formatId, int32_t width, int32_t height);
// "640x480", padded to 11 characters and followed by "(name)" when the size has a name.
std::string FrameSizeText(int32_t formatId, int32_t width, int32_t height);

std::vector<Choice> FrameRateChoices(const formats::VideoCodecInfo& codec);

// "29.970 Hz": a frame rate as its list and its edit text show it.
std::string FrameRateText(double rate);
// "128 kbps": a bit rate in whole kbit/s.
std::string KbpsText(int32_t bitRate);

}  // namespace quillon::app
