#include <gtest/gtest.h>

#include <filesystem>

#include "../audio/audio_test_media.h"
#include "test_support.h"

namespace quillon::test {
namespace {

CommandResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), (BinDir() / "quillon-cli").string());
    return RunCommand(args);
}

TEST(CliProbe, WritesOneJsonObjectPerFileWithExactlyTheKnownKeys) {
    TempDir dir;
    const std::string wav = (dir / "tone \"A\".wav").string();
    ASSERT_TRUE(MakeAudio(wav, 1.0, 1, 22050));
    const std::string clip = (dir / "clip.mp4").string();
    ASSERT_TRUE(MakeClip(clip, 1.0, 2, 2, 160, 120, 10));

    const CommandResult r = Cli({"probe", "--json", wav, clip});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::string escapedWav = (dir / "tone \\\"A\\\".wav").string();
    EXPECT_EQ(r.output.substr(0, r.output.find("},\n  {") + 2),
              "[\n"
              "  {\n"
              "    \"path\": \"" +
                  escapedWav +
                  "\",\n"
                  "    \"kind\": \"EngineFile\",\n"
                  "    \"durationSeconds\": 1,\n"
                  "    \"videoStreamId\": \"\",\n"
                  "    \"width\": 0,\n"
                  "    \"height\": 0,\n"
                  "    \"frameRate\": -1.0,\n"
                  "    \"displayAspectRatio\": -1.0,\n"
                  "    \"videoBitRate\": 0,\n"
                  "    \"audioStreams\": [\n"
                  "      {\n"
                  "        \"id\": \"0:0\",\n"
                  "        \"sampleRate\": 22050,\n"
                  "        \"bitRate\": 352,\n"
                  "        \"channels\": 1\n"
                  "      }\n"
                  "    ]\n"
                  "  },");
    for (const char* part : {"\"videoStreamId\": \"0:0\"", "\"width\": 160", "\"height\": 120", "\"frameRate\": 10.0",
                             "\"id\": \"0:1\"", "\"id\": \"0:2\"", "\"sampleRate\": 44100"}) {
        EXPECT_NE(r.output.find(part), std::string::npos) << part << "\n" << r.output;
    }
    EXPECT_TRUE(r.output.ends_with("\n  }\n]\n")) << r.output;
}

TEST(CliProbe, ExitsWithOneWhenAFileCannotBeProbed) {
    TempDir dir;
    const std::string wav = (dir / "tone.wav").string();
    ASSERT_TRUE(MakeAudio(wav, 0.5));
    WriteFile(dir / "junk.mp4", "junk");

    const CommandResult json = Cli({"probe", "--json", (dir / "junk.mp4").string(), wav});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_NE(json.output.find("\"audioStreams\": []"), std::string::npos) << json.output;
    EXPECT_NE(json.output.find("\"sampleRate\": 44100"), std::string::npos) << json.output;

    const CommandResult text = Cli({"probe", wav, (dir / "junk.mp4").string()});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.output.find(wav + ": EngineFile"), std::string::npos) << text.output;
    EXPECT_NE(text.output.find("junk.mp4: no video or audio stream found"), std::string::npos) << text.output;

    EXPECT_EQ(Cli({"probe", wav}).exitCode, 0);
    EXPECT_EQ(Cli({"probe", "--json"}).exitCode, 2);
}

TEST(CliProbe, OwnReaderSourcesGetTheReadersFactsAndOthersFallBackToTheEngine) {
    TempDir dir;
    const std::vector<std::int32_t> samples = MakeTestSignal(16000, 7);
    ASSERT_TRUE(MakeDwvwAifc(dir / "memo.aifc", samples, "-dwvw16", 8000));
    ASSERT_TRUE(MakeAudio(dir / "plain.aiff", 1.0, 2, 22050));
    // Two seconds of CD audio: 150 sectors of 588 stereo frames.
    std::vector<std::int16_t> track(150 * 588 * 2, 1000);
    std::filesystem::create_directories(dir / "disc");
    MakeCdImage(dir / "disc", {track});

    const CommandResult r = Cli({"probe", "--json", (dir / "memo.aifc").string(), (dir / "plain.aiff").string(),
                                 (dir / "disc/Track01.cda").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::size_t plain = r.output.find("plain.aiff");
    const std::size_t cd = r.output.find("Track01.cda");
    ASSERT_NE(plain, std::string::npos);
    ASSERT_NE(cd, std::string::npos);
    const std::string memoPart = r.output.substr(0, plain);
    const std::string plainPart = r.output.substr(plain, cd - plain);
    const std::string cdPart = r.output.substr(cd);

    EXPECT_NE(memoPart.find("\"kind\": \"AiffFile\""), std::string::npos) << memoPart;
    EXPECT_NE(memoPart.find("\"durationSeconds\": 2"), std::string::npos) << memoPart;
    EXPECT_NE(memoPart.find("\"id\": \"\""), std::string::npos) << memoPart;
    EXPECT_NE(memoPart.find("\"sampleRate\": 8000"), std::string::npos) << memoPart;
    EXPECT_NE(memoPart.find("\"channels\": 1"), std::string::npos) << memoPart;

    // DWVW only: an uncompressed AIFF goes to the engine like any other file.
    EXPECT_NE(plainPart.find("\"kind\": \"EngineFile\""), std::string::npos) << plainPart;
    EXPECT_NE(plainPart.find("\"id\": \"0:0\""), std::string::npos) << plainPart;

    EXPECT_NE(cdPart.find("\"kind\": \"CdAudioTrack\""), std::string::npos) << cdPart;
    EXPECT_NE(cdPart.find("\"durationSeconds\": 2"), std::string::npos) << cdPart;
    EXPECT_NE(cdPart.find("\"bitRate\": 1411"), std::string::npos) << cdPart;
    EXPECT_NE(cdPart.find("\"channels\": 2"), std::string::npos) << cdPart;
}

TEST(CliProbe, ACdTrackWithoutItsDiscIsNotProbed) {
    TempDir dir;
    WriteFile(dir / "Track03.cda", CdTrackDescriptor(3, 0, 100));
    const CommandResult r = Cli({"probe", (dir / "Track03.cda").string()});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("no video or audio stream found"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace quillon::test
