#pragma once
// The shape of one row of the format tables in catalogue_data.cpp, and the small builders that
// let a row's defaults read like "h263 · 352×288 · pad · q 5".

#include <optional>
#include <span>

#include "formats/output_format.h"

namespace quillon::formats::detail {

// Video settings a row starts with; fields not set keep the neutral values of a record with video.
// The builders read as one line each: a row of the catalogue chains several.
// clang-format off
struct VideoDefaults {
    bool present = false;
    const char* codec = "";
    int32_t width = 0;
    int32_t height = 0;
    int32_t addPadding = 0;
    int32_t bitRate = 0;
    int32_t vbrQuality = -1;
    int32_t vbrEnabled = 0;
    double frameRate = -1.0;

    constexpr VideoDefaults Size(int32_t w, int32_t h) const { auto d = *this; d.width = w; d.height = h; return d; }
    constexpr VideoDefaults Pad() const { auto d = *this; d.addPadding = 1; return d; }
    // Encode to quality N.
    constexpr VideoDefaults Q(int32_t n) const { auto d = *this; d.vbrQuality = n; d.vbrEnabled = 1; return d; }
    // Quality N remembered while the bit rate rules.
    constexpr VideoDefaults Qv(int32_t n) const { auto d = *this; d.vbrQuality = n; return d; }
    constexpr VideoDefaults Br(int32_t n) const { auto d = *this; d.bitRate = n; return d; }
    constexpr VideoDefaults Fps(double n) const { auto d = *this; d.frameRate = n; return d; }
};

struct AudioDefaults {
    bool present = false;
    const char* codec = "";
    int32_t bitRate = 0;
    int32_t vbrQuality = -1;  // AudioVBREnabled starts at 0 in every record
    int32_t compressionLevel = -1;
    int32_t sampleRate = 0;
    int32_t channels = 0;

    constexpr AudioDefaults Br(int32_t n) const { auto d = *this; d.bitRate = n; return d; }
    constexpr AudioDefaults Q(int32_t n) const { auto d = *this; d.vbrQuality = n; return d; }
    constexpr AudioDefaults Level(int32_t n) const { auto d = *this; d.compressionLevel = n; return d; }
    constexpr AudioDefaults Hz(int32_t n) const { auto d = *this; d.sampleRate = n; return d; }
    constexpr AudioDefaults Mono() const { auto d = *this; d.channels = 1; return d; }
    constexpr AudioDefaults Stereo() const { auto d = *this; d.channels = 2; return d; }
};

constexpr VideoDefaults Vid(const char* codec) { VideoDefaults d; d.present = true; d.codec = codec; return d; }
constexpr VideoDefaults NoVideo() { return VideoDefaults{}; }
constexpr AudioDefaults Aud(const char* codec) { AudioDefaults d; d.present = true; d.codec = codec; return d; }
constexpr AudioDefaults NoAudio() { return AudioDefaults{}; }

// clang-format on

using Videos = VideoCodecList;
using Audios = AudioCodecList;

struct FormatRow {
    int32_t FormatId;
    const char* Label;  // null: none
    const char* Extension;
    const char* Muxer;        // null: none
    const char* SettingsKey;  // null: none
    int32_t FastStart;
    VideoDefaults video;
    AudioDefaults audio;
    std::optional<VideoCodecList> VideoCodecs;
    std::optional<AudioCodecList> AudioCodecs;
};

struct CatalogueTables {
    std::span<const FormatRow> video;
    std::span<const FormatRow> device;
    std::span<const FormatRow> imageSequence;
    std::span<const FormatRow> audio;
    std::span<const VideoCodecInfo* const> videoCodecs;
    std::span<const AudioCodecInfo* const> audioCodecs;
};

const CatalogueTables& Tables();

}  // namespace quillon::formats::detail
