// Adding a folder of 500 small WAV files, against the same 500 engine probes run one by one
// (a process each). The intake's pool keeps a probe server per core, so it should be many
// times faster: BM_AddFolder reports that ratio as lone_probes_ratio.
#include <benchmark/benchmark.h>

#include <sndfile.h>
#include <chrono>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/intake.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "platform/known_folders.h"
#include "util/paths.h"

namespace {

namespace fs = std::filesystem;
constexpr int kFiles = 500;

// One 0.1 s WAV copied 500 times under different names; made once per run.
const std::string& Folder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    char name[] = "/tmp/bench_intake_XXXXXX";
    if (!mkdtemp(name)) std::abort();
    folder = name;
    const std::string first = folder + "/clip000.wav";
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(first.c_str(), SFM_WRITE, &info);
    if (!file) std::abort();
    std::vector<short> samples(800, 0);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    for (int i = 1; i < kFiles; ++i) {
        char copy[32];
        std::snprintf(copy, sizeof copy, "/clip%03d.wav", i);
        fs::copy_file(first, folder + copy);
    }
    std::atexit([] { fs::remove_all(folder); });
    return folder;
}

// ferrox sits in the build folder, one level above the benchmarks.
std::string EnginePath() {
    std::string here = quillon::platform::ProgramFolder();
    if (here.empty()) here = "./";
    return quillon::util::IsFile(here + "ferrox") ? here + "ferrox" : here + "../ferrox";
}

using Clock = std::chrono::steady_clock;
double gLoneProbeSeconds = 0;  // set by BM_SeparateProbes, which runs first

void BM_AddFolder(benchmark::State& state) {
    const std::string folder = Folder();
    const quillon::formats::ConversionSettings settings = quillon::formats::DefaultSettings("");
    const auto start = Clock::now();
    for (auto _ : state) {
        quillon::app::FileList list;
        quillon::app::SourceIndex index;
        quillon::app::Intake intake(list, index, settings, EnginePath());
        std::vector<std::string> paths;
        intake.CollectFolderFiles(paths, folder);
        const std::string failures = intake.LoadSources(paths, nullptr);
        if (list.RowCount() != kFiles || !failures.empty()) state.SkipWithError("not every file was added");
    }
    const double seconds =
        std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(state.iterations());
    if (gLoneProbeSeconds > 0 && seconds > 0) state.counters["lone_probes_ratio"] = gLoneProbeSeconds / seconds;
}

void BM_SeparateProbes(benchmark::State& state) {
    const std::string folder = Folder();
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(folder)) paths.push_back(entry.path().string());
    const auto start = Clock::now();
    for (auto _ : state) {
        for (const std::string& path : paths) {
            quillon::engine::SourceItem item;
            const std::string line = quillon::engine::BuildProbeCommandLine(EnginePath(), path, "wav");
            if (!quillon::engine::LaunchEngine(line, &item, true, 0, nullptr)) state.SkipWithError("probe failed");
        }
    }
    gLoneProbeSeconds =
        std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(state.iterations());
}

BENCHMARK(BM_SeparateProbes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AddFolder)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
