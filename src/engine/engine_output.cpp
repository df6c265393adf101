#include "engine/engine_output.h"

#include "engine/text_numbers.h"

namespace quillon::engine {

using detail::IsDigit;
using detail::LeadingDouble;
using detail::ReadDigits;
using detail::SkipBlanks;

namespace {

// "time=HH:MM:SS.hh": hours, minutes, seconds and hundredths, stopping at the first missing
// separator. A separator must follow its number directly, so a "." further on in the line (in
// "bitrate= 473.9kbits/s") is never taken for the seconds' fraction.
int64_t ParseClockTime(std::string_view text) {
    std::size_t pos = 0;
    auto separator = [&](char c) {
        if (pos >= text.size() || text[pos] != c) return false;
        ++pos;
        return true;
    };
    int64_t ms = static_cast<int64_t>(ReadDigits(text, pos)) * 3'600'000;
    if (!separator(':')) return ms;
    ms += static_cast<int64_t>(ReadDigits(text, pos)) * 60'000;
    if (!separator(':')) return ms;
    ms += static_cast<int64_t>(ReadDigits(text, pos)) * 1'000;
    if (!separator('.')) return ms;
    // Two digits are hundredths; a longer fraction counts with its first two digits.
    std::size_t end = pos;
    while (end < text.size() && end < pos + 2 && IsDigit(text[end])) ++end;
    ms += static_cast<int64_t>(ReadDigits(text.substr(0, end), pos)) * 10;
    return ms;
}

}  // namespace

EngineLine ClassifyEngineLine(std::string_view line) {
    EngineLine result;
    if (line.empty()) return result;
    if (line.starts_with("frame=") || line.starts_with("size=")) {
        const std::size_t at = line.find("time=");
        if (at == std::string_view::npos) return result;
        result.kind = EngineLine::Kind::Progress;
        result.elapsedMs = ParseClockTime(line.substr(at + 5));
        return result;
    }
    if (line.starts_with("{\"")) {
        constexpr std::string_view kPosition = "\"position\":";
        const std::size_t at = line.find(kPosition);
        if (at == std::string_view::npos) return result;
        const double seconds = LeadingDouble(SkipBlanks(line.substr(at + kPosition.size())));
        result.kind = EngineLine::Kind::Progress;
        // Truncated; a position beyond what int64 holds cannot come from a real encoder.
        result.elapsedMs = seconds > 0 && seconds < 9.2e15 ? static_cast<int64_t>(seconds * 1000) : 0;
        return result;
    }
    result.kind = EngineLine::Kind::Message;
    return result;
}

int32_t ProgressPercent(int64_t elapsedMs, uint32_t durationSeconds) {
    if (durationSeconds == 0) return -1;
    const int64_t msPerPercent = static_cast<int64_t>(durationSeconds) * 1000 / 100;
    const int64_t percent = elapsedMs / msPerPercent;
    return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

void ConversionOutputReader::Feed(std::string_view bytes) {
    sink_.EngineOutput(source_, bytes);
    lines_.Feed(bytes, [this](std::string_view line) { HandleLine(line); });
}

void ConversionOutputReader::Finish() {
    lines_.Finish([this](std::string_view line) { HandleLine(line); });
}

void ConversionOutputReader::HandleLine(std::string_view line) {
    const EngineLine classified = ClassifyEngineLine(line);
    switch (classified.kind) {
    case EngineLine::Kind::Progress:
        sink_.EngineProgress(source_, ProgressPercent(classified.elapsedMs, durationSeconds_), classified.elapsedMs);
        break;
    case EngineLine::Kind::Message: lastLine_.assign(line); break;
    case EngineLine::Kind::Ignored: break;
    }
}

}  // namespace quillon::engine
