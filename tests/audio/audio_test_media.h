#pragma once
// Media for the audio tests: DWVW AIFC files made by libsndfile, CUE/BIN disc images with
// track descriptors, tiny tracker modules.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/audio_source_reader.h"
#include "audio/cd_drive.h"

namespace quillon::test {

// Starts the BASS layer as program start-up does, with no CD drive, and releases it afterwards.
class BassLibraryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    audio::CdDriveFinder oldFinder_;
};

// A test signal of `frames` 24-bit samples: tones, silence, noise and full-scale jumps, so that
// every delta width occurs.
std::vector<std::int32_t> MakeTestSignal(std::size_t frames, std::uint32_t seed);

// Writes the samples (24-bit, mono) to a WAV file and converts it with sndfile-convert using
// encoding "-dwvw16" or "-dwvw24". libsndfile cannot write 12-bit DWVW, so "-dwvw12" files are
// encoded here, laid out as libsndfile lays out the others. False (and a failure) on error.
bool MakeDwvwAifc(const std::filesystem::path& out, const std::vector<std::int32_t>& samples,
                  const std::string& encoding, int sampleRate = 8000);

// The DWVW encoder used for 12-bit files: width 8..24, the samples' top `width` bits.
bool WriteOwnDwvw(const std::filesystem::path& out, const std::vector<std::int32_t>& samples, int width,
                  int sampleRate = 8000);

// The samples a DWVW file made by MakeDwvwAifc decodes to: what libsndfile decodes from it, and
// for the 12-bit files (which libsndfile 1.2.0 decodes as silence of no length) the encoded values.
std::vector<std::int16_t> ExpectedDwvwSamples(const std::filesystem::path& path, const std::string& encoding,
                                              const std::vector<std::int32_t>& samples);

// What libsndfile decodes from a file, as 16-bit samples (all channels interleaved).
std::vector<std::int16_t> DecodeWithSndfile(const std::filesystem::path& path);

// The sample format a reader reports once open.
void ExpectPcmFormat(const audio::AudioSourceReader& reader, std::uint32_t sampleRate, std::uint32_t channels,
                     std::uint32_t outputChannels, std::uint32_t bitsPerSample);

// Everything the reader delivers, read in blocks of blockBytes; the largest block is reported.
std::vector<std::int16_t> ReadAll(audio::AudioSourceReader& reader, std::size_t blockBytes,
                                  std::size_t* largestBlock = nullptr);

// A disc image folder: disc.bin and disc.cue with one audio track per entry of `tracks`
// (16-bit stereo PCM, whole sectors of 588 frames), and TrackNN.cda descriptors beside them.
// The descriptors carry the disc's serial number as the system that writes them computes it.
void MakeCdImage(const std::filesystem::path& folder, const std::vector<std::vector<std::int16_t>>& tracks,
                 bool withCue = true);
std::string CdTrackDescriptor(unsigned track, std::uint32_t startSector, std::uint32_t sectors,
                              std::uint32_t serial = 0x12345678);
// That serial number for tracks starting at these sectors on a disc of leadOut sectors.
std::uint32_t CdSerial(const std::vector<std::uint32_t>& starts, std::uint32_t leadOut);

// A four-channel ProTracker module of one pattern played at speed 1 (64 rows, 1.28 seconds).
std::string MakeTinyModule();

}  // namespace quillon::test
