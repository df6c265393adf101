#pragma once
// Reader of digital voice-recorder files ("_VOC_File" header): 8 kHz mono speech in 10 ms
// frames, either a G.729 Annex D variant with 7-byte frames (codec 0) or a 4-bit ADPCM with
// 40-byte frames (codec 3).

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/audio_source_reader.h"
#include "audio/g729d_decoder.h"
#include "audio/voice_adpcm.h"

namespace quillon::audio {

class VoiceFileReader : public AudioSourceReader {
public:
    static constexpr std::size_t kFrameSamples = 80;
    static constexpr std::size_t kMaxSamplesPerRead = 1152;

    VoiceFileReader() = default;
    ~VoiceFileReader() override;
    VoiceFileReader(const VoiceFileReader&) = delete;
    VoiceFileReader& operator=(const VoiceFileReader&) = delete;

    void Close() override;
    int Open(const std::string& path) override;
    // At most 1152 samples per call, and never more than byteCount allows.
    std::size_t Read(void* buffer, std::size_t byteCount) override;
    std::uint64_t GetPosition() const override;

    // 0 or 3 while open.
    int codec() const { return codec_; }

private:
    // Reads the next frame block of `size` bytes, skipping markers. False at the end of the data.
    bool ReadFrame(std::uint8_t* block, std::size_t size);
    bool DecodeCodec0();
    bool DecodeCodec3();

    std::FILE* file_ = nullptr;
    bool ended_ = false;
    int codec_ = -1;
    bool (VoiceFileReader::*decode_)() = nullptr;
    std::array<std::int16_t, kFrameSamples> frame_{};
    std::size_t frameIndex_ = kFrameSamples;
    VoiceAdpcmDecoder adpcm_;
    G729dDecoder g729_;
};

}  // namespace quillon::audio
