#include "util/size_text.h"

#include <gtest/gtest.h>

using quillon::util::FormatSize;

TEST(FormatSize, ByteUnitsSwitchOneStepEarly) {
    struct Case {
        std::int64_t size;
        const char* text;
    } cases[] = {
        {0, "0 B"},
        {999, "999 B"},
        {-5, "-5 B"},
        {1000, "1.0 KB"},
        {1023999, "1000.0 KB"},
        {1024000, "0.98 MB"},
        {1048576000, "0.98 GB"},
        {1073741824000LL, "0.98 TB"},
        {5LL * 1099511627776LL, "5.00 TB"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatSize(c.size, true), c.text) << c.size;
}

TEST(FormatSize, BitUnitsAreDecimal) {
    EXPECT_EQ(FormatSize(124, false), "992 b");
    EXPECT_EQ(FormatSize(125, false), "1.0 kb");
    EXPECT_EQ(FormatSize(125000, false), "1.00 mb");
    EXPECT_EQ(FormatSize(125000000, false), "1.00 gb");
    EXPECT_EQ(FormatSize(125000000000LL, false), "1.00 tb");
    EXPECT_EQ(FormatSize(-1, false), "-8 b");
}
