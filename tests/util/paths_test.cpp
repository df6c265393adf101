#include "util/paths.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace quillon::util;
using quillon::test::TempDir;
using quillon::test::WriteFile;

TEST(PathPieces, SplitAtTheLastSeparatorAndDot) {
    EXPECT_EQ(FileNamePart("/home/me/Clip.MP4"), "Clip.MP4");
    EXPECT_EQ(FileNamePart("Clip"), "Clip");
    EXPECT_EQ(ExtensionPart("/a.b/clip"), std::string_view::npos);  // a dot in a folder
    EXPECT_EQ(ExtensionPart("/a/clip.tar.gz"), 11u);
    EXPECT_EQ(LowerExtension("/a/Clip.MP4"), "mp4");
    EXPECT_EQ(LowerExtension("/a.b/clip"), "");
    EXPECT_EQ(LowerExtension("/a/clip."), "");
    EXPECT_EQ(FolderPart("/home/me/clip.mp4"), "/home/me/");
    EXPECT_FALSE(FolderPart("clip.mp4").has_value());
}

TEST(FileTests, TellFilesFromFolders) {
    TempDir dir;
    const std::string file = (dir / "f.bin").string();
    WriteFile(file, std::string(5000, 'x'));
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(IsFile(file));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_TRUE(IsFolder(dir.path().string()));
    EXPECT_FALSE(IsFile(dir.path().string()));
    EXPECT_EQ(FileSize(file), 5000);
    EXPECT_EQ(FileSizeLow(file), 5000u);
    EXPECT_FALSE(FileSize((dir / "missing").string()).has_value());
    EXPECT_FALSE(Exists(""));
}

TEST(CreateFolderChain, CreatesEveryLevelAndStopsAtAFile) {
    TempDir dir;
    const std::string deep = (dir / "a/b/c").string();
    EXPECT_FALSE(EnsureFolder(deep, false));
    EXPECT_TRUE(EnsureFolder(deep, true));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(CreateFolderChain((dir / "x/y/").string()));
    EXPECT_TRUE(IsFolder((dir / "x/y").string()));

    WriteFile(dir / "file", "data");
    EXPECT_FALSE(CreateFolderChain((dir / "file/below/more").string()));
    EXPECT_FALSE(Exists((dir / "file/below").string()));
    EXPECT_FALSE(CreateFolderChain((dir / "file").string()));
}
