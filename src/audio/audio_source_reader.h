#pragma once
// The common interface of the program's own audio decoders. Every reader delivers signed
// 16-bit little-endian PCM, interleaved when stereo, at the source's own sample rate.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon::audio {

class AudioSourceReader {
public:
    virtual ~AudioSourceReader() = default;

    virtual void Close() = 0;
    // path is a UTF-8 file path. Nonzero on success.
    virtual int Open(const std::string& path) = 0;
    // Bytes written to buffer, never more than byteCount; 0 at the end of the data or on error.
    virtual std::size_t Read(void* buffer, std::size_t byteCount) = 0;

    virtual std::uint64_t GetLength() const { return length_; }
    virtual std::uint64_t GetPosition() const { return position_; }
    std::uint32_t GetDuration() const { return durationSeconds_; }
    std::uint32_t GetChannels() const { return channels_; }
    std::uint32_t GetOutputChannels() const { return outputChannels_; }
    std::uint32_t GetSampleRate() const { return sampleRate_; }
    std::uint32_t GetBitsPerSample() const { return bitsPerSample_; }
    std::uint32_t GetBitrate() const { return bitrateKbps_; }

protected:
    // Every Open starts with this, and every Close ends with it.
    void ResetFacts() {
        length_ = position_ = 0;
        durationSeconds_ = sampleRate_ = channels_ = outputChannels_ = 0;
        bitsPerSample_ = bytesPerSample_ = bitrateKbps_ = 0;
    }

    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    std::uint32_t durationSeconds_ = 0;
    std::uint32_t sampleRate_ = 0;
    std::uint32_t channels_ = 0;
    std::uint32_t outputChannels_ = 0;
    std::uint32_t bitsPerSample_ = 0;
    std::uint32_t bytesPerSample_ = 0;
    std::uint32_t bitrateKbps_ = 0;
};

}  // namespace quillon::audio
