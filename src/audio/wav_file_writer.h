#pragma once
// Writes the temporary 16-bit PCM WAV files that the own readers decode into.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quillon::audio {

class WavFileWriter {
public:
    WavFileWriter() = default;
    virtual ~WavFileWriter();
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    // Creates (or replaces) the file and writes the 44-byte header. 1 on success, 0 otherwise.
    int Open(const std::string& path, bool stereo, int bits, std::uint32_t sampleRate);
    // Appends the bytes as they are. Always 1: a short write shows in the sizes Close writes.
    int Write(const void* buffer, std::size_t byteCount);
    // Patches the RIFF and data sizes from the file's final size and closes it.
    void Close();

    bool IsOpen() const { return file_ != nullptr; }

private:
    struct PcmFormat {
        std::uint16_t formatTag = 0;
        std::uint16_t channels = 0;
        std::uint32_t sampleRate = 0;
        std::uint32_t averageBytesPerSecond = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
    };

    std::FILE* file_ = nullptr;
    PcmFormat format_;
};

}  // namespace quillon::audio
