#include "engine/engine_reports.h"

#include <chrono>

namespace quillon::engine {

void EngineReportQueue::EngineProgress(SourceItem* source, int32_t percent, int64_t elapsedMs) {
    EngineReport report;
    report.message = WM_ENGINE_PROGRESS;
    report.source = source;
    report.percent = percent;
    report.elapsedMs = elapsedMs;
    Push(std::move(report));
}

void EngineReportQueue::EngineFinished(SourceItem* source, std::string lastLine) {
    EngineReport report;
    report.message = WM_ENGINE_FINISHED;
    report.source = source;
    report.lastLine = std::move(lastLine);
    Push(std::move(report));
}

void EngineReportQueue::Push(EngineReport report) {
    // Notified under the lock: a receiver that takes the finished report may destroy the queue
    // at once, and the sender must not touch it after the receiver can run.
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(std::move(report));
    ready_.notify_one();
}

std::optional<EngineReport> EngineReportQueue::Pop(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto any = [this] { return !reports_.empty(); };
    if (timeoutMs < 0) {
        ready_.wait(lock, any);
    } else if (!ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), any)) {
        return std::nullopt;
    }
    EngineReport report = std::move(reports_.front());
    reports_.pop_front();
    return report;
}

}  // namespace quillon::engine
