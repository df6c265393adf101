#include "adapter_common/ferrox_codec_translations.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "util/numbers.h"
#include "util/paths.h"

namespace quillon::engine {

namespace {

using Arguments = std::vector<std::string>;

// The index of the value of the last `option` among the output options, or 0.
std::size_t FindValue(const Arguments& args, std::size_t start, std::string_view option) {
    std::size_t found = 0;
    for (std::size_t i = start; i + 2 < args.size(); ++i) {
        if (args[i] == option) found = i + 1;
    }
    return found;
}

void SetOption(Arguments& args, std::size_t start, const std::string& option, const std::string& value) {
    if (std::size_t at = FindValue(args, start, option)) {
        args[at] = value;
    } else {
        args.insert(args.end() - 1, {option, value});
    }
}

void RemoveOption(Arguments& args, std::size_t start, std::string_view option) {
    while (std::size_t at = FindValue(args, start, option)) {
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(at - 1),
                   args.begin() + static_cast<std::ptrdiff_t>(at + 1));
    }
}

// The height of the picture the output gets: a pad or scale in the filter, else "-s".
int OutputHeight(const Arguments& args, std::size_t start) {
    if (std::size_t vf = FindValue(args, start, "-vf")) {
        const std::string& chain = args[vf];
        for (const char* filter : {"pad=", "scale="}) {
            const std::size_t at = chain.find(filter);
            if (at == std::string::npos) continue;
            const std::size_t colon = chain.find(':', at);
            if (colon != std::string::npos) return util::LeadingInteger(std::string_view(chain).substr(colon + 1));
        }
    }
    if (std::size_t s = FindValue(args, start, "-s")) {
        const std::size_t x = args[s].find('x');
        if (x != std::string::npos) return util::LeadingInteger(std::string_view(args[s]).substr(x + 1));
    }
    return 0;
}

// Encoders of the formats people play on devices, players and the web. Given a 4:4:4, 4:2:2,
// RGB or 10-bit source they keep its sampling and write profiles few decoders support (or,
// with a baseline or main profile, refuse to start), so they get 8-bit 4:2:0. Editing and
// archiving codecs (ProRes, DV, MJPEG, lossless ones, images) keep what their encoder picks.
bool PlaysOnlyAs420(std::string_view codec) {
    static constexpr std::string_view kCodecs[] = {
        "libx264", "libx265", "mpeg4",      "libxvid",    "msmpeg4", "msmpeg4v2",  "h263",      "h263p", "flv",
        "wmv1",    "wmv2",    "mpeg1video", "mpeg2video", "libvpx",  "libvpx-vp9", "libtheora", "h261",
    };
    return std::find(std::begin(kCodecs), std::end(kCodecs), codec) != std::end(kCodecs);
}

// The start of the output options (behind the last input's file name), 0 without an input.
std::size_t OutputStart(const Arguments& args) {
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") start = i + 2;
    }
    return start;
}

}  // namespace

void TranslateCodecChoices(Arguments& args) {
    if (args.size() < 2) return;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-i") start = i + 2;
        // Concat lists name their files by absolute paths, which ffmpeg only reads when told.
        if (args[i] == "-f" && args[i + 1] == "concat" && start == 0) {
            args.insert(args.begin() + static_cast<std::ptrdiff_t>(i + 2), {"-safe", "0"});
            i += 2;
        }
    }
    if (start == 0) return;
    const std::size_t codecAt = FindValue(args, start, "-c:v");
    const std::string codec = codecAt ? args[codecAt] : std::string();
    const std::string extension = util::LowerExtension(args.back());

    // The DV writer needs audio for every frame from the first one and stops at the first gap;
    // let the resampler start the audio with the video and close later gaps.
    const std::size_t target = FindValue(args, start, "-target");
    const std::string targetName = target ? args[target] : std::string();
    const bool rawDv = extension == "dv" || targetName == "pal-dv" || targetName == "ntsc-dv";
    if (rawDv && FindValue(args, start, "-c:a") && !FindValue(args, start, "-af")) {
        args.insert(args.end() - 1, {"-af", "aresample=async=1:first_pts=0"});
    }
    // A DV target fixes the frame rate, whatever rate was asked for besides.
    if (targetName == "pal-dv") SetOption(args, start, "-r", "25");
    else if (targetName == "ntsc-dv") SetOption(args, start, "-r", "30000/1001");

    if (codec == "libschroedinger") {
        // Dirac through ffmpeg's own VC-2 encoder, which has no quality scale: the quality
        // (2 low .. 31 high) becomes a bit rate.
        args[codecAt] = "vc2";
        if (std::size_t q = FindValue(args, start, "-q:v")) {
            const int quality = util::LeadingInteger(args[q]);
            RemoveOption(args, start, "-q:v");
            SetOption(args, start, "-b:v", std::to_string(std::clamp(quality, 1, 31) * 250) + "k");
        }
    } else if (codec.starts_with("libvpx")) {
        // libvpx refuses a quantizer range that excludes its default quality level; a fixed
        // quantizer is its constant-quality mode.
        const std::size_t qmin = FindValue(args, start, "-qmin");
        const std::size_t qmax = FindValue(args, start, "-qmax");
        if (qmin && qmax && args[qmin] == args[qmax] && !FindValue(args, start, "-b:v")) {
            const std::string quality = args[qmin];
            RemoveOption(args, start, "-qmin");
            RemoveOption(args, start, "-qmax");
            args.insert(args.end() - 1, {"-crf", quality, "-b:v", "0"});
        }
    } else if (codec == "dvvideo" && !FindValue(args, start, "-target")) {
        // DV fixes the frame rate by its TV system, which the height tells.
        const int height = OutputHeight(args, start);
        if (height == 480) {
            SetOption(args, start, "-r", "30000/1001");
            SetOption(args, start, "-pix_fmt", "yuv411p");
        } else if (height == 576) {
            SetOption(args, start, "-r", "25");
        }
    } else if (codec == "libx265") {
        // ffmpeg's AVI writer has no tag of its own for HEVC, and the iPod writer refuses it.
        if (extension == "avi") {
            SetOption(args, start, "-tag:v", "HEVC");
        } else if (std::size_t f = FindValue(args, start, "-f"); f && args[f] == "ipod") {
            args[f] = "mp4";
            SetOption(args, start, "-tag:v", "hvc1");
        }
    }

    if (codecAt && PlaysOnlyAs420(args[codecAt]) && !FindValue(args, start, "-pix_fmt")) {
        SetOption(args, start, "-pix_fmt", "yuv420p");
    }
}

std::string UnreadableCombination(const Arguments& args) {
    const std::size_t start = OutputStart(args);
    if (start == 0 || start >= args.size()) return {};
    const std::size_t codecAt = FindValue(args, start, "-c:v");
    const std::string videoCodec = codecAt ? args[codecAt] : std::string();
    const std::size_t audioAt = FindValue(args, start, "-c:a");
    const std::string audioCodec = audioAt ? args[audioAt] : std::string();
    const std::size_t formatAt = FindValue(args, start, "-f");
    const std::string extension = util::LowerExtension(args.back());
    const std::string container = formatAt ? args[formatAt] : extension;

    if (container == "avi" && (videoCodec == "rv10" || videoCodec == "rv20")) {
        return "RealVideo cannot be stored in an AVI file that players can read; choose another codec";
    }
    // ffmpeg's SWF writer stops at the header for anything else, after it has created the file.
    if (container == "swf") {
        const bool videoFits =
            videoCodec.empty() || videoCodec == "flv" || videoCodec == "mjpeg" || videoCodec == "copy";
        if (!videoFits)
            return "An SWF file holds only Flash Video (FLV1) or Motion JPEG video; choose one of those codecs";
        const bool audioFits =
            audioCodec.empty() || audioCodec == "libmp3lame" || audioCodec == "mp3" || audioCodec == "copy";
        if (!audioFits) return "An SWF file holds only MP3 audio; choose the MP3 codec";
    }
    return {};
}

std::string ConversionOutputFile(const Arguments& args) {
    const std::size_t start = OutputStart(args);
    if (start == 0 || start >= args.size()) return {};
    const std::string& output = args.back();
    if (output.find('%') != std::string::npos) return {};
    if (std::size_t f = FindValue(args, start, "-f"); f && args[f].starts_with("image2")) return {};
    return output;
}

}  // namespace quillon::engine
