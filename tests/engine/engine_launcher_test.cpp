#include "engine/engine_launcher.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/process.h"
#include "process_census.h"

namespace quillon::engine {
namespace {

using platform::QuoteArgument;

std::string Shell(const std::string& script) { return "/bin/sh -c " + QuoteArgument(script); }

std::vector<EngineReport> UntilFinished(EngineReportQueue& queue) {
    std::vector<EngineReport> reports;
    while (auto r = queue.Pop(20'000)) {
        reports.push_back(std::move(*r));
        if (reports.back().message == WM_ENGINE_FINISHED) break;
    }
    return reports;
}

TEST(LaunchEngine, JoinsAProgressLineWrittenInTwoPiecesAndReportsItOnce) {
    EngineReportQueue queue;
    SourceItem item;
    item.durationSeconds = 4;
    ASSERT_TRUE(LaunchEngine(Shell("printf 'frame=  1 time=00:0'; sleep 0.3; printf '0:01.00 bitrate=1\\r';"
                                   "printf 'last words'"),
                             &item, false, platform::kNormalPriorityClass, &queue));
    const auto reports = UntilFinished(queue);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].message, WM_ENGINE_PROGRESS);
    EXPECT_EQ(reports[0].elapsedMs, 1000);
    EXPECT_EQ(reports[0].percent, 25);
    EXPECT_EQ(reports[1].message, WM_ENGINE_FINISHED);
    EXPECT_EQ(reports[1].lastLine, "last words");
}

TEST(LaunchEngine, ReadsOutputLeftInThePipeWhenTheEngineEnds) {
    // More than one read's worth, written just before the process exits.
    EngineReportQueue queue;
    SourceItem item;
    ASSERT_TRUE(LaunchEngine(Shell("i=0; while [ $i -lt 3000 ]; do echo \"line $i with some padding text\"; "
                                   "i=$((i+1)); done; echo final"),
                             &item, false, platform::kNormalPriorityClass, &queue));
    const auto reports = UntilFinished(queue);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].lastLine, "final");
}

TEST(LaunchEngine, AFailedLaunchReturnsFalseAndSendsNothing) {
    EngineReportQueue queue;
    SourceItem item;
    EXPECT_FALSE(LaunchEngine("\"/nonexistent/ferrox\" -i x", &item, false, platform::kNormalPriorityClass, &queue));
    EXPECT_FALSE(item.process.Valid());
    EXPECT_FALSE(item.outputPipe.Valid());
    EXPECT_FALSE(LaunchEngine("\"/nonexistent/ferrox\" -i x", &item, true, 0, nullptr));
    EXPECT_FALSE(LaunchEngine("/bin/true", &item, false, platform::kNormalPriorityClass, nullptr));
    EXPECT_FALSE(queue.Pop(200).has_value());
}

TEST(LaunchEngine, GivesTheConversionItsPriorityClass) {
    EngineReportQueue queue;
    SourceItem item;
    ASSERT_TRUE(LaunchEngine("/bin/sleep 20", &item, false, platform::kBelowNormalPriorityClass, &queue));
    EXPECT_EQ(test::NiceOf(item.process.Pid()), 5);
    item.process.Terminate();
    ASSERT_EQ(UntilFinished(queue).size(), 1u);
}

TEST(LaunchEngine, LeavesNoDescriptorOrChildBehindAfterManyLaunches) {
    const int before = test::OpenDescriptors();
    for (int i = 0; i < 200; ++i) {
        SourceItem item;
        if (i % 2 == 0) {
            EXPECT_TRUE(
                LaunchEngine(Shell("echo '  Stream #0:0: Audio: pcm, 8000 Hz, mono'"), &item, true, 0, nullptr));
            continue;
        }
        EngineReportQueue queue;
        ASSERT_TRUE(LaunchEngine(Shell("printf 'size= 1kB time=00:00:01.00\\rdone\\n'"), &item, false,
                                 platform::kNormalPriorityClass, &queue));
        const auto reports = UntilFinished(queue);
        ASSERT_EQ(reports.size(), 2u);
        // The run closes the item's handles when the item finishes.
        item.process.Close();
        item.outputPipe.Close();
    }
    // A reader thread may still be returning after its last report; its handles are gone by then.
    EXPECT_EQ(test::OpenDescriptors(), before);
    EXPECT_TRUE(test::NoChildLeft()) << "a child or zombie was left behind";
}

TEST(EngineReportQueue, CarriesReportsBetweenThreadsInOrder) {
    EngineReportQueue queue;
    SourceItem item;
    std::thread sender([&] {
        for (int i = 0; i < 1000; ++i) queue.EngineProgress(&item, i % 101, i);
        queue.EngineFinished(&item, "end");
    });
    for (int i = 0; i < 1000; ++i) {
        auto r = queue.Pop(5000);
        ASSERT_TRUE(r.has_value());
        ASSERT_EQ(r->elapsedMs, i);
    }
    auto last = queue.Pop(5000);
    sender.join();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->message, WM_ENGINE_FINISHED);
    EXPECT_EQ(last->lastLine, "end");
    EXPECT_FALSE(queue.TryPop().has_value());
}

}  // namespace
}  // namespace quillon::engine
