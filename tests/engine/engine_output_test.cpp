#include "engine/engine_output.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/line_assembler.h"
#include "engine/source_item.h"

namespace quillon::engine {
namespace {

std::vector<std::string> Lines(const std::vector<std::string>& reads, std::size_t maxLine = 1 << 20) {
    LineAssembler assembler(maxLine);
    std::vector<std::string> lines;
    auto onLine = [&](std::string_view line) { lines.emplace_back(line); };
    for (const std::string& r : reads) assembler.Feed(r, onLine);
    assembler.Finish(onLine);
    return lines;
}

TEST(LineAssembler, EndsLinesAtRunsOfCrAndLfAndCarriesTheTail) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Lines({"a\r\nb\rc\n\n\nd"}), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(Lines({"fra", "me=1 ti", "me=00:00:01.00\r", "\nnext\n"}), (V{"frame=1 time=00:00:01.00", "next"}));
    EXPECT_EQ(Lines({"\r\n", "", "x", "\r", "\n", "y"}), (V{"x", "y"}));
    EXPECT_EQ(Lines({}), V{});

    // Any split of a transcript gives the same lines.
    const std::string transcript =
        "Input #0\n  Duration: 00:00:05.00\nframe=  1 time=00:00:00.04\rframe= 50\r\nerror here\n";
    const V whole = Lines({transcript});
    for (std::size_t cut = 0; cut <= transcript.size(); ++cut) {
        EXPECT_EQ(Lines({transcript.substr(0, cut), transcript.substr(cut)}), whole) << cut;
    }
    V bytes;
    for (char c : transcript) bytes.emplace_back(1, c);
    EXPECT_EQ(Lines(bytes), whole);
}

TEST(LineAssembler, BoundsAnEndlessLine) {
    const auto lines = Lines({std::string(10, 'a'), std::string(10, 'b'), "\nok\n"}, 15);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(10, 'a') + std::string(5, 'b'));
    EXPECT_EQ(lines[1], "ok");
}

TEST(ClassifyEngineLine, RecognisesProgressAndMessages) {
    using K = EngineLine::Kind;
    struct Case {
        const char* line;
        K kind;
        int64_t elapsedMs;
    };
    const Case cases[] = {
        {"frame=  125 fps=0.0 q=-1.0 Lsize=  57kB time=00:01:05.40 bitrate= 93.4kbits/s speed=51x", K::Progress,
         65'400},
        {"size=     123kB time=01:02:03.04 bitrate= 128.0kbits/s", K::Progress, 3'723'040},
        {"frame=   50 fps=0.0 q=2.0 size=  118kB", K::Ignored, 0},
        {"frame= 1 time=N/A bitrate=N/A", K::Progress, 0},
        {"frame= 1 time=00:00:07 bitrate= 473.9kbits/s", K::Progress, 7'000},
        {"frame= 1 time=-00:00:00.02 bitrate=N/A", K::Progress, 0},
        {"frame= 1 time=00:00:07.5", K::Progress, 7'050},
        {"frame= 1 time=00:00:07.123456", K::Progress, 7'120},
        {"{\"duration\": 130, \"position\": 12.5, \"audio_kbps\": 128}", K::Progress, 12'500},
        {"{\"position\":   3.0019}", K::Progress, 3'001},
        {"{\"duration\": 130}", K::Ignored, 0},
        {"{position: 5}", K::Message, 0},
        {"  frame= 1 time=00:00:01.00", K::Message, 0},
        {"Conversion failed!", K::Message, 0},
        {"", K::Ignored, 0},
    };
    for (const Case& c : cases) {
        const EngineLine r = ClassifyEngineLine(c.line);
        EXPECT_EQ(r.kind, c.kind) << c.line;
        EXPECT_EQ(r.elapsedMs, c.elapsedMs) << c.line;
    }
}

TEST(ProgressPercent, DividesByTheDurationAndCapsAtHundred) {
    EXPECT_EQ(ProgressPercent(65'400, 130), 50);
    EXPECT_EQ(ProgressPercent(0, 130), 0);
    EXPECT_EQ(ProgressPercent(129'999, 130), 99);
    EXPECT_EQ(ProgressPercent(131'000, 130), 100);
    EXPECT_EQ(ProgressPercent(10'000'000'000, 1), 100);
    EXPECT_EQ(ProgressPercent(5'000, 0), -1);
    EXPECT_EQ(ProgressPercent(999, 1), 99);
}

TEST(ConversionOutputReader, ReportsProgressAndKeepsTheLastMessage) {
    EngineReportQueue queue;
    SourceItem item;
    ConversionOutputReader reader(&item, 130, queue);
    reader.Feed(
        "Input #0, mov, from 'in.mp4':\n  Duration: 00:02:10.00\nframe=   10 fps=0.0 q=2.0 size=   1kB time=00:00:");
    EXPECT_FALSE(queue.TryPop().has_value());  // the progress line is not complete yet
    reader.Feed("13.00 bitrate=1.0kbits/s\rframe=   20 time=00:01:05.40 bitrate=1.0\r");
    reader.Feed("[mp4 @ 0x55] Could not write header for output file #0\nError initializing output stream 0:0 -- \n\n");
    reader.Finish();

    auto first = queue.TryPop();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, WM_ENGINE_PROGRESS);
    EXPECT_EQ(first->source, &item);
    EXPECT_EQ(first->percent, 10);
    EXPECT_EQ(first->elapsedMs, 13'000);
    auto second = queue.TryPop();
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->percent, 50);
    EXPECT_FALSE(queue.TryPop().has_value());  // the reader never sends the finished report
    EXPECT_EQ(reader.lastLine(), "Error initializing output stream 0:0 -- ");
}

TEST(ConversionOutputReader, GivesMinusOneWithoutADurationAndKeepsAnUnendedLastLine) {
    EngineReportQueue queue;
    ConversionOutputReader reader(nullptr, 0, queue);
    reader.Feed("size=  1kB time=00:00:02.50 bitrate=1\rfatal: disk full");
    reader.Finish();
    auto report = queue.TryPop();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->percent, -1);
    EXPECT_EQ(report->elapsedMs, 2'500);
    EXPECT_EQ(reader.lastLine(), "fatal: disk full");
}

}  // namespace
}  // namespace quillon::engine
