#pragma once
// What a running engine tells the program: progress reports and one finished report, sent
// from the reader thread to whoever follows the run.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::engine {

struct SourceItem;

// The window-message numbers these reports stand for (WM_USER = 0x400).
inline constexpr uint32_t WM_ENGINE_PROGRESS = 0x400 + 0x42;
inline constexpr uint32_t WM_ENGINE_FINISHED = 0x400 + 0x44;

struct EngineReport {
    uint32_t message = WM_ENGINE_PROGRESS;  // WM_ENGINE_PROGRESS or WM_ENGINE_FINISHED
    SourceItem* source = nullptr;           // a token only: the reader never touches the item
    int32_t percent = 0;                    // progress: 0..100, or -1 when the duration is unknown
    int64_t elapsedMs = 0;                  // progress: position reached in the output
    std::string lastLine;                   // finished: the engine's last message line
};

// Receives reports on the reader thread; implementations hand them to their own thread.
class EngineReportSink {
public:
    virtual ~EngineReportSink() = default;
    virtual void EngineProgress(SourceItem* source, int32_t percent, int64_t elapsedMs) = 0;
    // The engine's output as read, before it is split into lines; for sinks that keep it.
    virtual void EngineOutput(SourceItem* /*source*/, std::string_view /*bytes*/) {}
    // Called exactly once per launch, after the process has ended and its output was read.
    virtual void EngineFinished(SourceItem* source, std::string lastLine) = 0;
};

// A thread-safe queue of reports, for callers without an event loop of their own.
class EngineReportQueue : public EngineReportSink {
public:
    void EngineProgress(SourceItem* source, int32_t percent, int64_t elapsedMs) override;
    void EngineFinished(SourceItem* source, std::string lastLine) override;

    // Waits up to timeoutMs (negative: without limit) for the next report.
    std::optional<EngineReport> Pop(int timeoutMs);
    std::optional<EngineReport> TryPop() { return Pop(0); }

private:
    void Push(EngineReport report);

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<EngineReport> reports_;
};

}  // namespace quillon::engine
