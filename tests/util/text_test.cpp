#include "util/text.h"
#include "util/value_lists.h"

#include <gtest/gtest.h>
#include <cerrno>

using namespace quillon::util;

TEST(AsciiCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ(LowerAscii(std::string("VIDEO_TS.IFO")), "video_ts.ifo");
    EXPECT_EQ(LowerAscii('I'), 'i');
    EXPECT_EQ(UpperAscii('i'), 'I');
    EXPECT_EQ(UpperAscii('\xE9'), '\xE9');
    EXPECT_EQ(UpperAscii(std::string("gr\xC3\xBC\xC3\x9F"
                                     "e[z]@`{")),
              "GR\xC3\xBC\xC3\x9F"
              "E[Z]@`{");
    EXPECT_EQ(LowerAscii(std::string("\xC3\x9C@[`AZ")), "\xC3\x9C@[`az");
    EXPECT_EQ(LowerAscii(std::string("a\0B", 3)), std::string("a\0b", 3));
    EXPECT_EQ(UpperAscii(std::string()), "");
}

TEST(AsciiCase, EqualsIgnoringCaseOnlyForAsciiLetters) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Software\\Quillon", "SOFTWARE\\quillon"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("abc", "abcd"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("abcd", "abc"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));  // 0x40 and 0x60 differ by the case bit only
    EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\xA4", "\xC3\x84"));  // ä and Ä are not ASCII
}

TEST(SplitText, DropsEmptyPieces) {
    EXPECT_EQ(SplitText(",a,,b,", ','), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitText("mp4;avi", ';'), (std::vector<std::string>{"mp4", "avi"}));
    EXPECT_TRUE(SplitText("", ',').empty());
    EXPECT_TRUE(SplitText(",,,", ',').empty());
    EXPECT_TRUE(SplitText("abc", '\0').empty());
}

TEST(FindSeparatorRun, FindsEndOfFirstRun) {
    EXPECT_EQ(FindSeparatorRun("abc\r\n\r\ndef\n", '\r', '\n'), 6u);
    EXPECT_EQ(FindSeparatorRun("\nx", '\r', '\n'), 0u);
    EXPECT_EQ(FindSeparatorRun("abc", '\r', '\n'), std::string_view::npos);
    EXPECT_EQ(FindSeparatorRun("", '\r', '\n'), std::string_view::npos);
}

TEST(SingleQuoted, EscapesEveryQuoteAndKeepsOtherBytes) {
    EXPECT_EQ(SingleQuoted(""), "''");
    EXPECT_EQ(SingleQuoted("'"), "''\\'''");
    EXPECT_EQ(SingleQuoted("a b\n$x"), "'a b\n$x'");
    EXPECT_EQ(SingleQuoted(std::string_view("a\0'b", 4)), std::string("'a\0'\\''b'", 9));
}

TEST(NearestListValue, SnapsToTheNearerEntryLowerOnTies) {
    const int rates[] = {8000, 11025, 22050, 44100, 48000, -1};
    EXPECT_EQ(NearestListValue(44100, rates), 44100);
    EXPECT_EQ(NearestListValue(100, rates), 8000);
    EXPECT_EQ(NearestListValue(96000, rates), 48000);
    EXPECT_EQ(NearestListValue(46050, rates), 44100);  // equal distance: the lower
    EXPECT_EQ(NearestListValue(46051, rates), 48000);
    EXPECT_EQ(NearestListValue(33000, rates), 22050);
    EXPECT_EQ(NearestListValue(-1, rates), 8000);
    const int empty[] = {-1};
    EXPECT_EQ(NearestListValue(1234, empty), 1234);
    EXPECT_EQ(NearestListValue(1234, nullptr), 1234);
}
