// The pool's probe server against the lone engine probe on real media: the facts must match
// field by field. And a 500-file load through the real workers, cancelled part way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <thread>

#include "app/intake.h"
#include "cancelling_window.h"
#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/probe_pool.h"
#include "engine/probe_protocol.h"
#include "engine/theora_command_line.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/process.h"
#include "process_census.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;

using test::Ferrox;

// The real probe server beside ferrox: processes of the pool's own, or, given a name,
// connections to a shared server of that name, which ends a second after its last one.
ProbePoolOptions RealWorkers(int workers, const std::string& serverName = {}) {
    ProbePoolOptions options;
    options.workerCommand = {ProbeServerBeside(Ferrox())};
    options.workers = workers;
    options.serverName = serverName;
    options.serverIdleSeconds = 1;
    return options;
}

// A shared server name of this test's own, so that tests never meet each other's servers.
std::string TestServerName(const std::string& label) {
    return "quillon-probe-test-" + std::to_string(::getpid()) + "-" + label;
}

struct Facts {
    bool found = false;
    MediaInfo info;
};

Facts LoneProbe(const std::string& line) {
    SourceItem item;
    Facts facts;
    facts.found = LaunchEngine(line, &item, true, 0, nullptr);
    facts.info = item.mediaInfo();
    return facts;
}

// What a pool worker answers for the same command line, program name left out.
Facts PoolProbe(ProbePool& pool, const std::string& line, std::string& failure);

// Every field by name, so a failure says which one differs.
void ExpectSameFacts(const Facts& lone, const Facts& pooled, const std::string& label) {
    SCOPED_TRACE(label);
    EXPECT_EQ(pooled.found, lone.found);
    const MediaInfo& a = lone.info;
    const MediaInfo& b = pooled.info;
    EXPECT_EQ(b.videoStreamId, a.videoStreamId);
    EXPECT_EQ(b.width, a.width);
    EXPECT_EQ(b.height, a.height);
    EXPECT_EQ(b.frameRate, a.frameRate);
    EXPECT_EQ(b.displayAspectRatio, a.displayAspectRatio);
    EXPECT_EQ(b.videoBitRate, a.videoBitRate);
    EXPECT_EQ(b.audioStreamIds, a.audioStreamIds);
    EXPECT_EQ(b.audioChannels, a.audioChannels);
    EXPECT_EQ(b.audioSampleRates, a.audioSampleRates);
    EXPECT_EQ(b.audioBitRates, a.audioBitRates);
    EXPECT_EQ(b.durationSeconds, a.durationSeconds);
}

class ProbeDifferential : public ::testing::Test {
protected:
    // expectFound: what the lone probe must say; nullopt for damaged files, where only the
    // agreement of the two counts.
    void Compare(const fs::path& file, std::optional<bool> expectFound) {
        const std::string path = file.string();
        const std::string ext = file.has_extension() ? util::LowerExtension(path) : std::string();
        const std::string line = BuildProbeCommandLine(Ferrox(), path, ext);
        std::string failure;
        const Facts lone = LoneProbe(line);
        const Facts pooled = PoolProbe(pool, line, failure);
        EXPECT_EQ(failure, "") << path;
        if (expectFound) {
            EXPECT_EQ(lone.found, *expectFound) << path;
        }
        ExpectSameFacts(lone, pooled, file.filename().string());
        // The same through the shared server, whose processes serve one request after another.
        const Facts shared = PoolProbe(sharedPool, line, failure);
        EXPECT_EQ(failure, "") << path;
        ExpectSameFacts(lone, shared, file.filename().string() + " (shared server)");
    }

    test::TempDir dir;
    ProbePool pool{RealWorkers(2)};
    ProbePool sharedPool{RealWorkers(2, TestServerName("differential"))};
};

TEST_F(ProbeDifferential, EveryCatalogueFormatAsWritten) {
    ASSERT_TRUE(test::MakeClip(dir / "clip.mkv", 1, 1, 2, 176, 144, 25));
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 1, 2, 44100));
    SourceItem clip;
    SourceItem tone;
    clip.path = (dir / "clip.mkv").string();
    tone.path = (dir / "tone.wav").string();
    ASSERT_TRUE(LaunchEngine(BuildProbeCommandLine(Ferrox(), clip.path, "mkv"), &clip, true, 0, nullptr));
    ASSERT_TRUE(LaunchEngine(BuildProbeCommandLine(Ferrox(), tone.path, "wav"), &tone, true, 0, nullptr));

    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    ASSERT_EQ(catalogue.size(), 79u);
    std::vector<std::pair<std::string, fs::path>> outputs(catalogue.size());
    std::atomic<std::size_t> next{0};
    auto convert = [&] {
        for (std::size_t i; (i = next++) < catalogue.size();) {
            formats::OutputFormat format = catalogue[i];
            SourceItem item = format.Family == formats::FamilyAudio ? tone : clip;
            const fs::path folder = dir / std::to_string(format.FormatId);
            fs::create_directories(folder);
            item.outputPath = (folder / ("out." + format.Extension)).string();
            formats::ConversionSettings settings;
            const std::string line =
                UsesTheoraEncoder(format.FormatId)
                    ? BuildTheoraCommandLine(format, item, settings, (test::BinDir() / "tavrel").string())
                    : BuildEngineCommandLine(format, item, settings, Ferrox());
            test::RunCommand(platform::SplitCommandLine(line));
            outputs[i] = {std::to_string(format.FormatId) + " " + format.Extension, folder};
        }
    };
    std::thread a(convert), b(convert);
    a.join();
    b.join();
    for (const auto& [label, folder] : outputs) {
        // An image sequence is probed by its first picture.
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        ASSERT_FALSE(files.empty()) << label << " wrote nothing";
        SCOPED_TRACE(label);
        Compare(files.front(), true);
    }
}

TEST_F(ProbeDifferential, RawStreamsMultiStreamNoStreamDamagedAndDvd) {
    const std::string src = "testsrc=size=176x144:rate=25:duration=1";
    const std::string tone = "sine=frequency=440:sample_rate=8000:duration=1";
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "libx264", "-f", "h264", (dir / "raw.h264").string()}));
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "libx265", "-f", "hevc", (dir / "raw.265").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "h263", "-f", "h263", (dir / "raw.263").string()}));
    ASSERT_TRUE(
        test::RunFfmpeg({"-f", "lavfi", "-i", src, "-c:v", "mjpeg", "-f", "mjpeg", (dir / "raw.mjpg").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", tone, "-f", "mulaw", (dir / "raw.ulw").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", tone, "-f", "alaw", (dir / "raw.alaw").string()}));
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", "sine=sample_rate=16000:duration=1", "-c:a", "g722", "-f", "g722",
                                 (dir / "raw.g722").string()}));
    ASSERT_TRUE(test::MakeClip(dir / "three audio.mkv", 1, 3, 2, 176, 144, 25));
    ASSERT_TRUE(test::MakeClip(dir / "two audio.mp4", 1, 2, 1, 320, 240, 30));
    test::WriteFile(dir / "subtitles.srt", "1\n00:00:00,000 --> 00:00:01,000\nhello\n");
    ASSERT_TRUE(test::RunFfmpeg({"-i", (dir / "subtitles.srt").string(), (dir / "subtitles only.mkv").string()}));
    test::WriteFile(dir / "empty.mp4", "");
    test::WriteFile(dir / "noise.avi", std::string(4096, '\x5a'));
    ASSERT_TRUE(test::MakeClip(dir / "whole.mp4", 1));
    const std::string whole = test::ReadFile(dir / "whole.mp4");
    test::WriteFile(dir / "cut short.mp4", whole.substr(0, whole.size() / 2));
    std::string scrambled = whole;
    for (std::size_t i = 64; i < scrambled.size(); i += 97) scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5a);
    test::WriteFile(dir / "scrambled.mp4", scrambled);
    ASSERT_TRUE(test::RunFfmpeg({"-f", "lavfi", "-i", src, "-f", "lavfi", "-i", "sine=sample_rate=48000:duration=1",
                                 "-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob", (dir / "VTS_01_1.VOB").string()}));

    for (const char* name :
         {"raw.h264", "raw.265", "raw.263", "raw.mjpg", "raw.ulw", "raw.alaw", "three audio.mkv", "two audio.mp4"}) {
        Compare(dir / name, true);
    }
    for (const char* name : {"subtitles only.mkv", "empty.mp4", "noise.avi"}) Compare(dir / name, false);
    // Raw G.722 is readable once ferrox translates its input options; either way, alike.
    for (const char* name : {"cut short.mp4", "scrambled.mp4", "raw.g722"}) Compare(dir / name, std::nullopt);
    std::string failure;
    // A DVD title is probed by its first piece, without any forced format.
    const std::string vob = (dir / "VTS_01_1.VOB").string();
    const Facts dvd = LoneProbe(BuildDvdProbeCommandLine(Ferrox(), vob));
    EXPECT_TRUE(dvd.found);
    ExpectSameFacts(dvd, PoolProbe(pool, BuildDvdProbeCommandLine(Ferrox(), vob), failure), "VTS_01_1.VOB");
}

TEST(PooledLoad, FiveHundredFilesAddedOrCancelledWithNoProcessLeft) {
    test::TempDir dir;
    ASSERT_TRUE(test::MakeAudio(dir / "c0.wav", 0.1, 1, 8000));
    std::vector<std::string> paths{(dir / "c0.wav").string()};
    for (int i = 1; i < 500; ++i) {
        const fs::path copy = dir / ("c" + std::to_string(i) + ".wav");
        fs::copy_file(dir / "c0.wav", copy);
        paths.push_back(copy.string());
    }
    const formats::ConversionSettings settings = formats::DefaultSettings("");
    // Workers of the shared pool, left by other tests of this process, are not this pool's.
    const std::set<int> before = test::ChildPids();
    std::set<int> sessions;
    {
        ProbePool pool(RealWorkers(2));
        app::FileList list;
        app::SourceIndex index;
        app::Intake intake(list, index, settings, Ferrox(), &pool);
        // All of them: every row, in order, with the file's facts.
        EXPECT_EQ(intake.LoadSources(paths, nullptr), "");
        ASSERT_EQ(list.RowCount(), 500u);
        for (std::size_t row = 0; row < 500; row += 99) {
            EXPECT_EQ(list.Item(row).path, paths[row]);
            EXPECT_EQ(list.Item(row).audioSampleRates, std::vector<uint32_t>{8000});
        }

        // Again in a fresh list, cancelled once 50 rows are in.
        app::FileList second;
        app::SourceIndex secondIndex;
        app::Intake again(second, secondIndex, settings, Ferrox(), &pool);
        test::CancellingWindow window([&] { return second.RowCount() >= 50; });
        window.onPump = [&] {
            for (int pid : test::ChildPids()) {
                if (!before.count(pid)) sessions.insert(pid);
            }
        };
        EXPECT_EQ(again.LoadSources(paths, &window), "");
        EXPECT_TRUE(window.cancelled);
        EXPECT_GE(second.RowCount(), 50u);
        EXPECT_LT(second.RowCount(), 500u);
        for (std::size_t row = 0; row < second.RowCount(); ++row) EXPECT_EQ(second.Item(row).path, paths[row]);
    }
    EXPECT_FALSE(sessions.empty());
    EXPECT_TRUE(test::LeftInSessions(sessions).empty());
    EXPECT_EQ(test::ChildPids(), before);
}

// ---------------------------------------------------------------- the shared probe server

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The processes of shared server `name`: the server and its children, by command line.
std::set<int> ServerProcesses(const std::string& name) {
    const std::string wanted = std::string("--serve") + '\0' + name + '\0';
    std::set<int> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (Slurp(entry.path() / "cmdline").find(wanted) != std::string::npos) {
            pids.insert(std::stoi(pid));
        }
    }
    return pids;
}

int ParentOf(int pid) {
    const std::string stat = Slurp("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    int parent = 0;
    char state = 0;
    if (close != std::string::npos) std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent);
    return parent;
}

// The server itself: the one of its processes whose parent is none of them.
int ServerLeader(const std::string& name) {
    const std::set<int> all = ServerProcesses(name);
    for (int pid : all) {
        if (!all.count(ParentOf(pid))) return pid;
    }
    return 0;
}

// The other processes that have `path` open.
std::set<int> ProcessesHolding(const fs::path& path) {
    std::set<int> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || std::stoi(pid) == ::getpid()) continue;
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator(entry.path() / "fd", ec)) {
            std::error_code linkError;
            if (fs::read_symlink(fd.path(), linkError) == path) pids.insert(std::stoi(pid));
        }
    }
    return pids;
}

bool WaitUntil(const std::function<bool()>& done, int limitMs = 10'000) {
    for (int waited = 0; waited < limitMs; waited += 20) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// Probes `path` on one worker of `pool`, the worker's kind and the failure given back.
struct PooledAnswer {
    Facts facts;
    std::string failure;
    bool shared = false;
};

PooledAnswer AskPool(ProbePool& pool, const std::string& line, const std::shared_ptr<ProbeBatch>& batch = nullptr) {
    std::vector<std::string> args = platform::SplitCommandLine(line);
    args.erase(args.begin());
    PooledAnswer answer;
    auto b = batch ? batch : std::make_shared<ProbeBatch>(1);
    pool.Run(b, {[&](ProbeWorker& worker, const ProbeBatch& running) {
                 answer.facts.found = worker.Probe(args, answer.facts.info, answer.failure, &running);
                 answer.shared = worker.UsesSharedServer();
             }});
    b->WaitAll();
    return answer;
}

Facts PoolProbe(ProbePool& pool, const std::string& line, std::string& failure) {
    PooledAnswer answer = AskPool(pool, line);
    failure = answer.failure;
    return answer.facts;
}

TEST(SharedProbeServer, OnePoolStartsItTheNextOnesUseItAndItEndsWhenIdle) {
    test::TempDir dir;
    ASSERT_TRUE(test::MakeClip(dir / "clip.mp4", 1));
    const std::string line = BuildProbeCommandLine(Ferrox(), (dir / "clip.mp4").string(), "mp4");
    const Facts lone = LoneProbe(line);
    const std::string name = TestServerName("reuse");
    ASSERT_TRUE(ServerProcesses(name).empty());

    int server = 0;
    {
        ProbePool pool(RealWorkers(1, name));
        const PooledAnswer first = AskPool(pool, line);
        EXPECT_EQ(first.failure, "");
        EXPECT_TRUE(first.shared);
        ExpectSameFacts(lone, first.facts, "first pool");
        server = ServerLeader(name);
        ASSERT_NE(server, 0);
        // It left this program's session: stopping this program's group does not stop it.
        EXPECT_NE(::getsid(server), ::getsid(0));
    }
    // It outlives the pool that started it; later pools, two workers at once, are its clients.
    for (int round = 0; round < 2; ++round) {
        ProbePool pool(RealWorkers(2, name));
        auto batch = std::make_shared<ProbeBatch>(2);
        std::vector<PooledAnswer> answers(2);
        std::vector<ProbePool::Task> tasks;
        std::vector<std::string> args = platform::SplitCommandLine(line);
        args.erase(args.begin());
        for (PooledAnswer& answer : answers) {
            tasks.push_back([&answer, args](ProbeWorker& worker, const ProbeBatch& b) {
                answer.facts.found = worker.Probe(args, answer.facts.info, answer.failure, &b);
                answer.shared = worker.UsesSharedServer();
            });
        }
        pool.Run(batch, std::move(tasks));
        batch->WaitAll();
        for (const PooledAnswer& answer : answers) {
            EXPECT_EQ(answer.failure, "");
            EXPECT_TRUE(answer.shared);
            ExpectSameFacts(lone, answer.facts, "round " + std::to_string(round));
        }
        EXPECT_EQ(ServerLeader(name), server);
    }
    // A second after the last connection closed it is gone, with every process it had.
    EXPECT_TRUE(WaitUntil([&] { return ServerProcesses(name).empty(); }));
}

// The address of abstract socket `name`, for the raw clients and servers below.
struct RawAddress {
    sockaddr_un address{};
    socklen_t length = 0;
};

RawAddress AddressOf(const std::string& name) {
    RawAddress a;
    a.address.sun_family = AF_UNIX;
    std::memcpy(a.address.sun_path + 1, name.data(), name.size());
    a.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return a;
}

TEST(SharedProbeServer, AProbeNobodyWaitsForAnyMoreEndsAtOnce) {
    test::TempDir dir;
    // Open for writing here, so a probe's read of it waits for ever (and shows in /proc).
    const fs::path fifo = dir / "stuck.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int holder = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 0.2, 1, 8000));
    const std::string stuck = BuildProbeCommandLine(Ferrox(), fifo.string(), "wav");
    const std::string tone = BuildProbeCommandLine(Ferrox(), (dir / "tone.wav").string(), "wav");
    const std::string name = TestServerName("stuck");

    ProbePoolOptions options = RealWorkers(1, name);
    options.silenceLimitMs = 1500;
    ProbePool pool(options);

    // Silent past the time limit: the worker gives up, the server's process for it ends.
    const PooledAnswer silent = AskPool(pool, stuck);
    EXPECT_NE(silent.failure.find("gave no answer"), std::string::npos) << silent.failure;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesHolding(fifo).empty(); }));
    const int server = ServerLeader(name);
    EXPECT_NE(server, 0);
    EXPECT_EQ(AskPool(pool, tone).failure, "");

    // The server's processes killed while the worker waits between files: the next file is
    // answered through a new connection, not failed.
    std::set<int> children = ServerProcesses(name);
    children.erase(server);
    for (int pid : children) ::kill(pid, SIGKILL);
    // Gone, reaped by the server, their connections closed.
    EXPECT_TRUE(WaitUntil(
        [&] { return std::none_of(children.begin(), children.end(), [](int pid) { return ::kill(pid, 0) == 0; }); }));
    const PooledAnswer afterKill = AskPool(pool, tone);
    EXPECT_EQ(afterKill.failure, "");
    EXPECT_TRUE(afterKill.shared);
    EXPECT_EQ(ServerLeader(name), server) << "the server went with its children";

    // Cancelled while it waits.
    {
        auto batch = std::make_shared<ProbeBatch>(1);
        std::thread canceller([&] {
            WaitUntil([&] { return !ProcessesHolding(fifo).empty(); });
            batch->Cancel();
        });
        EXPECT_EQ(AskPool(pool, stuck, batch).failure, "cancelled");
        canceller.join();
        EXPECT_TRUE(WaitUntil([&] { return ProcessesHolding(fifo).empty(); }));
    }

    // The server's process killed under a request: that file fails, the next is answered by
    // another process of the same server.
    {
        auto batch = std::make_shared<ProbeBatch>(1);
        std::thread killer([&] {
            WaitUntil([&] { return !ProcessesHolding(fifo).empty(); });
            for (int pid : ProcessesHolding(fifo)) ::kill(pid, SIGKILL);
        });
        const PooledAnswer killed = AskPool(pool, stuck, batch);
        killer.join();
        EXPECT_EQ(killed.failure, "the engine's probe process ended while reading the file");
        const PooledAnswer next = AskPool(pool, tone);
        EXPECT_EQ(next.failure, "");
        EXPECT_TRUE(next.shared);
        EXPECT_EQ(ServerLeader(name), server);
    }

    // A client killed in the middle of a request: its end closes with it.
    {
        const RawAddress serverAddress = AddressOf(name);
        std::vector<std::string> args = platform::SplitCommandLine(stuck);
        args.erase(args.begin());
        const std::string request = EncodeProbeRequest("k", args);
        const pid_t client = ::fork();
        if (client == 0) {
            // Only system calls here: the test program has threads.
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&serverAddress.address), serverAddress.length) != 0)
                ::_exit(1);
            if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) ::_exit(1);
            for (;;) ::pause();
        }
        ASSERT_GT(client, 0);
        EXPECT_TRUE(WaitUntil([&] { return !ProcessesHolding(fifo).empty(); }));
        ::kill(client, SIGKILL);
        ::waitpid(client, nullptr, 0);
        EXPECT_TRUE(WaitUntil([&] { return ProcessesHolding(fifo).empty(); }));
        EXPECT_EQ(ServerLeader(name), server);
    }
    ::close(holder);
}

// Forks a process running as nobody that calls `body`; only system calls belong in it, as
// the test program has threads.
template <typename Body>
pid_t AsNobody(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::syscall(SYS_setgid, 65534) != 0 || ::syscall(SYS_setuid, 65534) != 0) ::_exit(126);
        body();
        ::_exit(0);
    }
    return pid;
}

TEST(SharedProbeServer, NeitherEndTalksToAnotherUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    test::TempDir dir;
    ASSERT_TRUE(test::MakeAudio(dir / "tone.wav", 0.2, 1, 8000));
    const std::string line = BuildProbeCommandLine(Ferrox(), (dir / "tone.wav").string(), "wav");
    const Facts lone = LoneProbe(line);

    // Somebody else holds the name this user's programs would use and answers every request
    // with made-up facts: the pool must not believe it.
    const std::string taken = TestServerName("taken");
    const RawAddress takenAddress = AddressOf(taken);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t liar = AsNobody([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&takenAddress.address), takenAddress.length) != 0 ||
            ::listen(fd, 8) != 0) {
            ::_exit(1);
        }
        (void)!::write(ready[1], "r", 1);
        for (;;) {
            const int c = ::accept(fd, nullptr, nullptr);
            char request[4096];
            for (ssize_t got; (got = ::read(c, request, sizeof request - 1)) > 0;) {
                request[got] = '\0';  // the token comes first
                char answer[512];
                const int n = std::snprintf(answer, sizeof answer,
                                            "Input #0, wav, from 'x':\n  Duration: 00:09:00.00, bitrate: 1 kb/s\n"
                                            "  Stream #0:0: Audio: pcm_s16le, 11025 Hz, mono, s16, 1 kb/s\n"
                                            "\n@ferrox-probe-end %s 1\n",
                                            request);
                (void)!::write(c, answer, static_cast<std::size_t>(n));
            }
            ::close(c);
        }
    });
    ASSERT_GT(liar, 0);
    char r = 0;
    ASSERT_EQ(::read(ready[0], &r, 1), 1);
    {
        ProbePool pool(RealWorkers(1, taken));
        const PooledAnswer answer = AskPool(pool, line);
        EXPECT_EQ(answer.failure, "");
        EXPECT_FALSE(answer.shared) << "believed a server of another user";
        ExpectSameFacts(lone, answer.facts, "own worker");
    }
    ::kill(liar, SIGKILL);
    ::waitpid(liar, nullptr, 0);

    // And this user's server answers nobody else.
    const std::string ours = TestServerName("ours");
    ProbePool pool(RealWorkers(1, ours));
    ASSERT_TRUE(AskPool(pool, line).shared);
    const RawAddress oursAddress = AddressOf(ours);
    std::vector<std::string> args = platform::SplitCommandLine(line);
    args.erase(args.begin());
    const std::string request = EncodeProbeRequest("n", args);
    const pid_t stranger = AsNobody([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&oursAddress.address), oursAddress.length) != 0) {
            ::_exit(2);
        }
        (void)!::write(fd, request.data(), request.size());
        char answer[256];
        // Closed without a word (reset, as the request was left unread).
        const ssize_t got = ::read(fd, answer, sizeof answer);
        ::_exit(got == 0 || (got < 0 && errno == ECONNRESET) ? 0 : 3);
    });
    ASSERT_GT(stranger, 0);
    int status = 0;
    ::waitpid(stranger, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace quillon::engine
