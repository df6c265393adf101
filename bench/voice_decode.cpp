// Decode speed of voice-recorder files, both codecs, in multiples of real time on one core.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "audio/voice_file_reader.h"
#include "whole_file_read.h"

namespace {

constexpr int kSeconds = 60;

// A recording of kSeconds of random (never all-zero) frames, written once per codec.
std::string MakeRecording(int codec) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("bench_voice_decode_" + std::to_string(getpid()) + "_" + std::to_string(codec) + ".voc"))
                                 .string();
    std::vector<std::uint8_t> bytes(511, 0x33);
    const char magic[] = "_VOC_File";
    std::copy(magic, magic + 9, bytes.begin() + 6);
    bytes[15] = 12;
    bytes[23] = kSeconds / 60;
    bytes[26] = static_cast<std::uint8_t>(codec);
    const int frameBytes = codec == 0 ? 7 : 40;
    std::mt19937 rng(static_cast<unsigned>(codec) + 1);
    for (int i = 0; i < kSeconds * 100 * frameBytes; ++i) bytes.push_back(static_cast<std::uint8_t>(rng() % 255 + 1));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

void DecodeRecording(benchmark::State& state, int codec) {
    const std::string path = MakeRecording(codec);
    std::vector<std::uint8_t> buffer(4608);
    std::size_t samples = 0;
    for (auto _ : state) {
        const std::optional<std::size_t> read =
            ReadWholeFile<quillon::audio::VoiceFileReader>(state, path, buffer, "cannot open the generated recording");
        if (!read) break;
        samples += *read;
        benchmark::DoNotOptimize(buffer.data());
    }
    std::remove(path.c_str());
    // Seconds of 8 kHz audio decoded per second of processor time on this one thread.
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(samples) / 8000.0, benchmark::Counter::kIsRate);
}

void BM_VoiceCodec0(benchmark::State& state) { DecodeRecording(state, 0); }
void BM_VoiceCodec3(benchmark::State& state) { DecodeRecording(state, 3); }

}  // namespace

BENCHMARK(BM_VoiceCodec0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VoiceCodec3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
