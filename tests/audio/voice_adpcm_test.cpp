// Codec 3 against a second, deliberately plain implementation of the same rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "audio/voice_adpcm.h"
#include "audio/voice_file_reader.h"
#include "test_support.h"
#include "voice_test_files.h"

namespace {

using quillon::audio::VoiceAdpcmDecoder;
using quillon::audio::VoiceFileReader;

// Written from the rules without sharing any code with the decoder: the history is a plain
// list, newest first, and every step is its own statement.
struct PlainAdpcm {
    long long se = 0, y = 544, se2 = 0, sez = 0, a1 = 0, a2 = 0;
    long long b[7] = {};  // b[1]..b[6]
    std::vector<long long> p{0, 0, 0}, sr{0, 0}, dq{0, 0, 0, 0, 0, 0, 0};

    static long long Limit(long long v, long long lo, long long hi) { return v < lo ? lo : v > hi ? hi : v; }
    static long long FloorShift(long long v, int s) {
        // Arithmetic shift written as floor division.
        long long d = 1LL << s;
        return v >= 0 ? v / d : -((-v + d - 1) / d);
    }
    static int Sign(long long v) { return v < 0 ? -1 : 1; }
    static long long Term(long long c, long long h) {
        long long t = FloorShift(c * h, 22);
        return t - (((t % 2) + 2) % 2);  // clear the lowest bit
    }

    int Step(int code) {
        static const int logmag[16] = {-2048, 4, 135, 213, 273, 323, 373, 425, 425, 373, 323, 273, 213, 135, 4, -2048};
        static const int mult[16] = {-12, 18, 41, 64, 112, 198, 355, 1122, 1122, 355, 198, 112, 64, 41, 18, -12};
        long long d = 0;
        if (code != 15) {
            long long dql = logmag[code] + FloorShift(y, 2);
            if (dql <= 0) dql = 0;
            long long mant = 128 + dql % 128;
            long long exp = (dql / 128) % 16 + 1;
            d = mant * (1LL << exp);
            if (code >= 8) d = -d;
        }
        const int out = static_cast<int>(Limit(4 * se + FloorShift(d, 6), -32768, 32767));
        y = Limit(y + mult[code] + FloorShift(-y, 5), 544, 5120);

        p.insert(p.begin(), Limit(sez * 256 + d, -0x800000, 0x7FFFFF));
        p.pop_back();
        sr.insert(sr.begin(), Limit(se2 * 256 + d, -0x800000, 0x7FFFFF));
        sr.pop_back();
        dq.insert(dq.begin(), d);
        dq.pop_back();

        const long long s1 = Sign(p[0]) == Sign(p[1]) ? 1 : -1;
        const long long s2 = Sign(p[0]) == Sign(p[2]) ? 128 : -128;
        a2 = Limit(FloorShift(a2 * 127 * 256 - s1 * Limit(a1 * 1024, -0x800000, 0x7FFFFF), 15) + s2, -12288, 12288);
        a1 = Limit(s1 * 192 + FloorShift(a1 * 255, 8), -(15360 - a2), 15360 - a2);
        for (int k = 1; k <= 6; ++k) {
            b[k] = FloorShift(b[k] * 255, 8);
            if (d != 0) b[k] += Sign(d) == Sign(dq[k]) ? 128 : -128;
            b[k] = Limit(b[k], -32768, 32767);
        }
        sez = 0;
        for (int k = 1; k <= 6; ++k) sez += Term(b[k], dq[k - 1]);
        se = Term(a1, sr[0]) + Term(a2, sr[1]) + sez;
        se2 = se;
        return out;
    }
};

std::vector<std::uint8_t> PackCodes(const std::vector<int>& codes) {
    std::vector<std::uint8_t> bytes((codes.size() + 1) / 2);
    for (std::size_t i = 0; i < codes.size(); ++i)
        bytes[i / 2] |= static_cast<std::uint8_t>((codes[i] & 15) << ((i & 1) ? 4 : 0));
    return bytes;
}

// Decodes codes (a multiple of 80) through a real file and the reader.
std::vector<std::int16_t> DecodeThroughFile(const std::vector<int>& codes) {
    quillon::test::TempDir dir;
    const auto path = dir / "codes.voc";
    quillon::test::WriteFile(path, quillon::test::VoiceFileBytes({}, quillon::test::Bytes(PackCodes(codes))));
    VoiceFileReader reader;
    EXPECT_EQ(reader.Open(path.string()), 1);
    return quillon::test::ReadAllSamples(reader);
}

std::vector<int> PlainDecode(const std::vector<int>& codes) {
    PlainAdpcm plain;
    std::vector<int> out;
    for (int c : codes) out.push_back(plain.Step(c));
    return out;
}

void ExpectSame(const std::vector<int>& codes) {
    const auto got = DecodeThroughFile(codes);
    const auto want = PlainDecode(codes);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << "sample " << i;
}

TEST(VoiceAdpcm, RandomCodesMatchThePlainRules) {
    std::mt19937 rng(7);
    std::vector<int> codes(800);
    for (int& c : codes) c = static_cast<int>(rng() % 16);
    ExpectSame(codes);
    // Mostly small codes: a slowly varying signal where the predictor matters most.
    for (int& c : codes) c = static_cast<int>(rng() % 3) + (rng() % 2 ? 8 : 1);
    ExpectSame(codes);
}

TEST(VoiceAdpcm, CodeFifteenAddsNothingAndCodeZeroTheLeast) {
    auto silent = DecodeThroughFile(std::vector<int>(160, 15));
    ASSERT_EQ(silent.size(), 160u);
    EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](std::int16_t s) { return s == 0; }));

    // From rest, code 0 gives the smallest positive step: (128 << 1) >> 6 = 4. The last code
    // keeps the block from being an all-zero marker.
    std::vector<int> zeros(80, 0);
    zeros.back() = 1;
    auto smallest = DecodeThroughFile(zeros);
    ASSERT_EQ(smallest.size(), 80u);
    EXPECT_EQ(smallest[0], 4);
    ExpectSame(zeros);
    VoiceAdpcmDecoder d;
    EXPECT_EQ(d.DecodeSample(0), 4);
    EXPECT_EQ(d.DecodeSample(15) - 0, PlainDecode({0, 15})[1]);
}

TEST(VoiceAdpcm, SaturatesAndMatchesAtTheExtremes) {
    // Largest steps in one direction drive the output into saturation.
    std::vector<int> codes(240, 7);
    codes.insert(codes.end(), 240, 8);
    const auto got = DecodeThroughFile(codes);
    EXPECT_NE(std::find(got.begin(), got.end(), 32767), got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), -32768), got.end());
    ExpectSame(codes);
}

TEST(VoiceAdpcm, AdaptationStaysWithinItsLimits) {
    VoiceAdpcmDecoder d;
    PlainAdpcm plain;
    bool yTop = false, yBottom = false, a1Limit = false, a2Limit = false;
    auto feed = [&](int code) {
        ASSERT_EQ(d.DecodeSample(code), plain.Step(code));
        ASSERT_EQ(d.y(), plain.y);
        ASSERT_EQ(d.a1(), plain.a1);
        ASSERT_EQ(d.a2(), plain.a2);
        ASSERT_GE(d.y(), 544);
        ASSERT_LE(d.y(), 5120);
        ASSERT_LE(std::abs(d.a2()), 12288);
        ASSERT_LE(std::abs(d.a1()), 15360 - d.a2());
        yTop |= d.y() == 5120;
        yBottom |= d.y() == 544;
        a2Limit |= std::abs(d.a2()) == 12288;
        a1Limit |= std::abs(d.a1()) == 15360 - d.a2();
    };
    for (int i = 0; i < 200; ++i) feed(7);              // y climbs to its ceiling
    for (int i = 0; i < 400; ++i) feed(i % 2 ? 7 : 9);  // alternating signs push a1 and a2 to their limits
    for (int i = 0; i < 400; ++i) feed(15);             // y falls back to its floor
    EXPECT_TRUE(yTop);
    EXPECT_TRUE(yBottom);
    EXPECT_TRUE(a2Limit);
    EXPECT_TRUE(a1Limit);
}

}  // namespace
