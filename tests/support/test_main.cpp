// Every test process gets its own temporary, configuration and home folders, so that no test
// reads or writes the real user's settings or leaves anything behind.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const char* base = std::getenv("TMPDIR");
    fs::path root = fs::path(base && *base ? base : "/tmp") / ("quillon-test-" + std::to_string(getpid()));
    fs::create_directories(root / "tmp");
    fs::create_directories(root / "config");
    fs::create_directories(root / "home");
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    setenv("QUILLON_CONFIG_DIR", (root / "config").c_str(), 1);
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "home" / ".config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc;
}
