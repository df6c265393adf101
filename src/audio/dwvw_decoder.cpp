#include "audio/dwvw_decoder.h"

#include <utility>

namespace quillon::audio {

DwvwDecoder::DwvwDecoder(int bitWidth, FetchFunction fetch)
    : fetch_(std::move(fetch)), dwmMaxSize_(bitWidth / 2), bitWidth_(bitWidth), maxDelta_(1 << (bitWidth - 1)),
      span_(1 << bitWidth) {}

bool DwvwDecoder::Refill() {
    if (exhausted_) return false;
    if (byteIndex_ >= byteEnd_) {
        byteEnd_ = fetch_(bytes_, sizeof bytes_);
        byteIndex_ = 0;
        if (byteEnd_ == 0) {
            // Missing bits are not zeros: read as zeros they decode into a full-scale sawtooth.
            exhausted_ = true;
            return false;
        }
    }
    bits_ = (bits_ << 8) | bytes_[byteIndex_++];
    bitCount_ += 8;
    return true;
}

int DwvwDecoder::LoadBits(int n) {
    if (n >= 0) {
        while (bitCount_ < n) {
            if (!Refill()) return -1;
        }
        if (n == 0) return 0;
        const int result = static_cast<int>((bits_ >> (bitCount_ - n)) & ((1u << n) - 1));
        bitCount_ -= n;
        return result;
    }

    // A run of zeros ended by a 1, or dwmMaxSize zeros without one; only the bits the run
    // needs are fetched, so the last sample of a stream is not held back for padding.
    int result = 0;
    while (result < dwmMaxSize_) {
        if (bitCount_ == 0 && !Refill()) return -1;
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
        if (modifier < 0) break;
        if (modifier != 0) {
            const int sign = LoadBits(1);
            if (sign < 0) break;
            if (sign != 0) modifier = -modifier;
        }

        const int width = (deltaWidth + modifier + bitWidth_) % bitWidth_;

        int delta = 0;
        if (width > 0) {
            const int low = LoadBits(width - 1);
            if (low < 0) break;
            delta = low | (1 << (width - 1));
            const int negative = LoadBits(1);
            if (negative < 0) break;
            if (delta == maxDelta_ - 1) {
                const int extra = LoadBits(1);
                if (extra < 0) break;
                delta += extra;
            }
            if (negative) delta = -delta;
        }

        deltaWidth = width;
        sample += delta;
        if (sample >= maxDelta_) sample -= span_;
        else if (sample < -maxDelta_) sample += span_;

        samples[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(sample) << (32 - bitWidth_));
        ++i;
    }
    lastDeltaWidth_ = deltaWidth;
    lastSample_ = sample;
    return i;
}

}  // namespace quillon::audio
