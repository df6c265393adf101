// A batch of 12 short clips converted by `quillon-cli convert`, against the same engine lines
// run directly by two workers. What the command line adds (starting, probing, the run's
// bookkeeping) shows as the direct_ratio, which should stay near 1: there the user's shared
// probe server is up, as from the second run on. own_workers_ratio is the same without it
// (QUILLON_NO_SHARED_SERVER), each run loading the engine's libraries for its probes, as the
// first run does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/known_folders.h"
#include "platform/process.h"
#include "util/paths.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kClips = 12;
constexpr int kWorkers = 2;
constexpr int kFormatId = 40;  // AVI with its default codecs

std::string BuildFolder() {
    std::string here = quillon::platform::ProgramFolder();
    if (here.empty()) here = "./";
    return quillon::util::IsFile(here + "ferrox") ? here : here + "../";
}

// Runs a program to its end, its output read and dropped; true when it exited 0.
bool Run(const std::vector<std::string>& argv) {
    quillon::platform::StartedProcess p;
    if (!quillon::platform::StartProcess(argv, "", p)) return false;
    quillon::engine::ReadEngineOutput(p.output, p.process, [](std::string_view) {});
    p.process.Wait(-1);
    return p.process.ExitCode() == 0;
}

struct Workspace {
    std::string root;
    std::vector<std::string> clips;
};

// Twelve 2-second clips with sound, made once per run, and a private home for the command line.
const Workspace& Clips() {
    static Workspace w;
    if (!w.root.empty()) return w;
    char name[] = "/tmp/bench_batch_XXXXXX";
    if (!mkdtemp(name)) std::abort();
    w.root = name;
    for (int i = 0; i < kClips; ++i) {
        const std::string clip = w.root + "/clip" + std::to_string(i) + ".mp4";
        if (!Run({"ffmpeg", "-y", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2",
                  "-f", "lavfi", "-i", "sine=frequency=" + std::to_string(300 + 50 * i) + ":duration=2", "-pix_fmt",
                  "yuv420p", "-shortest", clip})) {
            std::abort();
        }
        w.clips.push_back(clip);
    }
    fs::create_directories(w.root + "/home");
    fs::create_directories(w.root + "/config");
    std::atexit([] { fs::remove_all(w.root); });
    return w;
}

// The lines the run builds for these sources with the stored defaults, probed beforehand.
bool DirectLines(const Workspace& w, std::vector<std::string>& lines) {
    const std::string ferrox = BuildFolder() + "ferrox";
    quillon::formats::FormatCatalogue catalogue;
    quillon::formats::BuildCatalogue(catalogue);
    const std::string out = w.root + "/direct";
    fs::create_directories(out);
    for (const std::string& clip : w.clips) {
        quillon::engine::SourceItem item;
        item.path = clip;
        item.extension = "mp4";
        if (!quillon::engine::LaunchEngine(quillon::engine::BuildProbeCommandLine(ferrox, clip, "mp4"), &item, true, 0,
                                           nullptr)) {
            return false;
        }
        quillon::formats::OutputFormat format = *quillon::formats::FindFormat(catalogue, kFormatId);
        quillon::formats::ConversionSettings settings = quillon::formats::DefaultSettings(out);
        item.outputPath = out + "/" + fs::path(clip).stem().string() + "." + format.Extension;
        lines.push_back(quillon::engine::BuildEngineCommandLine(format, item, settings, ferrox));
    }
    return true;
}

// Seconds for the lines run by kWorkers threads, each taking the next line; 0 when one failed.
double RunDirect(const std::vector<std::string>& lines) {
    const auto start = Clock::now();
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&] {
        for (std::size_t i; (i = next++) < lines.size();) {
            if (!Run(quillon::platform::SplitCommandLine(lines[i]))) failed = true;
        }
    };
    std::vector<std::thread> workers;
    for (int k = 0; k < kWorkers; ++k) workers.emplace_back(worker);
    for (std::thread& t : workers) t.join();
    return failed ? 0 : std::chrono::duration<double>(Clock::now() - start).count();
}

double RunCli(const Workspace& w, bool ownWorkers) {
    // A private home: the command line writes into its documents folder with the defaults.
    setenv("HOME", (w.root + "/home").c_str(), 1);
    setenv("QUILLON_CONFIG_DIR", (w.root + "/config").c_str(), 1);
    if (ownWorkers) {
        setenv("QUILLON_NO_SHARED_SERVER", "1", 1);
    } else {
        unsetenv("QUILLON_NO_SHARED_SERVER");
    }
    std::vector<std::string> argv{BuildFolder() + "quillon-cli", "convert",   "--format",
                                  std::to_string(kFormatId),     "--threads", std::to_string(kWorkers)};
    argv.insert(argv.end(), w.clips.begin(), w.clips.end());
    const auto start = Clock::now();
    const bool ok = Run(argv);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The next round writes the same names again, as the direct lines do with -y.
    fs::remove_all(w.root + "/home/Documents");
    return ok ? seconds : 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Rounds of the three, taking turns at going first, so that a machine growing busier or
// quieter weighs on them alike; the medians leave out a round disturbed by something else.
void BM_CliConvertAgainstDirect(benchmark::State& state) {
    constexpr int kRounds = 7;
    const Workspace& w = Clips();
    std::vector<std::string> lines;
    if (!DirectLines(w, lines)) {
        state.SkipWithError("probe failed");
        return;
    }
    std::vector<double> direct;
    std::vector<double> cli;
    std::vector<double> ratios;
    std::vector<double> ownRatios;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            double d = 0;
            double c = 0;
            double own = 0;
            for (int turn = 0; turn < 3; ++turn) {
                switch ((round + turn) % 3) {
                case 0: d = RunDirect(lines); break;
                case 1: c = RunCli(w, false); break;
                default: own = RunCli(w, true); break;
                }
            }
            if (d <= 0 || c <= 0 || own <= 0) {
                state.SkipWithError("a conversion failed");
                return;
            }
            direct.push_back(d);
            cli.push_back(c);
            ratios.push_back(c / d);
            ownRatios.push_back(own / d);
        }
    }
    state.counters["direct_ms"] = Median(direct) * 1000;
    state.counters["cli_ms"] = Median(cli) * 1000;
    state.counters["direct_ratio"] = Median(ratios);
    state.counters["own_workers_ratio"] = Median(ownRatios);
}

BENCHMARK(BM_CliConvertAgainstDirect)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
