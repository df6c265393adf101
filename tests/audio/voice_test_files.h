#pragma once
// Builders of voice-recorder files for the tests.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/voice_file_reader.h"

namespace quillon::test {

struct VoiceHeader {
    int headerType = 12;  // 12: short header (frames at 511), else long (frames at 4095)
    int codec = 3;
    int hours = 0, minutes = 0, seconds = 1, fraction = 0;
};

inline std::string VoiceFileBytes(const VoiceHeader& h, const std::string& stream) {
    std::string bytes(31, '\0');
    for (int i = 0; i < 6; ++i) bytes[i] = static_cast<char>(0xA0 + i);
    bytes.replace(6, 9, "_VOC_File");
    bytes[15] = static_cast<char>(h.headerType);
    bytes[22] = static_cast<char>(h.hours);
    bytes[23] = static_cast<char>(h.minutes);
    bytes[24] = static_cast<char>(h.seconds);
    bytes[25] = static_cast<char>(h.fraction);
    bytes[26] = static_cast<char>(h.codec);
    const std::size_t records = h.headerType == 12 ? 30 : 254;
    // Record bytes that would decode as frames if they were not skipped.
    for (std::size_t i = 0; i < records * 16; ++i) bytes.push_back(static_cast<char>(0x11 + i % 200));
    return bytes + stream;
}

inline std::string Bytes(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

// What a frame decoder gives for the frames in order (80 samples each), its state running on.
template <typename Decoder>
std::vector<std::int16_t> DecodeFrames(Decoder& decoder, const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::int16_t> samples;
    std::int16_t pcm[80];
    for (const auto& f : frames) {
        decoder.DecodeFrame(f.data(), pcm);
        samples.insert(samples.end(), pcm, pcm + 80);
    }
    return samples;
}

// Every sample the reader delivers, read with the usual 4608-byte buffer.
inline std::vector<std::int16_t> ReadAllSamples(audio::VoiceFileReader& reader, std::size_t bufferBytes = 4608) {
    std::vector<std::int16_t> samples;
    std::vector<std::uint8_t> buffer(bufferBytes);
    for (;;) {
        const std::size_t got = reader.Read(buffer.data(), buffer.size());
        if (got == 0) break;
        for (std::size_t i = 0; i + 1 < got; i += 2)
            samples.push_back(static_cast<std::int16_t>(buffer[i] | (buffer[i + 1] << 8)));
    }
    return samples;
}

}  // namespace quillon::test
