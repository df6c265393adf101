#pragma once
// The time left for a whole batch, from the rate its progress has made so far. Progress is
// given in units (100 per item); it may fall back when a row starts over, and then the work to
// redo lengthens the estimate instead of spoiling the rate.

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::app {

class TimeLeftEstimate {
public:
    // No estimate before this much time and progress: the first seconds say little.
    static constexpr int64_t kMinElapsedMs = 3000;
    static constexpr int64_t kMinProgressUnits = 1;

    // Starts over at the batch's start time.
    void Start(int64_t nowMs, int64_t totalUnits);
    // The progress reached at nowMs (0..totalUnits).
    void Update(int64_t nowMs, int64_t doneUnits);
    // A changed amount of work (Convert to One's second pass).
    void SetTotal(int64_t totalUnits) { total_ = totalUnits; }

    // Milliseconds left, or nothing while there is no rate to go on. Never below one second
    // while work is left: the batch is not done until its last item has ended.
    std::optional<int64_t> LeftMs() const;

private:
    int64_t startMs_ = 0;
    int64_t nowMs_ = 0;
    int64_t total_ = 0;
    int64_t done_ = -1;  // the last progress seen
    int64_t made_ = 0;   // the forward progress made, setbacks not subtracted
    bool started_ = false;
};

// "Time left: 42 s", "Time left: 3 min 05 s", "Time left: 1 h 02 min"; empty without an estimate.
std::string TimeLeftText(std::optional<int64_t> leftMs);

}  // namespace quillon::app
