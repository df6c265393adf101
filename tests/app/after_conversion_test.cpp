#include <gtest/gtest.h>

#include <algorithm>

#include "app/after_conversion.h"
#include "platform/desktop.h"
#include "recording_desktop.h"

namespace quillon::app {
namespace {

TEST(ShutdownCountdown, CountsThirtyToOneAndClosesOnTheThirtyFirstTick) {
    ShutdownCountdown countdown;
    EXPECT_EQ(countdown.CountdownText(), "");
    EXPECT_EQ(
        countdown.MessageText(),
        "Quillon is going to shut down the computer. Please click Cancel if you want to keep the computer running.");
    std::vector<std::string> texts;
    int ticks = 0;
    while (!countdown.Tick()) {
        texts.push_back(countdown.CountdownText());
        ++ticks;
        ASSERT_LT(ticks, 40);
    }
    EXPECT_EQ(ticks + 1, 31);
    ASSERT_EQ(texts.size(), 30u);
    EXPECT_EQ(texts.front(), "30 seconds remaining");
    EXPECT_EQ(texts.back(), "1 seconds remaining");
    EXPECT_EQ(ShutdownCountdown::kTickMs * (ticks + 1), 31'000);
}

TEST(ShutdownAfterRun, CancelRequestsNothingAndARefusalIsReportedOnce) {
    test::RecordingDesktop desktop;
    desktop.powerOffError = "Access denied\n";
    const auto requests = [&] { return std::count(desktop.calls.begin(), desktop.calls.end(), "power off"); };
    ShutdownAfterRun([](ShutdownCountdown&) { return false; }, desktop);
    EXPECT_EQ(requests(), 0);
    EXPECT_TRUE(desktop.messages.empty());

    ShutdownAfterRun(
        [](ShutdownCountdown& c) {
            while (!c.Tick()) {
            }
            return true;
        },
        desktop);
    EXPECT_EQ(requests(), 1);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0],
              "Quillon failed to shut down the computer because of the following error.\n\nAccess denied");
    EXPECT_EQ(desktop.icons[0], MessageIcon::Exclamation);

    // No reason from the system: nothing to show.
    desktop.powerOffError.clear();
    ShutdownAfterRun([](ShutdownCountdown&) { return true; }, desktop);
    EXPECT_EQ(requests(), 2);
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST(RequestPowerOff, TriesLogindThenSystemctlAndStopsAtTheFirstSuccess) {
    std::vector<std::string> tried;
    std::string error;
    auto failAll = [&](const std::vector<std::string>& argv, std::string& e) {
        tried.push_back(argv.front());
        e = argv.front() + " refused";
        return false;
    };
    EXPECT_FALSE(platform::RequestPowerOff(error, failAll));
    EXPECT_EQ(tried, (std::vector<std::string>{"busctl", "gdbus", "systemctl"}));
    EXPECT_EQ(error, "systemctl refused");

    tried.clear();
    auto gdbusWorks = [&](const std::vector<std::string>& argv, std::string&) {
        tried.push_back(argv.front());
        return argv.front() == "gdbus";
    };
    EXPECT_TRUE(platform::RequestPowerOff(error, gdbusWorks));
    EXPECT_EQ(tried, (std::vector<std::string>{"busctl", "gdbus"}));
    const auto commands = platform::PowerOffCommands();
    EXPECT_EQ(commands[0].back(), "true");  // interactive: polkit may ask
}

TEST(ShowFileInFileManager, AsksTheFileManagerWithAnEncodedUriThenOpensTheFolder) {
    const auto commands = platform::ShowFileCommands("/home/me/My Clips/a'b.mp4");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0][9], "['file:///home/me/My%20Clips/a%27b.mp4']");
    EXPECT_EQ(commands[1], (std::vector<std::string>{"xdg-open", "/home/me/My Clips"}));
}

}  // namespace
}  // namespace quillon::app
