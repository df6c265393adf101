// The engine's record of a conversion and the batch's time-left estimate.
#include <gtest/gtest.h>

#include <string>

#include "app/engine_record.h"
#include "app/time_left_estimate.h"

namespace quillon::app {
namespace {

TEST(EngineRecordTest, KeepsLinesAsATerminalShowsThem) {
    EngineRecord record;
    // Progress redrawn with '\r', line ends of both kinds, and a "\r\n" split between reads.
    record.Append("Input #0, matroska\nStream #0:0: Video\r\n");
    record.Append("frame=  10 time=00:00:01.00\rframe=  20 time=00:00:02.00\r");
    record.Append("frame=  30 time=00:00:03.00\r");
    record.Append("\nInvalid argument");
    EXPECT_EQ(record.Text(), "Input #0, matroska\nStream #0:0: Video\nframe=  30 time=00:00:03.00\nInvalid argument");
    EXPECT_FALSE(record.Truncated());

    EngineRecord empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.Text(), "");
}

TEST(EngineRecordTest, KeepsOnlyTheEndOfLongOutputInWholeLinesAndCharacters) {
    constexpr std::size_t kLimit = 1000;
    EngineRecord record(kLimit);
    for (int i = 0; i < 500; ++i) record.Append("line " + std::to_string(i) + " \xC3\xA9t\xC3\xA9\n");
    record.Append("the reason");
    const std::string text = record.Text();
    EXPECT_TRUE(record.Truncated());
    ASSERT_EQ(text.rfind(kRecordCutNote, 0), 0u);
    const std::string kept = text.substr(kRecordCutNote.size());
    EXPECT_LE(kept.size(), kLimit);
    EXPECT_GT(kept.size(), kLimit / 2);
    EXPECT_NE(kept.find("line 499 "), std::string::npos);
    EXPECT_EQ(kept.substr(kept.size() - 10), "the reason");
    // No character is cut in half at the start.
    EXPECT_NE(static_cast<unsigned char>(kept[0]) & 0xC0, 0x80);

    // One endless line without a line end stays bounded too, and cut between characters.
    EngineRecord endless(kLimit);
    for (int i = 0; i < 3000; ++i) endless.Append("\xE2\x82\xAC");
    const std::string endlessText = endless.Text();
    EXPECT_LE(endlessText.size(), kLimit + kRecordCutNote.size());
    const std::string tail = endlessText.substr(kRecordCutNote.size());
    EXPECT_EQ(tail.size() % 3, 0u);
    EXPECT_EQ(tail.substr(0, 3), "\xE2\x82\xAC");
}

// A batch of totalUnits fed a sequence of (ms, done) points.
TimeLeftEstimate Fed(int64_t totalUnits, std::initializer_list<std::pair<int64_t, int64_t>> points) {
    TimeLeftEstimate estimate;
    estimate.Start(0, totalUnits);
    for (const auto& [ms, done] : points) estimate.Update(ms, done);
    return estimate;
}

TEST(TimeLeftEstimateTest, FollowsSteadyStallingAndRestartingRows) {
    // Nothing before there is a rate to go on: too early, or no progress at all.
    EXPECT_FALSE(Fed(300, {}).LeftMs());
    EXPECT_FALSE(Fed(300, {{1000, 10}, {2000, 20}}).LeftMs());
    EXPECT_FALSE(Fed(300, {{10000, 0}}).LeftMs());

    // Steady: 3 items, 10 units a second; at 100 units 20 s are left.
    const auto steady = Fed(300, {{1000, 10}, {5000, 50}, {10000, 100}}).LeftMs();
    ASSERT_TRUE(steady);
    EXPECT_EQ(*steady, 20000);

    // Stalling: the estimate grows as the rows stand still, and never turns negative.
    TimeLeftEstimate stalling = Fed(300, {{10000, 100}});
    int64_t last = *stalling.LeftMs();
    for (int64_t ms = 20000; ms <= 60000; ms += 10000) {
        stalling.Update(ms, 100);
        ASSERT_TRUE(stalling.LeftMs());
        EXPECT_GT(*stalling.LeftMs(), last);
        last = *stalling.LeftMs();
    }

    // A row that starts over: the work to redo lengthens the estimate, the rate stays the
    // forward progress made (100 units in 10 s, then 40 more in 4 s).
    TimeLeftEstimate restarting = Fed(300, {{10000, 100}});
    restarting.Update(11000, 60);
    ASSERT_TRUE(restarting.LeftMs());
    EXPECT_EQ(*restarting.LeftMs(), 240 * 11000 / 100);
    restarting.Update(14000, 100);
    EXPECT_EQ(*restarting.LeftMs(), 200 * 14000 / 140);

    // Every row at 100 % but the batch not ended: at least a second, never zero or negative.
    const auto full = Fed(300, {{10000, 300}}).LeftMs();
    ASSERT_TRUE(full);
    EXPECT_EQ(*full, 1000);
    const auto beyond = Fed(300, {{10000, 500}}).LeftMs();
    EXPECT_EQ(*beyond, 1000);

    // A clock stepping back does not make the elapsed time negative.
    TimeLeftEstimate stepped = Fed(300, {{10000, 100}});
    stepped.Update(4000, 110);
    ASSERT_TRUE(stepped.LeftMs());
    EXPECT_GT(*stepped.LeftMs(), 0);
}

TEST(TimeLeftEstimateTest, WritesTheTimeInWholeSecondsRoundedUp) {
    EXPECT_EQ(TimeLeftText(std::nullopt), "");
    EXPECT_EQ(TimeLeftText(1), "Time left: 1 s");
    EXPECT_EQ(TimeLeftText(0), "Time left: 1 s");
    EXPECT_EQ(TimeLeftText(59'001), "Time left: 1 min 00 s");
    EXPECT_EQ(TimeLeftText(185'000), "Time left: 3 min 05 s");
    EXPECT_EQ(TimeLeftText(3'720'000), "Time left: 1 h 02 min");
    EXPECT_EQ(TimeLeftText(1000LL * 3600 * 24 * 365), "Time left: 8760 h 00 min");
}

}  // namespace
}  // namespace quillon::app
