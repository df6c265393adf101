#include "engine/probe_parser.h"

#include <algorithm>
#include <vector>

#include "engine/line_assembler.h"
#include "engine/text_numbers.h"

namespace quillon::engine {

using detail::IsDigit;
using detail::LeadingDouble;
using detail::LeadingUnsigned;
using detail::ReadDigits;
using detail::SkipBlanks;

namespace {

int32_t ToInt32(uint64_t value) { return static_cast<int32_t>(std::min<uint64_t>(value, INT32_MAX)); }

// ffmpeg prints an unset 32-bit bit rate (UINT32_MAX bit/s) as 4294967 kb/s: that is no rate.
uint64_t BitRateOf(std::string_view token) {
    constexpr uint64_t kUnsetBitRate = UINT32_MAX / 1000;
    const uint64_t kbps = LeadingUnsigned(token);
    return kbps >= kUnsetBitRate ? 0 : kbps;
}

// A saturated, absurd width stays even too: later size arithmetic relies on even widths.
int32_t RoundUpToEven(int32_t value) {
    if (value % 2 == 0) return value;
    return value == INT32_MAX ? value - 1 : value + 1;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Non-empty comma-separated tokens, each without its leading blanks and tabs.
std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string_view token = SkipBlanks(text.substr(start, comma - start));
        if (!token.empty()) tokens.push_back(token);
        start = comma + 1;
    }
    return tokens;
}

// The ratio a:b from the text behind "DAR " in `text`, when both numbers are above 0.
bool ReadDar(std::string_view text, double& ratio) {
    const std::size_t at = text.find("DAR ");
    if (at == std::string_view::npos) return false;
    std::string_view rest = text.substr(at + 4);
    const double a = LeadingDouble(rest);
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return false;
    const double b = LeadingDouble(rest.substr(colon + 1));
    if (a > 0 && b > 0) {
        ratio = a / b;
        return true;
    }
    return false;
}

// A size token: digits, "x", digits, then its end or a blank.
bool ReadFrameSize(std::string_view token, VideoStreamFacts& facts) {
    std::size_t pos = 0;
    const uint64_t width = ReadDigits(token, pos);
    if (pos == 0 || pos >= token.size() || token[pos] != 'x') return false;
    const std::size_t heightStart = ++pos;
    const uint64_t height = ReadDigits(token, pos);
    if (pos == heightStart) return false;
    if (pos < token.size() && token[pos] != ' ') return false;
    facts.width = RoundUpToEven(ToInt32(width));
    facts.height = ToInt32(height);
    double ratio = 0;
    if (ReadDar(token.substr(heightStart), ratio)) facts.displayAspectRatio = ratio;
    return true;
}

}  // namespace

uint32_t ParseDuration(std::string_view text) {
    if (text.starts_with("N/A")) return 0;
    text = text.substr(0, text.find(','));
    std::size_t pos = 0;
    uint64_t total = ReadDigits(text, pos) * 3600;
    std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        pos = colon + 1;
        total += ReadDigits(text, pos) * 60;
        colon = text.find(':', pos);
        if (colon != std::string_view::npos) {
            pos = colon + 1;
            total += ReadDigits(text, pos);
        }
    }
    return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

VideoStreamFacts ParseVideoStream(std::string_view text) {
    VideoStreamFacts facts;
    double tbr = -1;
    for (std::string_view token : Tokens(text)) {
        if (IsDigit(token.front()) && ReadFrameSize(token, facts)) continue;
        if (Contains(token, " fps")) {
            facts.frameRate = LeadingDouble(token);
        } else if (Contains(token, " tbr")) {
            tbr = LeadingDouble(token);
        } else if (Contains(token, " kb/s")) {
            facts.bitRate = ToInt32(BitRateOf(token));
        } else {
            double ratio = 0;
            if (ReadDar(token, ratio)) facts.displayAspectRatio = ratio;
        }
    }
    // Streams without an fps figure still name a plausible rate as tbr; high tbr values are
    // field or timebase rates, not frame rates.
    if (facts.frameRate < 0 && tbr > 0 && tbr < 60.1) facts.frameRate = tbr;
    return facts;
}

AudioStreamFacts ParseAudioStream(std::string_view text) {
    AudioStreamFacts facts;
    struct Layout {
        std::string_view prefix;
        uint32_t channels;
    };
    static constexpr Layout kLayouts[] = {
        {"stereo", 2}, {"mono", 1}, {"5.1", 6}, {"4.0", 4}, {"2.1", 3}, {"4.1", 5}, {"5.0", 5}, {"6.1", 7}, {"7.1", 8},
    };
    auto toUint32 = [](uint64_t v) { return static_cast<uint32_t>(std::min<uint64_t>(v, UINT32_MAX)); };
    for (std::string_view token : Tokens(text)) {
        if (Contains(token, " Hz")) {
            facts.sampleRate = toUint32(LeadingUnsigned(token));
        } else if (Contains(token, " kb/s")) {
            facts.bitRate = toUint32(BitRateOf(token));
        } else if (Contains(token, " channels")) {
            facts.channels = toUint32(LeadingUnsigned(token));
        } else {
            for (const Layout& layout : kLayouts) {
                if (token.starts_with(layout.prefix)) {
                    facts.channels = layout.channels;
                    break;
                }
            }
        }
    }
    return facts;
}

void ProbeOutputParser::ParseLine(std::string_view line) {
    line = SkipBlanks(line);
    if (line.starts_with("Duration:")) {
        if (sawDuration_) return;  // a later input section does not change the duration
        sawDuration_ = true;
        info_.durationSeconds = ParseDuration(SkipBlanks(line.substr(9)));
        return;
    }
    constexpr std::string_view kStream = "Stream #";
    if (!line.starts_with(kStream)) return;
    std::string_view rest = line.substr(kStream.size());

    std::string specifier;
    bool sawColon = false;
    for (char c : rest) {
        if (c == ':' && !sawColon) {
            sawColon = true;
        } else if (!IsDigit(c)) {
            break;
        }
        if (specifier.size() < kMaxSpecifierLength) specifier.push_back(c);
    }

    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return;
    std::string_view kind = SkipBlanks(rest.substr(blank));
    if (kind.starts_with("Video:")) {
        if (sawVideo_) return;
        sawVideo_ = true;
        const VideoStreamFacts facts = ParseVideoStream(kind.substr(6));
        info_.width = facts.width;
        info_.height = facts.height;
        info_.videoBitRate = facts.bitRate;
        info_.frameRate = facts.frameRate;
        info_.displayAspectRatio = facts.displayAspectRatio;
        info_.videoStreamId = std::move(specifier);
    } else if (kind.starts_with("Audio:")) {
        const AudioStreamFacts facts = ParseAudioStream(kind.substr(6));
        info_.audioStreamIds.push_back(std::move(specifier));
        info_.audioBitRates.push_back(facts.bitRate);
        info_.audioSampleRates.push_back(facts.sampleRate);
        info_.audioChannels.push_back(facts.channels);
    }
}

bool ParseProbeOutput(MediaInfo& info, std::string_view output) {
    info = MediaInfo{};
    ProbeOutputParser parser(info);
    LineAssembler lines;
    auto onLine = [&](std::string_view line) { parser.ParseLine(line); };
    lines.Feed(output, onLine);
    lines.Finish(onLine);
    return parser.FoundStream();
}

}  // namespace quillon::engine
