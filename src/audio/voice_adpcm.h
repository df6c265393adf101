#pragma once
// The 4-bit ADPCM of voice-recorder files (codec 3): G.726 32 kbit/s tables with the
// recorder's own integer arithmetic. 40-byte frames of 80 samples, low nibble first.

#include <array>
#include <cstdint>

namespace quillon::audio {

class VoiceAdpcmDecoder {
public:
    static constexpr int kFrameBytes = 40;
    static constexpr int kFrameSamples = 80;

    VoiceAdpcmDecoder() { Reset(); }
    void Reset();
    void DecodeFrame(const std::uint8_t* frame, std::int16_t* out);
    std::int16_t DecodeSample(int code);

    // Read-only views for tests that check the adaptation limits.
    std::int32_t y() const { return y_; }
    std::int32_t a1() const { return a1_; }
    std::int32_t a2() const { return a2_; }

private:
    std::int32_t se_ = 0;
    std::int32_t y_ = 0;
    std::int32_t se2_ = 0;
    std::int32_t sez_ = 0;
    std::int32_t a1_ = 0;
    std::int32_t a2_ = 0;
    std::array<std::int32_t, 6> b_{};
    std::array<std::int32_t, 3> p_{};   // p(n), p(n-1), p(n-2)
    std::array<std::int32_t, 2> sr_{};  // sr(n), sr(n-1)
    std::array<std::int32_t, 7> dq_{};  // dq(n) ... dq(n-6)
};

}  // namespace quillon::audio
