#include <gtest/gtest.h>

#include "test_support.h"

TEST(TestSupport, GeneratesMediaInPrivateFolder) {
    quillon::test::TempDir dir;
    ASSERT_TRUE(quillon::test::MakeAudio(dir / "a.wav", 0.2));
    EXPECT_GT(std::filesystem::file_size(dir / "a.wav"), 44u);
}
