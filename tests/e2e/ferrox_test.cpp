// ferrox in front of the real ffmpeg.
#include <gtest/gtest.h>

extern "C" {
#include <bcg729/encoder.h>
}

#include <sys/resource.h>
#include <unistd.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "engine/media_engine.h"
#include "platform/process.h"
#include "test_support.h"
#include "util/text.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

// The line the program takes for a failure's reason: the last one that is neither empty nor
// a progress line.
std::string LastLine(const std::string& output) {
    std::string last;
    std::size_t start = 0;
    while (start <= output.size()) {
        std::size_t end = output.find_first_of("\r\n", start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        if (!line.empty() && line.rfind("frame=", 0) != 0 && line.rfind("size=", 0) != 0) last = line;
        start = end + 1;
    }
    return last;
}

// A raw G.729 stream from bcg729: 10-byte frames of 80 samples of a tone.
void MakeG729(const fs::path& out, int frames) {
    bcg729EncoderChannelContextStruct* encoder = initBcg729EncoderChannel(0);
    std::string bytes;
    std::int16_t pcm[80];
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < 80; ++i) pcm[i] = static_cast<std::int16_t>(8000 * std::sin((f * 80 + i) * 0.3));
        std::uint8_t bits[10];
        std::uint8_t length = 0;
        bcg729Encoder(encoder, pcm, bits, &length);
        bytes.append(reinterpret_cast<const char*>(bits), length);
    }
    closeBcg729EncoderChannel(encoder);
    WriteFile(out, bytes);
}

// The engine's arguments for a raw stream with the extension `ext`: the forced format first.
std::vector<std::string> InputArguments(const fs::path& file, const std::string& ext) {
    std::vector<std::string> args{Ferrox(), "-nostdin"};
    const std::string format = engine::MapInputFormat(ext);
    if (!format.empty()) args.push_back("-f");
    for (const std::string& piece : util::SplitText(format, ' ')) args.push_back(piece);
    args.insert(args.end(), {"-i", file.string()});
    return args;
}

TEST(Ferrox, ConvertsWithTheRemovedDeinterlaceOption) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mp4", 0.5, 1, 2, 160, 120, 10));
    const std::string out = (dir / "out.avi").string();
    const CommandResult r = RunCommand({Ferrox(), "-nostdin", "-i", (dir / "in.mp4").string(), "-c:v", "mpeg4", "-vf",
                                        "scale=80:60", "-deinterlace", "-y", out});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    ASSERT_TRUE(std::filesystem::exists(out));
    EXPECT_GT(std::filesystem::file_size(out), 0u);
    const CommandResult probe = RunCommand({Ferrox(), "-i", out});
    EXPECT_NE(probe.output.find("80x60"), std::string::npos) << probe.output;
}

TEST(Ferrox, PassesFfmpegsOutputAndExitStatusThrough) {
    TempDir dir;
    const CommandResult direct = RunCommand({"ffmpeg", "-hide_banner", "-i", (dir / "missing.mp4").string()});
    const CommandResult viaFerrox = RunCommand({Ferrox(), "-hide_banner", "-i", (dir / "missing.mp4").string()});
    EXPECT_NE(viaFerrox.exitCode, 0);
    EXPECT_EQ(viaFerrox.exitCode, direct.exitCode);
    EXPECT_EQ(viaFerrox.output, direct.output);
}

TEST(Ferrox, RunsTheProgramNamedByQuillonFfmpeg) {
    setenv("QUILLON_FFMPEG", "/usr/bin/printf", 1);
    const CommandResult echoed = RunCommand({Ferrox(), "[%s]", "-i", "a b", "-deinterlace", "out"});
    setenv("QUILLON_FFMPEG", "/nonexistent/ffmpeg", 1);
    const CommandResult missing = RunCommand({Ferrox(), "-version"});
    unsetenv("QUILLON_FFMPEG");
    EXPECT_EQ(echoed.exitCode, 0);
    // Level tags let ferrox tell ffmpeg's error lines from the rest.
    EXPECT_EQ(echoed.output, "[-loglevel][+level][-i][a b][-vf][yadif][out]");
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_NE(missing.output.find("/nonexistent/ffmpeg"), std::string::npos) << missing.output;
}

TEST(Ferrox, RawVoiceStreamsProbeAndConvert) {
    TempDir dir;
    ASSERT_TRUE(RunFfmpeg({"-f", "lavfi", "-i", "sine=d=1:r=16000", "-ac", "1", "-c:a", "g722", "-f", "g722",
                           (dir / "a b.722").string()}));
    ASSERT_TRUE(RunFfmpeg({"-f", "lavfi", "-i", "sine=d=1:r=8000", "-ac", "1", "-c:a", "g723_1", "-b:a", "6300", "-f",
                           "g723_1", (dir / "a.g723_1").string()}));
    MakeG729(dir / "a.g729", 100);
    // A telephone prompt of ten GSM frames (330 bytes).
    ASSERT_TRUE(RunFfmpeg({"-f", "lavfi", "-i", "sine=d=0.2:r=8000", "-ac", "1", "-c:a", "libgsm", "-f", "gsm",
                           (dir / "short.gsm").string()}));
    ASSERT_EQ(fs::file_size(dir / "short.gsm"), 330u);

    struct Case {
        const char* file;
        const char* ext;
        const char* stream;
    };
    for (const Case& c : {Case{"a b.722", "722", "Audio: adpcm_g722, 16000 Hz, mono"},
                          Case{"a.g723_1", "g723_1", "Audio: g723_1, 8000 Hz, mono"},
                          Case{"a.g729", "g729", "Audio: g729, 8000 Hz, mono"},
                          Case{"short.gsm", "gsm", "Audio: gsm, 8000 Hz, mono"}}) {
        // The probe line exactly as the program builds it.
        std::vector<std::string> probe =
            platform::SplitCommandLine(engine::BuildProbeCommandLine(Ferrox(), (dir / c.file).string(), c.ext));
        const CommandResult probed = RunCommand(probe);
        EXPECT_NE(probed.output.find(c.stream), std::string::npos) << c.file << ":\n" << probed.output;
        EXPECT_EQ(probed.output.find("Option"), std::string::npos) << probed.output;

        std::vector<std::string> convert = InputArguments(dir / c.file, c.ext);
        const std::string out = (dir / (std::string(c.ext) + ".wav")).string();
        convert.insert(convert.end(), {"-c:a", "pcm_s16le", "-ar", "8000", "-ac", "1", "-y", out});
        const CommandResult converted = RunCommand(convert);
        EXPECT_EQ(converted.exitCode, 0) << c.file << ":\n" << converted.output;
        // At least the better part of the source's duration arrives: 8000 samples of 2 bytes a second.
        const double seconds = std::string(c.ext) == "gsm" ? 0.2 : 1.0;
        EXPECT_GT(fs::exists(out) ? fs::file_size(out) : 0u, static_cast<std::uintmax_t>(seconds * 16000 * 0.8))
            << c.file;
    }
}

TEST(Ferrox, AFailureEndsWithTheEnginesReasonAndLeavesNoFile) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mkv", 2, 1, 2, 320, 240, 25));
    const std::string in = (dir / "in.mkv").string();

    // An encoder that refuses the picture: its own words, not "Conversion failed!".
    const std::string refused = (dir / "refused.mp4").string();
    CommandResult r = RunCommand({Ferrox(), "-nostdin", "-i", in, "-c:v", "libx264", "-profile:v", "baseline",
                                  "-pix_fmt", "yuv444p", "-y", refused});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(LastLine(r.output), "baseline profile doesn't support 4:4:4") << r.output;
    EXPECT_FALSE(fs::exists(refused));

    // A folder the user may not write to. Root may write anywhere, so the run drops to nobody.
    for (const fs::path& p : {dir.path().parent_path().parent_path(), dir.path().parent_path(), dir.path()}) {
        fs::permissions(p, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    }
    fs::permissions(in, fs::perms::others_read, fs::perm_options::add);
    fs::create_directory(dir / "readonly");
    fs::permissions(dir / "readonly", fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const std::string denied = (dir / "readonly" / "out.mp4").string();
    r = RunCommand({Ferrox(), "-nostdin", "-i", in, "-c:v", "mpeg4", "-y", denied}, 0, 65534);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(LastLine(r.output), denied + ": Permission denied") << r.output;
    EXPECT_FALSE(fs::exists(denied));

    // The disk fills, early and late; ffmpeg itself exits with 0 when that happens at the trailer.
    for (rlim_t limit : {rlim_t(8000), rlim_t(60000)}) {
        const std::string full = (dir / ("full" + std::to_string(limit) + ".mp4")).string();
        r = RunCommand({Ferrox(), "-nostdin", "-i", in, "-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac", "-y", full},
                       limit);
        EXPECT_NE(r.exitCode, 0) << r.output;
        EXPECT_NE(LastLine(r.output).find("File too large"), std::string::npos) << r.output;
        EXPECT_FALSE(fs::exists(full)) << limit;
    }
}

TEST(Ferrox, OffersNoWriterCanHonourFailBeforeAnyFileIsTouched) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mkv", 0.5, 1, 2, 160, 120, 10));
    const std::string in = (dir / "in.mkv").string();
    const std::string kept = (dir / "kept.swf").string();
    WriteFile(kept, "an older file");

    struct Case {
        std::vector<std::string> options;
        std::string output;
        const char* named;
    };
    for (const Case& c :
         {Case{{"-c:v", "libx264", "-profile:v", "main", "-c:a", "libmp3lame"}, "h264.swf", "Motion JPEG"},
          Case{{"-c:v", "flv", "-c:a", "aac"}, "aac.swf", "MP3"},
          Case{{"-c:v", "libx264", "-c:a", "libmp3lame"}, "kept.swf", "Motion JPEG"},
          Case{{"-c:v", "rv20", "-c:a", "libmp3lame"}, "real.avi", "RealVideo"}}) {
        std::vector<std::string> args{Ferrox(), "-nostdin", "-i", in};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {"-y", (dir / c.output).string()});
        const CommandResult r = RunCommand(args);
        EXPECT_EQ(r.exitCode, 1) << c.output;
        EXPECT_NE(LastLine(r.output).find(c.named), std::string::npos) << r.output;
        if (c.output != "kept.swf") {
            EXPECT_FALSE(fs::exists(dir / c.output)) << c.output;
        }
    }
    EXPECT_EQ(ReadFile(kept), "an older file");
}

}  // namespace
}  // namespace quillon::test
