#include "app/after_conversion.h"

namespace quillon::app {

std::string ShutdownCountdown::MessageText() const {
    return "Quillon is going to shut down the computer. Please click Cancel if you want to keep the computer running.";
}

bool ShutdownCountdown::Tick() {
    if (counter_ <= 0) return true;
    countdownText_ = std::to_string(counter_) + " seconds remaining";
    --counter_;
    return false;
}

std::string ShutdownFailureText(const std::string& reason) {
    std::string flat;
    for (char c : reason) {
        if (c != '\r' && c != '\n') flat += c;
    }
    return "Quillon failed to shut down the computer because of the following error.\n\n" + flat;
}

void ShutdownAfterRun(const CountdownDialog& countdown, Desktop& desktop) {
    ShutdownCountdown model;
    if (!countdown(model)) return;
    std::string error;
    if (desktop.PowerOff(error)) return;
    // Without a reason there is nothing useful to tell.
    if (!error.empty()) desktop.ShowMessage(ShutdownFailureText(error), MessageIcon::Exclamation);
}

}  // namespace quillon::app
