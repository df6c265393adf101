#include "audio/wav_file_writer.h"

#include <cstring>
#include <sys/stat.h>

namespace quillon::audio {

namespace {

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

int WavFileWriter::Open(const std::string& path, bool stereo, int bits, std::uint32_t sampleRate) {
    Close();
    // "wb" truncates an existing file, like creating it anew.
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return 0;

    format_.formatTag = 1;
    format_.channels = stereo ? 2 : 1;
    format_.sampleRate = sampleRate;
    const auto bitCount = static_cast<std::uint32_t>(bits);
    format_.averageBytesPerSecond = (format_.channels * bitCount * sampleRate) / 8;
    format_.blockAlign = static_cast<std::uint16_t>((format_.channels * bitCount) / 8);
    format_.bitsPerSample = static_cast<std::uint16_t>(bitCount);

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
    if (std::fwrite(header, 1, sizeof header, file_) != sizeof header || std::fflush(file_) != 0) {
        // Without its header the file is no WAV file at all (a full disk, say): report that
        // now rather than decode into it.
        std::fclose(file_);
        file_ = nullptr;
        return 0;
    }
    return 1;
}

int WavFileWriter::Write(const void* buffer, std::size_t byteCount) {
    if (file_ && byteCount > 0) std::fwrite(buffer, 1, byteCount, file_);
    return 1;
}

void WavFileWriter::Close() {
    if (!file_) return;
    std::fflush(file_);
    struct stat st {};
    std::uint32_t size = 0;
    if (fstat(fileno(file_), &st) == 0) size = static_cast<std::uint32_t>(st.st_size);
    unsigned char field[4];
    PutLe32(field, size - 8);
    if (std::fseek(file_, 4, SEEK_SET) == 0) std::fwrite(field, 1, 4, file_);
    PutLe32(field, size - 44);
    if (std::fseek(file_, 40, SEEK_SET) == 0) std::fwrite(field, 1, 4, file_);
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace quillon::audio
