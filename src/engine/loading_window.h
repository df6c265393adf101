#pragma once
// The small window that reports long work done on the user-interface thread (adding sources,
// preparing them): a status line, a percent label, a bar, and a Cancel flag polled between
// steps. The Qt window and the command line each implement it.

#include <cstdint>
#include <string>

namespace quillon::engine {

// What every window that reports work shows: a status line, a percent label and a bar.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetPercentText(const std::string& text) = 0;
    // The bar runs from 0 to its width in pixels.
    virtual int BarWidth() const = 0;
    virtual void SetBarPosition(int position) = 0;
};

class LoadingWindow : public ProgressDisplay {
public:
    // Lets the window repaint and see its Cancel button.
    virtual void ProcessPendingMessages() {}
    virtual bool Cancelled() const = 0;
};

// Moves a loading window's bar and label as work of a known total gets done, touching the
// window only when the percent or the bar position grows.
class LoadingMeter {
public:
    LoadingMeter(LoadingWindow& window, uint64_t total);
    void Update(uint64_t done);
    void Complete();

private:
    LoadingWindow& window_;
    uint64_t unitsPerPixel_ = 1;
    uint64_t unitsPerPercent_ = 1;
    int64_t shownPercent_ = -1;
    int64_t shownPosition_ = 0;
};

}  // namespace quillon::engine
