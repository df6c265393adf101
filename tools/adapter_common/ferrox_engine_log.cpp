#include "adapter_common/ferrox_engine_log.h"

#include <algorithm>

#include "engine/text_numbers.h"

namespace quillon::engine {

namespace {

// ffmpeg's own lines can be long (stream descriptions, filter graphs); anything beyond this
// without a line end is passed on as it is.
constexpr std::size_t kLongestLine = 64 * 1024;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return detail::SkipBlanks(text);
}

bool IsLevelName(std::string_view name) {
    static constexpr std::string_view kLevels[] = {"quiet", "panic",   "fatal", "error", "warning",
                                                   "info",  "verbose", "debug", "trace"};
    return std::find(std::begin(kLevels), std::end(kLevels), name) != std::end(kLevels);
}

bool IsErrorLevel(std::string_view level) { return level == "error" || level == "fatal" || level == "panic"; }

// The end of the "[name @ 0x...] " context tags at the start of a line.
std::size_t ContextEnd(std::string_view line) {
    std::size_t pos = 0;
    while (pos < line.size() && line[pos] == '[') {
        const std::size_t close = line.find("] ", pos);
        if (close == std::string_view::npos || line.substr(pos, close - pos).find(" @ ") == std::string_view::npos)
            break;
        pos = close + 2;
    }
    return pos;
}

// Encoder libraries that log on their own write "x264 [error]: text"; the text, else empty.
std::string_view LibraryError(std::string_view line) {
    const std::size_t at = line.find(" [error]: ");
    if (at == std::string_view::npos || at == 0 || line.substr(0, at).find_first_of(" [") != std::string_view::npos) {
        return {};
    }
    return line.substr(at + 10);
}

bool IsWriteFailure(std::string_view message) {
    return message.starts_with("Error writing trailer") || message.starts_with("Error closing file") ||
           message.ends_with("No space left on device") || message.ends_with("File too large");
}

bool IsProgressLine(std::string_view line) { return line.starts_with("frame=") || line.starts_with("size="); }

}  // namespace

void EngineLog::RequestLevelTags(std::vector<std::string>& args) {
    if (args.empty()) return;
    std::size_t at = args.size() > 1 ? 1 : args.size();
    bool seenInput = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-loglevel" || args[i] == "-v") return;
        if (args[i] == "-i" && !seenInput) {
            seenInput = true;
            at = i;
        }
        if (args[i] == "-i") ++i;  // a file name is never an option
    }
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(at), {"-loglevel", "+level"});
}

std::string EngineLog::Feed(std::string_view bytes) {
    std::string out;
    for (;;) {
        const std::size_t end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) break;
        pending_.append(bytes.substr(0, end + 1));
        bytes.remove_prefix(end + 1);
        out += PassLine(pending_);
        pending_.clear();
    }
    pending_.append(bytes);
    if (pending_.size() > kLongestLine) {
        out += pending_;
        pending_.clear();
    }
    return out;
}

std::string EngineLog::Finish() {
    std::string out = pending_.empty() ? std::string() : PassLine(pending_);
    pending_.clear();
    return out;
}

std::string EngineLog::PassLine(std::string_view line) {
    std::string_view body = line;
    std::string_view ending;
    if (!body.empty() && (body.back() == '\n' || body.back() == '\r')) {
        ending = body.substr(body.size() - 1);
        body.remove_suffix(1);
    }
    const std::size_t contextEnd = ContextEnd(body);
    std::string_view level;
    std::string passed(body);
    if (contextEnd < body.size() && body[contextEnd] == '[') {
        const std::size_t close = body.find("] ", contextEnd);
        if (close != std::string_view::npos && IsLevelName(body.substr(contextEnd + 1, close - contextEnd - 1))) {
            level = body.substr(contextEnd + 1, close - contextEnd - 1);
            passed.erase(contextEnd, close + 2 - contextEnd);
        }
    }
    const std::string_view message = Trimmed(std::string_view(passed).substr(contextEnd));
    std::string_view error = IsErrorLevel(level) ? message : std::string_view();
    if (level.empty() && error.empty()) error = Trimmed(LibraryError(passed));
    if (!error.empty()) {
        if (firstError_.empty()) firstError_ = error;
        if (writeFailure_.empty() && IsWriteFailure(error)) writeFailure_ = error;
    }
    const std::string_view shown = Trimmed(passed);
    if (!shown.empty() && !IsProgressLine(shown)) lastLine_ = shown;
    passed.append(ending);
    return passed;
}

int EngineLog::Conclude(int status, std::string& closingLine) const {
    closingLine.clear();
    if (status == 0 && !WriteFailed()) return 0;
    const int result = status == 0 ? 1 : status;
    // A write failure is what cost the output, whatever else went wrong before it.
    std::string reason = WriteFailed() ? writeFailure_ : firstError_;
    if (reason.empty() && status > 128 && status < 128 + 65) {
        reason = "ffmpeg was stopped by signal " + std::to_string(status - 128);
    }
    if (reason != lastLine_) closingLine = reason;
    return result;
}

}  // namespace quillon::engine
