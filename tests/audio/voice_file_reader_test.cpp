// The container: header, skipped records, frame markers and the Read contract.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/voice_adpcm.h"
#include "audio/voice_file_reader.h"
#include "audio_test_media.h"
#include "test_support.h"
#include "voice_test_files.h"

namespace {

using quillon::audio::VoiceAdpcmDecoder;
using quillon::audio::VoiceFileReader;
using quillon::test::Bytes;
using quillon::test::ReadAllSamples;
using quillon::test::TempDir;
using quillon::test::VoiceFileBytes;
using quillon::test::VoiceHeader;
using quillon::test::WriteFile;

// A 40-byte codec 3 frame whose content depends on `seed`, without trailing zeros.
std::vector<std::uint8_t> Frame(int seed) {
    std::vector<std::uint8_t> f(40);
    for (int i = 0; i < 40; ++i) f[i] = static_cast<std::uint8_t>((seed * 37 + i * 11) % 251 + 1);
    return f;
}

std::vector<std::int16_t> Decode(const std::vector<std::vector<std::uint8_t>>& frames) {
    VoiceAdpcmDecoder d;
    return quillon::test::DecodeFrames(d, frames);
}

std::string Join(const std::vector<std::vector<std::uint8_t>>& blocks) {
    std::string s;
    for (const auto& b : blocks) s += Bytes(b);
    return s;
}

std::vector<std::uint8_t> Zeros(std::size_t n) { return std::vector<std::uint8_t>(n, 0); }

std::vector<std::uint8_t> SkipBlock(std::int32_t distance) {
    std::vector<std::uint8_t> b = Frame(99);
    const auto d = static_cast<std::uint32_t>(distance);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(d >> (8 * i));
    return b;
}

class VoiceFile : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        const auto path = (dir_ / ("f" + std::to_string(count_++) + ".voc")).string();
        WriteFile(path, bytes);
        return path;
    }
    std::vector<std::int16_t> ReadStream(const std::string& stream, VoiceHeader h = {}) {
        VoiceFileReader reader;
        EXPECT_EQ(reader.Open(Write(VoiceFileBytes(h, stream))), 1);
        return ReadAllSamples(reader);
    }
    TempDir dir_;
    int count_ = 0;
};

TEST_F(VoiceFile, HeaderGivesTheFacts) {
    VoiceHeader h;
    h.hours = 1;
    h.minutes = 2;
    h.seconds = 3;
    const std::string bytes = VoiceFileBytes(h, Bytes(Frame(1)));
    VoiceFileReader reader;
    ASSERT_EQ(reader.Open(Write(bytes)), 1);
    EXPECT_EQ(reader.GetDuration(), 3723u);
    quillon::test::ExpectPcmFormat(reader, 8000, 1, 1, 16);
    EXPECT_EQ(reader.GetBitrate(), 0u);
    EXPECT_EQ(reader.GetLength(), bytes.size());

    h.fraction = 5;
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes(h, Bytes(Frame(1))))), 1);
    EXPECT_EQ(reader.GetDuration(), 3724u);

    // The length bytes are unsigned.
    h.hours = 200;
    h.minutes = 0;
    h.seconds = 0;
    h.fraction = 0;
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes(h, Bytes(Frame(1))))), 1);
    EXPECT_EQ(reader.GetDuration(), 720000u);

    reader.Close();
    EXPECT_EQ(reader.GetDuration(), 0u);
    EXPECT_EQ(reader.GetSampleRate(), 0u);
    EXPECT_EQ(reader.GetLength(), 0u);
}

TEST_F(VoiceFile, FramesStartAfterTheShortOrLongHeader) {
    for (const int type : {12, 0, 13}) {
        VoiceHeader h;
        h.headerType = type;
        VoiceFileReader reader;
        ASSERT_EQ(reader.Open(Write(VoiceFileBytes(h, Join({Frame(1), Frame(2)})))), 1);
        EXPECT_EQ(reader.GetPosition(), type == 12 ? 511u : 4095u);
        EXPECT_EQ(ReadAllSamples(reader), Decode({Frame(1), Frame(2)})) << "header type " << type;
    }
}

TEST_F(VoiceFile, RefusesOtherFiles) {
    VoiceFileReader reader;
    VoiceHeader h;
    h.codec = 1;
    EXPECT_EQ(reader.Open(Write(VoiceFileBytes(h, Bytes(Frame(1))))), 0);
    EXPECT_EQ(reader.Read(nullptr, 0), 0u);
    h.codec = 4;
    EXPECT_EQ(reader.Open(Write(VoiceFileBytes(h, Bytes(Frame(1))))), 0);

    // A Creative Voice file shares the extension but not the header.
    std::string creative = "Creative Voice File\x1A\x1A\x00\x0A\x01\x29\x11";
    creative.resize(600, '\x01');
    EXPECT_EQ(reader.Open(Write(creative)), 0);
    EXPECT_EQ(reader.Open(Write("")), 0);
    EXPECT_EQ(reader.Open((dir_ / "missing.voc").string()), 0);
    EXPECT_EQ(reader.GetSampleRate(), 0u);

    // A file that ends inside the header still opens (missing bytes count as 0) and has no data.
    std::string stub = VoiceFileBytes({}, "").substr(0, 20);
    ASSERT_EQ(reader.Open(Write(stub)), 1);
    EXPECT_EQ(reader.GetDuration(), 0u);
    std::uint8_t buf[64];
    EXPECT_EQ(reader.Read(buf, sizeof buf), 0u);
}

TEST_F(VoiceFile, SkipDistancesMoveTheReadPosition) {
    // After an all-zero block, a distance of 100 continues 100 bytes after the skip block's start.
    std::string stream = Join({Frame(1), Zeros(40), SkipBlock(100)});
    stream += Join({Frame(7), Frame(8)}).substr(0, 60);  // jumped over
    stream += Join({Frame(2), Frame(3)});
    EXPECT_EQ(ReadStream(stream), Decode({Frame(1), Frame(2), Frame(3)}));

    // A negative distance continues with the block after the skip block.
    EXPECT_EQ(ReadStream(Join({Frame(1), Zeros(40), SkipBlock(-5), Frame(2)})), Decode({Frame(1), Frame(2)}));

    // A distance past the end of the file ends the data.
    EXPECT_EQ(ReadStream(Join({Frame(1), Zeros(40), SkipBlock(1 << 30), Frame(2)})), Decode({Frame(1)}));

    // The same for 7-byte blocks (codec 0): the skip only counts whole frames read.
    VoiceHeader g;
    g.codec = 0;
    const std::vector<std::uint8_t> a{1, 2, 3, 4, 5, 6, 7}, b{9, 8, 7, 6, 5, 4, 3};
    const auto plain = ReadStream(Join({a, b}), g);
    const auto skipped = ReadStream(Join({a, Zeros(7), {14, 0, 0, 0, 1, 1, 1}, Zeros(7), b}), g);
    EXPECT_EQ(plain.size(), 160u);
    EXPECT_EQ(skipped, plain);
}

TEST_F(VoiceFile, TwoZeroBlocksEndTheDataForGood) {
    VoiceFileReader reader;
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes({}, Join({Frame(1), Zeros(40), Zeros(40), Frame(2)})))), 1);
    EXPECT_EQ(ReadAllSamples(reader), Decode({Frame(1)}));
    std::uint8_t buf[256];
    EXPECT_EQ(reader.Read(buf, sizeof buf), 0u);

    // A short block at the end is dropped.
    EXPECT_EQ(ReadStream(Join({Frame(1), Frame(2)}).substr(0, 79)), Decode({Frame(1)}));
}

TEST_F(VoiceFile, HalfFilledBlocksResumeTwentyBytesOn) {
    // 25 trailing zeros: not decoded; the next frame starts 20 bytes after the block's start.
    auto half = Frame(1);
    std::fill(half.begin() + 15, half.end(), 0);
    auto tail = Frame(2);
    tail.resize(20);
    std::vector<std::uint8_t> resumed(20, 0);
    resumed.insert(resumed.end(), tail.begin(), tail.end());
    EXPECT_EQ(ReadStream(Join({half, tail})), Decode({resumed}));

    // 39 trailing zeros behave the same; 19 do not make a marker.
    auto one = Frame(1);
    std::fill(one.begin() + 1, one.end(), 0);
    EXPECT_EQ(ReadStream(Join({one, tail})), Decode({resumed}));
    auto nineteen = Frame(3);
    std::fill(nineteen.begin() + 21, nineteen.end(), 0);
    EXPECT_EQ(ReadStream(Join({nineteen, Frame(4)})), Decode({nineteen, Frame(4)}));
}

TEST_F(VoiceFile, ReadHandsOutAtMost1152SamplesAndKeepsTheRest) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 20; ++i) frames.push_back(Frame(i));
    const auto want = Decode(frames);
    VoiceFileReader reader;
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes({}, Join(frames)))), 1);

    std::vector<std::uint8_t> buffer(8192, 0xEE);
    EXPECT_EQ(reader.Read(buffer.data(), buffer.size()), 2304u);
    EXPECT_EQ(buffer[2304], 0xEE);
    EXPECT_EQ(reader.Read(buffer.data() + 2304, 4608), 2 * (1600u - 1152u));
    EXPECT_EQ(reader.Read(buffer.data(), 4608), 0u);
    std::vector<std::int16_t> got(1600);
    for (std::size_t i = 0; i < got.size(); ++i)
        got[i] = static_cast<std::int16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
    EXPECT_EQ(got, want);

    // A small buffer is never overrun; leftovers come first in the next call.
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes({}, Join(frames)))), 1);
    EXPECT_EQ(ReadAllSamples(reader, 50), want);
    ASSERT_EQ(reader.Open(Write(VoiceFileBytes({}, Join(frames)))), 1);
    std::uint8_t small[33];
    std::fill(std::begin(small), std::end(small), 0xEE);
    EXPECT_EQ(reader.Read(small, 31), 30u);
    EXPECT_EQ(small[30], 0xEE);
    EXPECT_GT(reader.GetPosition(), 511u);
    EXPECT_LE(reader.GetPosition(), reader.GetLength());
}

}  // namespace
