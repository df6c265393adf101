#include "engine/probe_pool.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>

#include "engine/line_assembler.h"
#include "engine/media_engine.h"
#include "engine/probe_parser.h"
#include "engine/probe_protocol.h"
#include "platform/known_folders.h"
#include "platform/local_server.h"
#include "util/paths.h"

namespace quillon::engine {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting worker looks at the cancel flag.
constexpr int kCancelCheckMs = 20;
constexpr std::size_t kReadSize = 65'536;
// Answer text kept unparsed while the end marker is looked for; the rest goes to the parser.
constexpr std::size_t kMaxHeldBytes = 1 << 20;
// A worker takes about as long to start as a running one needs for this many small files.
constexpr std::size_t kFilesPerWorkerStart = 16;
// A file queued this long while the running workers are busy starts one more worker.
constexpr auto kQueueWaitBeforeAnotherWorker = std::chrono::milliseconds(250);

}  // namespace

std::string ProbeServerBeside(const std::string& enginePath) {
    return util::FolderPart(enginePath).value_or("") + kProbeServerProgramName;
}

// ---------------------------------------------------------------- ProbeWorker

bool ProbeWorker::Cancelled(const ProbeBatch* batch) const {
    return (batch && batch->Cancelled()) || (stop_ && stop_->load());
}

std::string ProbeWorker::SilenceFailure() const {
    const int seconds = std::max(1, options_.silenceLimitMs / 1000);
    return "the engine gave no answer for " + std::to_string(seconds) + " s and was stopped";
}

bool ProbeWorker::EnsureStarted(std::string& failure, const ProbeBatch* batch) {
    if (Running()) return true;
    Stop();
    const std::vector<std::string> command = options_.workerCommand.empty()
                                                 ? std::vector<std::string>{ProbeServerBeside(EnginePath())}
                                                 : options_.workerCommand;
    if (!options_.serverName.empty() && !privateOnly_) {
        switch (ConnectShared(command, failure, batch)) {
        case Sharing::Connected: return true;
        case Sharing::Stopped: return false;
        case Sharing::Unavailable: break;
        }
    }
    std::string error;
    if (!platform::StartProcessWithInput(command, platform::ProgramFolder(), started_, &error)) {
        // No reason of the file's own: the failure report already says the program is damaged.
        failure.clear();
        return false;
    }
    return true;
}

ProbeWorker::Sharing ProbeWorker::ConnectShared(const std::vector<std::string>& command, std::string& failure,
                                                const ProbeBatch* batch) {
    // Workers that find no server wait for the one that starts it instead of each starting one.
    static std::mutex launching;
    // A second try: a server that ended as this connected is followed by a new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        platform::LocalConnection connection;
        platform::ConnectResult result = platform::ConnectLocalServer(options_.serverName, connection);
        if (result == platform::ConnectResult::NoServer) {
            std::lock_guard<std::mutex> lock(launching);
            result = platform::ConnectLocalServer(options_.serverName, connection);
            if (result == platform::ConnectResult::NoServer) {
                if (!LaunchSharedServer(command, failure, batch)) break;
                result = platform::ConnectLocalServer(options_.serverName, connection);
            }
        }
        if (result != platform::ConnectResult::Connected) break;
        started_.output = connection.output;
        started_.input = connection.input;
        // Its first answer shows the server's process for this connection is there.
        switch (Ask({}, nullptr, failure, batch)) {
        case Exchange::Answered: return Sharing::Connected;
        case Exchange::Stopped: return Sharing::Stopped;
        case Exchange::Ended: failure.clear(); break;
        }
    }
    if (!failure.empty()) return Sharing::Stopped;
    // A program without a server mode, a name another user holds: the worker keeps a process of
    // its own from now on.
    privateOnly_ = true;
    return Sharing::Unavailable;
}

bool ProbeWorker::LaunchSharedServer(const std::vector<std::string>& command, std::string& failure,
                                     const ProbeBatch* batch) {
    std::vector<std::string> argv = command;
    argv.insert(argv.end(), {"--serve", options_.serverName, std::to_string(options_.serverIdleSeconds)});
    platform::StartedProcess launcher;
    if (!platform::StartProcess(argv, platform::ProgramFolder(), launcher)) return false;
    // The starter exits once its server listens, the engine's libraries loaded; the server
    // itself leaves this program's session and streams. Dropping the handle stops a starter
    // that is still running.
    const auto started = Clock::now();
    while (!launcher.process.Wait(kCancelCheckMs)) {
        if (Cancelled(batch)) {
            failure = "cancelled";
            return false;
        }
        if (Clock::now() - started >= std::chrono::milliseconds(options_.silenceLimitMs)) {
            failure = SilenceFailure();
            return false;
        }
    }
    return true;
}

bool ProbeWorker::StartAndWaitReady() {
    // A request without input is answered at once by a server that is up.
    MediaInfo info;
    std::string failure;
    Probe({}, info, failure, nullptr);
    return failure.empty() && Running();
}

void ProbeWorker::Stop() {
    started_.input.Close();
    started_.output.Close();
    started_.process.Terminate();
    started_ = platform::StartedProcess{};
}

bool ProbeWorker::Probe(const std::vector<std::string>& args, MediaInfo& info, std::string& failure,
                        const ProbeBatch* batch) {
    info = MediaInfo{};
    failure.clear();
    if (!EnsureStarted(failure, batch)) return false;
    ProbeOutputParser parser(info);
    return Ask(args, &parser, failure, batch) == Exchange::Answered && parser.FoundStream();
}

ProbeWorker::Exchange ProbeWorker::Ask(const std::vector<std::string>& args, ProbeOutputParser* parser,
                                       std::string& failure, const ProbeBatch* batch) {
    const std::string token = std::to_string(started_.process.Pid()) + "-" + std::to_string(nextToken_++);
    // Paths may hold newlines, so the marker is searched as a whole line with this token.
    const std::string marker = std::string("\n") + kProbeEndMarker + token + " ";
    if (!started_.input.Write(EncodeProbeRequest(token, args))) {
        Stop();
        failure = "the engine's probe process ended before it read the request";
        return Exchange::Ended;
    }

    LineAssembler lines;
    auto onLine = [&](std::string_view line) {
        if (parser) parser->ParseLine(line);
    };
    std::string held;
    std::size_t markerAt = std::string::npos;
    auto buffer = std::make_unique<char[]>(kReadSize);
    auto lastOutput = Clock::now();
    using Status = platform::PipeHandle::ReadStatus;
    for (;;) {
        const auto r = started_.output.Read(buffer.get(), kReadSize, kCancelCheckMs);
        if (r.status == Status::Data) {
            lastOutput = Clock::now();
            const std::size_t searchFrom = held.size() >= marker.size() ? held.size() - marker.size() + 1 : 0;
            held.append(buffer.get(), r.bytes);
            if (markerAt == std::string::npos) markerAt = held.find(marker, searchFrom);
            if (markerAt != std::string::npos) {
                // The status after the token may come in a later read.
                const std::size_t lineEnd = held.find('\n', markerAt + marker.size());
                if (lineEnd != std::string::npos) {
                    lines.Feed(std::string_view(held).substr(0, markerAt), onLine);
                    lines.Finish(onLine);
                    // Anything after the marker would belong to no request: start afresh next time.
                    if (lineEnd + 1 != held.size()) Stop();
                    return Exchange::Answered;
                }
            } else if (held.size() > kMaxHeldBytes) {
                const std::size_t keep = marker.size() + 32;
                lines.Feed(std::string_view(held).substr(0, held.size() - keep), onLine);
                held.erase(0, held.size() - keep);
            }
            continue;
        }
        if (r.status == Status::End) {
            if (!started_.process.Valid()) {
                Stop();
                failure = "the engine's probe process ended while reading the file";
                return Exchange::Ended;
            }
            started_.process.Wait(1000);
            const std::optional<int> code = started_.process.ExitCode();
            Stop();
            failure = code ? "the engine's probe process ended with status " + std::to_string(*code)
                           : "the engine's probe process was killed while reading the file";
            return Exchange::Ended;
        }
        if (Cancelled(batch)) {
            Stop();
            failure = "cancelled";
            return Exchange::Stopped;
        }
        if (Clock::now() - lastOutput >= std::chrono::milliseconds(options_.silenceLimitMs)) {
            Stop();
            failure = SilenceFailure();
            return Exchange::Stopped;
        }
    }
}

// ---------------------------------------------------------------- ProbeBatch

ProbeBatch::ProbeBatch(std::size_t count, const std::atomic<bool>* externalCancel)
    : done_(count, 0), externalCancel_(externalCancel) {}

bool ProbeBatch::Cancelled() const { return cancelled_.load() || (externalCancel_ && externalCancel_->load()); }

void ProbeBatch::MarkDone(std::size_t index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (index >= done_.size() || done_[index]) return;
        done_[index] = 1;
        ++doneCount_;
    }
    changed_.notify_all();
}

bool ProbeBatch::WaitDone(std::size_t index, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (index >= done_.size()) return true;
    return changed_.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                             [&] { return done_[index] != 0; });
}

void ProbeBatch::WaitAll() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return doneCount_ == done_.size(); });
}

std::size_t ProbeBatch::DoneCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return doneCount_;
}

// ---------------------------------------------------------------- ProbePool

ProbePool::ProbePool(ProbePoolOptions options) : options_(std::move(options)) {
    int count = options_.workers;
    if (count <= 0) count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    threads_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) threads_.emplace_back([this, i] { Serve(static_cast<std::size_t>(i)); });
}

ProbePool::~ProbePool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        stopNow_.store(true);
        for (Entry& e : queue_) {
            e.batch->Cancel();
            e.batch->MarkDone(e.index);
        }
        queue_.clear();
    }
    queued_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void ProbePool::Run(const std::shared_ptr<ProbeBatch>& batch, std::vector<Task> tasks) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto now = Clock::now();
        for (std::size_t i = 0; i < tasks.size(); ++i) queue_.push_back(Entry{batch, i, std::move(tasks[i]), now});
    }
    queued_.notify_all();
}

std::size_t ProbePool::WorkersFor(std::size_t files) const {
    if (files == kUnknownCount) return threads_.size();
    // A connection to the shared server costs a fork, not a start of the engine's libraries.
    if (!options_.serverName.empty()) return std::min(threads_.size(), std::max<std::size_t>(1, files));
    return std::min(threads_.size(), 1 + files / kFilesPerWorkerStart);
}

void ProbePool::StartWorkers(std::size_t expectedFiles) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++startRound_;
        startWanted_ = WorkersFor(expectedFiles);
    }
    queued_.notify_all();
}

bool ProbePool::ShouldStartFor(std::size_t workerIndex, std::chrono::milliseconds& lookAgain) const {
    lookAgain = std::chrono::milliseconds(0);
    if (queue_.empty()) return false;
    if (workerIndex < WorkersFor(queue_.size())) return true;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - queue_.front().queuedAt);
    if (waited >= kQueueWaitBeforeAnotherWorker) return true;
    lookAgain = kQueueWaitBeforeAnotherWorker - waited;
    return false;
}

void ProbePool::Serve(std::size_t workerIndex) {
    ProbeWorker worker(options_, &stopNow_);
    unsigned answeredRound = 0;
    for (;;) {
        Entry entry;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            for (;;) {
                if (stopping_) return;
                if (answeredRound != startRound_) break;
                std::chrono::milliseconds lookAgain{0};
                // A worker whose process runs takes any file; one that would have to start
                // its process first does so only when the queue calls for it.
                if (!queue_.empty() && (worker.Running() || ShouldStartFor(workerIndex, lookAgain))) break;
                if (lookAgain.count() > 0) {
                    queued_.wait_for(lock, lookAgain);
                } else {
                    queued_.wait(lock);
                }
            }
            // An asked-for start comes before any file, even when files are already queued:
            // a worker slow to load then leaves them to the others instead of holding one.
            if (answeredRound != startRound_) {
                answeredRound = startRound_;
                const bool wanted = workerIndex < startWanted_;
                lock.unlock();
                // One that cannot start tries again at its first probe, which then fails with
                // the reason.
                if (wanted) worker.StartAndWaitReady();
                continue;
            }
            entry = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!entry.batch->Cancelled()) entry.task(worker, *entry.batch);
        entry.batch->MarkDone(entry.index);
    }
}

ProbePool& SharedProbePool(const std::string& enginePath) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<ProbePool>> pools;
    const std::string program = enginePath.empty() ? EnginePath() : enginePath;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<ProbePool>& pool = pools[program];
    if (!pool) {
        ProbePoolOptions options;
        options.workerCommand = {ProbeServerBeside(program)};
        options.serverName = platform::LocalServerName(options.workerCommand.front(), "probe");
        pool = std::make_unique<ProbePool>(std::move(options));
    }
    return *pool;
}

}  // namespace quillon::engine
