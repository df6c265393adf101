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

    // Creates (or replaces) the file and writes the 44-byte header. 1 on success, 0 otherwise,
    // also for a format the header cannot describe (no rate, a byte rate beyond 32 bits).
    int Open(const std::string& path, bool stereo, int bits, std::uint32_t sampleRate);
    // Appends the bytes as they are. 0 when they did not all reach the file or would grow the
    // data past what the 32-bit sizes can hold; after a failure every later Write fails too.
    int Write(const void* buffer, std::size_t byteCount);
    // Patches the RIFF and data sizes and closes the file. False when any write failed or the
    // data is not a whole number of sample frames.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    // The errno value of the first failure since Open; 0 when there was none.
    int LastError() const { return error_; }

private:
    struct PcmFormat {
        std::uint16_t formatTag = 0;
        std::uint16_t channels = 0;
        std::uint32_t sampleRate = 0;
        std::uint32_t averageBytesPerSecond = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
    };

    void Fail(int error);

    std::FILE* file_ = nullptr;
    PcmFormat format_;
    std::uint64_t dataBytes_ = 0;
    int error_ = 0;
};

}  // namespace quillon::audio
