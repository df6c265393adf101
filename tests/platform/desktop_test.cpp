#include "platform/desktop.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "test_support.h"

namespace quillon::platform {
namespace {

namespace fs = std::filesystem;

TEST(OpenWithDefaultApplication, TakesTheOpenersVerdictAndLeavesALingeringOneRunning) {
    test::TempDir dir;
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    const fs::path log = dir / "opened.txt";
    const auto writeOpener = [&](const std::string& body) {
        test::WriteFile(bin / "xdg-open", "#!/bin/sh\necho \"$1\" >> '" + log.string() + "'\n" + body + "\n");
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    };
    const std::string oldPath = std::getenv("PATH");
    setenv("PATH", bin.c_str(), 1);

    writeOpener("exit 0");
    EXPECT_EQ(OpenWithDefaultApplication("file:///a%20b", 5000), OpenOutcome::Opened);
    writeOpener("exit 2");  // the file does not exist
    EXPECT_EQ(OpenWithDefaultApplication("file:///gone", 5000), OpenOutcome::NotFound);
    writeOpener("exit 3");  // no handler
    EXPECT_EQ(OpenWithDefaultApplication("https://example.org/", 5000), OpenOutcome::Failed);
    EXPECT_EQ(test::ReadFile(log), "file:///a%20b\nfile:///gone\nhttps://example.org/\n");

    // Still busy after the wait: a handler at work, which must go on to its end.
    writeOpener("sleep 0.3\necho finished >> '" + log.string() + "'");
    EXPECT_EQ(OpenWithDefaultApplication("mailto:a@example.org", 0), OpenOutcome::Opened);
    bool finished = false;
    for (int i = 0; i < 500 && !finished; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        finished = test::ReadFile(log).find("finished\n") != std::string::npos;
    }
    EXPECT_TRUE(finished) << "the lingering opener was stopped";
    // Once ended it is reaped, not left as a zombie (WNOWAIT: only look).
    bool reaped = false;
    for (int i = 0; i < 500 && !reaped; ++i) {
        siginfo_t info{};
        reaped = waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) < 0 && errno == ECHILD;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(reaped);

    fs::remove(bin / "xdg-open");
    EXPECT_EQ(OpenWithDefaultApplication("https://example.org/", 5000), OpenOutcome::Failed);
    setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace quillon::platform
