#pragma once
// A desktop that records what the program asks of it: messages, and the documents, files and
// power-off it would ask for. It opens nothing and refuses to power off.

#include <string>
#include <vector>

#include "app/desktop.h"

namespace quillon::test {

class RecordingDesktop : public app::Desktop {
public:
    void ShowMessage(const std::string& text, app::MessageIcon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    int OpenDocument(const std::string& target) override {
        calls.push_back("open " + target);
        return openResult;
    }
    void ShowInFileManager(const std::string& path) override { calls.push_back("show " + path); }
    bool PowerOff(std::string& error) override {
        calls.push_back("power off");
        error = powerOffError;
        return false;
    }

    std::vector<std::string> messages;
    std::vector<app::MessageIcon> icons;
    std::vector<std::string> calls;
    int openResult = app::kOpenSucceeded;
    std::string powerOffError = "Interactive authentication required.";
};

}  // namespace quillon::test
