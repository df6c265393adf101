#include "platform/system_info.h"
#include "platform/known_folders.h"
#include "util/paths.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>

using namespace quillon::platform;
using quillon::test::TempDir;
using quillon::test::WriteFile;

TEST(FileServices, TimesFreeSpaceAndIdentity) {
    TempDir dir;
    const std::string file = (dir / "a.txt").string();
    WriteFile(file, "abc");
    const std::int64_t when = 1500000000LL * 1000000000LL + 123456789;
    ASSERT_TRUE(SetModificationTime(file, when));
    auto times = GetFileTimes(file);
    ASSERT_TRUE(times.has_value());
    EXPECT_EQ(times->modifiedNs, when);
    EXPECT_FALSE(GetFileTimes((dir / "none").string()).has_value());

    auto free = FreeSpace(dir.path().string());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);

    std::filesystem::create_symlink(file, dir / "link");
    EXPECT_TRUE(SameFile(file, (dir / "link").string()));
    EXPECT_TRUE(SameFile(file, (dir / "." / "a.txt").string()));
    WriteFile(dir / "b.txt", "abc");
    EXPECT_FALSE(SameFile(file, (dir / "b.txt").string()));
    EXPECT_EQ(CanonicalPath((dir / "link").string()), CanonicalPath(file));
}

TEST(KnownFolders, FollowTheEnvironment) {
    EXPECT_EQ(TempFolder(), std::string(std::getenv("TMPDIR")) + "/");
    EXPECT_EQ(ConfigFolder(), std::getenv("QUILLON_CONFIG_DIR"));
    TempDir home;
    const std::string oldHome = std::getenv("HOME");
    const std::string oldConfig = std::getenv("XDG_CONFIG_HOME");
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    std::filesystem::create_directories(home / ".config");
    WriteFile(home / ".config/user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(DocumentsFolder(), home.path().string() + "/Papers/");
    EXPECT_TRUE(std::filesystem::is_directory(home / "Papers"));
    std::filesystem::remove(home / ".config/user-dirs.dirs");
    EXPECT_EQ(DocumentsFolder(), home.path().string() + "/Documents/");
    setenv("HOME", oldHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
}

TEST(MakeTempName, GivesFreshUncreatedNames) {
    TempDir dir;
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        std::string name = MakeTempName(dir.path().string(), "qtmp", ".wav");
        EXPECT_EQ(name.rfind(dir.path().string() + "/qtmp", 0), 0u) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".wav");
        EXPECT_FALSE(quillon::util::Exists(name));
        WriteFile(name, "");  // claimed names must never come back
        EXPECT_TRUE(names.insert(name).second);
    }
    std::string inTemp = MakeTempName("", "", "");
    EXPECT_EQ(inTemp.rfind(std::string(std::getenv("TMPDIR")), 0), 0u);
}

TEST(SystemErrorText, HasNoLineBreaks) {
    auto text = ErrorText(ENOENT);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "No such file or directory");
    EXPECT_FALSE(ErrorText(123456).has_value());
}

TEST(KnownFolders, ProgramFolderHoldsTheRunningTests) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(quillon::util::IsFile(folder + "platform_tests")) << folder;
}
