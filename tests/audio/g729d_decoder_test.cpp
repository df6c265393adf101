// Codec 0: frame unpacking and the reader's use of the decoder. Agreement with a standard
// Annex D decoder is checked end to end against ffmpeg (tests/e2e).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "audio/g729d_decoder.h"
#include "audio/voice_file_reader.h"
#include "test_support.h"
#include "voice_test_files.h"

namespace {

using quillon::audio::G729dDecoder;
using quillon::audio::UnpackG729dFrame;

// One bit set at stream position `bit` (byte bit / 8, most significant bit first).
std::vector<std::uint8_t> OneBit(int bit) {
    std::vector<std::uint8_t> f(7, 0);
    f[bit / 8] = static_cast<std::uint8_t>(0x80 >> (bit % 8));
    return f;
}

TEST(G729dFrame, FirstBitTakenIsTheLeastSignificant) {
    EXPECT_EQ(UnpackG729dFrame(OneBit(0).data()).lsp0, 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(7).data()).lsp0, 128);  // the MA predictor switch
    EXPECT_EQ(UnpackG729dFrame(OneBit(8).data()).lsp1, 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(17).data()).lsp1, 512);
    EXPECT_EQ(UnpackG729dFrame(OneBit(18).data()).pitch[0], 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(25).data()).pitch[0], 128);
    EXPECT_EQ(UnpackG729dFrame(OneBit(26).data()).positions[0], 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(32).data()).signs[0], 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(33).data()).signs[0], 2);
    EXPECT_EQ(UnpackG729dFrame(OneBit(38).data()).gains[0], 16);
    EXPECT_EQ(UnpackG729dFrame(OneBit(39).data()).pitch[1], 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(42).data()).pitch[1], 8);
    EXPECT_EQ(UnpackG729dFrame(OneBit(48).data()).positions[1], 32);
    EXPECT_EQ(UnpackG729dFrame(OneBit(50).data()).signs[1], 2);
    EXPECT_EQ(UnpackG729dFrame(OneBit(51).data()).gains[1], 1);
    EXPECT_EQ(UnpackG729dFrame(OneBit(55).data()).gains[1], 16);

    const std::uint8_t all[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto p = UnpackG729dFrame(all);
    EXPECT_EQ(p.lsp0, 255);
    EXPECT_EQ(p.lsp1, 1023);
    EXPECT_EQ(p.pitch[0], 255);
    EXPECT_EQ(p.pitch[1], 15);
    EXPECT_EQ(p.positions[1], 63);
    EXPECT_EQ(p.signs[1], 3);
    EXPECT_EQ(p.gains[1], 31);
}

TEST(G729dDecoder, ReaderDecodesEverySevenByteFrameWithOneRunningState) {
    std::mt19937 rng(11);
    std::vector<std::vector<std::uint8_t>> frames(120, std::vector<std::uint8_t>(7));
    for (auto& f : frames)
        for (auto& b : f) b = static_cast<std::uint8_t>(rng() % 255 + 1);

    G729dDecoder decoder;
    const std::vector<std::int16_t> want = quillon::test::DecodeFrames(decoder, frames);
    // Not silence, and not stuck at the rails.
    long long energy = 0;
    int railed = 0;
    for (std::int16_t s : want) {
        energy += static_cast<long long>(s) * s;
        railed += s == 32767 || s == -32768;
    }
    EXPECT_GT(energy, 0);
    EXPECT_LT(railed, static_cast<int>(want.size() / 10));

    // A fresh state gives the same samples again.
    decoder.Reset();
    std::int16_t pcm[80];
    decoder.DecodeFrame(frames[0].data(), pcm);
    EXPECT_TRUE(std::equal(pcm, pcm + 80, want.begin()));

    std::string stream;
    for (const auto& f : frames) stream += quillon::test::Bytes(f);
    quillon::test::VoiceHeader h;
    h.codec = 0;
    quillon::test::TempDir dir;
    quillon::test::WriteFile(dir / "speech.voc", quillon::test::VoiceFileBytes(h, stream));
    quillon::audio::VoiceFileReader reader;
    ASSERT_EQ(reader.Open((dir / "speech.voc").string()), 1);
    EXPECT_EQ(reader.codec(), 0);
    EXPECT_EQ(quillon::test::ReadAllSamples(reader), want);
}

}  // namespace
