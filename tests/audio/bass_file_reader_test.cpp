#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/stat.h>
#include <cmath>
#include <random>

#include "audio/bass_file_reader.h"
#include "audio/bass_layer.h"
#include "audio/cd_drive.h"
#include "audio_test_media.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace quillon::audio;
using namespace quillon::test;

namespace {

// Every test starts the layer as program start-up does and releases it afterwards.
class BassTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
        plugin_ = BASS_PluginLoad("/opt/quillon/basscd.dll", BASS_UNICODE);
        ASSERT_NE(plugin_, 0u);
        // No test may depend on whether the machine has a CD drive.
        oldFinder_ = SetCdDriveFinder([] { return std::string(); });
    }
    void TearDown() override {
        SetCdDriveFinder(oldFinder_);
        BASS_PluginFree(plugin_);
        BASS_Free();
    }

    HPLUGIN plugin_ = 0;
    CdDriveFinder oldFinder_;
};

std::vector<std::int16_t> RandomPcm(std::size_t sectors, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::int16_t> pcm(sectors * 588 * 2);
    for (auto& s : pcm) s = static_cast<std::int16_t>(rng());
    return pcm;
}

void WriteWav(const fs::path& path, int channels, int rate, std::size_t frames) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<short> pcm(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<short>(i * 37);
    sf_writef_short(file, pcm.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}

TEST_F(BassTest, CdImageTracksDecodeToTheirPcm) {
    TempDir dir;
    // 1 second, 2.9 seconds (218 sectors) and a few sectors.
    const std::vector<std::vector<std::int16_t>> tracks = {RandomPcm(75, 1), RandomPcm(218, 2), RandomPcm(7, 3)};
    MakeCdImage(dir.path(), tracks);

    const char* names[] = {"Track01.cda", "Track02.cda", "Track03.cda"};
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        BassFileReader reader;
        ASSERT_EQ(reader.Open((dir / names[t]).string()), 1) << names[t];
        const std::uint64_t bytes = tracks[t].size() * 2;
        EXPECT_EQ(reader.GetLength(), bytes);
        EXPECT_EQ(reader.GetDuration(), bytes / 176400) << "whole seconds, truncated";
        ExpectPcmFormat(reader, 44100, 2, 2, 16);
        EXPECT_EQ(reader.GetBitrate(), 1411u);
        EXPECT_EQ(reader.GetPosition(), 0u);
        std::size_t largest = 0;
        const auto pcm = ReadAll(reader, 4608, &largest);
        EXPECT_LE(largest, 4608u);
        ASSERT_EQ(pcm.size(), tracks[t].size()) << names[t];
        EXPECT_TRUE(pcm == tracks[t]) << names[t] << " differs from its PCM";
        EXPECT_EQ(reader.GetPosition(), bytes);
        EXPECT_EQ(reader.Read(nullptr, 4608), 0u) << "after the end";
    }
}

TEST_F(BassTest, CdTrackFromTheDefaultDrive) {
    // The drive here is the image itself, so the drive's read path (cd-paranoia) runs.
    TempDir disc;
    const std::vector<std::vector<std::int16_t>> tracks = {RandomPcm(20, 6), RandomPcm(33, 7)};
    MakeCdImage(disc.path(), tracks);
    const std::string sheet = (disc / "disc.cue").string();
    SetCdDriveFinder([sheet] { return sheet; });
    TempDir elsewhere;
    WriteFile(elsewhere / "Track02.cda", CdTrackDescriptor(2, 20, 33));
    BassFileReader reader;
    ASSERT_EQ(reader.Open((elsewhere / "Track02.cda").string()), 1);
    EXPECT_EQ(reader.GetLength(), 33u * 2352);
    EXPECT_TRUE(ReadAll(reader, 4608) == tracks[1]);
}

TEST_F(BassTest, CdImageShorterThanItsSheetEndsAtItsData) {
    TempDir dir;
    MakeCdImage(dir.path(), {RandomPcm(10, 8)});
    // Track 2 runs from sector 10 to 149 by the sheet, but the BIN ends 5 sectors into it.
    WriteFile(dir / "disc.cue",
              ReadFile(dir / "disc.cue") +
                  "  TRACK 02 AUDIO\n    INDEX 01 00:00:10\n  TRACK 03 AUDIO\n    INDEX 01 00:02:00\n");
    std::string bin = ReadFile(dir / "disc.bin");
    WriteFile(dir / "disc.bin", bin + std::string(2352 * 5, '\1'));
    WriteFile(dir / "Track02.cda", CdTrackDescriptor(2, 10, 140));
    BassFileReader reader;
    ASSERT_EQ(reader.Open((dir / "Track02.cda").string()), 1);
    EXPECT_EQ(ReadAll(reader, 4608).size() * 2, 5u * 2352) << "what the BIN holds, and no wait for the rest";
}

TEST_F(BassTest, CdTrackFailuresOpenNothing) {
    TempDir dir;
    MakeCdImage(dir.path(), {RandomPcm(10, 4)}, /*withCue=*/false);
    BassFileReader reader;
    // No image beside it and no drive.
    EXPECT_EQ(reader.Open((dir / "Track01.cda").string()), 0);
    EXPECT_EQ(reader.GetSampleRate(), 0u);
    // A drive that is not there.
    SetCdDriveFinder([] { return std::string("/nonexistent/cdrom"); });
    EXPECT_EQ(reader.Open((dir / "Track01.cda").string()), 0);

    // An image that lacks the track.
    TempDir other;
    MakeCdImage(other.path(), {RandomPcm(10, 5)});
    WriteFile(other / "Track05.cda", CdTrackDescriptor(5, 0, 10));
    EXPECT_EQ(reader.Open((other / "Track05.cda").string()), 0);

    // Without the CD plug-in a track descriptor is no sound file.
    ASSERT_TRUE(BASS_PluginFree(plugin_));
    EXPECT_EQ(reader.Open((other / "Track01.cda").string()), 0);
    plugin_ = BASS_PluginLoad("basscd.dll", 0);
    EXPECT_EQ(reader.Open((other / "Track01.cda").string()), 1);
}

TEST_F(BassTest, SoundFileStream) {
    TempDir dir;
    const fs::path path = dir / "a.wav";
    WriteWav(path, 2, 44100, 127890);  // 2.9 seconds
    BassFileReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_EQ(reader.GetDuration(), 2u);
    EXPECT_EQ(reader.GetLength(), 127890u * 4);
    const double seconds = 127890.0 / 44100;
    EXPECT_EQ(reader.GetBitrate(), static_cast<std::uint32_t>(fs::file_size(path) / (seconds * 125.0) + 0.5));
    const auto pcm = ReadAll(reader, 4608);
    ASSERT_EQ(pcm.size(), 127890u * 2);
    EXPECT_EQ(pcm[1000], static_cast<short>(1000 * 37));
}

TEST_F(BassTest, RefusesMoreThanTwoChannelsAndNonAudio) {
    TempDir dir;
    WriteWav(dir / "six.wav", 6, 48000, 4800);
    BassFileReader reader;
    EXPECT_EQ(reader.Open((dir / "six.wav").string()), 0);
    EXPECT_EQ(reader.GetChannels(), 0u);
    WriteFile(dir / "junk.wav", std::string(3000, 'x'));
    EXPECT_EQ(reader.Open((dir / "junk.wav").string()), 0);
    EXPECT_EQ(reader.Open((dir / "missing.wav").string()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.cda").c_str(), 0600), 0);
    EXPECT_EQ(reader.Open((dir / "pipe.cda").string()), 0) << "a pipe, without waiting for a writer";
}

TEST_F(BassTest, TrackerModuleReportsThePcmBitRate) {
    TempDir dir;
    const fs::path path = dir / "tiny.mod";
    WriteFile(path, MakeTinyModule());
    BassFileReader reader;
    ASSERT_EQ(reader.Open(path.string()), 1);
    EXPECT_EQ(reader.GetSampleRate(), 44100u);
    EXPECT_EQ(reader.GetOutputChannels(), 2u);
    EXPECT_EQ(reader.GetBitrate(), 1411u);
    EXPECT_EQ(reader.GetDuration(), 1u);
    const auto pcm = ReadAll(reader, 4608);
    EXPECT_NEAR(static_cast<double>(pcm.size() * 2), static_cast<double>(reader.GetLength()), 4 * 4608.0);
    EXPECT_NE(std::count_if(pcm.begin(), pcm.end(), [](std::int16_t s) { return s != 0; }), 0) << "it plays";
    EXPECT_EQ(reader.Read(nullptr, 4608), 0u);
    char buffer[16];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer), 0u) << "still 0, not -1";
}

TEST_F(BassTest, LayerCallsAndErrors) {
    TempDir dir;
    WriteWav(dir / "m.wav", 1, 8000, 801);
    WriteFile(dir / "tiny.mod", MakeTinyModule());
    const std::string wav = (dir / "m.wav").string();

    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << "there is no sound device";
    EXPECT_TRUE(BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 0));
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_UPDATEPERIOD), 0u);
    EXPECT_EQ(BASS_PluginLoad("/x/other.dll", 0), 0u);

    const HSTREAM stream = BASS_StreamCreateFile(0, wav.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
    EXPECT_EQ(info.freq, 8000u);
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WAV_PCM);
    EXPECT_STREQ(info.filename, wav.c_str());
    EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, 16000), 1.0);
    // Whole samples only: 5 bytes give 4.
    char data[2000];
    EXPECT_EQ(BASS_ChannelGetData(stream, data, 5), 4u);
    EXPECT_EQ(BASS_ChannelGetData(stream, data, 1), 0u);
    DWORD total = 4;
    DWORD got;
    while ((got = BASS_ChannelGetData(stream, data, sizeof data)) != 0xFFFFFFFFu) total += got;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    EXPECT_EQ(total, 1602u);
    EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 1602u);
    EXPECT_EQ(BASS_StreamGetFilePosition(stream, BASS_FILEPOS_END), fs::file_size(dir / "m.wav"));
    EXPECT_FALSE(BASS_MusicFree(stream)) << "a stream is not a module";
    EXPECT_TRUE(BASS_StreamFree(stream));
    EXPECT_FALSE(BASS_StreamFree(stream));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

    const std::string mod = (dir / "tiny.mod").string();
    EXPECT_EQ(BASS_StreamCreateFile(0, mod.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    const HMUSIC music = BASS_MusicLoad(0, mod.c_str(), 0, 0, BASS_MUSIC_DECODE, 0);
    ASSERT_NE(music, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(music, BASS_POS_BYTE), ~QWORD{0}) << "unknown without a prescan";
    EXPECT_EQ(BASS_StreamGetFilePosition(music, BASS_FILEPOS_END), ~QWORD{0});
    ASSERT_TRUE(BASS_ChannelGetInfo(music, &info));
    EXPECT_EQ(info.ctype, BASS_CTYPE_MUSIC_MOD);
    EXPECT_TRUE(BASS_MusicFree(music));

    // After release nothing opens until the layer is started again.
    ASSERT_TRUE(BASS_Free());
    EXPECT_EQ(BASS_StreamCreateFile(0, wav.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
}

}  // namespace
