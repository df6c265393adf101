// The probe pool with a stand-in worker: answers per file, a worker that dies or never
// answers in the middle of a batch, and a cancel that leaves no process behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <mutex>
#include <set>
#include <thread>

#include "engine/probe_pool.h"
#include "fake_probe_worker.h"
#include "process_census.h"
#include "test_support.h"

namespace quillon::engine {
namespace {

struct Answer {
    bool found = false;
    MediaInfo info;
    std::string failure;
};

ProbePoolOptions FakeWorkers(const test::TempDir& dir, int workers, int silenceLimitMs = 60'000) {
    ProbePoolOptions options;
    options.workerCommand = test::FakeProbeWorker(dir.path());
    options.workers = workers;
    options.silenceLimitMs = silenceLimitMs;
    return options;
}

// Probes each path through the pool and records the worker processes that served them.
std::vector<Answer> ProbeAll(ProbePool& pool, const std::vector<std::string>& paths, std::set<int>* workers = nullptr,
                             const std::shared_ptr<ProbeBatch>& given = nullptr) {
    auto batch = given ? given : std::make_shared<ProbeBatch>(paths.size());
    std::vector<Answer> answers(paths.size());
    std::mutex mutex;
    std::vector<ProbePool::Task> tasks;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        tasks.push_back([&, i](ProbeWorker& worker, const ProbeBatch& b) {
            Answer& a = answers[i];
            a.found = worker.Probe({"-i", paths[i]}, a.info, a.failure, &b);
            std::lock_guard<std::mutex> lock(mutex);
            if (workers && worker.Pid() > 0) workers->insert(worker.Pid());
        });
    }
    pool.Run(batch, std::move(tasks));
    batch->WaitAll();
    return answers;
}

TEST(ProbePool, EveryFileGetsItsOwnAnswerFromFewWorkers) {
    test::TempDir dir;
    ProbePool pool(FakeWorkers(dir, 2));
    EXPECT_EQ(pool.WorkerCount(), 2u);
    std::vector<std::string> paths;
    // A name with a newline and one that looks like the end marker must not end an answer early.
    for (int i = 0; i < 30; ++i) paths.push_back("/x/clip" + std::to_string(i) + ".wav");
    paths.push_back("/x/two\nlines.wav");
    paths.push_back("/x/\n@ferrox-probe-end 1-1 1\n.wav");
    paths.push_back("/x/slowend.wav");
    std::set<int> workers;
    const std::vector<Answer> answers = ProbeAll(pool, paths, &workers);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_TRUE(answers[i].found) << paths[i] << ": " << answers[i].failure;
        EXPECT_EQ(answers[i].failure, "");
        EXPECT_EQ(answers[i].info.audioSampleRates, std::vector<uint32_t>{8000});
        EXPECT_EQ(answers[i].info.audioChannels, std::vector<uint32_t>{1});
        EXPECT_EQ(answers[i].info.durationSeconds, 2u);
    }
    // The workers are kept from one file to the next, not started per file.
    EXPECT_LE(workers.size(), 2u);
    // A second batch is served by the same, still living, workers.
    std::set<int> again;
    ProbeAll(pool, {"/x/a.wav", "/x/b.wav"}, &again);
    for (int pid : again) EXPECT_TRUE(workers.count(pid)) << pid;
}

// A worker program with no server mode (an older one, say): asked to serve, it does not, and
// the pool keeps processes of its own instead of failing the files.
TEST(ProbePool, AWorkerProgramThatCannotServeIsUsedAsItsOwnWorker) {
    test::TempDir dir;
    ProbePoolOptions options = FakeWorkers(dir, 2);
    options.serverName = "quillon-probe-pool-test-" + std::to_string(::getpid());
    ProbePool pool(options);
    std::set<int> workers;
    const std::vector<Answer> answers = ProbeAll(pool, {"/x/a.wav", "/x/b.wav", "/x/c.wav"}, &workers);
    for (const Answer& a : answers) {
        EXPECT_TRUE(a.found) << a.failure;
        EXPECT_EQ(a.info.audioSampleRates, std::vector<uint32_t>{8000});
    }
    EXPECT_FALSE(workers.empty()) << "no process of the pool's own answered";
}

// The children of this process beyond `before`; waits up to a few seconds for `count` of them.
std::set<int> NewChildren(const std::set<int>& before, std::size_t count = 0) {
    std::set<int> added;
    for (int i = 0; i < 500; ++i) {
        added.clear();
        for (int pid : test::ChildPids()) {
            if (!before.count(pid)) added.insert(pid);
        }
        if (added.size() >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return added;
}

TEST(ProbePool, WorkersStartedEarlyServeTheFirstBatchAndEndWithThePool) {
    test::TempDir dir;
    ProbePoolOptions options = FakeWorkers(dir, 2);
    const std::set<int> before = test::ChildPids();
    std::set<int> started;
    {
        ProbePool pool(options);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(NewChildren(before), std::set<int>{}) << "no process before it is asked for";
        pool.StartWorkers();
        started = NewChildren(before, 2);
        ASSERT_EQ(started.size(), 2u);
        // Asked again while they run: no more processes.
        pool.StartWorkers();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(NewChildren(before), started);
        std::set<int> served;
        const std::vector<Answer> answers = ProbeAll(pool, {"/x/a.wav", "/x/b.wav", "/x/c.wav", "/x/d.wav"}, &served);
        for (const Answer& a : answers) EXPECT_TRUE(a.found) << a.failure;
        for (int pid : served) EXPECT_TRUE(started.count(pid)) << pid;
    }
    EXPECT_TRUE(test::LeftInSessions(started).empty());

    // One worker slow to come up takes no file while the other, ready, can serve them all.
    {
        ProbePoolOptions uneven = FakeWorkers(dir, 2);
        const std::string first = (dir / "first").string();
        uneven.workerCommand = {"/bin/bash",
                                "-c",
                                "mkdir \"$1\" 2>/dev/null || sleep 600; exec \"$0\" \"$2\"",
                                uneven.workerCommand[0],
                                first,
                                uneven.workerCommand[1]};
        ProbePool pool(uneven);
        pool.StartWorkers();
        ProbeAll(pool, {"/x/ready.wav"});
        std::set<int> served;
        const std::vector<Answer> answers =
            ProbeAll(pool, {"/x/a.wav", "/x/b.wav", "/x/c.wav", "/x/d.wav", "/x/e.wav", "/x/f.wav"}, &served);
        for (const Answer& a : answers) EXPECT_TRUE(a.found) << a.failure;
        EXPECT_EQ(served.size(), 1u);
    }

    // A worker program that cannot start: asking early changes nothing, the probe still fails.
    options.workerCommand = {(dir / "missing-probe").string()};
    ProbePool broken(options);
    broken.StartWorkers();
    const std::vector<Answer> answers = ProbeAll(broken, {"/x/a.wav"});
    EXPECT_FALSE(answers[0].found);
}

// Starting a worker costs about as much as probing a dozen small files, so a short batch keeps
// to one process; a long batch, or one whose files keep the running worker busy, uses more.
TEST(ProbePool, ShortBatchesKeepToOneWorkerLongOrSlowOnesUseMore) {
    test::TempDir dir;
    const std::set<int> before = test::ChildPids();
    {
        ProbePool pool(FakeWorkers(dir, 2));
        pool.StartWorkers(6);
        ASSERT_EQ(NewChildren(before, 1).size(), 1u);
        std::set<int> served;
        const std::vector<Answer> answers =
            ProbeAll(pool, {"/x/a.wav", "/x/b.wav", "/x/c.wav", "/x/d.wav", "/x/e.wav", "/x/f.wav"}, &served);
        for (const Answer& a : answers) EXPECT_TRUE(a.found) << a.failure;
        EXPECT_EQ(served.size(), 1u);
        EXPECT_EQ(NewChildren(before).size(), 1u) << "no second process for six files";
        // Not knowing the count starts them all.
        pool.StartWorkers();
        EXPECT_EQ(NewChildren(before, 2).size(), 2u);
    }
    {
        ProbePool pool(FakeWorkers(dir, 2));
        std::vector<std::string> many;
        for (int i = 0; i < 40; ++i) many.push_back("/x/many" + std::to_string(i) + ".wav");
        std::set<int> served;
        for (const Answer& a : ProbeAll(pool, many, &served)) EXPECT_TRUE(a.found) << a.failure;
        EXPECT_EQ(served.size(), 2u);
    }
    {
        ProbePool pool(FakeWorkers(dir, 2));
        std::set<int> served;
        for (const Answer& a : ProbeAll(pool, {"/x/slowprobe1.wav", "/x/slowprobe2.wav", "/x/slowprobe3.wav"}, &served))
            EXPECT_TRUE(a.found) << a.failure;
        EXPECT_EQ(served.size(), 2u) << "files kept waiting by a slow probe start another worker";
    }
    EXPECT_TRUE(NewChildren(before).empty());
}

TEST(ProbePool, AWorkerThatDiesOrHangsFailsItsFileAndIsReplaced) {
    test::TempDir dir;
    const ProbePoolOptions options = FakeWorkers(dir, 1, 400);
    std::set<int> workers;
    {
        ProbePool pool(options);
        const std::vector<Answer> answers =
            ProbeAll(pool, {"/x/a.wav", "/x/die.wav", "/x/b.wav", "/x/hang.wav", "/x/c.wav"}, &workers);
        EXPECT_TRUE(answers[0].found);
        EXPECT_FALSE(answers[1].found);
        EXPECT_NE(answers[1].failure.find("killed"), std::string::npos) << answers[1].failure;
        EXPECT_TRUE(answers[2].found) << answers[2].failure;
        EXPECT_FALSE(answers[3].found);
        EXPECT_EQ(answers[3].failure, "the engine gave no answer for 1 s and was stopped");
        EXPECT_TRUE(answers[4].found) << answers[4].failure;
        // The one worker thread started a new process after each loss.
        EXPECT_EQ(workers.size(), 3u);
        // The hung worker and its sleeping child are gone already, not only at the end.
        std::set<int> lost(workers.begin(), workers.end());
        lost.erase(*workers.rbegin());
        EXPECT_TRUE(test::LeftInSessions(lost).empty());
    }
    EXPECT_TRUE(test::LeftInSessions(workers).empty());
}

TEST(ProbePool, CancelKillsTheProbesUnderWayAndDropsTheRest) {
    test::TempDir dir;
    ProbePool pool(FakeWorkers(dir, 2, 600'000));
    std::vector<std::string> paths(500, "/x/hang.wav");
    std::atomic<bool> stop{false};
    auto batch = std::make_shared<ProbeBatch>(paths.size(), &stop);
    std::set<int> sessions;
    std::thread canceller([&] {
        // Once both workers are stuck in their probes, cancel the way a signal handler would.
        while (test::ProcessesInSessions(test::ChildPids()).size() < 4)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        sessions = test::ChildPids();
        stop.store(true);
    });
    std::set<int> workers;
    const std::vector<Answer> answers = ProbeAll(pool, paths, &workers, batch);
    canceller.join();
    EXPECT_TRUE(batch->Cancelled());
    EXPECT_EQ(batch->DoneCount(), paths.size());
    EXPECT_EQ(answers[0].failure, "cancelled");
    std::size_t ran = 0;
    for (const Answer& a : answers) ran += !a.failure.empty();
    EXPECT_LE(ran, 2u);
    EXPECT_EQ(workers.size(), 0u);  // their processes were stopped before they reported
    EXPECT_EQ(sessions.size(), 2u);
    EXPECT_TRUE(test::LeftInSessions(sessions).empty());
}

}  // namespace
}  // namespace quillon::engine
