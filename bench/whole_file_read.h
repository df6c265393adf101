#pragma once
// A whole file read through one of the program's own readers, in blocks as a conversion reads.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The 16-bit samples a fresh reader delivers from `path`; nothing, and the benchmark skipped
// with `error`, when the file does not open.
template <typename Reader>
std::optional<std::size_t> ReadWholeFile(benchmark::State& state, const std::string& path,
                                         std::vector<unsigned char>& buffer, const char* error) {
    Reader reader;
    if (!reader.Open(path)) {
        state.SkipWithError(error);
        return std::nullopt;
    }
    std::size_t samples = 0;
    while (const std::size_t got = reader.Read(buffer.data(), buffer.size())) samples += got / 2;
    return samples;
}
