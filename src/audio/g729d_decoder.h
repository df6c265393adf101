#pragma once
// G.729 Annex D (6.4 kbit/s) speech decoder fed with the 56-bit frames of voice-recorder
// files: two-pulse fixed codebook, gain tables with direct indices, phase dispersion and the
// G.729 post-processing. Signals are 32-bit with 8 more fraction bits than the standard's
// 16-bit fixed point; gains keep the standard's scale; products are 64-bit.

#include <array>
#include <cstdint>

namespace quillon::audio {

struct G729dFrameParameters {
    int lsp0 = 0;       // MA switch (bit 7) and first-stage index
    int lsp1 = 0;       // second-stage indices: low half bits 5-9, high half bits 0-4
    int pitch[2] = {};  // 8-bit absolute delay, then 4-bit relative delay
    int positions[2] = {};
    int signs[2] = {};
    int gains[2] = {};
};

// The ten parameters of a 7-byte frame: bits taken from byte 0 on, most significant bit of
// each byte first, the first bit taken becoming bit 0 of the parameter.
G729dFrameParameters UnpackG729dFrame(const std::uint8_t* frame);

class G729dDecoder {
public:
    static constexpr int kFrameBytes = 7;
    static constexpr int kFrameSamples = 80;
    static constexpr int kSubframe = 40;
    static constexpr int kPitchMax = 143;

    G729dDecoder() { Reset(); }
    void Reset();
    void DecodeFrame(const std::uint8_t* frame, std::int16_t* out);
    void DecodeFrame(const G729dFrameParameters& params, std::int16_t* out);

private:
    static constexpr int kInterpTaps = 10;
    static constexpr int kExcHistory = kPitchMax + kInterpTaps + 1;
    static constexpr int kResHistory = kPitchMax + 9;
    static constexpr int kOrder = 10;

    void DecodeLsp(int lsp0, int lsp1, std::int32_t* lspNew);
    void DecodeSubframe(int sub, int t0, int frac, int positions, int signs, int gains, const std::int32_t* a,
                        std::int16_t* out);
    void GainsFromIndex(int gains, const std::int32_t* code, std::int32_t& pitchGain, std::int64_t& codeGain);
    void PhaseDispersion(std::int32_t pitchGain, std::int64_t codeGain, const std::int32_t* code,
                         std::int32_t* dispersed);
    void PostFilter(int t0, const std::int32_t* a, const std::int32_t* syn, std::int32_t* out);
    void LongTermPostFilter(int t0, const std::int32_t* res, std::int32_t* out);

    // LSP decoding.
    std::array<std::int32_t, kOrder> lspOld_{};                   // Q23
    std::array<std::array<std::int32_t, kOrder>, 4> freqPrev_{};  // Q21
    // Gains.
    std::array<std::int32_t, 4> pastQuaEn_{};  // Q10 dB
    std::int32_t sharp_ = 0;                   // Q14
    // Excitation history followed by the frame being built.
    std::array<std::int32_t, kExcHistory + kFrameSamples> exc_{};
    // Synthesis: the last kOrder outputs, oldest first.
    std::array<std::int32_t, kOrder> synMem_{};
    // Phase dispersion.
    std::array<std::int32_t, 6> gainMem_{};
    int prevDispState_ = 0;
    std::int64_t prevCodeGain_ = 0;
    int onset_ = 0;
    // Postfilter.
    std::array<std::int32_t, kResHistory + kSubframe> res_{};
    std::array<std::int32_t, kOrder> pstMem_{};
    std::int32_t tiltMem_ = 0;
    std::int32_t agcGain_ = 0;  // Q14
    // High-pass filter.
    std::int32_t hpX1_ = 0, hpX2_ = 0, hpY1_ = 0, hpY2_ = 0;
};

}  // namespace quillon::audio
