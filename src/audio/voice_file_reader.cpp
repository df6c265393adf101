#include "audio/voice_file_reader.h"

#include "audio/regular_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quillon::audio {
namespace {

constexpr std::size_t kHeaderBytes = 31;
constexpr std::size_t kRecordBytes = 16;
constexpr char kMagic[] = "_VOC_File";

std::size_t TrailingZeros(const std::uint8_t* block, std::size_t size) {
    std::size_t n = 0;
    while (n < size && block[size - 1 - n] == 0) ++n;
    return n;
}

}  // namespace

VoiceFileReader::~VoiceFileReader() { Close(); }

void VoiceFileReader::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    frameIndex_ = kFrameSamples;
    decode_ = nullptr;
    codec_ = -1;
    ended_ = false;
    ResetFacts();
}

int VoiceFileReader::Open(const std::string& path) {
    Close();
    // Only regular files: a FIFO would wait for a writer for ever.
    file_ = OpenRegularFile(path);
    if (!file_) return 0;

    // Bytes a short file does not provide count as 0.
    std::uint8_t header[kHeaderBytes] = {};
    (void)std::fread(header, 1, sizeof header, file_);
    if (std::memcmp(header + 6, kMagic, 9) != 0) {
        Close();
        return 0;
    }
    const int codec = header[26];
    if (codec != 0 && codec != 3) {
        Close();
        return 0;
    }

    sampleRate_ = 8000;
    channels_ = outputChannels_ = 1;
    bitrateKbps_ = 0;
    bitsPerSample_ = 16;
    bytesPerSample_ = 2;
    durationSeconds_ = header[22] * 3600u + header[23] * 60u + header[24] + (header[25] != 0 ? 1u : 0u);
    std::error_code ec;
    const auto size = std::filesystem::file_size(std::filesystem::path(path), ec);
    length_ = ec ? 0 : static_cast<std::uint64_t>(size);

    const int records = header[15] == 12 ? 30 : 254;
    std::uint8_t record[kRecordBytes];
    for (int i = 0; i < records; ++i) (void)std::fread(record, 1, sizeof record, file_);

    codec_ = codec;
    if (codec == 0) {
        g729_.Reset();
        decode_ = &VoiceFileReader::DecodeCodec0;
    } else {
        adpcm_.Reset();
        decode_ = &VoiceFileReader::DecodeCodec3;
    }
    return 1;
}

bool VoiceFileReader::ReadFrame(std::uint8_t* block, std::size_t size) {
    if (!file_ || ended_) return false;
    bool pendingSkip = false;
    for (;;) {
        if (std::fread(block, 1, size, file_) != size) break;
        const std::size_t zeros = TrailingZeros(block, size);
        const std::size_t n = size - zeros;
        if (pendingSkip) {
            if (n == 0) break;  // a second all-zero block ends the data
            pendingSkip = false;
            const std::int32_t distance = static_cast<std::int32_t>(
                static_cast<std::uint32_t>(block[0]) | static_cast<std::uint32_t>(block[1]) << 8 |
                static_cast<std::uint32_t>(block[2]) << 16 | static_cast<std::uint32_t>(block[3]) << 24);
            // Continue `distance` bytes after the start of this block; a negative one means the next block.
            if (distance >= 0) std::fseek(file_, static_cast<long>(distance) - static_cast<long>(size), SEEK_CUR);
            continue;
        }
        if (zeros / 20 == 1) {
            // A half-filled block: the second half is the start of the next one.
            std::fseek(file_, -20, SEEK_CUR);
            continue;
        }
        if (n > 0) return true;
        pendingSkip = true;
    }
    ended_ = true;
    return false;
}

bool VoiceFileReader::DecodeCodec0() {
    std::uint8_t block[G729dDecoder::kFrameBytes];
    if (!ReadFrame(block, sizeof block)) return false;
    g729_.DecodeFrame(block, frame_.data());
    return true;
}

bool VoiceFileReader::DecodeCodec3() {
    std::uint8_t block[VoiceAdpcmDecoder::kFrameBytes];
    if (!ReadFrame(block, sizeof block)) return false;
    adpcm_.DecodeFrame(block, frame_.data());
    return true;
}

std::size_t VoiceFileReader::Read(void* buffer, std::size_t byteCount) {
    if (!file_ || !decode_) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::size_t limit = std::min(kMaxSamplesPerRead, byteCount / 2);
    std::size_t i = 0;
    auto copy = [&] {
        while (i < limit && frameIndex_ < kFrameSamples) {
            const auto v = static_cast<std::uint16_t>(frame_[frameIndex_++]);
            out[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
            ++i;
        }
    };
    copy();
    while (i < limit) {
        if (!(this->*decode_)()) break;
        frameIndex_ = 0;
        copy();
    }
    return i * 2;
}

std::uint64_t VoiceFileReader::GetPosition() const {
    if (!file_) return position_;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(std::ftell(file_)));
}

}  // namespace quillon::audio
