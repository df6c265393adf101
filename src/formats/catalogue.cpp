// Building the catalogue from its tables, and looking formats and codecs up in it.
#include <utility>

#include "formats/catalogue_rows.h"
#include "formats/output_format.h"
#include "util/text.h"

namespace quillon::formats {

namespace {

void AppendFamily(FormatCatalogue& list, std::span<const detail::FormatRow> rows, int32_t family) {
    for (const detail::FormatRow& row : rows) {
        OutputFormat f;
        ResetFormat(f);
        f.FormatId = row.FormatId;
        f.Family = family;
        if (row.video.present) {
            f.VideoEnable = 1;
            f.VideoCodec = row.video.codec;
            f.VideoWidth = row.video.width;
            f.VideoHeight = row.video.height;
            f.VideoKeepAspect = 1;
            f.AddPadding = row.video.addPadding;
            f.VideoBitRate = row.video.bitRate;
            f.VideoVBRQuality = row.video.vbrQuality;
            f.VideoVBREnabled = row.video.vbrEnabled;
            f.VideoFrameRate = row.video.frameRate;
        }
        f.AudioEnable = row.audio.present ? 1 : 0;
        if (row.audio.present) {
            f.AudioCodec = row.audio.codec;
            f.AudioBitRate = row.audio.bitRate;
            f.AudioVBRQuality = row.audio.vbrQuality;
            f.AudioCompressionLevel = row.audio.compressionLevel;
            f.AudioSampleRate = row.audio.sampleRate;
            f.AudioChannels = row.audio.channels;
        }
        f.Extension = row.Extension;
        f.Label = row.Label ? std::optional<std::string>(row.Label) : std::nullopt;
        f.Muxer = row.Muxer ? std::optional<std::string>(row.Muxer) : std::nullopt;
        f.SettingsKey = row.SettingsKey ? std::optional<std::string>(row.SettingsKey) : std::nullopt;
        f.FastStart = row.FastStart;
        // The rows live for the whole program, so the records may point into them.
        f.AudioCodecs = row.AudioCodecs ? &*row.AudioCodecs : nullptr;
        f.VideoCodecs = row.VideoCodecs ? &*row.VideoCodecs : nullptr;
        list.push_back(std::move(f));
    }
}

template <typename Info>
const Info* FindCodec(const std::vector<const Info*>* offers, const std::string& name) {
    if (!offers) return nullptr;
    for (const Info* info : *offers) {
        if (name == info->Name) return info;
    }
    return nullptr;
}

}  // namespace

void BuildCatalogue(FormatCatalogue& list) {
    const detail::CatalogueTables& t = detail::Tables();
    list.reserve(list.size() + t.video.size() + t.device.size() + t.imageSequence.size() + t.audio.size());
    AppendFamily(list, t.video, FamilyVideo);
    AppendFamily(list, t.device, FamilyDevice);
    AppendFamily(list, t.imageSequence, FamilyImageSequence);
    AppendFamily(list, t.audio, FamilyAudio);
}

void ResetFormat(OutputFormat& record) {
    record = OutputFormat{};
    // The pseudo entries of the output-format box carry empty texts here, not missing ones.
    record.Label = std::string();
    record.Muxer = std::string();
}

const OutputFormat* FindFormat(const FormatCatalogue& catalogue, int32_t id) {
    for (const OutputFormat& f : catalogue) {
        if (f.FormatId == id) return &f;
    }
    return nullptr;
}

OutputFormat* FindFormat(FormatCatalogue& catalogue, int32_t id) {
    return const_cast<OutputFormat*>(FindFormat(std::as_const(catalogue), id));
}

const VideoCodecInfo* FindVideoCodec(const OutputFormat& format) {
    return FindCodec(format.VideoCodecs, format.VideoCodec);
}

const AudioCodecInfo* FindAudioCodec(const OutputFormat& format) {
    return FindCodec(format.AudioCodecs, format.AudioCodec);
}

std::string RegistryPrefix(const OutputFormat& format) {
    return util::UpperAscii(format.SettingsKey ? *format.SettingsKey : format.Extension);
}

const std::vector<const VideoCodecInfo*>& AllVideoCodecs() {
    static const std::vector<const VideoCodecInfo*> all(detail::Tables().videoCodecs.begin(),
                                                        detail::Tables().videoCodecs.end());
    return all;
}

const std::vector<const AudioCodecInfo*>& AllAudioCodecs() {
    static const std::vector<const AudioCodecInfo*> all(detail::Tables().audioCodecs.begin(),
                                                        detail::Tables().audioCodecs.end());
    return all;
}

std::vector<FrameSize> ListEntries(const FrameSize* list) {
    std::vector<FrameSize> out;
    for (; list && !(list->width == kFrameSizeEnd.width && list->height == kFrameSizeEnd.height); ++list) {
        out.push_back(*list);
    }
    return out;
}

std::vector<int32_t> ListEntries(const int32_t* list) {
    std::vector<int32_t> out;
    for (; list && *list != kIntListEnd; ++list) out.push_back(*list);
    return out;
}

std::vector<double> ListEntries(const double* list) {
    std::vector<double> out;
    for (; list && *list != kFrameRateEnd; ++list) out.push_back(*list);
    return out;
}

}  // namespace quillon::formats
