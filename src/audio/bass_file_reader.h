#pragma once
// Reader for CD audio tracks (and any stream or tracker module) through the BASS layer.

#include <string>

#include "audio/audio_source_reader.h"
#include "audio/bass_layer.h"

namespace quillon::audio {

class BassFileReader : public AudioSourceReader {
public:
    BassFileReader() = default;
    ~BassFileReader() override;
    BassFileReader(const BassFileReader&) = delete;
    BassFileReader& operator=(const BassFileReader&) = delete;

    void Close() override;
    int Open(const std::string& path) override;
    std::size_t Read(void* buffer, std::size_t byteCount) override;
    std::uint64_t GetPosition() const override;

private:
    DWORD handle_ = 0;
    int isMusic_ = 0;
};

}  // namespace quillon::audio
