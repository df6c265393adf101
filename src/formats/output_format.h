#pragma once
// One output format of the catalogue with its codec offers and its own encoding settings, and
// the constant codec descriptors the offers point to.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::formats {

struct CustomOutputFormat;

// Values of OutputFormat::Family.
enum FormatFamily : int32_t {
    FamilyCustomizeEntry = -1,  // the "Customize Output Formats" entry of the output-format box
    FamilyAudio = 0,
    FamilyVideo = 1,
    FamilyDevice = 2,
    FamilyImageSequence = 3,
    FamilyCustomGroup = 4,
};

// Identifiers of the pseudo entries of the output-format box.
inline constexpr int32_t kCustomizeEntryId = 20000;
inline constexpr int32_t kFirstCustomGroupId = 21001;

struct FrameSize {
    int32_t width;
    int32_t height;
};

// End markers of the value lists. A frame-size list whose first pair is kFixedSizeMarker offers
// only its listed sizes (no "same as source").
inline constexpr FrameSize kFrameSizeEnd{0, 0};
inline constexpr FrameSize kFixedSizeMarker{-1, -1};
inline constexpr int32_t kIntListEnd = -1;
inline constexpr double kFrameRateEnd = -1.0;

// RateControl bits of AudioCodecInfo.
inline constexpr int32_t kRateBitRateList = 1;
inline constexpr int32_t kRateVbrQuality = 2;
inline constexpr int32_t kRateCompressionLevels = 4;

struct VideoCodecInfo {
    const char* Name;  // engine codec name, or the pseudo names "h264mp" / "h264bp"
    const char* Label;
    const FrameSize* FrameSizes;  // ended by (0, 0)
    const int32_t* BitRates;      // bit/s ended by -1; null = no bit-rate choice
    int32_t QualityHigh;          // -1 = no quality scale
    int32_t QualityLow;
    const double* FrameRates;  // ended by -1.0
};

struct AudioCodecInfo {
    const char* Name;
    const char* Label;
    int32_t RateControl;         // kRate* bits
    const int32_t* SampleRates;  // Hz ended by -1
    const int32_t* BitRates;     // bit/s, bits per sample below 1000, or levels; ended by -1; or null
    int32_t QualityHigh;         // -1 = none
    int32_t QualityLow;
    int32_t ChannelMask;  // bit n: n+1 channels offered
};

using VideoCodecList = std::vector<const VideoCodecInfo*>;
using AudioCodecList = std::vector<const AudioCodecInfo*>;

struct OutputFormat {
    // Identity
    int32_t FormatId = -1;
    int32_t Family = FamilyCustomizeEntry;
    const CustomOutputFormat* CustomFormat = nullptr;
    // Current settings (saved per format under the registry prefix)
    int32_t VideoEnable = 0;
    std::string VideoCodec;
    std::string VideoAspect;  // empty = keep the source's
    int32_t VideoWidth = 0;   // 0 = same as source
    int32_t VideoHeight = 0;
    int32_t VideoKeepAspect = 0;
    int32_t AddPadding = 0;
    int32_t VideoBitRate = 0;      // 0 = automatic
    int32_t VideoVBRQuality = -1;  // -1 = none
    int32_t VideoVBREnabled = 0;
    double VideoFrameRate = -1.0;  // -1.0 = same as source
    int32_t AudioEnable = 1;
    std::string AudioCodec;
    int32_t AudioBitRate = 0;  // 0 = automatic; bits per sample for G.726
    int32_t AudioVBRQuality = -1;
    int32_t AudioVBREnabled = 0;
    int32_t AudioCompressionLevel = -1;
    int32_t AudioSampleRate = 0;  // 0 = same as source
    int32_t AudioChannels = 0;    // 0 = same as source
    int32_t AudioVolume = 100;    // percent
    // Identity
    std::string Extension;                        // without the dot
    std::optional<std::string> Label;             // null: the upper-case extension is shown
    std::optional<std::string> Muxer;             // given to "-f" when set
    std::optional<std::string> SettingsKey;       // null: the extension is the registry prefix
    int32_t FastStart = 0;                        // bit 0: "-movflags faststart"
    const AudioCodecList* AudioCodecs = nullptr;  // null: no audio at all
    const VideoCodecList* VideoCodecs = nullptr;  // null: no video at all
};

// The fixed, ordered list of every output format.
using FormatCatalogue = std::vector<OutputFormat>;

// Appends the 79 formats in catalogue order (video, device, image sequence, audio).
void BuildCatalogue(FormatCatalogue& list);

// Neutral values (empty Label and Muxer, no SettingsKey, no codec lists), for the pseudo entries
// of the output-format box.
void ResetFormat(OutputFormat& record);

// The first record with this id, or null.
const OutputFormat* FindFormat(const FormatCatalogue& catalogue, int32_t id);
OutputFormat* FindFormat(FormatCatalogue& catalogue, int32_t id);

// The first offered descriptor whose Name equals the current codec (case-sensitive), or null.
const VideoCodecInfo* FindVideoCodec(const OutputFormat& format);
const AudioCodecInfo* FindAudioCodec(const OutputFormat& format);

// SettingsKey, else Extension, in upper case.
std::string RegistryPrefix(const OutputFormat& format);

// Every descriptor, in table order (54 video, 47 audio).
const std::vector<const VideoCodecInfo*>& AllVideoCodecs();
const std::vector<const AudioCodecInfo*>& AllAudioCodecs();

// The entries of an ended list, without its end marker (a fixed-size list keeps its (-1, -1)).
std::vector<FrameSize> ListEntries(const FrameSize* list);
std::vector<int32_t> ListEntries(const int32_t* list);
std::vector<double> ListEntries(const double* list);

inline bool IsFixedSizeList(const FrameSize* list) {
    return list && list[0].width == kFixedSizeMarker.width && list[0].height == kFixedSizeMarker.height;
}

}  // namespace quillon::formats
