#include "audio/aifc_reader.h"

#include "audio/regular_file.h"
#include "util/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace quillon::audio {

namespace {

constexpr std::size_t kWorkBufferSize = 10240;

std::uint32_t GetBe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t GetBe16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

}  // namespace

double ExtendedToDouble(const std::uint8_t* bytes) {
    const int exponent = ((bytes[0] & 0x7F) << 8) | bytes[1];
    const std::uint32_t hiMant = GetBe32(bytes + 2);
    const std::uint32_t loMant = GetBe32(bytes + 6);
    double value;
    if (exponent == 0 && hiMant == 0 && loMant == 0) {
        value = 0.0;
    } else if (exponent == 0x7FFF) {
        value = std::numeric_limits<double>::infinity();
    } else {
        value = std::ldexp(static_cast<double>(hiMant), exponent - 16414) +
                std::ldexp(static_cast<double>(loMant), exponent - 16446);
    }
    return (bytes[0] & 0x80) ? -value : value;
}

AifcReader::AifcReader() : work_(kWorkBufferSize) {}

AifcReader::~AifcReader() { Close(); }

void AifcReader::Close() {
    decoder_.reset();
    samples_.clear();
    samples_.shrink_to_fit();
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    frameCount_ = 0;
    frameCountKnown_ = false;
    sampleSize_ = 0;
    dwvw_ = false;
    pendingIndex_ = pendingCount_ = 0;
    dataEnded_ = false;
    decodedSamples_ = 0;
    dataStart_ = 0;
    unfetched_ = 0;
    decode_ = nullptr;
    ResetFacts();
}

int AifcReader::Open(const std::string& path) {
    Close();
    // Only regular files: opening a FIFO would wait for a writer forever.
    file_ = OpenRegularFile(path, &length_);
    if (!file_) return 0;

    // Without a rate of at least 1 Hz there is no sound to write out.
    if (!WalkChunks() || !dwvw_ || sampleRate_ == 0) {
        Close();
        return 0;
    }
    // More channels than two would be interleaved into a stereo output and overrun the
    // caller's buffer; such files are left to the media engine.
    if (channels_ > 2) {
        Close();
        return 0;
    }
    outputChannels_ = channels_ < 2 ? 1 : 2;

    decode_ = &AifcReader::ReadDwvw;
    decoder_ = std::make_unique<DwvwDecoder>(
        sampleSize_, [this](std::uint8_t* dest, std::size_t maxBytes) { return Fetch(dest, maxBytes); });
    bitsPerSample_ = 16;
    samples_.assign(static_cast<std::size_t>(channels_) * kBlockFrames, 0);

    durationSeconds_ = sampleRate_ ? frameCount_ / sampleRate_ : 0;
    if (durationSeconds_ > 0) {
        bitrateKbps_ = static_cast<std::uint32_t>(length_ / (std::uint64_t{durationSeconds_} * 125));
    } else {
        bitrateKbps_ = (static_cast<std::uint32_t>(sampleSize_) * channels_ * sampleRate_) / 1000;
    }
    bytesPerSample_ = bitsPerSample_ / 8;

    if (std::fseek(file_, static_cast<long>(dataStart_), SEEK_SET) != 0) {
        Close();
        return 0;
    }
    position_ = dataStart_;
    return 1;
}

bool AifcReader::WalkChunks() {
    std::uint8_t header[12];
    if (std::fread(header, 1, 8, file_) != 8 || std::fread(header + 8, 1, 4, file_) != 4) return false;
    if (std::memcmp(header, "FORM", 4) != 0 || std::memcmp(header + 8, "AIFC", 4) != 0) return false;

    bool commSeen = false;
    bool ssndSeen = false;
    while (std::fread(header, 1, 8, file_) == 8) {
        std::uint32_t size = GetBe32(header + 4);
        if (size & 1) size += 1;
        if (std::memcmp(header, "COMM", 4) == 0) {
            // A damaged or unsupported COMM decides the whole file.
            if (!ParseComm(size)) return false;
            commSeen = true;
        } else if (std::memcmp(header, "SSND", 4) == 0) {
            if (size < 8) return false;
            std::uint8_t ssnd[8];
            if (std::fread(ssnd, 1, 8, file_) != 8) return false;
            const std::uint32_t offset = GetBe32(ssnd);
            unfetched_ = size - offset - 8;
            const long here = std::ftell(file_);
            if (here < 0) return false;
            dataStart_ = static_cast<std::uint64_t>(here) + offset;
            ssndSeen = true;
            if (std::fseek(file_, static_cast<long>(size - 8), SEEK_CUR) != 0) break;
        } else {
            if (std::fseek(file_, static_cast<long>(size), SEEK_CUR) != 0) break;
        }
    }
    return commSeen && ssndSeen;
}

bool AifcReader::ParseComm(std::uint32_t size) {
    if (size < 22 || size > work_.size()) return false;
    if (std::fread(work_.data(), 1, size, file_) != size) return false;
    const std::uint8_t* body = work_.data();

    channels_ = GetBe16(body);
    if (channels_ == 0) channels_ = 1;
    frameCount_ = GetBe32(body + 2);
    frameCountKnown_ = frameCount_ != 0 && frameCount_ != 0xFFFFFFFFu;
    if (!frameCountKnown_) frameCount_ = 1;
    sampleSize_ = static_cast<std::int16_t>(GetBe16(body + 6));

    // A rate that no 32-bit count can hold (infinite, negative, huge) cannot be written out.
    const double rate = ExtendedToDouble(body + 8);
    if (!(rate >= 0.0 && rate < 4294967296.0)) return false;
    sampleRate_ = static_cast<std::uint32_t>(rate);

    if (util::UpperAscii(std::string(reinterpret_cast<const char*>(body + 18), 4)) != "DWVW") return false;
    dwvw_ = true;
    return sampleSize_ >= 8 && sampleSize_ <= 24;
}

std::size_t AifcReader::Fetch(std::uint8_t* dest, std::size_t maxBytes) {
    const std::size_t want = std::min<std::size_t>(unfetched_, maxBytes);
    if (want == 0) return 0;
    unfetched_ -= static_cast<std::uint32_t>(want);
    const std::size_t got = std::fread(dest, 1, want, file_);
    position_ += got;
    return got;
}

std::size_t AifcReader::Read(void* buffer, std::size_t byteCount) {
    if (!decode_) return 0;
    return (this->*decode_)(buffer, byteCount);
}

std::size_t AifcReader::ReadDwvw(void* buffer, std::size_t byteCount) {
    if (pendingIndex_ >= pendingCount_) {
        if (dataEnded_) return 0;
        const int wanted = static_cast<int>(samples_.size());
        int n = decoder_->Decode(samples_.data(), wanted);
        if (n < wanted) {
            dataEnded_ = true;
            // Data that stops inside a frame: half a frame would swap the channels of all
            // that follows it in the WAV file.
            n -= n % static_cast<int>(channels_);
        }
        // Once the last piece is fetched its bits are decoded too, but only as far as the
        // frame count: what follows is the encoder's flush padding, not sound.
        if (unfetched_ == 0 && n > 0 && frameCountKnown_) {
            const std::uint64_t limit = std::uint64_t{channels_} * frameCount_;
            const std::uint64_t room = limit > decodedSamples_ ? limit - decodedSamples_ : 0;
            if (static_cast<std::uint64_t>(n) >= room) {
                n = static_cast<int>(room);
                dataEnded_ = true;
            }
        }
        if (n <= 0) return 0;
        decodedSamples_ += static_cast<std::uint64_t>(n);
        pendingIndex_ = 0;
        pendingCount_ = static_cast<std::size_t>(n);
    }
    // Never more than the caller's buffer holds; what does not fit comes with the next Read.
    const std::size_t count = std::min(pendingCount_ - pendingIndex_, byteCount / 2);
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::uint16_t>(samples_[pendingIndex_ + i] >> 16);
        out[2 * i] = static_cast<std::uint8_t>(value);
        out[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    pendingIndex_ += count;
    return count * 2;
}

}  // namespace quillon::audio
