#pragma once
// Test doubles for the windows around a conversion run (header only; the app and e2e tests
// link the app library). The run's desktop is a test::RecordingDesktop.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/conversion_run.h"
#include "app/run_host.h"
#include "engine/loading_window.h"

namespace quillon::test {

struct ProgressRecord {
    std::vector<std::string> statuses;
    std::vector<std::string> percents;
    int barPosition = 0;
    int barStep = 0;
    int steps = 0;
    int opened = 0;
    int closed = 0;
    bool shutdownChecked = false;
};

class FakeProgressWindow : public app::ProgressWindow {
public:
    explicit FakeProgressWindow(ProgressRecord& record) : r_(record) { ++r_.opened; }
    ~FakeProgressWindow() override { ++r_.closed; }
    void SetStatus(const std::string& text) override { r_.statuses.push_back(text); }
    void SetPercentText(const std::string& text) override { r_.percents.push_back(text); }
    int BarWidth() const override { return 200; }
    void SetBarPosition(int position) override { r_.barPosition = position; }
    void SetBarStep(int step) override { r_.barStep = step; }
    void StepBar() override { ++r_.steps; }
    bool ShutdownChecked() const override { return r_.shutdownChecked; }

private:
    ProgressRecord& r_;
};

class FakeLoadingWindow : public engine::LoadingWindow {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetPercentText(const std::string& text) override { percents.push_back(text); }
    int BarWidth() const override { return 150; }
    void SetBarPosition(int position) override { barPosition = position; }
    void ProcessPendingMessages() override {
        ++pumps;
        if (cancelAfterPumps > 0 && pumps >= cancelAfterPumps) cancelled = true;
    }
    bool Cancelled() const override { return cancelled; }

    std::vector<std::string> statuses;
    std::vector<std::string> percents;
    int barPosition = 0;
    int pumps = 0;
    int cancelAfterPumps = 0;
    bool cancelled = false;
};

class FakeRunHost : public app::RunHost {
public:
    void SetMainWindowEnabled(bool enabled) override { mainWindowEnabled = enabled; }
    std::optional<std::string> AskConvertToOneOutput(const formats::OutputFormat&) override { return oneOutput; }
    std::unique_ptr<app::ProgressWindow> OpenProgressWindow(const app::ProgressWindowSetup& s) override {
        setup = s;
        return std::make_unique<FakeProgressWindow>(progress);
    }
    std::unique_ptr<engine::LoadingWindow> OpenLoadingWindow() override {
        auto window = std::make_unique<FakeLoadingWindow>();
        window->cancelAfterPumps = cancelLoadingAfterPumps;
        ++loadingWindows;
        return window;
    }
    void ShutdownAfterRun() override { ++shutdowns; }
    void RunEnded() override { ++ended; }

    bool mainWindowEnabled = true;
    std::optional<std::string> oneOutput;
    app::ProgressWindowSetup setup;
    ProgressRecord progress;
    int loadingWindows = 0;
    int cancelLoadingAfterPumps = 0;
    int shutdowns = 0;
    int ended = 0;
};

}  // namespace quillon::test
