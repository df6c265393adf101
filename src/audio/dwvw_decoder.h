#pragma once
// Decoder for DWVW (delta with variable word width) sample data.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillon::audio {

class DwvwDecoder {
public:
    // Fills dest with up to maxBytes bytes of compressed data; returns the count, 0 at the end.
    using FetchFunction = std::function<std::size_t(std::uint8_t* dest, std::size_t maxBytes)>;

    DwvwDecoder(int bitWidth, FetchFunction fetch);

    // Decodes up to count samples, each left-justified in 32 bits. Returns how many were
    // decoded; fewer than count only at the end of the data. A sample whose bits the data does
    // not hold in full is not decoded: the end of the data ends the samples.
    int Decode(std::int32_t* samples, int count);

    int BitWidth() const { return bitWidth_; }

private:
    static constexpr int kModifier = -1;
    // n bits as a number, or the width modifier for kModifier; -1 when the data ran out.
    int LoadBits(int n);
    bool Refill();

    FetchFunction fetch_;
    int dwmMaxSize_;
    int bitWidth_;
    int maxDelta_;
    int span_;
    int bitCount_ = 0;
    std::uint32_t bits_ = 0;
    int lastDeltaWidth_ = 0;
    int lastSample_ = 0;
    std::size_t byteIndex_ = 0;
    std::size_t byteEnd_ = 0;
    bool exhausted_ = false;
    std::uint8_t bytes_[256] = {};
};

}  // namespace quillon::audio
