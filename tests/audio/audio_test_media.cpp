#include "audio_test_media.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "audio/bass_startup.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace quillon::test {

void BassLibraryTest::SetUp() {
    ASSERT_EQ(audio::StartBassLibrary("/nowhere/"), audio::BassStartResult::Started);
    // No test may depend on whether the machine has a CD drive.
    oldFinder_ = audio::SetCdDriveFinder([] { return std::string(); });
}

void BassLibraryTest::TearDown() {
    audio::SetCdDriveFinder(oldFinder_);
    audio::ReleaseBassLibrary();
}

std::vector<std::int32_t> MakeTestSignal(std::size_t frames, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::int32_t> samples(frames);
    constexpr std::int32_t kMax = (1 << 23) - 1;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t part = (i / 700) % 5;
        double v = 0.0;
        switch (part) {
        case 0:  // a loud tone
            v = 0.9 * std::sin(static_cast<double>(i) * 0.07);
            break;
        case 1:  // silence
            v = 0.0;
            break;
        case 2:  // noise
            v = std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
            break;
        case 3:  // full-scale jumps, the widest deltas there are
            v = (i % 2) ? 1.0 : -1.0;
            break;
        default:  // a quiet tone
            v = 0.001 * std::sin(static_cast<double>(i) * 0.3);
            break;
        }
        samples[i] = static_cast<std::int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * kMax));
    }
    return samples;
}

namespace {

// DWVW encoder for the width libsndfile cannot write (it refuses 12-bit DWVW output).
class DwvwTestEncoder {
public:
    explicit DwvwTestEncoder(int bitWidth) : width_(bitWidth) {}

    void Put(std::int32_t sample) {
        const int maxDelta = 1 << (width_ - 1);
        const int span = 1 << width_;
        int delta = sample - last_;
        if (delta > maxDelta) delta -= span;
        if (delta < -maxDelta) delta += span;
        last_ = sample;
        const int magnitude = std::abs(delta);
        int deltaWidth = 0;
        while (deltaWidth < width_ - 1 && (magnitude >> deltaWidth) != 0) ++deltaWidth;

        int modifier = deltaWidth - lastWidth_;
        if (modifier > width_ / 2) modifier -= width_;
        if (modifier < -width_ / 2) modifier += width_;
        lastWidth_ = deltaWidth;
        const int steps = std::abs(modifier);
        for (int i = 0; i < steps; ++i) Bit(0);
        if (steps < width_ / 2) Bit(1);
        if (modifier != 0) Bit(modifier < 0);

        if (deltaWidth > 0) {
            const int stored = std::min(magnitude, maxDelta - 1);
            for (int b = deltaWidth - 2; b >= 0; --b) Bit((stored >> b) & 1);
            Bit(delta < 0);
            if (stored == maxDelta - 1) Bit(magnitude == maxDelta);
        }
    }

    std::string Finish() {
        while (count_ != 0) Bit(0);
        return bytes_;
    }

private:
    void Bit(int bit) {
        current_ = static_cast<unsigned char>((current_ << 1) | (bit & 1));
        if (++count_ == 8) {
            bytes_ += static_cast<char>(current_);
            current_ = 0;
            count_ = 0;
        }
    }

    int width_;
    int last_ = 0;
    int lastWidth_ = 0;
    unsigned char current_ = 0;
    int count_ = 0;
    std::string bytes_;
};

std::string Be32(std::size_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (24 - 8 * i));
    return s;
}

std::string Extended(int rate) {
    std::string s(10, '\0');
    int exponent = 0;
    while ((rate >> (exponent + 1)) != 0) ++exponent;
    const std::uint64_t mantissa = static_cast<std::uint64_t>(rate) << (63 - exponent);
    s[0] = static_cast<char>((16383 + exponent) >> 8);
    s[1] = static_cast<char>(16383 + exponent);
    for (int i = 0; i < 8; ++i) s[2 + i] = static_cast<char>(mantissa >> (56 - 8 * i));
    return s;
}

}  // namespace

bool WriteOwnDwvw(const fs::path& out, const std::vector<std::int32_t>& samples, int width, int sampleRate) {
    DwvwTestEncoder encoder(width);
    for (std::int32_t s : samples) encoder.Put(s >> (24 - width));
    // libsndfile's encoder ends every file with a few zero samples to flush its bits.
    for (int i = 0; i < 12; ++i) encoder.Put(0);
    const std::string data = encoder.Finish();
    std::string comm = std::string("\0\1", 2) + Be32(samples.size()) + std::string(1, '\0') + static_cast<char>(width) +
                       Extended(sampleRate) + "DWVW" + std::string(2, '\0');
    std::string chunks = "FVER" + Be32(4) + Be32(0xA2805140) + "COMM" + Be32(comm.size()) + comm + "SSND" +
                         Be32(data.size() + 8) + std::string(8, '\0') + data;
    if (data.size() % 2) chunks += '\0';
    WriteFile(out, "FORM" + Be32(chunks.size() + 4) + "AIFC" + chunks);
    return true;
}

bool MakeDwvwAifc(const fs::path& out, const std::vector<std::int32_t>& samples, const std::string& encoding,
                  int sampleRate) {
    if (encoding == "-dwvw12") return WriteOwnDwvw(out, samples, 12, sampleRate);
    const fs::path wav = out.string() + ".source.wav";
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(wav.c_str(), SFM_WRITE, &info);
    if (!file) {
        ADD_FAILURE() << "cannot write " << wav;
        return false;
    }
    std::vector<int> left(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) left[i] = samples[i] * 256;
    sf_writef_int(file, left.data(), static_cast<sf_count_t>(left.size()));
    sf_close(file);
    CommandResult r = RunCommand({"sndfile-convert", encoding, wav.string(), out.string()});
    std::error_code ec;
    fs::remove(wav, ec);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return r.exitCode == 0;
}

std::vector<std::int16_t> ExpectedDwvwSamples(const fs::path& path, const std::string& encoding,
                                              const std::vector<std::int32_t>& samples) {
    if (encoding != "-dwvw12") return DecodeWithSndfile(path);
    std::vector<std::int16_t> expected;
    for (std::int32_t s : samples) expected.push_back(static_cast<std::int16_t>((s >> 12) * 16));
    return expected;
}

std::vector<std::int16_t> DecodeWithSndfile(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<std::int16_t> all;
    if (!file) {
        ADD_FAILURE() << "libsndfile cannot open " << path << ": " << sf_strerror(nullptr);
        return all;
    }
    std::vector<std::int16_t> block(4096);
    sf_count_t got;
    while ((got = sf_read_short(file, block.data(), static_cast<sf_count_t>(block.size()))) > 0)
        all.insert(all.end(), block.begin(), block.begin() + got);
    sf_close(file);
    return all;
}

void ExpectPcmFormat(const audio::AudioSourceReader& reader, std::uint32_t sampleRate, std::uint32_t channels,
                     std::uint32_t outputChannels, std::uint32_t bitsPerSample) {
    EXPECT_EQ(reader.GetSampleRate(), sampleRate);
    EXPECT_EQ(reader.GetChannels(), channels);
    EXPECT_EQ(reader.GetOutputChannels(), outputChannels);
    EXPECT_EQ(reader.GetBitsPerSample(), bitsPerSample);
}

std::vector<std::int16_t> ReadAll(audio::AudioSourceReader& reader, std::size_t blockBytes, std::size_t* largestBlock) {
    std::vector<unsigned char> buffer(blockBytes + 16, 0xEE);
    std::vector<unsigned char> bytes;
    std::size_t largest = 0;
    for (;;) {
        const std::size_t got = reader.Read(buffer.data(), blockBytes);
        if (got == 0) break;
        largest = std::max(largest, got);
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        // Nothing may land past the count the caller gave.
        for (std::size_t i = blockBytes; i < buffer.size(); ++i) {
            if (buffer[i] != 0xEE) {
                ADD_FAILURE() << "Read wrote past " << blockBytes << " bytes";
                break;
            }
        }
    }
    if (largestBlock) *largestBlock = largest;
    EXPECT_EQ(bytes.size() % 2, 0u);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

std::string CdTrackDescriptor(unsigned track, std::uint32_t startSector, std::uint32_t sectors, std::uint32_t serial) {
    std::string d(44, '\0');
    auto put32 = [&d](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) d[at + i] = static_cast<char>(v >> (8 * i));
    };
    d.replace(0, 4, "RIFF");
    put32(4, 36);
    d.replace(8, 8, "CDDAfmt ");
    put32(16, 24);
    d[20] = 1;
    d[22] = static_cast<char>(track);
    put32(24, serial);
    put32(28, startSector);
    put32(32, sectors);
    const std::uint32_t start = startSector + 150;
    d[36] = static_cast<char>(start % 75);
    d[37] = static_cast<char>(start / 75 % 60);
    d[38] = static_cast<char>(start / 75 / 60);
    d[40] = static_cast<char>(sectors % 75);
    d[41] = static_cast<char>(sectors / 75 % 60);
    d[42] = static_cast<char>(sectors / 75 / 60);
    return d;
}

std::uint32_t CdSerial(const std::vector<std::uint32_t>& starts, std::uint32_t leadOut) {
    std::uint32_t serial = 0;
    for (std::uint32_t start : starts) {
        const std::uint32_t frames = start + 150;
        serial += (frames / 75 / 60) << 16 | (frames / 75 % 60) << 8 | frames % 75;
    }
    if (!starts.empty() && starts.size() < 3) serial += leadOut - starts.front();
    return serial;
}

void MakeCdImage(const fs::path& folder, const std::vector<std::vector<std::int16_t>>& tracks, bool withCue) {
    std::vector<std::uint32_t> starts;
    std::uint32_t leadOut = 0;
    for (const auto& pcm : tracks) {
        starts.push_back(leadOut);
        leadOut += static_cast<std::uint32_t>(pcm.size() / (588 * 2));
    }
    const std::uint32_t serial = CdSerial(starts, leadOut);
    std::string bin;
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    std::uint32_t sector = 0;
    char line[64];
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const auto& pcm = tracks[t];
        ASSERT_EQ(pcm.size() % (588 * 2), 0u) << "tracks are whole sectors";
        const auto sectors = static_cast<std::uint32_t>(pcm.size() / (588 * 2));
        std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 %02u:%02u:%02u\n", t + 1, sector / 75 / 60,
                      sector / 75 % 60, sector % 75);
        cue += line;
        for (std::int16_t s : pcm) {
            bin += static_cast<char>(s & 0xFF);
            bin += static_cast<char>((s >> 8) & 0xFF);
        }
        std::snprintf(line, sizeof line, "Track%02zu.cda", t + 1);
        WriteFile(folder / line, CdTrackDescriptor(static_cast<unsigned>(t + 1), sector, sectors, serial));
        sector += sectors;
    }
    WriteFile(folder / "disc.bin", bin);
    if (withCue) WriteFile(folder / "disc.cue", cue);
}

std::string MakeTinyModule() {
    std::string mod(1084, '\0');
    mod.replace(0, 4, "tiny");
    // Sample 1: 64 bytes of a looped square wave at full volume.
    const std::size_t sample = 20;
    mod.replace(sample, 5, "pulse");
    mod[sample + 22] = 0;
    mod[sample + 23] = 32;                                   // length in words
    mod[sample + 25] = 64;                                   // volume
    mod[sample + 27] = 0;                                    // loop start
    mod[sample + 29] = 32;                                   // loop length in words
    for (int i = 1; i < 31; ++i) mod[20 + i * 30 + 29] = 1;  // unused samples: loop length 1
    mod[950] = 1;                                            // song length
    mod[951] = 127;                                          // restart
    mod.replace(1080, 4, "M.K.");
    std::string pattern(1024, '\0');
    // Row 0, channel 0: sample 1, period 428, effect F01 (speed 1).
    pattern[0] = static_cast<char>((1 & 0xF0) | (428 >> 8));
    pattern[1] = static_cast<char>(428 & 0xFF);
    pattern[2] = static_cast<char>(((1 & 0x0F) << 4) | 0xF);
    pattern[3] = 1;
    mod += pattern;
    for (int i = 0; i < 64; ++i) mod += static_cast<char>(i < 32 ? 100 : -100);
    return mod;
}

}  // namespace quillon::test
