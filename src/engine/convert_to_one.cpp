#include "engine/convert_to_one.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/engine_command_line.h"
#include "platform/known_folders.h"
#include "util/paths.h"
#include "util/text.h"

namespace quillon::engine {

formats::OutputFormat BuildNormalizationFormat(const std::vector<const SourceItem*>& sources,
                                               const formats::OutputFormat& finalFormat,
                                               const formats::OutputFormat* tsTemplate) {
    int32_t width = 0, height = 0;
    double frameRate = -1.0;
    uint32_t sampleRate = 0, channels = 0;
    for (const SourceItem* s : sources) {
        width = std::max(width, s->width);
        height = std::max(height, s->height);
        frameRate = std::max(frameRate, s->frameRate);
        if (s->audioSampleRates.empty()) continue;
        std::size_t stream = static_cast<std::size_t>(std::max(0, s->selectedAudioStream));
        if (stream >= s->audioSampleRates.size()) stream = 0;
        sampleRate = std::max(sampleRate, s->audioSampleRates[stream]);
        if (stream < s->audioChannels.size()) channels = std::max(channels, s->audioChannels[stream]);
    }

    formats::OutputFormat f;
    f.FormatId = 170;
    f.Family = formats::FamilyVideo;
    f.Extension = "ts";
    f.FastStart = 0;
    f.AudioVolume = 100;
    if (tsTemplate) {
        f.AudioCodecs = tsTemplate->AudioCodecs;
        f.VideoCodecs = tsTemplate->VideoCodecs;
    }

    if (finalFormat.VideoEnable && width > 0 && height > 0) {
        f.VideoEnable = 1;
        f.VideoCodec = "mpeg4";
        if (finalFormat.VideoWidth > 0 && finalFormat.VideoHeight > 0) {
            f.VideoWidth = finalFormat.VideoWidth;
            f.VideoHeight = finalFormat.VideoHeight;
            f.VideoKeepAspect = finalFormat.VideoKeepAspect;
        } else {
            f.VideoWidth = width;
            f.VideoHeight = height;
            f.VideoKeepAspect = 1;
        }
        f.AddPadding = 1;
        f.VideoBitRate = 0;
        f.VideoVBRQuality = 2;
        f.VideoVBREnabled = 1;
        f.VideoFrameRate = finalFormat.VideoFrameRate > 0 ? finalFormat.VideoFrameRate : frameRate;
    } else {
        f.VideoEnable = 0;
        f.VideoFrameRate = -1.0;
        f.VideoVBRQuality = 2;
        f.VideoVBREnabled = 0;
    }

    if (finalFormat.AudioEnable && sampleRate != 0 && channels != 0) {
        f.AudioEnable = 1;
        f.AudioCodec = "ac3";
        f.AudioSampleRate =
            finalFormat.AudioSampleRate > 0 ? finalFormat.AudioSampleRate : static_cast<int32_t>(sampleRate);
        f.AudioChannels = finalFormat.AudioChannels > 0 ? finalFormat.AudioChannels : static_cast<int32_t>(channels);
        f.AudioBitRate = DefaultAudioBitRate(f.AudioSampleRate, f.AudioChannels) * 3 / 2;
        f.AudioVBREnabled = 0;
        f.AudioVBRQuality = -1;
        f.AudioCompressionLevel = -1;
    } else {
        f.AudioEnable = 0;
        f.AudioCodec.clear();
        f.AudioBitRate = f.AudioSampleRate = f.AudioChannels = 0;
    }
    return f;
}

std::string ConcatListLine(const std::string& path) { return "file " + util::SingleQuoted(path) + "\n"; }

bool NeedsPlainNameLink(const std::string& path) { return path.find_first_of("\r\n") != std::string::npos; }

std::string MakePlainNameLink(const std::string& target, const std::string& folder) {
    std::string suffix;
    if (const std::size_t dot = util::ExtensionPart(target); dot != std::string::npos) suffix = target.substr(dot);
    if (NeedsPlainNameLink(suffix)) suffix.clear();
    // The name is only likely to be free; another process may take it first.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = platform::MakeTempName(folder, "link", suffix);
        std::error_code ec;
        std::filesystem::create_symlink(target, name, ec);
        if (!ec) return name;
        if (ec != std::errc::file_exists) break;
    }
    return {};
}

std::string WriteConcatListFile(const std::vector<std::string>& inputs, const std::string& folder) {
    const std::string name = platform::MakeTempName(folder, "", ".txt");
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return {};
    std::size_t written = 0;
    bool ok = true;
    for (const std::string& input : inputs) {
        if (input.empty()) continue;
        const std::string line = ConcatListLine(input);
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) ok = false;
        written += line.size();
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok || written == 0) {
        std::remove(name.c_str());
        return {};
    }
    return name;
}

}  // namespace quillon::engine
