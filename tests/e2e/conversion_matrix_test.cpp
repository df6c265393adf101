// Every catalogue format, and every codec each one offers, converted for real through ferrox
// and tavrel, launched the way a run launches them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/theora_command_line.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"
#include "platform/process.h"
#include "test_support.h"
#include "util/text.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// What ffprobe calls the stream an encoder writes.
std::string StreamCodecName(const std::string& encoder) {
    static const std::map<std::string, std::string> names = {
        {"h263p", "h263"},
        {"libx264", "h264"},
        {"h264mp", "h264"},
        {"h264bp", "h264"},
        {"libx265", "hevc"},
        {"libxvid", "mpeg4"},
        {"msmpeg4", "msmpeg4v3"},
        {"flv", "flv1"},
        {"libtheora", "theora"},
        {"libvpx", "vp8"},
        {"libvpx-vp9", "vp9"},
        {"libschroedinger", "dirac"},
        {"prores_ks", "prores"},
        {"libwebp", "webp"},
        {"libmp3lame", "mp3"},
        {"dca", "dts"},
        {"libvorbis", "vorbis"},
        {"libopus", "opus"},
        {"libspeex", "speex"},
        {"libopencore_amrnb", "amr_nb"},
        {"libvo_amrwbenc", "amr_wb"},
        {"g726", "adpcm_g726"},
        {"g722", "adpcm_g722"},
        {"libgsm", "gsm"},
        {"libgsm_ms", "gsm_ms"},
    };
    auto it = names.find(encoder);
    return it == names.end() ? encoder : it->second;
}

// Encoders of formats for players and devices, whose output must be 8-bit 4:2:0 whatever the
// source's sampling and depth.
bool MustPlayAs420(const std::string& encoder) {
    static const std::set<std::string> codecs = {"libx264", "h264mp",     "h264bp",    "libx265",    "mpeg4",
                                                 "libxvid", "msmpeg4",    "msmpeg4v2", "h263",       "h263p",
                                                 "flv",     "wmv1",       "wmv2",      "mpeg1video", "mpeg2video",
                                                 "libvpx",  "libvpx-vp9", "libtheora", "h261"};
    return codecs.count(encoder) > 0;
}

struct Job {
    formats::OutputFormat format;
    std::string label;
    const SourceItem* video = nullptr;  // the video source; the default clip when null
};

struct Outcome {
    std::string label;
    std::string problem;  // empty when the conversion is as expected
};

class ConversionMatrix : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TempDir();
        clip_ = new SourceItem();
        audio_ = new SourceItem();
        ASSERT_TRUE(test::MakeClip(folder_->path() / "clip.mkv", 2, 1, 2, 176, 144, 25));
        ASSERT_TRUE(test::MakeAudio(folder_->path() / "tone.wav", 2, 2, 44100));
        Probe(folder_->path() / "clip.mkv", *clip_);
        Probe(folder_->path() / "tone.wav", *audio_);
        // Camera and editing sources: H.264 4:4:4, ProRes 4:2:2 10-bit, lossless RGB; short, as
        // every video format converts them.
        const std::pair<const char*, std::vector<std::string>> kinds[] = {
            {"clip444.mkv", {"-pix_fmt", "yuv444p", "-c:v", "libx264"}},
            {"clip422p10.mov", {"-pix_fmt", "yuv422p10le", "-c:v", "prores_ks"}},
            {"cliprgb.mkv", {"-pix_fmt", "bgr0", "-c:v", "ffv1"}},
        };
        for (const auto& [name, encoding] : kinds) {
            std::vector<std::string> args{"-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=1",
                                          "-f", "lavfi", "-i", "sine=sample_rate=44100:duration=1"};
            args.insert(args.end(), encoding.begin(), encoding.end());
            args.insert(args.end(), {"-c:a", "pcm_s16le", (folder_->path() / name).string()});
            ASSERT_TRUE(test::RunFfmpeg(args));
            sources_.emplace_back();
            Probe(folder_->path() / name, sources_.back());
        }
    }
    static void TearDownTestSuite() {
        delete clip_;
        delete audio_;
        sources_.clear();
        delete folder_;
    }

    static void Probe(const fs::path& file, SourceItem& item) {
        item.path = file.string();
        item.extension = file.extension().string().substr(1);
        const std::string line = BuildProbeCommandLine((test::BinDir() / "ferrox").string(), item.path, item.extension);
        ASSERT_TRUE(LaunchEngine(line, &item, true, 0, nullptr)) << item.path;
    }

    // Converts with the engine or encoder and checks the result; runs two at a time.
    static std::vector<Outcome> RunAll(std::vector<Job> jobs) {
        std::vector<Outcome> outcomes(jobs.size());
        std::atomic<std::size_t> next{0};
        auto worker = [&] {
            for (std::size_t i; (i = next++) < jobs.size();) outcomes[i] = Convert(jobs[i], i);
        };
        std::thread a(worker), b(worker);
        a.join();
        b.join();
        return outcomes;
    }

    static Outcome Convert(Job& job, std::size_t index) {
        formats::OutputFormat& format = job.format;
        Outcome outcome{job.label, {}};
        const bool audioOnly = format.Family == formats::FamilyAudio;
        SourceItem item = audioOnly ? *audio_ : job.video ? *job.video : *clip_;
        const fs::path out = folder_->path() / std::to_string(index);
        fs::create_directories(out);
        item.outputPath = (out / ("out." + format.Extension)).string();
        formats::ConversionSettings settings;
        const std::string line =
            UsesTheoraEncoder(format.FormatId)
                ? BuildTheoraCommandLine(format, item, settings, (test::BinDir() / "tavrel").string())
                : BuildEngineCommandLine(format, item, settings, (test::BinDir() / "ferrox").string());

        EngineReportQueue queue;
        if (!LaunchEngine(line, &item, false, platform::kNormalPriorityClass, &queue)) {
            outcome.problem = "not launched: " + line;
            return outcome;
        }
        std::string lastLine;
        for (;;) {
            auto report = queue.Pop(120000);
            if (!report) {
                outcome.problem = "no finished report";
                item.process.Terminate();
                return outcome;
            }
            if (report->message == WM_ENGINE_FINISHED) {
                lastLine = report->lastLine;
                break;
            }
        }
        item.process.Close();
        item.outputPipe.Close();

        std::error_code ec;
        if (!fs::exists(item.outputPath) || fs::file_size(item.outputPath, ec) == 0) {
            outcome.problem = "no output (" + lastLine + ") from " + line;
            return outcome;
        }
        if (format.Family == formats::FamilyImageSequence) {
            std::size_t images = 0;
            for (const auto& entry : fs::directory_iterator(out))
                images += entry.path().extension() == "." + format.Extension;
            if (images < 2) outcome.problem = "only " + std::to_string(images) + " image(s)";
        }

        std::set<std::string> expected;
        if (format.VideoCodecs && format.VideoEnable && !audioOnly)
            expected.insert("video:" + StreamCodecName(format.VideoCodec));
        if (format.AudioCodecs && format.AudioEnable) expected.insert("audio:" + StreamCodecName(format.AudioCodec));
        std::vector<std::string> probe{"ffprobe", "-v", "error"};
        // Raw A-law and mu-law files say nothing about themselves.
        for (const std::string& piece : util::SplitText(MapInputFormat(format.Extension), ' ')) {
            if (probe.size() == 3) probe.push_back("-f");
            probe.push_back(piece);
        }
        probe.insert(probe.end(),
                     {"-show_entries", "stream=codec_name,codec_type,pix_fmt", "-of", "csv=p=0", item.outputPath});
        const test::CommandResult r = test::RunCommand(probe);
        std::set<std::string> found;
        for (const std::string& row : util::SplitText(r.output, '\n')) {
            const std::vector<std::string> fields = util::SplitText(row, ',');
            if (fields.size() >= 2 && (fields[1] == "video" || fields[1] == "audio")) {
                found.insert(fields[1] + ":" + fields[0]);
            }
            if (fields.size() >= 3 && fields[1] == "video" && MustPlayAs420(format.VideoCodec) &&
                fields[2] != "yuv420p") {
                outcome.problem += " video is " + fields[2] + ", not yuv420p;";
            }
        }
        if (found != expected) {
            std::string text;
            for (const auto& f : found) text += f + " ";
            outcome.problem += " streams found: " + text + "from " + line;
        }
        fs::remove_all(out, ec);
        return outcome;
    }

    static void Report(const std::vector<Outcome>& outcomes) {
        for (const Outcome& o : outcomes) EXPECT_TRUE(o.problem.empty()) << o.label << ": " << o.problem;
    }

    static TempDir* folder_;
    static SourceItem* clip_;
    static SourceItem* audio_;
    static std::deque<SourceItem> sources_;  // 4:4:4, 4:2:2 10-bit, RGB
};

TempDir* ConversionMatrix::folder_ = nullptr;
SourceItem* ConversionMatrix::clip_ = nullptr;
SourceItem* ConversionMatrix::audio_ = nullptr;
std::deque<SourceItem> ConversionMatrix::sources_;

TEST_F(ConversionMatrix, EveryFormatWithItsDefaults) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    ASSERT_EQ(catalogue.size(), 79u);
    std::vector<Job> jobs;
    for (const formats::OutputFormat& f : catalogue)
        jobs.push_back({f, std::to_string(f.FormatId) + " " + f.Extension});
    Report(RunAll(jobs));
}

// Sources players cannot take as they are: every video format still converts them, and the
// formats for devices and players come out 8-bit 4:2:0 (checked in Convert).
TEST_F(ConversionMatrix, EveryVideoFormatFromSourcesThatAreNot420) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    std::vector<Job> jobs;
    ASSERT_EQ(sources_.size(), 3u);
    for (const SourceItem& source : sources_) {
        const bool rgb = source.path.find("rgb") != std::string::npos;
        for (const formats::OutputFormat& f : catalogue) {
            if (f.Family == formats::FamilyAudio || !f.VideoCodecs || !f.VideoEnable) continue;
            // The RGB source only through the formats meant for devices and players.
            if (rgb && !MustPlayAs420(f.VideoCodec)) continue;
            jobs.push_back(
                {f,
                 std::to_string(f.FormatId) + " " + f.Extension + " from " + fs::path(source.path).filename().string(),
                 &source});
        }
    }
    Report(RunAll(jobs));
}

TEST_F(ConversionMatrix, DiscAndCamcorderTargetsInPal) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    std::vector<Job> jobs;
    for (int id : {60, 65, 180}) {
        Job job{*formats::FindFormat(catalogue, id), std::to_string(id) + " PAL"};
        job.format.VideoHeight = id == 180 ? 288 : 576;
        jobs.push_back(job);
    }
    Report(RunAll(jobs));
}

// The options page makes a fixed-size codec take one of its sizes.
void FitFixedSize(formats::OutputFormat& format, const formats::VideoCodecInfo& codec) {
    if (!formats::IsFixedSizeList(codec.FrameSizes)) return;
    for (int i = 1; codec.FrameSizes[i].width > 0; ++i) {
        if (codec.FrameSizes[i].width == format.VideoWidth && codec.FrameSizes[i].height == format.VideoHeight) return;
    }
    format.VideoWidth = codec.FrameSizes[1].width;
    format.VideoHeight = codec.FrameSizes[1].height;
}

TEST_F(ConversionMatrix, EveryCodecOfferOfEveryFormat) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    std::vector<Job> jobs;
    for (const formats::OutputFormat& f : catalogue) {
        std::set<std::string> done{f.VideoCodec};  // the defaults ran above
        for (const formats::VideoCodecInfo* codec : f.VideoCodecs ? *f.VideoCodecs : formats::VideoCodecList{}) {
            if (!done.insert(codec->Name).second) continue;
            Job job{f, std::to_string(f.FormatId) + " " + f.Extension + " video " + codec->Name};
            job.format.VideoCodec = codec->Name;
            FitFixedSize(job.format, *codec);
            jobs.push_back(job);
        }
        done = {f.AudioCodec};
        for (const formats::AudioCodecInfo* codec : f.AudioCodecs ? *f.AudioCodecs : formats::AudioCodecList{}) {
            if (!done.insert(codec->Name).second) continue;
            Job job{f, std::to_string(f.FormatId) + " " + f.Extension + " audio " + codec->Name};
            job.format.AudioCodec = codec->Name;
            jobs.push_back(job);
        }
    }
    // Offers no writer can honour end as a reported failure with no file, never as a file
    // nothing can play: SWF holds only FLV1/MJPEG video and MP3 audio, and RealVideo has no AVI tag.
    const std::set<std::string> refused = {"40 avi video rv10",    "40 avi video rv20",    "160 swf video libx264",
                                           "160 swf video h264mp", "160 swf video h264bp", "160 swf audio aac"};
    std::vector<Outcome> outcomes = RunAll(jobs);
    std::size_t refusedSeen = 0;
    for (Outcome& o : outcomes) {
        if (!refused.count(o.label)) continue;
        ++refusedSeen;
        EXPECT_EQ(o.problem.rfind("no output (", 0), 0u) << o.label << ": " << o.problem;
        o.problem.clear();
    }
    EXPECT_EQ(refusedSeen, refused.size());
    Report(outcomes);
}

}  // namespace
}  // namespace quillon::engine
