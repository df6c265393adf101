#pragma once
// A loading window that records what it is told and cancels itself once `when` holds.

#include <functional>
#include <string>
#include <vector>

#include "engine/loading_window.h"

namespace quillon::test {

class CancellingWindow final : public engine::LoadingWindow {
public:
    explicit CancellingWindow(std::function<bool()> when) : when_(std::move(when)) {}
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetPercentText(const std::string&) override {}
    int BarWidth() const override { return 100; }
    void SetBarPosition(int position) override { bar = position; }
    void ProcessPendingMessages() override {
        ++pumps;
        if (onPump) onPump();
        if (when_()) cancelled = true;
    }
    bool Cancelled() const override { return cancelled; }

    std::vector<std::string> statuses;
    int bar = 0;
    int pumps = 0;
    bool cancelled = false;
    std::function<void()> onPump;

private:
    std::function<bool()> when_;
};

}  // namespace quillon::test
