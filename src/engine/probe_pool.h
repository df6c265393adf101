#pragma once
// Probing many sources at once. Each worker thread keeps one probe server (ferrox-probe)
// running once it has started it and hands it request after request, so the engine's
// libraries load once per worker instead of once per file; a damaged file can end that
// process, never this program. A worker process that dies, or says nothing for longer than
// the time limit, is killed and started again for the next request, and its file fails with
// the reason. Workers start only as the queue calls for them.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/source_item.h"
#include "platform/process.h"

namespace quillon::engine {

struct ProbePoolOptions {
    // The worker program and its arguments; empty: ferrox-probe beside this program.
    std::vector<std::string> workerCommand;
    int workers = 0;  // 0: one per processor core
    // How long a worker may write nothing while it probes before it counts as hung.
    int silenceLimitMs = 60'000;
    // Non-empty: workers are connections to the user's shared probe server of this name (see
    // platform::LocalServerName), started from the worker command when none is up, so that its
    // libraries load once for every program of the user and not once per program. A worker
    // falls back to a process of its own when no server can be had.
    std::string serverName;
    // How long the shared server stays up after its last connection closed.
    int serverIdleSeconds = 30;
};

class ProbeBatch;
class ProbeOutputParser;

// One probe server process, used by one pool thread at a time.
class ProbeWorker {
public:
    // `stop`, when given, ends a probe under way as a cancel does (the pool going away).
    explicit ProbeWorker(const ProbePoolOptions& options, const std::atomic<bool>* stop = nullptr)
        : options_(options), stop_(stop) {}
    ~ProbeWorker() { Stop(); }
    ProbeWorker(const ProbeWorker&) = delete;
    ProbeWorker& operator=(const ProbeWorker&) = delete;

    // Probes one input: `args` are the probe command line's arguments after the program name
    // (input options, "-i", the path). Fills `info` and returns whether a stream was found.
    // When the answer could not be had (the worker died, went silent, or `batch` was
    // cancelled) returns false with the reason in `failure`; otherwise `failure` is empty.
    bool Probe(const std::vector<std::string>& args, MediaInfo& info, std::string& failure, const ProbeBatch* batch);

    // Starts the process unless it runs and waits until it answers (its libraries are loaded);
    // false when it could not be started or did not answer.
    bool StartAndWaitReady();
    // Kills the process, or closes the connection, which ends the server's process for it
    // (either is started again by the next probe).
    void Stop();
    int Pid() const { return started_.process.Pid(); }  // 0 when connected to the shared server
    bool Running() { return started_.process.Valid() ? !started_.process.HasEnded() : started_.output.StillOpen(); }
    bool UsesSharedServer() const { return !started_.process.Valid() && started_.output.Valid(); }

private:
    enum class Exchange { Answered, Ended, Stopped };
    enum class Sharing { Connected, Stopped, Unavailable };

    bool EnsureStarted(std::string& failure, const ProbeBatch* batch);
    Sharing ConnectShared(const std::vector<std::string>& command, std::string& failure, const ProbeBatch* batch);
    bool LaunchSharedServer(const std::vector<std::string>& command, std::string& failure, const ProbeBatch* batch);
    // Sends one request and reads its answer, handing the text to `parser` when given.
    Exchange Ask(const std::vector<std::string>& args, ProbeOutputParser* parser, std::string& failure,
                 const ProbeBatch* batch);
    bool Cancelled(const ProbeBatch* batch) const;
    std::string SilenceFailure() const;

    const ProbePoolOptions& options_;
    const std::atomic<bool>* stop_ = nullptr;
    platform::StartedProcess started_;
    unsigned long long nextToken_ = 1;
    bool privateOnly_ = false;  // the shared server could not be had: no further tries
};

// The work of one load: task i is done once it ran or was dropped by a cancel.
class ProbeBatch {
public:
    // `externalCancel`, when given, cancels the batch as soon as it reads true (it may be set
    // from a signal handler) and must outlive the batch's tasks.
    explicit ProbeBatch(std::size_t count, const std::atomic<bool>* externalCancel = nullptr);

    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const;
    // Waits up to timeoutMs for task `index`; true when it is done.
    bool WaitDone(std::size_t index, int timeoutMs);
    // Waits until no task of the batch runs or waits any more.
    void WaitAll();
    std::size_t DoneCount() const;

private:
    friend class ProbePool;
    void MarkDone(std::size_t index);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char> done_;
    std::size_t doneCount_ = 0;
    std::atomic<bool> cancelled_{false};
    const std::atomic<bool>* externalCancel_ = nullptr;
};

class ProbePool {
public:
    using Task = std::function<void(ProbeWorker& worker, const ProbeBatch& batch)>;

    explicit ProbePool(ProbePoolOptions options = {});
    ~ProbePool();
    ProbePool(const ProbePool&) = delete;
    ProbePool& operator=(const ProbePool&) = delete;

    // Queues the batch's tasks in order; tasks[i] completes batch task i. A task still queued
    // when its batch is cancelled is dropped; one running is told through the batch.
    void Run(const std::shared_ptr<ProbeBatch>& batch, std::vector<Task> tasks);

    // Has the workers that `expectedFiles` calls for start their processes now, not at their
    // first probe, so that the start-up overlaps what the caller does before its first batch
    // (reading arguments, scanning folders); every worker when the count is not known yet.
    // Returns at once; a worker whose process runs already does nothing.
    static constexpr std::size_t kUnknownCount = static_cast<std::size_t>(-1);
    void StartWorkers(std::size_t expectedFiles = kUnknownCount);

    // How many workers a batch of `files` sets going: starting a process of its own costs about
    // as much as a running worker probing some sixteen small files, so a short batch stays with
    // one; connecting to the shared server costs little, so every file may have one. A worker
    // beyond these still starts when a file has waited in the queue for long (slow probes).
    std::size_t WorkersFor(std::size_t files) const;

    std::size_t WorkerCount() const { return threads_.size(); }
    const ProbePoolOptions& Options() const { return options_; }

private:
    struct Entry {
        std::shared_ptr<ProbeBatch> batch;
        std::size_t index = 0;
        Task task;
        std::chrono::steady_clock::time_point queuedAt;
    };
    void Serve(std::size_t workerIndex);
    // Whether worker `workerIndex`, whose process is not running, should start one for the
    // queue as it is now; else how long until it should look again (zero: not before a change).
    bool ShouldStartFor(std::size_t workerIndex, std::chrono::milliseconds& lookAgain) const;

    ProbePoolOptions options_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Entry> queue_;
    bool stopping_ = false;
    unsigned startRound_ = 0;      // raised by StartWorkers; each thread answers a round once
    std::size_t startWanted_ = 0;  // how many workers the latest round starts
    std::atomic<bool> stopNow_{false};
    std::vector<std::thread> threads_;
};

// The probe server that belongs to the engine program `enginePath`: the one in its folder.
std::string ProbeServerBeside(const std::string& enginePath);

// The pool the window, the command line and the conversion run share, one for each engine
// program (empty: ferrox beside this program), its workers being the probe server beside that
// engine; made on first use, kept until the program ends.
ProbePool& SharedProbePool(const std::string& enginePath = {});

}  // namespace quillon::engine
