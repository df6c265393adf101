#include <gtest/gtest.h>

#include "audio/wav_file_writer.h"
#include "test_support.h"

namespace fs = std::filesystem;
using quillon::audio::WavFileWriter;
using namespace quillon::test;

namespace {

std::uint32_t Le32(const std::string& s, std::size_t at) {
    return static_cast<std::uint8_t>(s[at]) | (static_cast<std::uint8_t>(s[at + 1]) << 8) |
           (static_cast<std::uint8_t>(s[at + 2]) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24);
}

std::uint32_t Le16(const std::string& s, std::size_t at) {
    return static_cast<std::uint8_t>(s[at]) | (static_cast<std::uint8_t>(s[at + 1]) << 8);
}

TEST(WavFileWriter, HeaderFieldsForMonoAndStereo) {
    TempDir dir;
    struct Case {
        bool stereo;
        std::uint32_t rate;
        std::uint32_t channels, bytesPerSecond, align;
    };
    for (const Case& c : {Case{false, 8000, 1, 16000, 2}, Case{true, 44100, 2, 176400, 4}}) {
        const fs::path path = dir / "out.wav";
        WavFileWriter writer;
        ASSERT_EQ(writer.Open(path.string(), c.stereo, 16, c.rate), 1);
        const std::string samples = "\x01\x02\x03\x04\x05\x06";
        EXPECT_EQ(writer.Write(samples.data(), samples.size()), 1);
        EXPECT_EQ(writer.Write(samples.data(), 2), 1);
        writer.Close();
        const std::string file = ReadFile(path);
        ASSERT_EQ(file.size(), 52u);
        EXPECT_EQ(file.substr(0, 4), "RIFF");
        EXPECT_EQ(Le32(file, 4), 44u);
        EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Le32(file, 16), 16u);
        EXPECT_EQ(Le16(file, 20), 1u);
        EXPECT_EQ(Le16(file, 22), c.channels);
        EXPECT_EQ(Le32(file, 24), c.rate);
        EXPECT_EQ(Le32(file, 28), c.bytesPerSecond);
        EXPECT_EQ(Le16(file, 32), c.align);
        EXPECT_EQ(Le16(file, 34), 16u);
        EXPECT_EQ(file.substr(36, 4), "data");
        EXPECT_EQ(Le32(file, 40), 8u);
        EXPECT_EQ(file.substr(44), samples + samples.substr(0, 2));
    }
}

TEST(WavFileWriter, EmptyFileCloseTwiceAndReplace) {
    TempDir dir;
    const fs::path path = dir / "empty.wav";
    WriteFile(path, std::string(5000, 'z'));
    {
        WavFileWriter writer;
        ASSERT_EQ(writer.Open(path.string(), true, 16, 44100), 1);
        writer.Close();
        EXPECT_FALSE(writer.IsOpen());
        writer.Close();
    }
    std::string file = ReadFile(path);
    ASSERT_EQ(file.size(), 44u) << "the old file was replaced";
    EXPECT_EQ(Le32(file, 4), 36u);
    EXPECT_EQ(Le32(file, 40), 0u);

    {
        WavFileWriter writer;
        ASSERT_EQ(writer.Open(path.string(), false, 16, 8000), 1);
        writer.Write("ab", 2);
    }  // the destructor completes the header
    file = ReadFile(path);
    EXPECT_EQ(Le32(file, 4), 38u);
    EXPECT_EQ(Le32(file, 40), 2u);

    WavFileWriter writer;
    EXPECT_EQ(writer.Open((dir / "no/such/folder/x.wav").string(), false, 16, 8000), 0);
    EXPECT_FALSE(writer.IsOpen());
}

TEST(WavFileWriter, HeaderThatCannotBeWrittenFailsTheOpen) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    WavFileWriter writer;
    EXPECT_EQ(writer.Open("/dev/full", true, 16, 44100), 0);
    EXPECT_FALSE(writer.IsOpen());
}

TEST(WavFileWriter, RefusesWhatItsHeaderCannotHold) {
    TempDir dir;
    const fs::path path = dir / "x.wav";
    WavFileWriter writer;
    // No rate, a byte rate beyond 32 bits, a bit count that is no whole byte: nothing is created.
    EXPECT_EQ(writer.Open(path.string(), false, 16, 0), 0);
    EXPECT_EQ(writer.Open(path.string(), true, 16, 0x40000000u), 0) << "4 bytes x 2^30 wraps to 0";
    EXPECT_EQ(writer.Open(path.string(), false, 12, 8000), 0);
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(writer.Open(path.string(), true, 16, 0x3FFFFFFFu), 1) << "the largest rate that fits";
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(Le32(ReadFile(path), 28), 0xFFFFFFFCu);

    // Data that ends inside a stereo frame: the header would cut it, so the close fails.
    ASSERT_EQ(writer.Open(path.string(), true, 16, 44100), 1);
    EXPECT_EQ(writer.Write("abcdef", 6), 1);
    EXPECT_FALSE(writer.Close());
    EXPECT_NE(writer.LastError(), 0);
    EXPECT_EQ(Le32(ReadFile(path), 40), 4u) << "no data size for part of a frame";
}

}  // namespace
