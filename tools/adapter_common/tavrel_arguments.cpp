#include "adapter_common/tavrel_arguments.h"

#include <fmt/format.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "util/numbers.h"

namespace quillon::engine {

namespace {

bool ParseInt(const std::string& text, int& out) {
    const std::optional<int> value = util::ReadInteger<int>(text);
    if (!value || *value < -1000000000 || *value > 1000000000) return false;
    out = *value;
    return true;
}

bool ParseNumberText(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return *end == '\0' || *end == ':' || *end == '/';
}

// "HH:MM:SS.xx" to seconds; -1 when it does not read.
double ClockSeconds(std::string_view text) {
    int h = 0, m = 0;
    double s = 0;
    std::string copy(text.substr(0, 16));
    if (std::sscanf(copy.c_str(), "%d:%d:%lf", &h, &m, &s) != 3) return -1;
    return h * 3600.0 + m * 60.0 + s;
}

}  // namespace

std::optional<TavrelOptions> ParseTavrelArguments(const std::vector<std::string>& args, std::string& error) {
    TavrelOptions o;
    struct IntOption {
        const char* shortName;
        const char* longName;
        int TavrelOptions::*field;
        int minimum;
    };
    static const IntOption intOptions[] = {
        {"-s", "--starttime", &TavrelOptions::startSeconds, 0},
        {"-e", "--endtime", &TavrelOptions::endSeconds, 0},
        {"-x", "--width", &TavrelOptions::width, 1},
        {"-y", "--height", &TavrelOptions::height, 1},
        {nullptr, "--cropleft", &TavrelOptions::cropLeft, 0},
        {nullptr, "--cropright", &TavrelOptions::cropRight, 0},
        {nullptr, "--croptop", &TavrelOptions::cropTop, 0},
        {nullptr, "--cropbottom", &TavrelOptions::cropBottom, 0},
        {"-v", "--videoquality", &TavrelOptions::videoQuality, 0},
        {nullptr, "--audiostream", &TavrelOptions::audioStream, 1},
        {"-H", "--samplerate", &TavrelOptions::sampleRate, 1},
        {"-c", "--channels", &TavrelOptions::channels, 1},
        {"-A", "--audiobitrate", &TavrelOptions::audioKbps, 1},
    };
    struct FlagOption {
        const char* name;
        bool TavrelOptions::*field;
    };
    static const FlagOption flags[] = {
        {"--frontend", &TavrelOptions::frontend}, {"--novideo", &TavrelOptions::noVideo},
        {"--noaudio", &TavrelOptions::noAudio},   {"--nometadata", &TavrelOptions::noMetadata},
        {"--nosync", &TavrelOptions::noSync},     {"--deinterlace", &TavrelOptions::deinterlace},
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        bool handled = false;
        for (const FlagOption& f : flags) {
            if (arg == f.name) {
                o.*(f.field) = true;
                handled = true;
            }
        }
        if (arg == "--nosubtitles") handled = true;  // subtitles are never written
        for (const IntOption& opt : intOptions) {
            if (handled || !((opt.shortName && arg == opt.shortName) || arg == opt.longName)) continue;
            std::string text;
            if (!value(text)) return std::nullopt;
            int number = 0;
            if (!ParseInt(text, number) || number < opt.minimum) {
                error = "invalid value \"" + text + "\" for " + arg;
                return std::nullopt;
            }
            o.*(opt.field) = number;
            handled = true;
        }
        if (handled) continue;
        if (arg == "--aspect" || arg == "-F" || arg == "--framerate" || arg == "-a" || arg == "--audioquality") {
            std::string text;
            if (!value(text)) return std::nullopt;
            if (!ParseNumberText(text)) {
                error = "invalid value \"" + text + "\" for " + arg;
                return std::nullopt;
            }
            if (arg == "--aspect") o.aspect = text;
            else if (arg == "-F" || arg == "--framerate") o.frameRate = text;
            else o.audioQuality = text;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(o.output)) return std::nullopt;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (o.input.empty()) {
            o.input = arg;
        } else {
            error = "more than one input file: " + arg;
            return std::nullopt;
        }
    }
    if (o.input.empty()) {
        error = "no input file";
        return std::nullopt;
    }
    if (o.output.empty()) {
        error = "no output file (-o)";
        return std::nullopt;
    }
    if (o.noVideo && o.noAudio) {
        error = "nothing to encode: both --novideo and --noaudio";
        return std::nullopt;
    }
    o.videoQuality = o.videoQuality < 0 ? -1 : std::min(o.videoQuality, 10);
    return o;
}

std::vector<std::string> BuildTavrelFfmpegArguments(const TavrelOptions& o, const std::string& ffmpeg) {
    std::vector<std::string> a{ffmpeg, "-nostdin", "-hide_banner", "-y"};
    if (o.frontend) a.insert(a.end(), {"-loglevel", "level+info", "-nostats", "-progress", "pipe:1"});
    const int start = std::max(o.startSeconds, 0);
    if (start > 0) a.insert(a.end(), {"-ss", std::to_string(start)});
    a.insert(a.end(), {"-i", o.input});
    if (o.endSeconds >= 0) a.insert(a.end(), {"-t", std::to_string(std::max(o.endSeconds - start, 0))});
    a.insert(a.end(), {"-dn", "-sn"});
    if (o.audioStream > 0) {
        if (!o.noVideo) a.insert(a.end(), {"-map", "0:v:0?"});
        if (!o.noAudio) a.insert(a.end(), {"-map", "0:a:" + std::to_string(o.audioStream - 1)});
    }

    if (o.noVideo) {
        a.push_back("-vn");
    } else {
        std::vector<std::string> filters;
        if (o.deinterlace) filters.push_back("yadif");
        const int cropWidth = o.cropLeft + o.cropRight, cropHeight = o.cropTop + o.cropBottom;
        if (cropWidth > 0 || cropHeight > 0) {
            filters.push_back("crop=in_w-" + std::to_string(cropWidth) + ":in_h-" + std::to_string(cropHeight) + ":" +
                              std::to_string(o.cropLeft) + ":" + std::to_string(o.cropTop));
        }
        if (o.width > 0 || o.height > 0) {
            // A lone dimension keeps the picture's proportions; Theora needs even sizes.
            filters.push_back("scale=" + (o.width > 0 ? std::to_string(o.width) : std::string("-2")) + ":" +
                              (o.height > 0 ? std::to_string(o.height) : std::string("-2")));
        }
        if (!filters.empty()) {
            std::string chain;
            for (const auto& f : filters) chain += (chain.empty() ? "" : ",") + f;
            a.insert(a.end(), {"-vf", chain});
        }
        a.insert(a.end(), {"-c:v", "libtheora", "-pix_fmt", "yuv420p"});
        a.insert(a.end(), {"-q:v", std::to_string(o.videoQuality >= 0 ? o.videoQuality : 6)});
        if (!o.aspect.empty()) a.insert(a.end(), {"-aspect", o.aspect});
        if (!o.frameRate.empty()) a.insert(a.end(), {"-r", o.frameRate});
    }

    if (o.noAudio) {
        a.push_back("-an");
    } else {
        a.insert(a.end(), {"-c:a", "libvorbis"});
        if (o.sampleRate > 0) a.insert(a.end(), {"-ar", std::to_string(o.sampleRate)});
        if (o.channels > 0) a.insert(a.end(), {"-ac", std::to_string(o.channels)});
        if (!o.audioQuality.empty()) a.insert(a.end(), {"-q:a", o.audioQuality});
        else if (o.audioKbps > 0) a.insert(a.end(), {"-b:a", std::to_string(o.audioKbps) + "k"});
        else a.insert(a.end(), {"-q:a", "1"});
        // Keeping audio in step with the video is the default; --nosync turns it off.
        if (!o.noSync) a.insert(a.end(), {"-af", "aresample=async=1"});
    }
    if (o.noMetadata) a.insert(a.end(), {"-map_metadata", "-1"});
    a.insert(a.end(), {"-f", "ogg", o.output});
    return a;
}

double TavrelProgress::ExpectedDuration() const {
    if (sourceDuration_ < 0) return -1;
    const double start = std::max(options_.startSeconds, 0);
    double end = sourceDuration_;
    if (options_.endSeconds >= 0) end = std::min(end, static_cast<double>(options_.endSeconds));
    return std::max(end - start, 0.0);
}

std::optional<std::string> TavrelProgress::Feed(const std::string& line) {
    if (line.starts_with("out_time_us=")) {
        char* end = nullptr;
        long long us = std::strtoll(line.c_str() + 12, &end, 10);
        if (end != line.c_str() + 12 && us >= 0) position_ = static_cast<double>(us) / 1e6;
        return std::nullopt;
    }
    if (line.starts_with("progress=")) {
        const double duration = ExpectedDuration();
        if (duration >= 0) return fmt::format("{{\"duration\": {:.3f}, \"position\": {:.3f}}}", duration, position_);
        return fmt::format("{{\"position\": {:.3f}}}", position_);
    }
    // Remaining progress keys (frame=, fps=, bitrate=, ...) have no "[level]" prefix.
    if (line.empty() || line[0] != '[') return std::nullopt;
    static constexpr std::string_view levels[] = {"[info] ", "[warning] ", "[error] ", "[fatal] ", "[panic] "};
    for (size_t i = 0; i < std::size(levels); ++i) {
        const std::string_view level = levels[i];
        const size_t at = line.find(level);
        if (at == std::string::npos) continue;
        std::string rest = line.substr(0, at) + line.substr(at + level.size());
        if (i == 0) {
            const size_t d = rest.find("Duration: ");
            if (d != std::string::npos && sourceDuration_ < 0) {
                sourceDuration_ = ClockSeconds(std::string_view(rest).substr(d + 10));
            }
            return std::nullopt;
        }
        return rest;
    }
    return std::nullopt;
}

}  // namespace quillon::engine
