#include "audio/wav_file_writer.h"

#include <cerrno>
#include <cstring>

namespace quillon::audio {

namespace {

// The RIFF size is the data size plus 36 and must fit in 32 bits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

void PutLe16(unsigned char* at, std::uint32_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void PutLe32(unsigned char* at, std::uint32_t v) {
    PutLe16(at, v);
    PutLe16(at + 2, v >> 16);
}

}  // namespace

WavFileWriter::~WavFileWriter() { Close(); }

void WavFileWriter::Fail(int error) {
    if (error_ == 0) error_ = error != 0 ? error : EIO;
}

int WavFileWriter::Open(const std::string& path, bool stereo, int bits, std::uint32_t sampleRate) {
    Close();
    error_ = 0;
    dataBytes_ = 0;
    const std::uint32_t channels = stereo ? 2 : 1;
    // A header that cannot describe the samples would make them play wrong; refuse it before
    // anything is created.
    const std::uint64_t byteRate =
        std::uint64_t{channels} * static_cast<std::uint64_t>(bits > 0 ? bits : 0) * sampleRate / 8;
    if (bits <= 0 || bits % 8 != 0 || bits > 32 || sampleRate == 0 || byteRate > 0xFFFFFFFFull) {
        error_ = EINVAL;
        return 0;
    }
    // "wb" truncates an existing file, like creating it anew.
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error_ = errno != 0 ? errno : EIO;
        return 0;
    }

    format_.formatTag = 1;
    format_.channels = static_cast<std::uint16_t>(channels);
    format_.sampleRate = sampleRate;
    format_.averageBytesPerSecond = static_cast<std::uint32_t>(byteRate);
    format_.blockAlign = static_cast<std::uint16_t>(channels * static_cast<std::uint32_t>(bits) / 8);
    format_.bitsPerSample = static_cast<std::uint16_t>(bits);

    unsigned char header[44];
    std::memcpy(header, "RIFF", 4);
    PutLe32(header + 4, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLe32(header + 16, 16);
    PutLe16(header + 20, format_.formatTag);
    PutLe16(header + 22, format_.channels);
    PutLe32(header + 24, format_.sampleRate);
    PutLe32(header + 28, format_.averageBytesPerSecond);
    PutLe16(header + 32, format_.blockAlign);
    PutLe16(header + 34, format_.bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    PutLe32(header + 40, 4);
    errno = 0;
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header || std::fflush(file_) != 0) {
        // Without its header the file is no WAV file at all (a full disk, say): report that
        // now rather than decode into it.
        error_ = errno != 0 ? errno : EIO;
        std::fclose(file_);
        file_ = nullptr;
        return 0;
    }
    return 1;
}

int WavFileWriter::Write(const void* buffer, std::size_t byteCount) {
    if (!file_ || error_ != 0) return 0;
    if (byteCount == 0) return 1;
    if (dataBytes_ + byteCount > kMaxDataBytes) {
        Fail(EFBIG);
        return 0;
    }
    errno = 0;
    if (std::fwrite(buffer, 1, byteCount, file_) != byteCount) {
        Fail(errno);
        return 0;
    }
    dataBytes_ += byteCount;
    return 1;
}

bool WavFileWriter::Close() {
    if (!file_) return error_ == 0;
    errno = 0;
    if (std::fflush(file_) != 0) Fail(errno);
    // A data size of part of a frame has no right header: the last frame would be cut.
    if (dataBytes_ % format_.blockAlign != 0) Fail(EINVAL);
    // After a failure no size is written: the file is not a whole WAV file and must not look
    // like one.
    if (error_ == 0) {
        unsigned char field[4];
        PutLe32(field, static_cast<std::uint32_t>(dataBytes_ + 36));
        if (std::fseek(file_, 4, SEEK_SET) != 0 || std::fwrite(field, 1, 4, file_) != 4) Fail(errno);
        PutLe32(field, static_cast<std::uint32_t>(dataBytes_));
        if (std::fseek(file_, 40, SEEK_SET) != 0 || std::fwrite(field, 1, 4, file_) != 4) Fail(errno);
    }
    errno = 0;
    if (std::fclose(file_) != 0) Fail(errno);
    file_ = nullptr;
    return error_ == 0;
}

}  // namespace quillon::audio
