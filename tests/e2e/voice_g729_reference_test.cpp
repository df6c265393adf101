// Codec 0 of voice-recorder files against ffmpeg's G.729 Annex D decoder: every 56-bit frame
// maps one-to-one onto a standard 64-bit 6.4 kbit/s frame.
#include <gtest/gtest.h>

extern "C" {
#include <bcg729/encoder.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "audio/g729_tables.h"
#include "audio/g729d_decoder.h"
#include "audio/voice_file_reader.h"
#include "test_support.h"

namespace {

using quillon::audio::G729dFrameParameters;
namespace g729 = quillon::audio::g729;

class BitWriter {
public:
    // Most significant bit first, as standard frames are packed.
    void PutMsbFirst(int value, int width) {
        for (int j = width - 1; j >= 0; --j) Put((value >> j) & 1);
    }
    // The recorder's order: the first bit stored is the parameter's bit 0.
    void PutLsbFirst(int value, int width) {
        for (int j = 0; j < width; ++j) Put((value >> j) & 1);
    }
    std::vector<std::uint8_t> bytes;

private:
    void Put(int bit) {
        if (count_ % 8 == 0) bytes.push_back(0);
        if (bit) bytes.back() |= static_cast<std::uint8_t>(0x80 >> (count_ % 8));
        ++count_;
    }
    int count_ = 0;
};

std::vector<std::uint8_t> RecorderFrame(const G729dFrameParameters& p) {
    BitWriter w;
    w.PutLsbFirst(p.lsp0, 8);
    w.PutLsbFirst(p.lsp1, 10);
    for (int s = 0; s < 2; ++s) {
        w.PutLsbFirst(p.pitch[s], s == 0 ? 8 : 4);
        w.PutLsbFirst(p.positions[s], 6);
        w.PutLsbFirst(p.signs[s], 2);
        w.PutLsbFirst(p.gains[s], 5);
    }
    return w.bytes;
}

std::vector<std::uint8_t> StandardFrame(const G729dFrameParameters& p) {
    BitWriter w;
    w.PutMsbFirst(p.lsp0, 8);
    w.PutMsbFirst(p.lsp1, 10);
    for (int s = 0; s < 2; ++s) {
        const int v = p.positions[s];
        const int code = (g729::kGrayEncode[3 * (v >> 3)] << 4) | g729::kGrayEncode[2 * (v & 7) + 1];
        const int ga = p.gains[s] >> 2, gb = 2 * (p.gains[s] & 3);
        w.PutMsbFirst(p.pitch[s], s == 0 ? 8 : 4);
        w.PutMsbFirst(code, 9);
        w.PutMsbFirst(p.signs[s], 2);
        w.PutMsbFirst((g729::kGainMap1[ga] << 3) | g729::kGainMap2[gb], 6);
    }
    return w.bytes;
}

int PitchGain(int gains) { return g729::kGainCodebook1[gains >> 2][0] + g729::kGainCodebook2[2 * (gains & 3)][0]; }

// A gain index whose pitch gain stays below 1.0.
int RandomGains(std::mt19937& rng) {
    for (;;) {
        const int g = static_cast<int>(rng() % 32);
        if (PitchGain(g) < 16384) return g;
    }
}

void RandomExcitation(std::mt19937& rng, G729dFrameParameters& p) {
    for (int s = 0; s < 2; ++s) {
        p.positions[s] = static_cast<int>(rng() % 64);
        p.signs[s] = static_cast<int>(rng() % 4);
        p.gains[s] = RandomGains(rng);
    }
}

struct Comparison {
    double levelDb = 0;
    double snrDb = 0;
};

Comparison Compare(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& reference) {
    double eo = 0, er = 0, ed = 0;
    const std::size_t n = std::min(ours.size(), reference.size());
    for (std::size_t i = 0; i < n; ++i) {
        eo += double(ours[i]) * ours[i];
        er += double(reference[i]) * reference[i];
        ed += (double(ours[i]) - reference[i]) * (double(ours[i]) - reference[i]);
    }
    return {10 * std::log10(eo / er), 10 * std::log10(er / std::max(ed, 1.0))};
}

std::vector<std::int16_t> ReadPcm(const std::filesystem::path& path) {
    const std::string bytes = quillon::test::ReadFile(path);
    std::vector<std::int16_t> pcm(bytes.size() / 2);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                           static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return pcm;
}

// Decodes the frames with the program's reader (through a real file) and with ffmpeg.
Comparison DecodeBoth(const std::vector<G729dFrameParameters>& frames, const std::string& label) {
    quillon::test::TempDir dir;
    std::string recorder(31, '\0');
    recorder.replace(6, 9, "_VOC_File");
    recorder[15] = 12;
    recorder[26] = 0;
    recorder.append(480, '\x55');
    std::string standard;
    for (const auto& f : frames) {
        const auto r = RecorderFrame(f);
        const auto s = StandardFrame(f);
        recorder.append(r.begin(), r.end());
        standard.append(s.begin(), s.end());
    }
    quillon::test::WriteFile(dir / "speech.voc", recorder);
    quillon::test::WriteFile(dir / "frames.bit", standard);

    quillon::audio::VoiceFileReader reader;
    EXPECT_EQ(reader.Open((dir / "speech.voc").string()), 1);
    std::vector<std::int16_t> ours;
    std::vector<std::uint8_t> buffer(4608);
    while (const std::size_t got = reader.Read(buffer.data(), buffer.size()))
        for (std::size_t i = 0; i < got; i += 2)
            ours.push_back(static_cast<std::int16_t>(buffer[i] | buffer[i + 1] << 8));

    EXPECT_TRUE(quillon::test::RunFfmpeg({"-f", "g729", "-bit_rate", "6400", "-i", (dir / "frames.bit").string(), "-f",
                                          "s16le", "-acodec", "pcm_s16le", (dir / "ref.raw").string()}));
    const auto reference = ReadPcm(dir / "ref.raw");
    EXPECT_EQ(ours.size(), frames.size() * 80);
    EXPECT_EQ(reference.size(), ours.size());
    const Comparison c = Compare(ours, reference);
    std::printf("%s: level %+.2f dB, SNR %.2f dB over %zu frames\n", label.c_str(), c.levelDb, c.snrDb, frames.size());
    ::testing::Test::RecordProperty(label + "_level_db", std::to_string(c.levelDb));
    ::testing::Test::RecordProperty(label + "_snr_db", std::to_string(c.snrDb));
    return c;
}

TEST(VoiceG729Reference, RandomFramesMatchFfmpeg) {
    std::mt19937 rng(2024);
    std::vector<G729dFrameParameters> frames(500);
    for (auto& f : frames) {
        f.lsp0 = static_cast<int>(rng() % 256);
        f.lsp1 = static_cast<int>(rng() % 1024);
        f.pitch[0] = static_cast<int>(rng() % 256);
        f.pitch[1] = static_cast<int>(rng() % 16);
        RandomExcitation(rng, f);
    }
    const Comparison c = DecodeBoth(frames, "random");
    EXPECT_LE(std::abs(c.levelDb), 2.0);
    EXPECT_GE(c.snrDb, 20.0);
}

// Bits of a standard 8 kbit/s frame, most significant bit first.
int Field(const std::uint8_t* frame, int& pos, int width) {
    int v = 0;
    for (int j = 0; j < width; ++j, ++pos) v = (v << 1) | ((frame[pos >> 3] >> (7 - (pos & 7))) & 1);
    return v;
}

// The relative delay code of 6.4 kbit/s nearest to an 8 kbit/s one (delays in thirds).
int NearestRelativeDelay(int firstIndex, int index8k) {
    const int t1 = firstIndex < 197 ? (firstIndex + 59) / 3 : firstIndex - 112;
    int tMin = std::max(t1 - 5, 20);
    if (tMin + 9 > 143) tMin = 134;
    const int i = (index8k + 2) / 3 - 1;
    const int want = 3 * (tMin + i) + (index8k - 2 - 3 * i);
    const int base = std::clamp(t1, 25, 139) - 5;
    int best = 0, bestError = 1 << 30;
    for (int k = 0; k < 16; ++k) {
        int t = 0, frac = 0;
        if (k < 4) t = base + k;
        else if (k > 11) t = base + k - 6;
        else {
            t = base + (k + 7) / 3;
            frac = (k + 1) % 3 - 1;
        }
        const int error = std::abs(3 * t + frac - want);
        if (error < bestError) {
            bestError = error;
            best = k;
        }
    }
    return best;
}

TEST(VoiceG729Reference, SpeechFramesMatchFfmpeg) {
    quillon::test::TempDir dir;
    const auto wav = dir / "speech.wav";
    const auto result =
        quillon::test::RunCommand({"espeak-ng", "-w", wav.string(),
                                   "The quick brown fox jumps over the lazy dog. A voice recorder keeps "
                                   "every word of the meeting, one frame after another."});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ASSERT_TRUE(quillon::test::RunFfmpeg(
        {"-i", wav.string(), "-ar", "8000", "-ac", "1", "-f", "s16le", (dir / "speech.raw").string()}));
    const auto pcm = ReadPcm(dir / "speech.raw");
    ASSERT_GT(pcm.size(), 8000u);

    bcg729EncoderChannelContextStruct* encoder = initBcg729EncoderChannel(0);
    ASSERT_NE(encoder, nullptr);
    std::mt19937 rng(99);
    std::vector<G729dFrameParameters> frames;
    for (std::size_t at = 0; at + 80 <= pcm.size(); at += 80) {
        std::uint8_t bits[10] = {};
        std::uint8_t length = 0;
        bcg729Encoder(encoder, pcm.data() + at, bits, &length);
        ASSERT_EQ(length, 10);
        int pos = 0;
        G729dFrameParameters f;
        f.lsp0 = Field(bits, pos, 8);
        f.lsp1 = Field(bits, pos, 10);
        f.pitch[0] = Field(bits, pos, 8);
        pos += 1 + 13 + 4 + 7;  // parity, pulses, signs, gains of subframe 1
        f.pitch[1] = NearestRelativeDelay(f.pitch[0], Field(bits, pos, 5));
        RandomExcitation(rng, f);
        frames.push_back(f);
    }
    closeBcg729EncoderChannel(encoder);

    const Comparison c = DecodeBoth(frames, "speech");
    EXPECT_LE(std::abs(c.levelDb), 2.0);
    EXPECT_GE(c.snrDb, 20.0);
}

}  // namespace
