// quillon-cli decode on voice-recorder files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "audio/voice_adpcm.h"
#include "test_support.h"

namespace {

using namespace quillon::test;

std::string VoiceFile(int codec, const std::string& frames) {
    std::string bytes(31, '\0');
    bytes.replace(6, 9, "_VOC_File");
    bytes[15] = 12;
    bytes[24] = 2;
    bytes[26] = static_cast<char>(codec);
    bytes.append(480, '\x42');
    return bytes + frames;
}

TEST(CliDecode, VoiceRecordingToWav) {
    TempDir dir;
    std::string frames;
    for (int i = 0; i < 40 * 25; ++i) frames.push_back(static_cast<char>(i * 7 % 255 + 1));
    WriteFile(dir / "memo.VOC", VoiceFile(3, frames));

    CommandResult r = RunCommand({Cli(), "decode", (dir / "memo.VOC").string(), (dir / "out.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string wav = ReadFile(dir / "out.wav");
    ASSERT_EQ(wav.size(), 44u + 25 * 80 * 2);
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(static_cast<unsigned char>(wav[22]), 1);                    // mono
    EXPECT_EQ(static_cast<unsigned char>(wav[24]) | wav[25] << 8, 8000);  // sample rate

    quillon::audio::VoiceAdpcmDecoder decoder;
    std::string want;
    std::int16_t pcm[80];
    for (int f = 0; f < 25; ++f) {
        decoder.DecodeFrame(reinterpret_cast<const std::uint8_t*>(frames.data()) + 40 * f, pcm);
        for (std::int16_t s : pcm) {
            want.push_back(static_cast<char>(s & 0xFF));
            want.push_back(static_cast<char>((s >> 8) & 0xFF));
        }
    }
    EXPECT_EQ(wav.substr(44), want);
}

TEST(CliDecode, CreativeVoiceFileIsNotARecording) {
    TempDir dir;
    std::string creative = "Creative Voice File\x1A";
    creative.resize(700, '\x01');
    WriteFile(dir / "sound.voc", creative);
    CommandResult r = RunCommand({Cli(), "decode", (dir / "sound.voc").string(), (dir / "out.wav").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("Failed to open file"), std::string::npos) << r.output;
}

}  // namespace
