#pragma once
// What a conversion run needs from the window that starts it: the progress and loading
// windows, the save question of Convert to One, and the end-of-run actions. Messages and the
// file manager are the desktop's (app::Desktop).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/loading_window.h"
#include "formats/output_format.h"

namespace quillon::app {

// The run's modeless progress window. It reports the user's choices back through the run's
// OnCancel, OnThreadCountChange and OnPriorityChange, posted to the run's thread.
class ProgressWindow : public engine::ProgressDisplay {
public:
    ~ProgressWindow() override = default;  // closes the window
    virtual void SetBarStep(int step) = 0;
    virtual void StepBar() = 0;
    // "&Shut down the computer after converting".
    virtual bool ShutdownChecked() const = 0;
    // The overall percent and the estimate of the time left ("" while there is none), for
    // windows that show more than the bar.
    virtual void SetOverallPercent(int /*percent*/) {}
    virtual void SetTimeLeft(const std::string& /*text*/) {}
};

struct ProgressWindowSetup {
    int threadCount = 2;
    uint32_t priorityClass = 0x20;
    std::string outputFolderLabel;  // the specific folder, or "Same as source file"
    bool outputFolderButtonEnabled = false;
};

class RunHost {
public:
    virtual ~RunHost() = default;
    virtual void SetMainWindowEnabled(bool /*enabled*/) {}
    // The output file of Convert to One; nullopt when the user cancels.
    virtual std::optional<std::string> AskConvertToOneOutput(const formats::OutputFormat& format) = 0;
    virtual std::unique_ptr<ProgressWindow> OpenProgressWindow(const ProgressWindowSetup& setup) = 0;
    virtual std::unique_ptr<engine::LoadingWindow> OpenLoadingWindow() = 0;
    // The countdown and then the shutdown request.
    virtual void ShutdownAfterRun() = 0;
    virtual void ProcessPendingMessages() {}
    // The run is idle again (ended, cancelled or refused).
    virtual void RunEnded() {}
};

}  // namespace quillon::app
