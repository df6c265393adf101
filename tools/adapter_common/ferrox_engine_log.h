#pragma once
// ferrox reads what ffmpeg writes to standard error before passing it on, to know the reason
// of a failure: ffmpeg is asked to tag every line with its log level, the tags are taken out
// again, and the first error line is kept. The program reads the last line a failed engine
// wrote as its reason, so ferrox ends a failed run with that line.

#include <string>
#include <string_view>
#include <vector>

namespace quillon::engine {

class EngineLog {
public:
    // Asks ffmpeg for level tags ("-loglevel +level" before the first input) unless the
    // line sets its own log level. `args` starts with the program.
    static void RequestLevelTags(std::vector<std::string>& args);

    // Takes what ffmpeg wrote and returns what to pass on: whole lines ("\n" or "\r" ends
    // one), without level tags. An unfinished line waits for its end or for Finish().
    std::string Feed(std::string_view bytes);
    std::string Finish();

    // The first error line without its "[name @ 0x...]" context; empty when there was none.
    const std::string& FirstError() const { return firstError_; }
    // ffmpeg could not finish writing the output (full disk, file size limit), which it may
    // report with exit status 0.
    bool WriteFailed() const { return !writeFailure_.empty(); }

    // The exit status ferrox reports for ffmpeg's `status`, and in `closingLine` the reason to
    // print last (empty when there is none, or when it already is the last line).
    int Conclude(int status, std::string& closingLine) const;

private:
    std::string PassLine(std::string_view line);

    std::string pending_;
    std::string firstError_;
    std::string writeFailure_;
    std::string lastLine_;  // the last line that is neither empty nor a progress line
};

}  // namespace quillon::engine
