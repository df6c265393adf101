// Feeds arbitrary bytes to the voice-recorder reader through a real file and reads to the end.
// Inputs starting with an odd byte get a valid header in front, so both codecs' frame streams
// are reached without the fuzzer having to discover the 511-byte header first.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/voice_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_voice_reader_" + std::to_string(getpid()) + ".voc";
    }();

    std::vector<std::uint8_t> file;
    if (size > 0 && (data[0] & 1)) {
        file.assign(511, 0x5A);
        const char magic[] = "_VOC_File";
        std::copy(magic, magic + 9, file.begin() + 6);
        file[15] = 12;
        file[22] = file[23] = file[24] = file[25] = 0;
        file[26] = (data[0] & 2) ? 3 : 0;
        file.insert(file.end(), data + 1, data + size);
    } else {
        file.assign(data, data + size);
    }
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!file.empty()) std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    } else {
        return 0;
    }

    quillon::audio::VoiceFileReader reader;
    if (reader.Open(path)) {
        std::uint8_t buffer[4608];
        std::size_t total = 0;
        while (const std::size_t got = reader.Read(buffer, sizeof buffer)) {
            if (got > 2304 || got % 2 != 0) std::abort();
            total += got;
            (void)reader.GetPosition();
        }
        if (reader.Read(buffer, sizeof buffer) != 0) std::abort();  // the end is final
        (void)total;
    }
    std::remove(path.c_str());
    return 0;
}
