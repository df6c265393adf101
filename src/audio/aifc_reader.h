#pragma once
// Reader for AIFC files whose samples are DWVW-compressed; every other AIFF/AIFC is refused
// so that the media engine reads it instead.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_source_reader.h"
#include "audio/dwvw_decoder.h"

namespace quillon::audio {

class AifcReader : public AudioSourceReader {
public:
    AifcReader();
    ~AifcReader() override;
    AifcReader(const AifcReader&) = delete;
    AifcReader& operator=(const AifcReader&) = delete;

    void Close() override;
    int Open(const std::string& path) override;
    std::size_t Read(void* buffer, std::size_t byteCount) override;

    // Samples decoded per block for each channel.
    static constexpr int kBlockFrames = 1152;

private:
    bool WalkChunks();
    bool ParseComm(std::uint32_t size);
    std::size_t Fetch(std::uint8_t* dest, std::size_t maxBytes);
    std::size_t ReadDwvw(void* buffer, std::size_t byteCount);

    std::FILE* file_ = nullptr;
    std::vector<std::uint8_t> work_;
    std::uint32_t frameCount_ = 0;
    bool frameCountKnown_ = false;  // COMM gave a count (not 0 or all ones)
    int sampleSize_ = 0;
    bool dwvw_ = false;
    std::unique_ptr<DwvwDecoder> decoder_;
    std::vector<std::int32_t> samples_;
    std::size_t pendingIndex_ = 0;
    std::size_t pendingCount_ = 0;
    bool dataEnded_ = false;
    std::uint64_t decodedSamples_ = 0;
    std::uint64_t dataStart_ = 0;
    std::uint32_t unfetched_ = 0;
    std::size_t (AifcReader::*decode_)(void*, std::size_t) = nullptr;
};

// The sample rate stored as an IEEE 754 80-bit extended value (10 bytes, big-endian).
double ExtendedToDouble(const std::uint8_t* bytes);

}  // namespace quillon::audio
