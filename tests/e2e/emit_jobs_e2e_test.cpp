// A batch exported with quillon-cli convert --emit-jobs and run by GNU parallel, against the
// same batch converted by quillon-cli itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "test_support.h"
#include "util/text.h"

namespace quillon::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = util::SplitText(text, '\n');
    std::erase(lines, std::string());
    return lines;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct Media {
    std::vector<std::string> streams;  // "codec_type,codec_name"
    double duration = -1;
};

Media Probe(const fs::path& file) {
    const CommandResult r =
        RunCommand({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name:format=duration", "-of",
                    "csv=p=0", file.string()});
    Media m;
    EXPECT_EQ(r.exitCode, 0) << file << r.output;
    for (const std::string& line : Lines(r.output)) {
        if (line.find(',') != std::string::npos) {
            m.streams.push_back(line);
        } else if (!line.empty()) {
            m.duration = std::atof(line.c_str());
        }
    }
    return m;
}

void Set(const std::string& name, const std::string& value) {
    ASSERT_EQ(RunCommand({Cli(), "settings", "set", name, value}).exitCode, 0) << name;
}

TEST(EmitJobs, ParallelRunsTheJobsToTheSameOutputsAsTheProgram) {
    TempDir in, jobsOut, runOut, work;
    ASSERT_TRUE(MakeClip(in / "a.mp4", 1, 1, 2, 160, 120));
    ASSERT_TRUE(MakeAudio(in / "b.wav", 1, 1, 22050));
    fs::create_directories(in / "sub folder");
    ASSERT_TRUE(MakeClip(in / "sub folder" / "it's c.mkv", 1, 2, 1, 160, 120));
    ASSERT_EQ(
        RunCommand({"sndfile-convert", "-dwvw16", (in / "b.wav").string(), (in / "sub folder" / "d.aifc").string()})
            .exitCode,
        0);
    const std::vector<std::string> outputs = {"a.mp4", "b.mp4", "it's c.mp4", "d.mp4"};

    Set("DestOutputFolderOpt", "399");
    Set("DestSpecifiedFolder", jobsOut.path().string() + "/");
    const fs::path jobs = work / "jobs.txt";
    const CommandResult exported = RunCommand(
        {Cli(), "convert", "--emit-jobs", jobs.string(), "--format", "110", "--threads", "2", in.path().string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    EXPECT_EQ(Count(exported.output, "\tExported"), 4u) << exported.output;
    const std::vector<std::string> lines = Lines(ReadFile(jobs));
    ASSERT_EQ(lines.size(), 4u) << ReadFile(jobs);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind((BinDir() / "ferrox").string(), 0), 0u) << line;  // absolute engine path
    }
    // Nothing is converted yet, and the decoded AIFC waits beside the job file.
    EXPECT_TRUE(fs::is_empty(jobsOut.path()));
    std::size_t prepared = 0;
    for (const auto& e : fs::directory_iterator(work / "jobs.txt.prepared")) prepared += e.path().extension() == ".wav";
    EXPECT_EQ(prepared, 1u);

    const CommandResult parallel = RunCommand({"/bin/sh", "-c", "parallel --will-cite -j 2 < \"$0\"", jobs.string()});
    ASSERT_EQ(parallel.exitCode, 0) << parallel.output;

    Set("DestSpecifiedFolder", runOut.path().string() + "/");
    const CommandResult converted =
        RunCommand({Cli(), "convert", "--format", "110", "--threads", "2", in.path().string()});
    ASSERT_EQ(converted.exitCode, 0) << converted.output;

    for (const std::string& name : outputs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(jobsOut / name));
        const Media fromJobs = Probe(jobsOut / name);
        const Media fromRun = Probe(runOut / name);
        EXPECT_EQ(fromJobs.streams, fromRun.streams);
        EXPECT_FALSE(fromJobs.streams.empty());
        EXPECT_GT(fromJobs.duration, 0.5);
        EXPECT_LE(std::fabs(fromJobs.duration - fromRun.duration), 1.0 / 25);
    }

    // With the Skip policy, a second export after the run has nothing left to do.
    Set("DestSpecifiedFolder", jobsOut.path().string() + "/");
    Set("TargetExistsOpt", "33");
    const fs::path again = work / "again.txt";
    const CommandResult second =
        RunCommand({Cli(), "convert", "--emit-jobs", again.string(), "--format", "110", in.path().string()});
    EXPECT_EQ(second.exitCode, 1) << second.output;
    EXPECT_EQ(Count(second.output, "\tTarget exists and skipped"), 4u) << second.output;
    EXPECT_TRUE(fs::exists(again));
    EXPECT_EQ(ReadFile(again), "");
}

TEST(EmitJobs, RefusesWhatCannotRunAsIndependentJobs) {
    TempDir in, work;
    ASSERT_TRUE(MakeAudio(in / "b.wav", 1));
    const fs::path jobs = work / "jobs.txt";
    const CommandResult one = RunCommand({Cli(), "convert", "--emit-jobs", jobs.string(), "--one",
                                          (work / "all.mp3").string(), "--format", "1200", in.path().string()});
    EXPECT_EQ(one.exitCode, 2);
    EXPECT_NE(one.output.find("Convert to One cannot be exported as jobs"), std::string::npos) << one.output;
    EXPECT_FALSE(fs::exists(jobs));

    // A job file that cannot be written is an error, not an empty success.
    WriteFile(work / "plain", "a file, not a folder");
    const CommandResult unwritable =
        RunCommand({Cli(), "convert", "--emit-jobs", (work / "plain" / "jobs.txt").string(), "--format", "1200",
                    in.path().string()});
    EXPECT_EQ(unwritable.exitCode, 2) << unwritable.output;
    EXPECT_NE(unwritable.output.find("Cannot write"), std::string::npos) << unwritable.output;
}

TEST(ConvertJson, ProgressAndRowsAreJsonLines) {
    TempDir in, out;
    ASSERT_TRUE(MakeAudio(in / "b.wav", 2));
    Set("DestOutputFolderOpt", "399");
    Set("DestSpecifiedFolder", out.path().string() + "/");
    const CommandResult r = RunCommand({Cli(), "convert", "--json", "--format", "1160", (in / "b.wav").string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::vector<std::string> json;
    for (const std::string& line : Lines(r.output)) {
        if (!line.empty() && line.front() == '{') json.push_back(line);
    }
    ASSERT_GE(json.size(), 3u) << r.output;
    for (const std::string& line : json) EXPECT_EQ(line.back(), '}') << line;
    EXPECT_EQ(json.front(), R"({"type":"status","text":"Converting 1 file(s) to MP3..."})");
    EXPECT_NE(r.output.find(R"({"type":"progress","percent":100})"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(R"({"type":"row-status","row":0,"file":"b.wav","status":"Initialize..."})"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(json.back(), R"({"type":"row","row":0,"file":"b.wav","source":")" + (in / "b.wav").string() +
                               R"(","status":"b.mp3","output":")" + (out / "b.mp3").string() + R"(","written":true})");
    // No "file<TAB>status" lines mixed in for a reader of the JSON.
    EXPECT_EQ(r.output.find("b.wav\tb.mp3"), std::string::npos);
}

}  // namespace
}  // namespace quillon::test
