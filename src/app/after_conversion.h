#pragma once
// The shutdown after a run: a 30-second countdown the user can cancel, then the power-off
// request. The countdown window itself belongs to the user interface; it drives this model
// with a one-second timer.

#include <functional>
#include <string>

#include "app/desktop.h"

namespace quillon::app {

class ShutdownCountdown {
public:
    static constexpr int kSeconds = 30;
    static constexpr int kTickMs = 1000;

    std::string Caption() const { return "Quillon"; }
    std::string MessageText() const;
    // Empty until the first tick.
    const std::string& CountdownText() const { return countdownText_; }
    // One timer tick. True when the countdown is over and the window closes with OK (the 31st
    // tick); the texts read 30 down to 1 before that.
    bool Tick();

private:
    int counter_ = kSeconds;
    std::string countdownText_;
};

// Shows the countdown; true when it ran out, false when the user cancelled it.
using CountdownDialog = std::function<bool(ShutdownCountdown& countdown)>;

// The whole sequence: countdown, the desktop's power-off request, and the message when the
// request is refused.
void ShutdownAfterRun(const CountdownDialog& countdown, Desktop& desktop);

std::string ShutdownFailureText(const std::string& reason);

}  // namespace quillon::app
