// Decoding one DWVW AIFC file with the program's own reader and with libsndfile.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "audio/aifc_reader.h"
#include "whole_file_read.h"

namespace {

// Ten seconds of 44.1 kHz mono: a tone with noise on it, written once per run.
const std::string& DwvwFile(int width) {
    static std::string paths[25];
    std::string& path = paths[width];
    if (!path.empty()) return path;
    char name[] = "/tmp/bench_dwvw_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    path = name;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_AIFF | (width == 24 ? SF_FORMAT_DWVW_24 : SF_FORMAT_DWVW_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) std::abort();
    std::vector<int> samples(441000);
    unsigned noise = 1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        const double v = 0.6 * std::sin(static_cast<double>(i) * 0.031) + 0.05 * ((noise >> 16) / 32768.0 - 1.0);
        samples[i] = static_cast<int>(v * 2147483647.0);
    }
    sf_writef_int(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    std::atexit([] {
        for (const std::string& p : paths)
            if (!p.empty()) std::remove(p.c_str());
    });
    return path;
}

void OwnReader(benchmark::State& state) {
    const std::string& path = DwvwFile(static_cast<int>(state.range(0)));
    std::vector<unsigned char> buffer(4608);
    std::size_t samples = 0;
    for (auto _ : state) {
        const std::optional<std::size_t> read =
            ReadWholeFile<quillon::audio::AifcReader>(state, path, buffer, "cannot open");
        if (!read) return;
        samples = *read;
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples));
}

void Libsndfile(benchmark::State& state) {
    const std::string& path = DwvwFile(static_cast<int>(state.range(0)));
    std::vector<short> buffer(2304);
    std::size_t samples = 0;
    for (auto _ : state) {
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (!file) {
            state.SkipWithError("cannot open");
            return;
        }
        sf_count_t got;
        samples = 0;
        while ((got = sf_read_short(file, buffer.data(), static_cast<sf_count_t>(buffer.size()))) > 0)
            samples += static_cast<std::size_t>(got);
        sf_close(file);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples));
}

BENCHMARK(OwnReader)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(Libsndfile)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
