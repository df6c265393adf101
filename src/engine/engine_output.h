#pragma once
// Reading a converting engine's output: progress lines ("frame=" / "size=" with "time=", and
// tavrel's JSON lines with "position"), and the last message line, which names the reason of a
// failure.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine_reports.h"
#include "engine/line_assembler.h"

namespace quillon::engine {

struct EngineLine {
    enum class Kind {
        Progress,  // elapsedMs is set
        Ignored,   // a progress line without a position, or an empty line
        Message,   // any other line
    };
    Kind kind = Kind::Ignored;
    int64_t elapsedMs = 0;
};

EngineLine ClassifyEngineLine(std::string_view line);

// 0..100 from the position and the source's duration; -1 when the duration is unknown (0).
int32_t ProgressPercent(int64_t elapsedMs, uint32_t durationSeconds);

// Fed the bytes of one conversion's output; sends a progress report per progress line and
// keeps the last message line for the finished report.
class ConversionOutputReader {
public:
    ConversionOutputReader(SourceItem* source, uint32_t durationSeconds, EngineReportSink& sink)
        : source_(source), durationSeconds_(durationSeconds), sink_(sink) {}

    void Feed(std::string_view bytes);
    // The output has ended: the unfinished tail counts as a line.
    void Finish();

    const std::string& lastLine() const { return lastLine_; }

private:
    void HandleLine(std::string_view line);

    SourceItem* source_;
    uint32_t durationSeconds_;
    EngineReportSink& sink_;
    LineAssembler lines_;
    std::string lastLine_;
};

}  // namespace quillon::engine
