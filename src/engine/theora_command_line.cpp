#include "engine/theora_command_line.h"

#include <fmt/format.h>
#include <algorithm>
#include <cmath>

#include "engine/engine_command_line.h"
#include "platform/process.h"
#include "util/value_lists.h"

namespace quillon::engine {

namespace {

std::string Number(const char* option, long long value) {
    return std::string(option) + " " + std::to_string(value) + " ";
}

}  // namespace

std::string BuildTheoraCommandLine(formats::OutputFormat& format, SourceItem& source,
                                   formats::ConversionSettings& settings, const std::string& encoderPath) {
    source.width = RoundUpEven(source.width);
    source.height = RoundUpEven(source.height);
    std::string line = platform::QuoteProgramName(encoderPath) + " --frontend --nosubtitles ";

    long long start = 0;
    long long remaining = source.durationSeconds;
    bool startWritten = false;
    if (settings.EnableSkipLength && settings.SkipLength > 0) {
        start = settings.SkipLength / 1000;
        line += Number("-s", start);
        startWritten = true;
        remaining = start < remaining ? remaining - start : 0;
    }
    if (settings.EnableConvertLength && settings.ConvertLength > 0) {
        line += Number("-e", start + settings.ConvertLength / 1000);
    } else if (settings.EnableIgnoreTheLast && settings.IgnoreLength / 1000 > 0) {
        const long long ignored = settings.IgnoreLength / 1000;
        if (remaining > ignored) {
            remaining -= ignored;
        } else {
            remaining = 0;
            if (!startWritten) {
                line += "-s 1 ";
                start = 1;
            }
        }
        line += Number("-e", start + remaining);
    }

    if (format.VideoEnable) {
        const FrameSizeResult size = ComputeFrameSize(format, source, false);
        if (size.frameWidth > 0 && size.frameHeight > 0) {
            line += Number("-x", size.frameWidth) + Number("-y", size.frameHeight);
        }
        if (settings.CropSameAsLeft) settings.CropRight = settings.CropLeft;
        if (settings.CropSameAsTop) settings.CropBottom = settings.CropTop;
        if (settings.CropPictures) {
            if (settings.CropLeft > 0) line += Number("--cropleft", settings.CropLeft);
            if (settings.CropRight > 0) line += Number("--cropright", settings.CropRight);
            if (settings.CropTop > 0) line += Number("--croptop", settings.CropTop);
            if (settings.CropBottom > 0) line += Number("--cropbottom", settings.CropBottom);
        }
        if (settings.VideoDeinterlace) line += "--deinterlace ";
        if (!format.VideoAspect.empty()) line += "--aspect " + ArgumentText(format.VideoAspect) + " ";
        format.VideoVBRQuality = std::clamp(format.VideoVBRQuality, 1, 10);
        line += Number("-v", format.VideoVBRQuality);
        if (std::isfinite(format.VideoFrameRate) && format.VideoFrameRate > 0) {
            line += fmt::format("-F {:.3f} ", format.VideoFrameRate);
        }
    } else {
        line += "--novideo ";
    }

    const formats::AudioCodecInfo* audio = format.AudioCodecs && format.AudioEnable && !format.AudioCodec.empty()
                                               ? formats::FindAudioCodec(format)
                                               : nullptr;
    const std::size_t audioStreams = source.audioSampleRates.size();
    if (audio && audioStreams > 0) {
        if (audioStreams > 1) line += Number("--audiostream", source.selectedAudioStream + 1LL);
        if (format.AudioSampleRate != 0) {
            line += Number("-H", util::NearestListValue(format.AudioSampleRate, audio->SampleRates));
        }
        if (format.AudioChannels > 0) line += Number("-c", FitChannels(format.AudioChannels, audio->ChannelMask));
        if (format.AudioVBREnabled && format.AudioVBRQuality != -1 && (audio->RateControl & formats::kRateVbrQuality) &&
            audio->QualityHigh != -1 && audio->QualityLow != -1) {
            line += Number("-a", format.AudioVBRQuality);
        } else if (audio->BitRates && format.AudioBitRate > 0) {
            line += Number("-A", util::NearestListValue(format.AudioBitRate, audio->BitRates) / 1000);
        }
        if (settings.FixAudioUnsync) line += "--nosync ";
    } else {
        line += "--noaudio ";
    }
    if (!settings.KeepID3Tag) line += "--nometadata ";
    line += "-o " + platform::QuoteArgument(source.outputPath) + " " + platform::QuoteArgument(EngineInputPath(source));
    return line;
}

}  // namespace quillon::engine
