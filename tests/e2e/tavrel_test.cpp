// tavrel and ferrox's detours in front of the real ffmpeg: progress, results, and no ffmpeg left
// behind when they are told to stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/engine_launcher.h"
#include "engine/engine_reports.h"
#include "engine/source_item.h"
#include "platform/process.h"
#include "test_support.h"
#include "util/text.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::string Streams(const fs::path& file) {
    return RunCommand({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,sample_rate,channels",
                       "-of", "csv=p=0", file.string()})
        .output;
}

TEST(Tavrel, EncodesTheoraAndVorbisWithJsonProgress) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mkv", 2, 2, 2, 176, 144, 25));
    const fs::path out = dir / "out \"1\".ogv";
    const CommandResult r =
        RunCommand({(BinDir() / "tavrel").string(), "--frontend", "--nosubtitles", "-x", "320", "-y", "240", "-v", "6",
                    "--audiostream", "2", "-H", "22050", "-c", "1", "-o", out.string(), (dir / "in.mkv").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    int progressLines = 0;
    for (const std::string& line : util::SplitText(r.output, '\n')) {
        if (line.rfind("{\"", 0) == 0 && line.find("\"position\": ") != std::string::npos) ++progressLines;
    }
    EXPECT_GE(progressLines, 1) << r.output;
    EXPECT_NE(r.output.find("{\"result\": \"ok\"}"), std::string::npos);
    EXPECT_EQ(Streams(out), "theora,320,240\nvorbis,22050,1\n");

    // A failure keeps ffmpeg's reason as the last line before the result.
    const CommandResult bad = RunCommand(
        {(BinDir() / "tavrel").string(), "--frontend", "-o", (dir / "x.ogg").string(), (dir / "missing.mkv").string()});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.output.find("missing.mkv: No such file or directory"), std::string::npos) << bad.output;
}

TEST(Tavrel, ItsProgressReachesTheEngineReader) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mkv", 3, 1, 2, 176, 144, 25));
    engine::SourceItem item;
    item.durationSeconds = 3;
    const std::string line = "\"" + (BinDir() / "tavrel").string() + "\" --frontend --nosubtitles -v 6 -o \"" +
                             (dir / "out.ogg").string() + "\" \"" + (dir / "in.mkv").string() + "\"";
    engine::EngineReportQueue queue;
    ASSERT_TRUE(engine::LaunchEngine(line, &item, false, platform::kNormalPriorityClass, &queue));
    int highest = -1;
    for (;;) {
        auto report = queue.Pop(60000);
        ASSERT_TRUE(report.has_value());
        if (report->message == engine::WM_ENGINE_FINISHED) break;
        highest = std::max(highest, report->percent);
    }
    EXPECT_GE(highest, 90);
    EXPECT_LE(highest, 100);
    EXPECT_GT(fs::file_size(dir / "out.ogg"), 0u);
}

// The process ids whose parent is pid.
std::vector<int> Children(int pid) {
    std::vector<int> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos) continue;
        int ppid = 0;
        char state = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == pid && state != 'Z') {
            children.push_back(std::stoi(name));
        }
    }
    return children;
}

bool Gone(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return true;
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && text.size() > close + 2 && text[close + 2] == 'Z';
}

// Starts the program, waits for its ffmpeg child, stops the program alone with SIGTERM and
// checks that the child goes too.
void ExpectChildStopsWithParent(const std::vector<std::string>& argv) {
    platform::StartedProcess started;
    std::string error;
    ASSERT_TRUE(platform::StartProcess(argv, "", started, &error)) << error;
    const int pid = started.process.Pid();
    std::vector<int> children;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (children.empty() && std::chrono::steady_clock::now() < deadline) {
        char buffer[4096];
        started.output.Read(buffer, sizeof buffer, 50);
        children = Children(pid);
    }
    ASSERT_FALSE(children.empty()) << "no ffmpeg child appeared";
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    EXPECT_TRUE(started.process.Wait(10000));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Gone(children[0]) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(Gone(children[0])) << "ffmpeg " << children[0] << " outlived its parent";
}

TEST(Tavrel, TerminatingTavrelAloneStopsItsFfmpeg) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "long.mkv", 60, 1, 2, 64, 48, 10));
    ExpectChildStopsWithParent({(BinDir() / "tavrel").string(), "--frontend", "-x", "1280", "-y", "720", "-o",
                                (dir / "out.ogv").string(), (dir / "long.mkv").string()});
}

TEST(FerroxDetour, AmrEncodesIntoItsContainersAndStopsWithFerrox) {
    TempDir dir;
    ASSERT_TRUE(MakeClip(dir / "in.mkv", 1, 1, 2, 176, 144, 25));
    const std::string ferrox = (BinDir() / "ferrox").string();
    const CommandResult r =
        RunCommand({ferrox, "-i", (dir / "in.mkv").string(), "-c:v", "h263", "-s", "176x144", "-c:a", "libvo_amrwbenc",
                    "-ar", "16000", "-ac", "1", "-b:a", "12650", "-y", (dir / "out.3gp").string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(Streams(dir / "out.3gp"), "h263,176,144\namr_wb,16000,1\n");

    ASSERT_TRUE(MakeClip(dir / "long.mkv", 60, 1, 2, 64, 48, 10));
    ExpectChildStopsWithParent({ferrox, "-i", (dir / "long.mkv").string(), "-c:v", "mpeg4", "-s", "1280x720", "-c:a",
                                "libopencore_amrnb", "-ar", "8000", "-ac", "1", "-y", (dir / "out.mov").string()});
    // Nothing of the intermediate files stays behind, finished or stopped.
    for (const auto& entry : fs::directory_iterator(std::getenv("TMPDIR"))) {
        EXPECT_EQ(entry.path().filename().string().rfind("ferrox", 0), std::string::npos) << entry.path();
    }
}

TEST(FerroxDetour, AFailedRunLeavesNoHalfWrittenFile) {
    TempDir dir;
    ASSERT_TRUE(MakeAudio(dir / "in.wav", 1));
    const std::string ferrox = (BinDir() / "ferrox").string();
    // ffmpeg's AIFF writer starts the file, then finds it cannot describe GSM.
    const CommandResult r = RunCommand({ferrox, "-i", (dir / "in.wav").string(), "-c:a", "libgsm", "-ar", "8000", "-ac",
                                        "1", "-f", "aiff", "-y", (dir / "out.aiff").string()});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("could not compute bits per sample"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir / "out.aiff"));

    // A file the failed run never touched stays.
    WriteFile(dir / "keep.mp4", "mine");
    const CommandResult early =
        RunCommand({ferrox, "-i", (dir / "in.wav").string(), "-c:a", "nonesuch", "-y", (dir / "keep.mp4").string()});
    EXPECT_NE(early.exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "keep.mp4"), "mine");
}

}  // namespace
}  // namespace quillon::test
