// Feeds arbitrary files to the BASS reader: sound files and tracker modules as they come, and
// CD track descriptors beside disc images built from the input.
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/bass_file_reader.h"
#include "audio/bass_layer.h"
#include "audio/cd_drive.h"
#include "fuzz_temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace quillon::audio;

const fs::path& Folder() {
    static const fs::path folder = quillon::fuzz::FuzzTempFolder("bass");
    return folder;
}

void Write(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

void Write(const fs::path& path, const std::string& text) {
    Write(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// A disc image of up to four tracks laid out by the first bytes; the rest is the BIN's content.
// The descriptor names one of the tracks (or one that is not there) by number, start and length.
void MakeDisc(const std::uint8_t* data, std::size_t size) {
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    const std::size_t tracks = 1 + (size > 1 ? data[1] % 4 : 0);
    unsigned sector = 0;
    std::vector<unsigned> starts;
    for (std::size_t t = 0; t < tracks; ++t) {
        const std::uint8_t b = 2 + t < size ? data[2 + t] : 0;
        char line[96];
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02u:%02u:%02u\n", t + 1,
                      (b & 0x80) ? "MODE1/2352" : "AUDIO", sector / 4500, sector / 75 % 60, sector % 75);
        cue += line;
        starts.push_back(sector);
        sector += b & 0x7F;
    }
    Write(Folder() / "disc.cue", cue);
    const std::size_t skip = std::min<std::size_t>(size, 6);
    Write(Folder() / "disc.bin", data + skip, size - skip);

    const unsigned track = size > 0 ? data[0] % 6 : 1;
    const auto binSectors = static_cast<unsigned>((size - skip + 2351) / 2352);
    unsigned start = 0, length = 0;
    if (track >= 1 && track <= starts.size()) {
        start = starts[track - 1];
        const unsigned end = track < starts.size() ? starts[track] : std::max(binSectors, start);
        length = end > start ? end - start : 0;
    }
    unsigned char cda[44] = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'C', 'D', 'D', 'A', 'f', 'm', 't', ' ', 24};
    cda[20] = 1;
    cda[22] = static_cast<unsigned char>(track);
    for (int i = 0; i < 4; ++i) {
        cda[28 + i] = static_cast<unsigned char>(start >> (8 * i));
        cda[32 + i] = static_cast<unsigned char>(length >> (8 * i));
    }
    Write(Folder() / "Track.cda", cda, sizeof cda);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 0);
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    BASS_PluginLoad("basscd.dll", BASS_UNICODE);
    SetCdDriveFinder([] { return std::string(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::error_code ec;
    fs::remove(Folder() / "disc.cue", ec);
    fs::path path;
    if (data[0] >= 0xF0) {
        MakeDisc(data + 1, size - 1);
        path = Folder() / "Track.cda";
    } else {
        path = Folder() / "input.bin";
        Write(path, data + 1, size - 1);
    }

    BassFileReader reader;
    if (!reader.Open(path.string())) return 0;
    if (reader.GetOutputChannels() < 1 || reader.GetOutputChannels() > 2) std::abort();
    std::vector<std::uint8_t> buffer(4608 + 64);
    const std::size_t blockBytes = 1 + data[0] % 17 * 271;
    // Modules can play for minutes; a few blocks exercise every path.
    for (int reads = 0; reads < 64; ++reads) {
        const std::size_t got = reader.Read(buffer.data(), blockBytes);
        if (got == 0) break;
        if (got > blockBytes) std::abort();
    }
    reader.GetPosition();
    reader.Close();
    return 0;
}
