#include "app/time_left_estimate.h"

#include <fmt/format.h>
#include <algorithm>

namespace quillon::app {

void TimeLeftEstimate::Start(int64_t nowMs, int64_t totalUnits) {
    startMs_ = nowMs;
    nowMs_ = nowMs;
    total_ = totalUnits;
    done_ = 0;
    made_ = 0;
    started_ = true;
}

void TimeLeftEstimate::Update(int64_t nowMs, int64_t doneUnits) {
    if (!started_) Start(nowMs, total_);
    nowMs_ = std::max(nowMs_, nowMs);  // a clock that steps back must not make time negative
    doneUnits = std::clamp<int64_t>(doneUnits, 0, std::max<int64_t>(total_, 0));
    if (doneUnits > done_) made_ += doneUnits - done_;
    done_ = doneUnits;
}

std::optional<int64_t> TimeLeftEstimate::LeftMs() const {
    if (!started_ || total_ <= 0) return std::nullopt;
    const int64_t elapsed = nowMs_ - startMs_;
    if (elapsed < kMinElapsedMs || made_ < kMinProgressUnits) return std::nullopt;
    const int64_t left = total_ - done_;
    if (left <= 0) return 1000;
    // left / (made / elapsed), in floating point: the product overflows for long batches.
    const double ms = static_cast<double>(left) * static_cast<double>(elapsed) / static_cast<double>(made_);
    constexpr double kMaxMs = 1000.0 * 3600 * 24 * 365;  // a year: beyond that the figure says nothing
    return std::max<int64_t>(1000, static_cast<int64_t>(std::min(ms, kMaxMs)));
}

std::string TimeLeftText(std::optional<int64_t> leftMs) {
    if (!leftMs) return {};
    // Whole seconds, rounded up: "0 s" would read as done.
    const int64_t seconds = std::max<int64_t>(1, (*leftMs + 999) / 1000);
    if (seconds < 60) return fmt::format("Time left: {} s", seconds);
    if (seconds < 3600) return fmt::format("Time left: {} min {:02} s", seconds / 60, seconds % 60);
    return fmt::format("Time left: {} h {:02} min", seconds / 3600, seconds / 60 % 60);
}

}  // namespace quillon::app
