#include "engine/engine_command_line.h"

#include <fmt/format.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/process.h"
#include "util/numbers.h"
#include "util/paths.h"
#include "util/value_lists.h"

namespace quillon::engine {

namespace {

// A rate the engine reads as a number: finite and above 0.
bool UsableRate(double rate) { return std::isfinite(rate) && rate > 0; }

enum class VideoClass { None, X264, X265, Vpx };

// Drops the fraction; values beyond int (from absurd stored ratios or volumes) stop at its ends
// instead of being undefined.
int Truncate(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(value);
}

}  // namespace

double ParseAspectText(std::string_view text) {
    if (text.empty()) return -1;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return util::TextToNumber(text);
    const double a = util::TextToNumber(text.substr(0, colon));
    const double b = util::TextToNumber(text.substr(colon + 1));
    return a > 0.01 && b > 0.01 ? a / b : -1;
}

FrameSizeResult ComputeSourceFrameSize(const formats::OutputFormat& format, const SourceItem& source) {
    FrameSizeResult r;
    if (source.width <= 0 || source.height <= 0) return r;
    int w = source.width;
    const int h = source.height;
    double ratio = ParseAspectText(format.VideoAspect);
    if (ratio < 0 && source.displayAspectRatio > 0) ratio = source.displayAspectRatio;
    if (ratio > 0) {
        const int corrected = RoundUpEven(Truncate(h * ratio));
        if (std::abs(corrected - source.width) >= 2) w = corrected;
    }
    r.sizeOption = fmt::format("-s {}x{} ", w, h);
    r.displayWidth = r.frameWidth = w;
    r.displayHeight = r.frameHeight = h;
    return r;
}

FrameSizeResult ComputeFrameSize(const formats::OutputFormat& format, const SourceItem& source, bool padMode) {
    if (format.VideoWidth <= 0 || format.VideoHeight <= 0) return ComputeSourceFrameSize(format, source);
    FrameSizeResult r;
    const int W = RoundUpEven(format.VideoWidth);
    const int H = RoundUpEven(format.VideoHeight);
    r.sizeOption = fmt::format("-s {}x{}", W, H);
    r.displayWidth = r.frameWidth = W;
    r.displayHeight = r.frameHeight = H;

    double ratio = ParseAspectText(format.VideoAspect);
    if (ratio <= 0) {
        if (source.displayAspectRatio > 0) ratio = source.displayAspectRatio;
        else if (source.width > 0 && source.height > 0) ratio = static_cast<double>(source.width) / source.height;
        else ratio = 1.0;
    }
    // A w x h picture in the W x H frame: centred on padding, or scaled to w x h without it.
    const auto fit = [&](int w, int h) {
        if (padMode) {
            r.padFilter = fmt::format("pad={}:{}:{}:{}", W, H, RoundUpEven((W - w) / 2), RoundUpEven((H - h) / 2));
            r.sizeOption.clear();
        } else {
            r.displayWidth = w;
            r.displayHeight = h;
            r.sizeOption = fmt::format("-s {}x{}", w, h);
        }
    };
    if (format.VideoKeepAspect && source.width > 0 && source.height > 0) {
        const int h = RoundUpEven(Truncate(W / ratio));
        if (h == H || h <= 0) {
            // the base size fits
        } else if (h < H) {
            r.frameHeight = h;
            fit(W, h);
        } else {
            const int w = RoundUpEven(Truncate(H * ratio));
            if (w > 0) {
                r.frameWidth = w;
                fit(w, H);
            }
        }
    }
    r.sizeOption += ' ';
    return r;
}

int DefaultAudioBitRate(int rate, int channels) {
    const bool mono = channels == 1;
    int value;
    if (rate <= 12000) value = mono ? 24000 : 48000;
    else if (rate <= 16000) value = mono ? 32000 : 56000;
    else if (rate <= 24000) value = mono ? 48000 : 64000;
    else if (rate <= 32000) value = mono ? 64000 : 96000;
    else if (rate <= 44100) value = mono ? 96000 : 128000;
    else value = mono ? 128000 : 192000;
    if (channels > 2) value = (value / 2) * channels;
    return value;
}

int FitChannels(int channels, int mask) {
    if (channels <= 0) return channels;
    if (channels > 8) channels = 8;
    for (int n = channels; n >= 1; --n) {
        if (mask & (1 << (n - 1))) return n;
    }
    return 2;
}

std::string FormatTimeOption(long long ms) {
    if (ms % 1000 == 0) return fmt::format("{}", ms / 1000);
    return fmt::format("{:02}:{:02}:{:02}.{:03}", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

int DecimalDigits(long long value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

std::string ArgumentText(const std::string& text) {
    if (!text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
    return platform::QuoteArgument(text);
}

const std::string& EngineInputPath(const SourceItem& source) {
    if (source.needsPreparation && source.prepared && !source.preparedPath.empty()) return source.preparedPath;
    return source.path;
}

std::string BuildEngineCommandLine(formats::OutputFormat& format, SourceItem& source,
                                   formats::ConversionSettings& settings, const std::string& enginePath) {
    source.width = RoundUpEven(source.width);
    source.height = RoundUpEven(source.height);
    const bool concat = source.kind == SourceKind::ConcatList;
    const std::size_t audioStreams = source.audioSampleRates.size();

    std::string line = platform::QuoteProgramName(enginePath);
    if (concat) {
        line += " -f concat";
    } else if (std::string forced = MapInputFormat(source.extension); !forced.empty()) {
        line += " -f " + forced;
    }
    line += " -i " + platform::QuoteArgument(EngineInputPath(source)) + " -dn -sn ";
    if (format.Muxer && !format.Muxer->empty()) line += "-f " + *format.Muxer + " ";
    if (format.FastStart & 1) line += "-movflags faststart ";

    const formats::VideoCodecInfo* video = format.VideoCodecs && format.VideoEnable && !format.VideoCodec.empty()
                                               ? formats::FindVideoCodec(format)
                                               : nullptr;
    if (video) {
        if (audioStreams > 1 && !source.videoStreamId.empty()) line += "-map " + source.videoStreamId + " ";

        const std::string& codec = format.VideoCodec;
        VideoClass videoClass = VideoClass::None;
        line += "-c:v ";
        if (format.FormatId == 50) {
            line += "mpeg4 -vtag divx ";
        } else if (codec == "h264bp") {
            line += "libx264 -profile:v baseline -preset medium ";
            videoClass = VideoClass::X264;
        } else if (codec == "h264mp") {
            line += "libx264 -profile:v main -preset medium ";
            videoClass = VideoClass::X264;
        } else if (codec == "libx264") {
            line += codec + " -preset medium ";
            videoClass = VideoClass::X264;
        } else if (codec == "libx265") {
            line += codec + " -preset fast ";
            videoClass = VideoClass::X265;
        } else if (codec.starts_with("libvpx")) {
            line += codec + " ";
            videoClass = VideoClass::Vpx;
        } else if (codec == "prores_ks") {
            line += codec + " -profile:v 3 ";
        } else {
            line += codec + " ";
        }

        // Disc and camcorder targets: the frame height picks the TV system.
        auto target = [&](int width, int palHeight, int ntscHeight, const char* pal, const char* ntsc) {
            format.VideoWidth = width;
            if (format.VideoHeight == palHeight) {
                line += pal;
            } else {
                format.VideoHeight = ntscHeight;
                line += ntsc;
            }
        };
        if (format.FormatId == 60) target(720, 576, 480, "-target pal-dv ", "-target ntsc-dv ");
        else if (format.FormatId == 65) target(720, 576, 480, "-target pal-dvd ", "-target ntsc-dvd ");
        else if (format.FormatId == 180) target(352, 288, 240, "-target pal-vcd ", "-target ntsc-vcd ");

        const bool padMode = format.AddPadding || formats::IsFixedSizeList(video->FrameSizes);
        FrameSizeResult size = ComputeFrameSize(format, source, padMode);

        if (settings.CropSameAsLeft) settings.CropRight = settings.CropLeft;
        if (settings.CropSameAsTop) settings.CropBottom = settings.CropTop;
        std::string cropFilter;
        if (settings.CropPictures &&
            (settings.CropLeft > 0 || settings.CropRight > 0 || settings.CropTop > 0 || settings.CropBottom > 0)) {
            const int cropWidth = Truncate(double(settings.CropLeft) + settings.CropRight);
            const int cropHeight = Truncate(double(settings.CropTop) + settings.CropBottom);
            size.displayWidth = Truncate(double(size.displayWidth) - cropWidth);
            size.displayHeight = Truncate(double(size.displayHeight) - cropHeight);
            cropFilter =
                fmt::format("crop=in_w-{}:in_h-{}:{}:{}", cropWidth, cropHeight, settings.CropLeft, settings.CropTop);
        }

        static const char* const rotateFilters[] = {"",      "transpose=1", "transpose=3", "transpose=2", "transpose=0",
                                                    "hflip", "vflip"};
        const bool validRotation = settings.RotateFlip >= 0 && settings.RotateFlip <= 6;
        const std::string rotateFilter = validRotation ? rotateFilters[settings.RotateFlip] : "";
        const bool transposed = settings.RotateFlip >= 1 && settings.RotateFlip <= 4;

        const bool imageSequence = format.Family == formats::FamilyImageSequence;
        std::string fpsFilter;
        if (imageSequence && UsableRate(format.VideoFrameRate))
            fpsFilter = fmt::format("fps=fps={:.3f}", format.VideoFrameRate);

        if (size.padFilter.empty() && cropFilter.empty() && rotateFilter.empty() && fpsFilter.empty()) {
            line += size.sizeOption;
        } else {
            std::string chain;
            if (size.frameWidth > 0 && size.frameHeight > 0 &&
                (size.frameWidth != source.width || size.frameHeight != source.height)) {
                chain = fmt::format("scale={}:{},", size.frameWidth, size.frameHeight);
            }
            std::string joined;
            for (const std::string& f : {size.padFilter, cropFilter, rotateFilter, fpsFilter}) {
                if (f.empty()) continue;
                if (!joined.empty()) joined += ',';
                joined += f;
            }
            line += "-vf \"" + chain + joined + "\" ";
        }

        if (!format.VideoAspect.empty() && !format.AddPadding && format.VideoAspect[0] != 'N') {
            line += "-aspect " + ArgumentText(format.VideoAspect) + " ";
        } else if (size.displayWidth > 0 && size.displayHeight > 0) {
            line += transposed ? fmt::format("-aspect {}:{} ", size.displayHeight, size.displayWidth)
                               : fmt::format("-aspect {}:{} ", size.displayWidth, size.displayHeight);
        }

        if (settings.VideoDeinterlace && !concat) line += "-deinterlace ";

        if (format.VideoVBREnabled && format.VideoVBRQuality != -1 && video->QualityHigh != -1 &&
            video->QualityLow != -1) {
            const int q = format.VideoVBRQuality;
            if (videoClass == VideoClass::X264 || videoClass == VideoClass::X265) line += fmt::format("-crf {} ", q);
            else if (videoClass == VideoClass::Vpx) line += fmt::format("-qmin {} -qmax {} ", q, q);
            else line += fmt::format("-q:v {} ", q);
        } else if (video->BitRates) {
            if (format.VideoBitRate > 0) {
                line += fmt::format("-b:v {} ", format.VideoBitRate);
            } else if (size.frameWidth > 0 && size.frameHeight > 0) {
                const double shape = static_cast<double>(size.frameWidth) / size.frameHeight;
                int kbps = Truncate(shape >= 1.8 ? size.frameWidth * 2.0 : size.frameWidth * 2.4);
                if (videoClass != VideoClass::None) kbps /= 2;
                line += fmt::format("-b:v {}k ", kbps);
            }
        }

        if (UsableRate(format.VideoFrameRate)) {
            if (!imageSequence) line += fmt::format("-r {:.3f} ", format.VideoFrameRate);
        } else if (UsableRate(source.frameRate)) {
            line += fmt::format("-r {:.3f} ", source.frameRate);
        } else {
            line += "-r 30 ";
        }
    } else if (settings.KeepID3Tag && format.FormatId == 1160) {
        line += "-c:v mjpeg -q:v 2 ";  // keeps the cover picture
    } else {
        line += "-vn ";
    }

    const formats::AudioCodecInfo* audio = format.AudioCodecs && format.AudioEnable && !format.AudioCodec.empty()
                                               ? formats::FindAudioCodec(format)
                                               : nullptr;
    if (audio && audioStreams > 0) {
        // The selected stream is kept in range by its owners; stay safe if it is not.
        const std::size_t i =
            source.selectedAudioStream >= 0 && static_cast<std::size_t>(source.selectedAudioStream) < audioStreams
                ? static_cast<std::size_t>(source.selectedAudioStream)
                : 0;
        if (audioStreams > 1 && i < source.audioStreamIds.size()) line += "-map " + source.audioStreamIds[i] + " ";
        int channels = format.AudioChannels;
        if (channels == 0 && i < source.audioChannels.size()) channels = static_cast<int>(source.audioChannels[i]);
        channels = FitChannels(channels, audio->ChannelMask);

        line += "-c:a ";
        line += format.AudioCodec == "aac" ? std::string("aac -strict -2 -cutoff 21000 ") : format.AudioCodec + " ";
        if (format.FormatId == 1010) line += "-write_apetag 1 ";
        else if (format.FormatId == 1040) line += "-write_id3v2 1 -id3v2_version 3 ";
        else if (format.FormatId == 1160) line += "-id3v2_version 3 ";

        int rate = format.AudioSampleRate;
        if (rate == 0) rate = static_cast<int>(source.audioSampleRates[i]);
        if (rate == 0) rate = 44100;
        rate = util::NearestListValue(rate, audio->SampleRates);
        line += fmt::format("-ar {} ", rate);
        line += fmt::format("-ac {} ", channels);
        if (format.AudioCodec == "dca") line += "-strict -2 ";

        if (format.AudioVBREnabled && format.AudioVBRQuality != -1 && (audio->RateControl & formats::kRateVbrQuality) &&
            audio->QualityHigh != -1 && audio->QualityLow != -1) {
            line += fmt::format("-q:a {} ", format.AudioVBRQuality);
        } else if (audio->BitRates) {
            if (audio->RateControl & formats::kRateCompressionLevels) {
                line += fmt::format("-compression_level {} ",
                                    util::NearestListValue(format.AudioCompressionLevel, audio->BitRates));
            } else {
                int bitRate = format.AudioBitRate;
                if (bitRate == 0) bitRate = DefaultAudioBitRate(rate, channels);
                bitRate = util::NearestListValue(bitRate, audio->BitRates);
                if (format.AudioCodec == "g726") bitRate *= rate;  // the list holds bits per sample
                line += fmt::format("-b:a {} ", bitRate);
            }
        }
        if (format.AudioVolume != 100) line += fmt::format("-vol {} ", Truncate(format.AudioVolume * 2.56));
        if (settings.FixAudioUnsync && !concat) line += "-async 1 ";
    } else {
        line += "-an ";
    }

    if (settings.EnableSkipLength && settings.SkipLength > 0) {
        line += "-ss " + FormatTimeOption(settings.SkipLength) + " ";
    }
    if (settings.EnableConvertLength && settings.ConvertLength > 0) {
        line += "-t " + FormatTimeOption(settings.ConvertLength) + " ";
    } else if (settings.EnableIgnoreTheLast && settings.IgnoreLength > 0) {
        line += "-t " + FormatTimeOption(ConvertedLengthMs(settings, source.durationSeconds)) + " ";
    }

    if (!settings.KeepID3Tag) line += "-map_metadata -1 ";

    std::string output = source.outputPath;
    if (format.Family == formats::FamilyImageSequence) {
        const ImageSequenceNames names = ImageSequenceNamesFor(format, source, output);
        source.outputPath = names.firstImage;
        output = names.pattern;
    }
    line += "-y " + platform::QuoteArgument(output);
    return line;
}

long long ConvertedLengthMs(const formats::ConversionSettings& settings, uint32_t durationSeconds) {
    const long long duration = static_cast<long long>(durationSeconds) * 1000;
    long long remaining = duration;
    if (settings.EnableSkipLength && settings.SkipLength > 0) {
        remaining = settings.SkipLength < remaining ? remaining - settings.SkipLength : 0;
    }
    if (settings.EnableConvertLength && settings.ConvertLength > 0) {
        // An unknown length is taken to be long enough.
        return duration == 0 ? settings.ConvertLength : std::min<long long>(settings.ConvertLength, remaining);
    }
    if (settings.EnableIgnoreTheLast && settings.IgnoreLength > 0) {
        return remaining > settings.IgnoreLength ? remaining - settings.IgnoreLength : 0;
    }
    return remaining;
}

ImageSequenceNames ImageSequenceNamesFor(const formats::OutputFormat& format, const SourceItem& source,
                                         const std::string& outputPath) {
    std::size_t at = util::ExtensionPart(outputPath);
    if (at == std::string::npos) at = outputPath.size();
    std::string number = "_%d";
    std::string first = "_1";
    if (source.durationSeconds > 0) {
        const double fps = UsableRate(format.VideoFrameRate) ? format.VideoFrameRate
                           : UsableRate(source.frameRate)    ? source.frameRate
                                                             : 30.0;
        const int digits = DecimalDigits(Truncate(source.durationSeconds * fps));
        number = fmt::format("_%0{}d", digits);
        first = fmt::format("_{:0{}}", 1, digits);
    }
    ImageSequenceNames names;
    names.firstImage = outputPath.substr(0, at) + first + outputPath.substr(at);
    // The image writer reads "%" as the start of a number pattern; "%%" is a plain one.
    for (std::size_t i = 0; i < outputPath.size(); ++i) {
        if (i == at) names.pattern += number;
        names.pattern += outputPath[i];
        if (outputPath[i] == '%') names.pattern += '%';
    }
    if (at == outputPath.size()) names.pattern += number;
    return names;
}

}  // namespace quillon::engine
