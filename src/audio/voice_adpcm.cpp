#include "audio/voice_adpcm.h"

#include <algorithm>

namespace quillon::audio {
namespace {

constexpr std::int32_t kLogMagnitude[16] = {-2048, 4,   135, 213, 273, 323, 373, 425,
                                            425,   373, 323, 273, 213, 135, 4,   -2048};
constexpr std::int32_t kScaleMultiplier[16] = {-12,  18,  41,  64,  112, 198, 355, 1122,
                                               1122, 355, 198, 112, 64,  41,  18,  -12};

std::int32_t Clamp24(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -0x800000, 0x7FFFFF));
}

// One predictor term: 64-bit product, arithmetic shift, lowest bit dropped.
std::int32_t Term(std::int32_t coefficient, std::int32_t history) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(coefficient) * history) >> 22) & ~1;
}

// Zero counts as positive.
bool Negative(std::int32_t v) { return v < 0; }

}  // namespace

void VoiceAdpcmDecoder::Reset() {
    se_ = se2_ = sez_ = a1_ = a2_ = 0;
    y_ = 544;
    b_.fill(0);
    p_.fill(0);
    sr_.fill(0);
    dq_.fill(0);
}

std::int16_t VoiceAdpcmDecoder::DecodeSample(int code) {
    code &= 15;
    std::int32_t dq = 0;
    if (code != 15) {
        std::int32_t dql = kLogMagnitude[code] + (y_ >> 2);
        if (dql <= 0) dql = 0;
        dq = (128 + (dql & 127)) << (((dql >> 7) & 15) + 1);
        if (code & 8) dq = -dq;
    }

    const std::int64_t out = 4 * static_cast<std::int64_t>(se_) + (dq >> 6);
    const auto sample = static_cast<std::int16_t>(std::clamp<std::int64_t>(out, -32768, 32767));

    y_ = std::clamp(y_ + kScaleMultiplier[code] + ((-y_) >> 5), 544, 5120);

    p_[2] = p_[1];
    p_[1] = p_[0];
    sr_[1] = sr_[0];
    for (int k = 6; k > 0; --k) dq_[k] = dq_[k - 1];
    dq_[0] = dq;
    sr_[0] = Clamp24(static_cast<std::int64_t>(se2_) * 256 + dq);
    p_[0] = Clamp24(static_cast<std::int64_t>(sez_) * 256 + dq);

    const std::int32_t s1 = Negative(p_[0]) != Negative(p_[1]) ? -1 : 1;
    const std::int32_t s2 = Negative(p_[0]) != Negative(p_[2]) ? -128 : 128;
    const std::int64_t a2 =
        ((static_cast<std::int64_t>(a2_) * 127 * 256 - s1 * Clamp24(static_cast<std::int64_t>(a1_) * 1024)) >> 15) + s2;
    a2_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(a2, -12288, 12288));
    const std::int32_t a1Limit = 15360 - a2_;
    a1_ = std::clamp(s1 * 192 + ((a1_ * 255) >> 8), -a1Limit, a1Limit);

    for (int k = 0; k < 6; ++k) {
        std::int32_t b = (b_[k] * 255) >> 8;
        if (dq != 0) b += Negative(dq) == Negative(dq_[k + 1]) ? 128 : -128;
        b_[k] = std::clamp(b, -32768, 32767);
    }

    const std::int32_t poles = Term(a1_, sr_[0]) + Term(a2_, sr_[1]);
    std::int32_t zeros = 0;
    for (int k = 0; k < 6; ++k) zeros += Term(b_[k], dq_[k]);
    sez_ = zeros;
    se_ = poles + zeros;
    se2_ = se_;
    return sample;
}

void VoiceAdpcmDecoder::DecodeFrame(const std::uint8_t* frame, std::int16_t* out) {
    for (int i = 0; i < kFrameSamples; ++i) {
        const std::uint8_t byte = frame[i / 2];
        out[i] = DecodeSample((i & 1) ? byte >> 4 : byte & 15);
    }
}

}  // namespace quillon::audio
