#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstring>

#include "audio/aifc_reader.h"
#include "audio_test_media.h"
#include "test_support.h"

namespace fs = std::filesystem;
using quillon::audio::AifcReader;
using namespace quillon::test;

namespace {

// Offset of the COMM body in a file written by libsndfile (found, not assumed).
std::size_t CommBody(const std::string& file) {
    const std::size_t at = file.find("COMM");
    EXPECT_NE(at, std::string::npos);
    return at + 8;
}

void PutBe16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v >> 8);
    s[at + 1] = static_cast<char>(v);
}

// A DWVW file from libsndfile to be edited: its bytes (empty, with a failure, when it could not
// be made) and what libsndfile decodes from it as it is.
struct FileToEdit {
    std::string bytes;
    std::vector<std::int16_t> expected;
};

FileToEdit MakeFileToEdit(const fs::path& path, std::size_t frames, std::uint32_t seed, const char* encoding) {
    FileToEdit made;
    if (!MakeDwvwAifc(path, MakeTestSignal(frames, seed), encoding)) return made;
    made.expected = DecodeWithSndfile(path);
    made.bytes = ReadFile(path);
    return made;
}

struct DwvwCase {
    const char* encoding;
    std::size_t frames;
};

// Test lists show the case by its values, not as raw bytes.
void PrintTo(const DwvwCase& c, std::ostream* out) { *out << (c.encoding + 1) << ", " << c.frames << " frames"; }

class DwvwMatchesSndfile : public ::testing::TestWithParam<DwvwCase> {};

TEST_P(DwvwMatchesSndfile, EverySampleToTheLast) {
    const DwvwCase c = GetParam();
    TempDir dir;
    const fs::path path = dir / "clip.aifc";
    const auto signal = MakeTestSignal(c.frames, static_cast<std::uint32_t>(c.frames));
    ASSERT_TRUE(MakeDwvwAifc(path, signal, c.encoding));
    const std::vector<std::int16_t> expected = ExpectedDwvwSamples(path, c.encoding, signal);
    ASSERT_FALSE(expected.empty());

    AifcReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    ExpectPcmFormat(reader, 8000, 1, 1, 16);
    std::size_t largest = 0;
    const std::vector<std::int16_t> got = ReadAll(reader, 4608, &largest);
    EXPECT_LE(largest, 2304u) << "a mono block is at most 1152 samples";
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], expected[i]) << "sample " << i;
    EXPECT_EQ(reader.Read(nullptr, 0), 0u);
    EXPECT_EQ(reader.GetPosition(), reader.GetLength()) << "every data byte was fetched";
}

INSTANTIATE_TEST_SUITE_P(Lengths, DwvwMatchesSndfile,
                         ::testing::Values(DwvwCase{"-dwvw12", 3}, DwvwCase{"-dwvw12", 1153},
                                           DwvwCase{"-dwvw12", 24000}, DwvwCase{"-dwvw16", 1}, DwvwCase{"-dwvw16", 7},
                                           DwvwCase{"-dwvw16", 1152}, DwvwCase{"-dwvw16", 5000},
                                           DwvwCase{"-dwvw16", 40000}, DwvwCase{"-dwvw24", 2}, DwvwCase{"-dwvw24", 300},
                                           DwvwCase{"-dwvw24", 2305}, DwvwCase{"-dwvw24", 33333}),
                         [](const auto& p) {
                             return std::string(p.param.encoding + 1) + "_" + std::to_string(p.param.frames);
                         });

TEST(AifcReader, LongFilesMatchInEveryWidth) {
    // Several seconds each; also a check that small Reads lose nothing between blocks.
    for (const char* encoding : {"-dwvw12", "-dwvw16", "-dwvw24"}) {
        TempDir dir;
        const fs::path path = dir / "long.aifc";
        const auto signal = MakeTestSignal(8000 * 6 + 77, 99);
        ASSERT_TRUE(MakeDwvwAifc(path, signal, encoding));
        const std::vector<std::int16_t> expected = ExpectedDwvwSamples(path, encoding, signal);
        AifcReader reader;
        ASSERT_EQ(reader.Open(path.string()), 1) << encoding;
        EXPECT_EQ(reader.GetDuration(), 6u);
        EXPECT_EQ(reader.GetBitrate(), fs::file_size(path) / (6 * 125));
        EXPECT_EQ(ReadAll(reader, 4608), expected) << encoding;
        ASSERT_EQ(reader.Open(path.string()), 1);
        EXPECT_EQ(ReadAll(reader, 101), expected) << encoding << " read in odd small pieces";
    }
}

TEST(AifcReader, TwelveBitEncoderAgreesWithSndfileAtSixteenBits) {
    // The 12-bit files come from the tests' own encoder; at 16 bits libsndfile checks it.
    TempDir dir;
    const fs::path path = dir / "own16.aifc";
    const auto signal = MakeTestSignal(9000, 17);
    ASSERT_TRUE(WriteOwnDwvw(path, signal, 16));
    const std::vector<std::int16_t> decoded = DecodeWithSndfile(path);
    ASSERT_EQ(decoded.size(), signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) ASSERT_EQ(decoded[i], signal[i] >> 8) << i;
}

TEST(AifcReader, StereoCommReadsTheSameStreamAsPairs) {
    TempDir dir;
    const fs::path path = dir / "stereo.aifc";
    auto [bytes, expected] = MakeFileToEdit(path, 9002, 5, "-dwvw16");
    ASSERT_FALSE(bytes.empty());
    const std::size_t comm = CommBody(bytes);
    PutBe16(bytes, comm, 2);
    PutBe16(bytes, comm + 4, 9002 / 2);  // frames: the low half of the count
    WriteFile(path, bytes);

    AifcReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_EQ(reader.GetChannels(), 2u);
    EXPECT_EQ(reader.GetOutputChannels(), 2u);
    std::size_t largest = 0;
    EXPECT_EQ(ReadAll(reader, 4608, &largest), expected);
    EXPECT_EQ(largest, 4608u);
}

TEST(AifcReader, RefusesWhatTheEngineShouldRead) {
    TempDir dir;
    // Uncompressed AIFF and AIFC with another compression, both written by libsndfile.
    for (int format :
         {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, SF_FORMAT_AIFF | SF_FORMAT_ULAW, SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM}) {
        const fs::path path = dir / "other.aif";
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = format;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<short> silence(800);
        sf_writef_short(file, silence.data(), 800);
        sf_close(file);
        AifcReader reader;
        EXPECT_EQ(reader.Open(path.string()), 0) << std::hex << format;
        EXPECT_EQ(reader.GetSampleRate(), 0u);
        EXPECT_EQ(reader.Read(silence.data(), 1600), 0u);
    }
    AifcReader reader;
    EXPECT_EQ(reader.Open((dir / "missing.aifc").string()), 0);
    EXPECT_EQ(reader.Open(dir.path().string()), 0) << "a folder";
    ASSERT_EQ(mkfifo((dir / "pipe.aifc").c_str(), 0600), 0);
    EXPECT_EQ(reader.Open((dir / "pipe.aifc").string()), 0) << "a pipe, without waiting for a writer";
}

TEST(AifcReader, CommVariants) {
    TempDir dir;
    const fs::path path = dir / "v.aifc";
    ASSERT_TRUE(MakeDwvwAifc(path, MakeTestSignal(2000, 3), "-dwvw16"));
    const std::string original = ReadFile(path);
    const std::size_t comm = CommBody(original);
    AifcReader reader;

    std::string lower = original;
    lower.replace(comm + 18, 4, "dwvw");
    WriteFile(path, lower);
    EXPECT_EQ(reader.Open(path.string()), 1) << "compression type compared case-insensitively";

    for (unsigned size : {7u, 25u}) {
        std::string odd = original;
        PutBe16(odd, comm + 6, size);
        WriteFile(path, odd);
        EXPECT_EQ(reader.Open(path.string()), 0) << "sample size " << size;
    }

    std::string six = original;
    PutBe16(six, comm, 6);
    WriteFile(path, six);
    EXPECT_EQ(reader.Open(path.string()), 0) << "more than two channels would overrun the caller's buffer";

    std::string infinite = original;
    infinite[comm + 8] = 0x7F;
    infinite[comm + 9] = static_cast<char>(0xFF);
    WriteFile(path, infinite);
    EXPECT_EQ(reader.Open(path.string()), 0) << "an infinite sample rate has no integer value";

    std::string noFrames = original;
    std::memset(&noFrames[comm + 2], 0, 4);
    WriteFile(path, noFrames);
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_EQ(reader.GetDuration(), 0u);
    EXPECT_EQ(reader.GetBitrate(), 16u * 8000 / 1000) << "falls back to the PCM rate";
    EXPECT_GE(ReadAll(reader, 4608).size(), 2000u) << "an unknown frame count limits nothing";
}

TEST(AifcReader, OddChunkBeforeCommIsSkippedWithItsPad) {
    TempDir dir;
    const fs::path path = dir / "pad.aifc";
    auto [bytes, expected] = MakeFileToEdit(path, 3000, 8, "-dwvw24");
    ASSERT_FALSE(bytes.empty());
    // An odd-sized chunk (5 bytes and a pad byte) right after the form type.
    bytes.insert(12, std::string("ANNO\0\0\0\x05hello\0", 14));
    WriteFile(path, bytes);
    AifcReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_EQ(ReadAll(reader, 4608), expected);
}

TEST(AifcReader, DamagedDataEndsWithoutOverrun) {
    TempDir dir;
    const fs::path path = dir / "cut.aifc";
    ASSERT_TRUE(MakeDwvwAifc(path, MakeTestSignal(5000, 4), "-dwvw16"));
    std::string bytes = ReadFile(path);
    const std::size_t ssnd = bytes.find("SSND");
    ASSERT_NE(ssnd, std::string::npos);

    // Cut in the middle of the data: decoding ends at the end of the file.
    WriteFile(path, bytes.substr(0, ssnd + 16 + 300));
    AifcReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    const auto cut = ReadAll(reader, 4608);
    EXPECT_GT(cut.size(), 100u);
    EXPECT_LT(cut.size(), 5000u);

    // An SSND offset beyond the chunk.
    std::string farOffset = bytes;
    farOffset[ssnd + 8] = 0x7F;
    WriteFile(path, farOffset);
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_TRUE(ReadAll(reader, 4608).empty());
}

bool IsPrefixOf(const std::vector<std::int16_t>& part, const std::vector<std::int16_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST(AifcReader, TruncatedAndRatelessStreamsGiveOnlyTheirWholeSamples) {
    TempDir dir;
    const fs::path path = dir / "t.aifc";
    for (const char* encoding : {"-dwvw16", "-dwvw24", "-dwvw12"}) {
        ASSERT_TRUE(MakeDwvwAifc(path, MakeTestSignal(6000, 9), encoding));
        const std::string clean = ReadFile(path);
        const std::size_t data = clean.find("SSND") + 16;
        AifcReader reader;

        for (unsigned channels : {1u, 2u}) {
            std::string bytes = clean;
            PutBe16(bytes, CommBody(bytes), channels);
            WriteFile(path, bytes);
            ASSERT_EQ(reader.Open(path.string()), 1);
            const std::vector<std::int16_t> expectedWhole = ReadAll(reader, 4608);
            for (std::size_t cut : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{57}, std::size_t{777},
                                    (clean.size() - data) / 2 + 1, clean.size() - data - 5}) {
                WriteFile(path, bytes.substr(0, data + cut));
                ASSERT_EQ(reader.Open(path.string()), 1);
                const std::vector<std::int16_t> got = ReadAll(reader, 4608);
                const std::string context = std::string(encoding) + ", " + std::to_string(channels) +
                                            " channel(s), cut after " + std::to_string(cut) + " bytes";
                // No zero bits stand in for the missing ones: what comes out is the clean decode's start.
                EXPECT_TRUE(IsPrefixOf(got, expectedWhole)) << context;
                EXPECT_EQ(got.size() % channels, 0u) << context << ": whole frames only";
                // No sample takes more than 38 bits.
                if (cut > 100) {
                    EXPECT_GT(got.size(), cut / 8) << context << ": the complete samples are kept";
                }
            }
        }

        std::string rateless = clean;
        std::memset(&rateless[CommBody(rateless) + 8], 0, 10);
        WriteFile(path, rateless);
        EXPECT_EQ(reader.Open(path.string()), 0) << encoding << ": a rate of 0 Hz";
        rateless[CommBody(rateless) + 8] = 0x3F;  // 0.5 Hz
        rateless[CommBody(rateless) + 9] = static_cast<char>(0xFE);
        rateless[CommBody(rateless) + 10] = static_cast<char>(0x80);
        WriteFile(path, rateless);
        EXPECT_EQ(reader.Open(path.string()), 0) << encoding << ": a rate below 1 Hz";
    }
}

}  // namespace
