// Feeds arbitrary files to the DWVW AIFC reader: it must refuse or decode them without reading
// or writing out of bounds, and never deliver more than the caller's buffer holds.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/aifc_reader.h"
#include "fuzz_temp_folder.h"

namespace {

std::string InputPath() {
    static const std::string path = (quillon::fuzz::FuzzTempFolder("aifc") / "input.aifc").string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = InputPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    // The last byte picks the caller's buffer size, so small and odd sizes are tried as well.
    const std::size_t blockBytes = size ? 1 + data[size - 1] * 19 : 4608;
    std::vector<std::uint8_t> buffer(blockBytes + 64);
    quillon::audio::AifcReader reader;
    if (!reader.Open(path)) return 0;
    for (int reads = 0; reads < 100000; ++reads) {
        const std::size_t got = reader.Read(buffer.data(), blockBytes);
        if (got == 0) break;
        if (got > blockBytes || got % 2 != 0) std::abort();
        if (reader.GetPosition() > reader.GetLength() + 256) std::abort();
    }
    reader.Close();
    return 0;
}
