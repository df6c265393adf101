#include "util/utf16.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillon::util;

namespace {

// Well-formed text of every length of sequence, a pair above U+FFFF included.
const std::string kMixed = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
const std::u16string kMixedUnits = u"a\u00E9\u65E5\U0001F600";

}  // namespace

TEST(Utf16, WellFormedTextRoundTripsInEveryMode) {
    for (BadText bad : {BadText::Reject, BadText::KeepBytes, BadText::Replace}) {
        EXPECT_EQ(Utf8ToUtf16(kMixed, bad), kMixedUnits);
        EXPECT_EQ(Utf16ToUtf8(kMixedUnits, bad), kMixed);
        EXPECT_EQ(Utf8ToUtf16("", bad), u"");
        EXPECT_EQ(Utf16ToUtf8(u"", bad), "");
    }
    // Zeros are text like any other.
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // The highest code point and the last one before the surrogates.
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF\xED\x9F\xBF"), u"\U0010FFFF\uD7FF");
}

TEST(Utf16, BytesThatAreNotUtf8FollowTheMode) {
    const std::vector<std::string> bad = {
        "\xFF",              // never a lead byte
        "\xC3",              // cut short at the end
        "\xE6\x97",          // cut short
        "\xC3\xC3",          // continuation missing, twice
        "\xC0\xAF",          // overlong '/'
        "\xE0\x80\xAF",      // overlong
        "\xED\xA0\x80",      // a surrogate written as UTF-8
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\x80",              // lone continuation byte
    };
    for (const std::string& text : bad) {
        const std::string name = "a" + text + "z";
        EXPECT_FALSE(Utf8ToUtf16(name).has_value()) << name;

        // Kept bytes come back exactly, so a Linux file name survives the trip.
        const auto kept = Utf8ToUtf16(name, BadText::KeepBytes);
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(kept->size(), text.size() + 2) << "one unit per bad byte";
        EXPECT_EQ(Utf16ToUtf8(*kept, BadText::KeepBytes), name);
        EXPECT_FALSE(Utf16ToUtf8(*kept).has_value()) << "a kept byte is no text";

        const auto replaced = Utf8ToUtf16(name, BadText::Replace);
        ASSERT_TRUE(replaced.has_value());
        EXPECT_EQ(*replaced, u"a" + std::u16string(text.size(), u'\uFFFD') + u"z");
    }
    // A bad byte mid-sequence does not swallow the good text after it.
    EXPECT_EQ(Utf8ToUtf16("\xE6\x97"
                          "a\xC3\xA9",
                          BadText::Replace),
              u"\uFFFD\uFFFDa\u00E9");
}

TEST(Utf16, UnpairedSurrogatesFollowTheMode) {
    const std::u16string loneHigh = u"a" + std::u16string(1, char16_t(0xD83D)) + u"b";
    const std::u16string loneLowAtEnd = u"a" + std::u16string(1, char16_t(0xDE00));
    const std::u16string highAtEnd = u"a" + std::u16string(1, char16_t(0xD83D));
    const std::u16string reversedPair = std::u16string{char16_t(0xDE00), char16_t(0xD83D)};
    for (const auto& units : {loneHigh, loneLowAtEnd, highAtEnd, reversedPair}) {
        EXPECT_FALSE(Utf16ToUtf8(units).has_value());
        // Only U+DC80..U+DCFF stand for kept bytes; these are none of them.
        EXPECT_FALSE(Utf16ToUtf8(units, BadText::KeepBytes).has_value());
    }
    EXPECT_EQ(Utf16ToUtf8(loneHigh, BadText::Replace),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(highAtEnd, BadText::Replace), "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(reversedPair, BadText::Replace), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // Below U+DC80 it would be an ASCII letter spelt a second way: not a kept byte.
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, char16_t(0xDC41)), BadText::KeepBytes).has_value());
}

TEST(Utf16, LittleEndianUnitsLeaveAnOddByteOut) {
    const std::vector<uint8_t> bytes = {0x61, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x7F};
    EXPECT_EQ(Utf16FromLittleEndian(bytes), u"a\U0001F600");
    EXPECT_EQ(Utf16FromLittleEndian(std::span<const uint8_t>(bytes).first(1)), u"");
    EXPECT_EQ(Utf16FromLittleEndian({}), u"");
}

TEST(Utf16, AppendUtf8WritesEachLength) {
    std::string out;
    for (char32_t c : {U'a', U'\u00E9', U'\u65E5', U'\U0001F600', char32_t(0xFF)}) AppendUtf8(out, c);
    EXPECT_EQ(out, kMixed + "\xC3\xBF");
    char32_t cp = 0;
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80", 0, cp), 4u);
    EXPECT_EQ(cp, U'\U0001F600');
    EXPECT_EQ(DecodeUtf8("x\xF0\x9F\x98", 1, cp), 0u);
}
