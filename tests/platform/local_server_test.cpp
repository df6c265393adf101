#include "platform/local_server.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace quillon::platform {
namespace {

namespace fs = std::filesystem;

// A server name must change whenever the program file does: a server started by an older
// build or package keeps the old libraries and would answer for the new one.
TEST(LocalServer, NameFollowsTheProgramFileTheUserAndTheSwitch) {
    test::TempDir dir;
    const fs::path program = dir / "server";
    test::WriteFile(program, "one");
    const std::string first = LocalServerName(program.string(), "probe");
    EXPECT_EQ(LocalServerName(program.string(), "probe"), first);
    EXPECT_NE(first.find("-" + std::to_string(::geteuid()) + "-"), std::string::npos) << first;
    EXPECT_NE(LocalServerName(program.string(), "other"), first);

    // Replaced by a file of the same size, a second later.
    const auto written = fs::last_write_time(program);
    fs::remove(program);
    test::WriteFile(program, "two");
    fs::last_write_time(program, written + std::chrono::seconds(1));
    const std::string replaced = LocalServerName(program.string(), "probe");
    EXPECT_NE(replaced, first);
    // Rewritten in place with more bytes.
    test::WriteFile(program, "three!");
    EXPECT_NE(LocalServerName(program.string(), "probe"), replaced);

    // Long program paths still give a name that fits a socket address.
    const fs::path deep = dir / std::string(200, 'd');
    fs::create_directories(deep);
    test::WriteFile(deep / "server", "x");
    EXPECT_LT(LocalServerName((deep / "server").string(), "probe").size(), 100u);

    setenv("QUILLON_NO_SHARED_SERVER", "1", 1);
    EXPECT_EQ(LocalServerName(program.string(), "probe"), "");
    unsetenv("QUILLON_NO_SHARED_SERVER");
}

TEST(LocalServer, OneListenerPerNameAndNoServerUntilOneListens) {
    const std::string name = "quillon-local-server-test-" + std::to_string(::getpid());
    LocalConnection connection;
    EXPECT_EQ(ConnectLocalServer(name, connection), ConnectResult::NoServer);
    EXPECT_FALSE(connection.output.Valid());
    {
        LocalListener first;
        ASSERT_EQ(first.Listen(name), LocalListener::Result::Listening);
        LocalListener second;
        EXPECT_EQ(second.Listen(name), LocalListener::Result::Taken);
        EXPECT_EQ(ConnectLocalServer(name, connection), ConnectResult::Connected);
        EXPECT_TRUE(connection.output.Valid());
        EXPECT_TRUE(connection.input.Valid());
    }
    // The name goes with the listener.
    connection = LocalConnection{};
    EXPECT_EQ(ConnectLocalServer(name, connection), ConnectResult::NoServer);
    EXPECT_EQ(ConnectLocalServer(std::string(200, 'n'), connection), ConnectResult::Failed);
}

}  // namespace
}  // namespace quillon::platform
