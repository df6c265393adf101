#include "util/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

using namespace quillon::util;

TEST(ReadInteger, TakesOnlyAWholeNumberOfTheType) {
    EXPECT_EQ(ReadInteger<int>("110"), 110);
    EXPECT_EQ(ReadInteger<int>("-3"), -3);
    EXPECT_EQ(ReadInteger<int>("+7"), 7);
    EXPECT_EQ(ReadInteger<int>("007"), 7);
    EXPECT_EQ(ReadInteger<int32_t>("-2147483648"), INT32_MIN);
    EXPECT_EQ(ReadInteger<int32_t>("2147483647"), INT32_MAX);
    EXPECT_EQ(ReadInteger<uint32_t>("4294967295"), UINT32_MAX);
    for (const char* bad :
         {"", "+", "-", "+-1", "-+1", "--1", "1x", "x1", " 1", "1 ", "1.0", "1e3", "0x10", "\n5", "nan"}) {
        EXPECT_FALSE(ReadInteger<int>(bad).has_value()) << '"' << bad << '"';
    }
    // One past the ends is no number, never a wrapped-around one (4294967406 is 110 in 32 bits).
    EXPECT_FALSE(ReadInteger<int32_t>("2147483648").has_value());
    EXPECT_FALSE(ReadInteger<int32_t>("-2147483649").has_value());
    EXPECT_FALSE(ReadInteger<int32_t>("4294967406").has_value());
    EXPECT_FALSE(ReadInteger<uint32_t>("-1").has_value());
    EXPECT_EQ(ReadInteger<int64_t>("4294967406"), 4294967406LL);
}

TEST(ReadNumber, TakesOnlyAWholeFiniteNumber) {
    EXPECT_EQ(ReadNumber("29.97"), 29.97);
    EXPECT_EQ(ReadNumber("-1"), -1.0);
    EXPECT_EQ(ReadNumber("+0.5"), 0.5);
    EXPECT_EQ(ReadNumber("1e3"), 1000.0);
    EXPECT_EQ(ReadNumber(".5"), 0.5);
    for (const char* bad : {"", "+", "-", "+-1", "1.5x", " 1", "1 ", "1,5", "inf", "-inf", "nan", "1e400"}) {
        EXPECT_FALSE(ReadNumber(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(TextToNumber, ReadsLeadingNumberOnly) {
    EXPECT_DOUBLE_EQ(TextToNumber("29.97 fps"), 29.97);
    EXPECT_DOUBLE_EQ(TextToNumber("  -1.5x"), -1.5);
    EXPECT_DOUBLE_EQ(TextToNumber("+3"), 3.0);
    EXPECT_DOUBLE_EQ(TextToNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber(""), 0.0);
    // One sign at most, as atof reads it.
    EXPECT_DOUBLE_EQ(TextToNumber("--5"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber("+-5"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber("-+5"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber("\n-2.5e1 Hz"), -25.0);
}

TEST(LeadingInteger, ReadsAsAtoiWithoutOverflowing) {
    EXPECT_EQ(LeadingInteger("42"), 42);
    EXPECT_EQ(LeadingInteger("  -7 kbps"), -7);
    EXPECT_EQ(LeadingInteger("\t+9x"), 9);
    EXPECT_EQ(LeadingInteger("96k"), 96);
    EXPECT_EQ(LeadingInteger("1.9"), 1);
    for (const char* none : {"", "x5", "-", "+-5", "- 5", "."}) {
        EXPECT_EQ(LeadingInteger(none), 0) << '"' << none << '"';
    }
    EXPECT_EQ(LeadingInteger("2147483647"), INT_MAX);
    EXPECT_EQ(LeadingInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(LeadingInteger("2147483648"), INT_MAX);
    EXPECT_EQ(LeadingInteger("-2147483649"), INT_MIN);
    EXPECT_EQ(LeadingInteger("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingInteger("-99999999999999999999999999"), INT_MIN);
}
