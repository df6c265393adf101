#pragma once
// Choosing the program's own reader for a source, and the two things done with it: taking its
// facts when the source is added, and decoding it into a WAV file before a run.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/audio_source_reader.h"

namespace quillon::audio {

enum class OwnReaderKind { None, Bass, Aifc, Voice };

// extensionLower as util::LowerExtension gives it: "cda", "aiff", ...
OwnReaderKind OwnReaderKindForExtension(const std::string& extensionLower);

// nullptr for None.
std::unique_ptr<AudioSourceReader> CreateReader(OwnReaderKind kind);
std::unique_ptr<AudioSourceReader> CreateReaderForExtension(const std::string& extensionLower);

struct OwnReaderFacts {
    std::uint32_t durationSeconds = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bitrateKbps = 0;
    std::uint32_t outputChannels = 0;
};

// Opens the source with its reader and takes its facts. False when the reader cannot open it.
bool ProbeWithOwnReader(const std::string& path, OwnReaderKind kind, OwnReaderFacts& facts);

// Called after every block with the progress so far; returning false cancels.
using DecodeProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Decodes the source into a 16-bit PCM WAV file at wavPath. On failure message holds the reason
// ("Failed to open file", "Failed to create temporary file", "Cancelled", or a failed write
// with the folder and the system's text for it) and no file is left.
bool DecodeToWavFile(const std::string& path, OwnReaderKind kind, const std::string& wavPath, std::string& message,
                     const DecodeProgress& progress = {});

// The buffer every decode uses; every reader delivers at most this much per Read.
constexpr std::size_t kDecodeBufferBytes = 4608;

}  // namespace quillon::audio
