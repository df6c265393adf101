#include "audio/dwvw_decoder.h"

#include <utility>

namespace quillon::audio {

DwvwDecoder::DwvwDecoder(int bitWidth, FetchFunction fetch)
    : fetch_(std::move(fetch)),
      dwmMaxSize_(bitWidth / 2),
      bitWidth_(bitWidth),
      maxDelta_(1 << (bitWidth - 1)),
      span_(1 << bitWidth) {}

int DwvwDecoder::LoadBits(int n) {
    const bool modifier = n < 0;
    if (modifier) n = dwmMaxSize_;

    while (bitCount_ < n) {
        if (byteIndex_ >= byteEnd_) {
            byteEnd_ = fetch_(bytes_, sizeof bytes_);
            byteIndex_ = 0;
        }
        if (n < 8 && byteEnd_ == 0) return -1;
        // Past the end the reservoir is topped up with zero bits, as the reference decoder does.
        bits_ <<= 8;
        if (byteIndex_ < byteEnd_) bits_ |= bytes_[byteIndex_++];
        bitCount_ += 8;
    }

    if (!modifier) {
        if (n == 0) return 0;
        const int result = static_cast<int>((bits_ >> (bitCount_ - n)) & ((1u << n) - 1));
        bitCount_ -= n;
        return result;
    }

    int result = 0;
    while (result < dwmMaxSize_) {
        bitCount_ -= 1;
        if (bits_ & (1u << bitCount_)) break;
        result += 1;
    }
    return result;
}

int DwvwDecoder::Decode(std::int32_t* samples, int count) {
    int deltaWidth = lastDeltaWidth_;
    int sample = lastSample_;
    int i = 0;
    while (i < count) {
        int modifier = LoadBits(kModifier);
        // Once the data is used up, a new call yields nothing: without this a stream whose
        // reservoir never empties exactly would decode zero padding forever.
        if (modifier < 0 || (byteEnd_ == 0 && i == 0)) break;
        if (modifier != 0 && LoadBits(1) != 0) modifier = -modifier;

        deltaWidth = (deltaWidth + modifier + bitWidth_) % bitWidth_;

        int delta = 0;
        if (deltaWidth > 0) {
            delta = LoadBits(deltaWidth - 1) | (1 << (deltaWidth - 1));
            const int negative = LoadBits(1);
            if (delta == maxDelta_ - 1) delta += LoadBits(1);
            if (negative) delta = -delta;
        }

        sample += delta;
        if (sample >= maxDelta_)
            sample -= span_;
        else if (sample < -maxDelta_)
            sample += span_;

        samples[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(sample) << (32 - bitWidth_));
        if (byteEnd_ == 0 && bitCount_ == 0) break;
        ++i;
    }
    lastDeltaWidth_ = deltaWidth;
    lastSample_ = sample;
    return i;
}

}  // namespace quillon::audio
