#include "util/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quillon::util {
namespace {

TEST(JsonQuote, EscapesWhatJsonRequires) {
    EXPECT_EQ(JsonQuote("plain"), "\"plain\"");
    EXPECT_EQ(JsonQuote("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
    EXPECT_EQ(JsonQuote("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(JsonQuote(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(JsonQuote(std::string("nul\0in", 6)), "\"nul\\u0000in\"");
    EXPECT_EQ(JsonQuote("Grüße 日本 😀"), "\"Grüße 日本 😀\"");
}

TEST(JsonQuote, ReplacesBytesThatAreNotUtf8) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(JsonQuote("a\xFF"
                        "b"),
              "\"a" + replacement + "b\"");
    EXPECT_EQ(JsonQuote("\xC3"), "\"" + replacement + "\"");                                      // cut sequence
    EXPECT_EQ(JsonQuote("\xC0\xAF"), "\"" + replacement + replacement + "\"");                    // overlong
    EXPECT_EQ(JsonQuote("\xED\xA0\x80"), "\"" + replacement + replacement + replacement + "\"");  // surrogate
    EXPECT_EQ(JsonQuote("\xF4\x90\x80\x80").size(), 2 + 4 * replacement.size());                  // above U+10FFFF
}

TEST(JsonWriter, NestsWithCommasInTheRightPlaces) {
    JsonWriter w;
    w.BeginArray();
    w.BeginObject().Key("a").Int(-1).Key("b").UInt(4000000000u).Key("c").BeginArray().EndArray().EndObject();
    w.BeginObject().EndObject();
    w.Bool(true).Null().String("x");
    w.EndArray();
    EXPECT_EQ(w.str(), "[{\"a\":-1,\"b\":4000000000,\"c\":[]},{},true,null,\"x\"]");

    JsonWriter pretty(2);
    pretty.BeginObject().Key("k").BeginArray().Int(1).Int(2).EndArray().Key("e").BeginObject().EndObject().EndObject();
    EXPECT_EQ(pretty.str(), "{\n  \"k\": [\n    1,\n    2\n  ],\n  \"e\": {}\n}");
}

TEST(JsonWriter, WritesFloatingValuesExactlyAndOnlyWhenFinite) {
    JsonWriter w;
    w.BeginArray().Double(25).Double(-1).Double(29.97).Double(4.0 / 3.0).Double(1e300).Double(NAN).Double(INFINITY);
    w.EndArray();
    EXPECT_EQ(w.str(), "[25.0,-1.0,29.97,1.3333333333333333,1e+300,null,null]");
}

}  // namespace
}  // namespace quillon::util
