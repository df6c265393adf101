#pragma once
// A desktop that records what the program asks of it, opens nothing and refuses to power off.

#include <string>
#include <vector>

#include "app/desktop.h"

namespace quillon::test {

class RecordingDesktop : public app::Desktop {
public:
    int OpenDocument(const std::string& target) override {
        calls.push_back("open " + target);
        return openResult;
    }
    void ShowInFileManager(const std::string& path) override { calls.push_back("show " + path); }
    bool PowerOff(std::string& error) override {
        calls.push_back("power off");
        error = "Interactive authentication required.";
        return false;
    }

    std::vector<std::string> calls;
    int openResult = app::kOpenSucceeded;
};

}  // namespace quillon::test
