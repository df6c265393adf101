#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>

#include "audio/aifc_reader.h"
#include "audio/bass_file_reader.h"
#include "audio/bass_startup.h"
#include "audio/cd_drive.h"
#include "audio/own_readers.h"
#include "audio/voice_file_reader.h"
#include "audio_test_media.h"
#include "test_support.h"
#include "util/paths.h"

namespace fs = std::filesystem;
using namespace quillon::audio;
using namespace quillon::test;

namespace {

TEST(OwnReaders, ChosenByLowerCaseExtension) {
    struct Case {
        const char* path;
        OwnReaderKind kind;
    };
    for (const Case& c : {Case{"/cd/track01.CDA", OwnReaderKind::Bass}, Case{"song.aiff", OwnReaderKind::Aifc},
                          Case{"/a/song.AFC", OwnReaderKind::Aifc}, Case{"x.aif", OwnReaderKind::Aifc},
                          Case{"x.AIFC", OwnReaderKind::Aifc}, Case{"memo.voc", OwnReaderKind::Voice},
                          Case{"/a.b/noext", OwnReaderKind::None}, Case{"clip.mp4", OwnReaderKind::None},
                          Case{"trailing.", OwnReaderKind::None}}) {
        EXPECT_EQ(OwnReaderKindForExtension(quillon::util::LowerExtension(c.path)), c.kind) << c.path;
    }
    EXPECT_NE(dynamic_cast<BassFileReader*>(CreateReaderForExtension("cda").get()), nullptr);
    EXPECT_NE(dynamic_cast<AifcReader*>(CreateReaderForExtension("afc").get()), nullptr);
    EXPECT_NE(dynamic_cast<VoiceFileReader*>(CreateReaderForExtension("voc").get()), nullptr);
    EXPECT_EQ(CreateReaderForExtension("mp4"), nullptr);
}

class DecodeTest : public BassLibraryTest {};

TEST_F(DecodeTest, CdTrackToWavAndItsFacts) {
    TempDir dir;
    std::mt19937 rng(11);
    std::vector<std::int16_t> pcm(100 * 588 * 2);
    for (auto& s : pcm) s = static_cast<std::int16_t>(rng());
    MakeCdImage(dir.path(), {pcm});
    const std::string track = (dir / "Track01.cda").string();

    OwnReaderFacts facts;
    ASSERT_TRUE(ProbeWithOwnReader(track, OwnReaderKind::Bass, facts));
    EXPECT_EQ(facts.durationSeconds, 1u);
    EXPECT_EQ(facts.sampleRate, 44100u);
    EXPECT_EQ(facts.bitrateKbps, 1411u);
    EXPECT_EQ(facts.outputChannels, 2u);

    std::string message;
    std::uint64_t lastDone = 0, lastTotal = 0;
    int calls = 0;
    const std::string wav = (dir / "out.wav").string();
    ASSERT_TRUE(DecodeToWavFile(track, OwnReaderKind::Bass, wav, message, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        lastTotal = total;
        ++calls;
        return true;
    })) << message;
    EXPECT_EQ(lastDone, lastTotal);
    EXPECT_EQ(calls, static_cast<int>((pcm.size() * 2 + 4607) / 4608));
    const std::string file = ReadFile(wav);
    ASSERT_EQ(file.size(), 44 + pcm.size() * 2);
    EXPECT_EQ(std::memcmp(file.data() + 44, pcm.data(), pcm.size() * 2), 0);
}

TEST_F(DecodeTest, FailuresLeaveNoFile) {
    TempDir dir;
    const std::string wav = (dir / "out.wav").string();
    std::string message;

    WriteFile(dir / "bad.aifc", "FORM\0\0\0\4AIFF");
    EXPECT_FALSE(DecodeToWavFile((dir / "bad.aifc").string(), OwnReaderKind::Aifc, wav, message));
    EXPECT_EQ(message, "Failed to open file");
    EXPECT_FALSE(fs::exists(wav));

    WriteFile(dir / "x.voc", std::string(600, 'v'));
    EXPECT_FALSE(DecodeToWavFile((dir / "x.voc").string(), OwnReaderKind::Voice, wav, message));
    EXPECT_EQ(message, "Failed to open file");

    const auto signal = MakeTestSignal(20000, 2);
    ASSERT_TRUE(MakeDwvwAifc(dir / "ok.aifc", signal, "-dwvw16"));
    EXPECT_FALSE(
        DecodeToWavFile((dir / "ok.aifc").string(), OwnReaderKind::Aifc, (dir / "missing/out.wav").string(), message));
    EXPECT_EQ(message, "Failed to create temporary file");

    int blocks = 0;
    EXPECT_FALSE(DecodeToWavFile((dir / "ok.aifc").string(), OwnReaderKind::Aifc, wav, message,
                                 [&](std::uint64_t, std::uint64_t) { return ++blocks < 3; }));
    EXPECT_EQ(message, "Cancelled");
    EXPECT_FALSE(fs::exists(wav)) << "a cancelled decode leaves no file";

    ASSERT_TRUE(DecodeToWavFile((dir / "ok.aifc").string(), OwnReaderKind::Aifc, wav, message));
    EXPECT_EQ(fs::file_size(wav), 44u + 2 * signal.size());
}

// Runs body in a forked child, so that a limit set there or a read that hangs cannot reach the
// test runner; the child's failures come back as its exit status and its error output.
void InChild(const std::function<void()>& body) {
    EXPECT_EXIT(
        {
            alarm(60);
            body();
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DecodeTest, NonRegularFilesAreRefusedWithoutWaiting) {
    TempDir dir;
    const auto signal = MakeTestSignal(3000, 3);
    ASSERT_TRUE(MakeDwvwAifc(dir / "real.aifc", signal, "-dwvw16"));
    for (const char* name : {"pipe.voc", "pipe.aifc", "pipe.cda"}) ASSERT_EQ(mkfifo((dir / name).c_str(), 0600), 0);
    fs::create_symlink(dir / "pipe.voc", dir / "link.voc");
    fs::create_symlink(dir / "real.aifc", dir / "link.aifc");
    InChild([&] {
        for (const char* name : {"pipe.voc", "pipe.aifc", "pipe.cda", "link.voc"}) {
            const std::string path = (dir / name).string();
            const OwnReaderKind kind = OwnReaderKindForExtension(quillon::util::LowerExtension(path));
            EXPECT_EQ(CreateReader(kind)->Open(path), 0) << name;
            std::string message;
            EXPECT_FALSE(DecodeToWavFile(path, kind, (dir / "out.wav").string(), message)) << name;
            EXPECT_EQ(message, "Failed to open file (not a regular file)") << name;
            EXPECT_FALSE(fs::exists(dir / "out.wav")) << name;
        }
        std::string message;
        EXPECT_TRUE(
            DecodeToWavFile((dir / "link.aifc").string(), OwnReaderKind::Aifc, (dir / "out.wav").string(), message))
            << "a link to a regular file is read: " << message;
    });
    EXPECT_TRUE(quillon::util::IsRegularFileOrLinkToOne((dir / "link.aifc").string()));
    EXPECT_FALSE(quillon::util::IsRegularFileOrLinkToOne((dir / "link.voc").string()));
    EXPECT_FALSE(quillon::util::IsRegularFileOrLinkToOne(dir.path().string()));
    EXPECT_FALSE(quillon::util::IsRegularFileOrLinkToOne((dir / "missing").string()));
}

TEST_F(DecodeTest, FullDiskFailsTheDecodeAndLeavesNoFile) {
    TempDir dir;
    MakeCdImage(dir.path(), {std::vector<std::int16_t>(60 * 588 * 2, 1234)});
    const auto signal = MakeTestSignal(40000, 4);
    ASSERT_TRUE(MakeDwvwAifc(dir / "long.aifc", signal, "-dwvw16"));
    const std::string wav = (dir / "out.wav").string();

    struct Case {
        std::string source;
        OwnReaderKind kind;
    };
    for (const Case& c : {Case{(dir / "Track01.cda").string(), OwnReaderKind::Bass},
                          Case{(dir / "long.aifc").string(), OwnReaderKind::Aifc}}) {
        // Room for the header and a few blocks, far less than the decode needs.
        for (rlim_t limit : {rlim_t{20000}, rlim_t{44 + 4608}, rlim_t{4608 * 3 + 50}}) {
            InChild([&] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit small{limit, limit};
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
                std::string message;
                EXPECT_FALSE(DecodeToWavFile(c.source, c.kind, wav, message)) << c.source;
                EXPECT_EQ(message, "Failed to write temporary file in " + dir.path().string() + "/: File too large");
            });
            EXPECT_FALSE(fs::exists(wav)) << c.source << " with " << limit << " bytes: a partial WAV was left";
        }
    }
    // With room enough the same decodes succeed.
    std::string message;
    EXPECT_TRUE(DecodeToWavFile((dir / "long.aifc").string(), OwnReaderKind::Aifc, wav, message)) << message;
}

TEST_F(DecodeTest, ModuleDecodesAlikeAndAsLongAsItSays) {
    TempDir dir;
    WriteFile(dir / "tiny.mod", MakeTinyModule());
    std::string first, message;
    for (int run = 0; run < 2; ++run) {
        const std::string wav = (dir / ("run" + std::to_string(run) + ".wav")).string();
        std::uint64_t lastDone = 0, lastTotal = 0;
        ASSERT_TRUE(DecodeToWavFile((dir / "tiny.mod").string(), OwnReaderKind::Bass, wav, message,
                                    [&](std::uint64_t done, std::uint64_t total) {
                                        EXPECT_LE(done, total) << "progress past 100%";
                                        lastDone = done;
                                        lastTotal = total;
                                        return true;
                                    }))
            << message;
        const std::string file = ReadFile(wav);
        EXPECT_EQ(lastDone, lastTotal);
        EXPECT_EQ(file.size() - 44, lastTotal) << "the length reported is the length delivered";
        if (run == 0) first = file;
        else EXPECT_TRUE(file == first) << "two decodes of one module differ";
    }
}

}  // namespace
