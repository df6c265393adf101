// quillon-cli formats [--json]: the catalogue with every format's current settings.
#include <cstdio>
#include <string>

#include "app/session.h"
#include "cli/cli_command.h"
#include "formats/output_format.h"
#include "util/json_writer.h"
#include "util/text.h"

namespace quillon::cli {

namespace {

using formats::AudioCodecInfo;
using formats::OutputFormat;
using formats::VideoCodecInfo;

void IntList(util::JsonWriter& json, const int32_t* list) {
    if (!list) {
        json.Null();
        return;
    }
    json.BeginArray();
    for (int32_t v : formats::ListEntries(list)) json.Int(v);
    json.EndArray();
}

void WriteVideoCodec(util::JsonWriter& json, const VideoCodecInfo& c) {
    json.BeginObject();
    json.Key("Name").String(c.Name);
    json.Key("Label").String(c.Label);
    json.Key("FrameSizes").BeginArray();
    for (const formats::FrameSize& s : formats::ListEntries(c.FrameSizes)) {
        json.BeginArray().Int(s.width).Int(s.height).EndArray();
    }
    json.EndArray();
    json.Key("BitRates");
    IntList(json, c.BitRates);
    json.Key("QualityHigh").Int(c.QualityHigh);
    json.Key("QualityLow").Int(c.QualityLow);
    json.Key("FrameRates").BeginArray();
    for (double r : formats::ListEntries(c.FrameRates)) json.Double(r);
    json.EndArray();
    json.EndObject();
}

void WriteAudioCodec(util::JsonWriter& json, const AudioCodecInfo& c) {
    json.BeginObject();
    json.Key("Name").String(c.Name);
    json.Key("Label").String(c.Label);
    json.Key("RateControl").Int(c.RateControl);
    json.Key("SampleRates");
    IntList(json, c.SampleRates);
    json.Key("BitRates");
    IntList(json, c.BitRates);
    json.Key("QualityHigh").Int(c.QualityHigh);
    json.Key("QualityLow").Int(c.QualityLow);
    json.Key("ChannelMask").Int(c.ChannelMask);
    json.EndObject();
}

void OptionalString(util::JsonWriter& json, const std::optional<std::string>& text) {
    if (text) {
        json.String(*text);
    } else {
        json.Null();
    }
}

void WriteFormat(util::JsonWriter& json, const OutputFormat& f) {
    json.BeginObject();
    json.Key("FormatId").Int(f.FormatId);
    json.Key("Family").Int(f.Family);
    json.Key("CustomFormat").Null();  // catalogue records never belong to a group
    json.Key("VideoEnable").Int(f.VideoEnable);
    json.Key("VideoCodec").String(f.VideoCodec);
    json.Key("VideoAspect").String(f.VideoAspect);
    json.Key("VideoWidth").Int(f.VideoWidth);
    json.Key("VideoHeight").Int(f.VideoHeight);
    json.Key("VideoKeepAspect").Int(f.VideoKeepAspect);
    json.Key("AddPadding").Int(f.AddPadding);
    json.Key("VideoBitRate").Int(f.VideoBitRate);
    json.Key("VideoVBRQuality").Int(f.VideoVBRQuality);
    json.Key("VideoVBREnabled").Int(f.VideoVBREnabled);
    json.Key("VideoFrameRate").Double(f.VideoFrameRate);
    json.Key("AudioEnable").Int(f.AudioEnable);
    json.Key("AudioCodec").String(f.AudioCodec);
    json.Key("AudioBitRate").Int(f.AudioBitRate);
    json.Key("AudioVBRQuality").Int(f.AudioVBRQuality);
    json.Key("AudioVBREnabled").Int(f.AudioVBREnabled);
    json.Key("AudioCompressionLevel").Int(f.AudioCompressionLevel);
    json.Key("AudioSampleRate").Int(f.AudioSampleRate);
    json.Key("AudioChannels").Int(f.AudioChannels);
    json.Key("AudioVolume").Int(f.AudioVolume);
    json.Key("Extension").String(f.Extension);
    json.Key("Label");
    OptionalString(json, f.Label);
    json.Key("Muxer");
    OptionalString(json, f.Muxer);
    json.Key("SettingsKey");
    OptionalString(json, f.SettingsKey);
    json.Key("FastStart").Int(f.FastStart);
    json.Key("AudioCodecs");
    if (f.AudioCodecs) {
        json.BeginArray();
        for (const AudioCodecInfo* c : *f.AudioCodecs) WriteAudioCodec(json, *c);
        json.EndArray();
    } else {
        json.Null();
    }
    json.Key("VideoCodecs");
    if (f.VideoCodecs) {
        json.BeginArray();
        for (const VideoCodecInfo* c : *f.VideoCodecs) WriteVideoCodec(json, *c);
        json.EndArray();
    } else {
        json.Null();
    }
    json.EndObject();
}

const char* FamilyName(int32_t family) {
    switch (family) {
    case formats::FamilyAudio: return "audio";
    case formats::FamilyVideo: return "video";
    case formats::FamilyDevice: return "device";
    case formats::FamilyImageSequence: return "images";
    default: return "other";
    }
}

std::string DisplayName(const OutputFormat& f) {
    if (f.Label) return *f.Label + " (*." + f.Extension + ")";
    return util::UpperAscii(f.Extension);
}

void PrintFormat(const OutputFormat& f) {
    std::printf("%5d  %-6s  %-40s  %s", f.FormatId, FamilyName(f.Family), DisplayName(f).c_str(),
                formats::RegistryPrefix(f).c_str());
    if (f.VideoCodecs) {
        std::printf("  video: %s %dx%d br %d q %d%s fps %g", f.VideoCodec.c_str(), f.VideoWidth, f.VideoHeight,
                    f.VideoBitRate, f.VideoVBRQuality, f.VideoVBREnabled ? " vbr" : "", f.VideoFrameRate);
    }
    if (f.AudioCodecs) {
        std::printf("  audio: %s br %d q %d level %d %d Hz %d ch vol %d", f.AudioCodec.c_str(), f.AudioBitRate,
                    f.AudioVBRQuality, f.AudioCompressionLevel, f.AudioSampleRate, f.AudioChannels, f.AudioVolume);
    }
    std::printf("\n");
}

int RunFormats(const std::vector<std::string>& args) {
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else {
            std::fprintf(stderr, "quillon-cli formats: unknown argument \"%s\"\n", a.c_str());
            return 2;
        }
    }
    app::Session session;
    session.Load();
    const formats::FormatCatalogue& catalogue = session.Catalogue();

    if (!json) {
        for (const OutputFormat& f : catalogue) PrintFormat(f);
        return 0;
    }
    util::JsonWriter out;
    out.BeginArray();
    for (const OutputFormat& f : catalogue) WriteFormat(out, f);
    out.EndArray();
    std::printf("%s\n", out.str().c_str());
    return 0;
}

const CliCommandRegistration kRegistration{CliCommand{"formats", "formats [--json]", &RunFormats}};

}  // namespace

}  // namespace quillon::cli
