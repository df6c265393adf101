#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <set>

#include "app/conversion_run.h"
#include "app/job_export.h"
#include "fake_run_host.h"
#include "formats/conversion_settings.h"
#include "platform/known_folders.h"
#include "platform/process.h"
#include "recording_desktop.h"
#include "test_support.h"
#include "util/paths.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;
using engine::SourceItem;
using test::TempDir;

constexpr int32_t kMp4 = 110;
constexpr int32_t kAvi = 40;
constexpr int32_t kWav = 1200;

// What a POSIX shell makes of a command line: its words, NUL-separated.
std::vector<std::string> ShellWords(const std::string& command) {
    const test::CommandResult r = test::RunCommand({"/bin/sh", "-c", "printf '%s\\0' " + command});
    EXPECT_EQ(r.exitCode, 0) << command;
    std::vector<std::string> words;
    std::size_t start = 0;
    for (std::size_t nul; (nul = r.output.find('\0', start)) != std::string::npos; start = nul + 1) {
        words.push_back(r.output.substr(start, nul - start));
    }
    return words;
}

TEST(ShellQuoting, EveryWordReachesTheShellByteForByte) {
    const std::vector<std::string> words = {
        "plain", "",   "two words",  "it's",  "$HOME", "`id`",      "a\"b",      "back\\slash",
        "*.mp4", "~",  "semi;colon", "a&b|c", "-i",    "tab\there", "new\nline", "ünï cödé",
        "'",     "''", "!bang",      "#hash", "(x)",   "<in>"};
    std::string command;
    for (const std::string& w : words) command += ShellQuote(w) + " ";
    EXPECT_EQ(ShellWords(command), words);
    EXPECT_EQ(ShellQuote("/media/a-b_c.mp4"), "/media/a-b_c.mp4");  // readable where safe

    // An engine line with quoted paths keeps its argv through the conversion.
    std::vector<std::string> argv = {"/opt/q/ferrox", "-i", "/in/it's \"$x\".avi", "-y", "/out/a b\\.mp4"};
    std::string engineLine = platform::QuoteProgramName(argv[0]);
    for (std::size_t i = 1; i < argv.size(); ++i) engineLine += " " + platform::QuoteArgument(argv[i]);
    EXPECT_EQ(ShellWords(ShellCommandLine(engineLine)), argv);
}

// The list, settings and formats a run and an export both see.
class JobExportTest : public ::testing::Test {
protected:
    JobExportTest() {
        formats::BuildCatalogue(catalogue);
        settings = formats::DefaultSettings("");
        settings.ConversionThreads = 32;  // every row starts at once in the reference run
        settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
        settings.DestSpecifiedFolder = (out / "").string();
        engineFile = (dir / "ferrox").string();
        test::WriteFile(engineFile, "#");
    }

    static SourceItem& Add(FileList& list, const std::string& path) {
        auto item = std::make_unique<SourceItem>();
        item->path = path;
        item->extension = util::LowerExtension(path);
        item->durationSeconds = 10;
        item->audioSampleRates = {44100};
        item->audioChannels = {2};
        item->audioBitRates = {128};
        item->audioStreamIds = {"0:0"};
        SourceItem& ref = *item;
        list.InsertRow(std::move(item), 1);
        return ref;
    }

    void AddSources(FileList& list, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            const std::string path = (dir / name).string();
            if (!fs::exists(path)) test::WriteFile(path, "source");
            Add(list, path);
        }
    }

    std::function<std::string()> Documents() {
        return [this] { return (docs / "").string(); };
    }

    bool Export(FileList& list, formats::OutputFormat* format, std::vector<std::string>& jobs, std::string& error,
                std::function<bool(SourceItem&, engine::LoadingWindow&, std::string&)> prepare = {}) {
        test::FakeLoadingWindow loading;
        return ExportJobs({list, catalogue, settings, format, (prepared / "").string(), loading, Documents(),
                           std::move(prepare), engineFile, engineFile},
                          jobs, error);
    }

    // The lines a real run over the same rows starts, in start order.
    std::vector<std::string> RunLines(FileList& list, formats::OutputFormat* format) {
        test::FakeRunHost host;
        test::RecordingDesktop desktop;
        EventQueue events;
        std::vector<std::pair<SourceItem*, engine::EngineReportSink*>> started;
        std::vector<std::string> lines;
        RunEnvironment env{list, catalogue,   settings, host,       desktop,   events,
                           {},   Documents(), {},       engineFile, engineFile};
        env.launch = [&](std::string_view line, SourceItem* item, uint32_t, engine::EngineReportSink* sink) {
            lines.emplace_back(line);
            started.emplace_back(item, sink);
            return true;
        };
        {
            ConversionRun run(std::move(env));
            run.StartRun(false, false, format);
            for (auto& [item, sink] : started) {
                test::WriteFile(item->outputPath, "converted");
                sink->EngineFinished(item, "");
            }
            events.RunPending();
        }
        for (const auto& e : fs::directory_iterator(out.path())) fs::remove_all(e.path());  // as before the run
        return lines;
    }

    TempDir dir, out, docs, prepared;
    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;
    std::string engineFile;
};

TEST_F(JobExportTest, JobsAreTheCommandsARealRunStarts) {
    const std::vector<std::string> names = {"a.avi", "a.wav", "it's $x.avi", "b.mp4"};
    formats::CustomFormatList groups = {{"pair", {kWav, kAvi}}};
    formats::OutputFormat groupRecord;
    for (formats::OutputFormat* format :
         {formats::FindFormat(catalogue, kMp4),
          ChosenOutputFormat(formats::kFirstCustomGroupId, catalogue, groups, groupRecord)}) {
        SCOPED_TRACE(FormatLabel(*format));
        FileList runList, exportList;
        AddSources(runList, names);
        AddSources(exportList, names);
        const std::vector<std::string> lines = RunLines(runList, format);
        std::vector<std::string> jobs;
        std::string error;
        ASSERT_TRUE(Export(exportList, format, jobs, error)) << error;
        ASSERT_EQ(jobs.size(), lines.size());
        ASSERT_FALSE(jobs.empty());
        for (std::size_t i = 0; i < jobs.size(); ++i) EXPECT_EQ(jobs[i], ShellCommandLine(lines[i]));
        // Outputs named alike are told apart as in the run, and nothing is left on disk.
        std::set<std::string> outputs;
        for (std::size_t row = 0; row < exportList.RowCount(); ++row) {
            const SourceItem& item = exportList.Item(row);
            if (item.outputPath.empty()) continue;
            EXPECT_TRUE(outputs.insert(item.outputPath).second) << item.outputPath;
            EXPECT_FALSE(fs::exists(item.outputPath));
            EXPECT_EQ(exportList.Status(row), "Exported");
        }
        EXPECT_EQ(outputs.size(), jobs.size());
    }
}

TEST_F(JobExportTest, RowsThatCannotBecomeJobsAreMarkedAndLeftOut) {
    settings.TargetExistsOpt = formats::kTargetSkip;
    test::WriteFile(out / "done.mp4", "converted before");
    FileList list;
    AddSources(list, {"done.avi", "fresh.avi", "two\nlines.avi"});
    std::vector<std::string> jobs;
    std::string error;
    ASSERT_TRUE(Export(list, formats::FindFormat(catalogue, kMp4), jobs, error)) << error;
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_NE(jobs[0].find((out / "fresh.mp4").string()), std::string::npos) << jobs[0];
    EXPECT_EQ(list.Status(0), "Target exists and skipped");
    EXPECT_EQ(list.Status(1), "Exported");
    EXPECT_NE(list.Status(2).find("line break"), std::string::npos) << list.Status(2);
    EXPECT_EQ(test::ReadFile(out / "done.mp4"), "converted before");

    // Nothing to export at all, and a group without members, are refused as a whole.
    FileList empty;
    EXPECT_FALSE(Export(empty, formats::FindFormat(catalogue, kMp4), jobs, error));
    EXPECT_EQ(error, "There aren't files in list.");
    formats::CustomFormatList groups = {{"none", {}}};
    formats::OutputFormat groupRecord;
    EXPECT_FALSE(
        Export(list, ChosenOutputFormat(formats::kFirstCustomGroupId, catalogue, groups, groupRecord), jobs, error));
    EXPECT_NE(error.find("\"none\""), std::string::npos) << error;
}

TEST_F(JobExportTest, PreparedSourcesLiveOnInTheSharedFolder) {
    settings.TargetExistsOpt = formats::kTargetSkip;
    test::WriteFile(out / "old.mp4", "converted before");
    std::vector<std::string> jobs;
    std::vector<std::string> madeFiles;
    // Decoding writes into the temporary folder, as the real decoders do.
    auto prepare = [&](SourceItem& item, engine::LoadingWindow&, std::string& message) {
        if (item.path.find("broken") != std::string::npos) {
            message = "Unsupported compression";
            return false;
        }
        item.preparedPath = platform::MakeTempName(platform::TempFolder(), "", ".wav");
        test::WriteFile(item.preparedPath, "pcm of " + item.path);
        madeFiles.push_back(item.preparedPath);
        return true;
    };
    {
        FileList list;
        AddSources(list, {"track.aifc", "old.aifc", "broken.aifc", "plain.avi"});
        for (std::size_t row = 0; row < 3; ++row) list.Item(row).needsPreparation = true;
        std::string error;
        ASSERT_TRUE(Export(list, formats::FindFormat(catalogue, kMp4), jobs, error, prepare)) << error;
        EXPECT_EQ(list.Status(1), "Target exists and skipped");
        EXPECT_EQ(list.Status(2), "Error: Unsupported compression");
        HandOverPreparedFiles(list);
    }  // the list goes away, as it does when quillon-cli ends
    ASSERT_EQ(jobs.size(), 2u);
    ASSERT_EQ(madeFiles.size(), 2u);
    for (const std::string& made : madeFiles) EXPECT_FALSE(fs::exists(made)) << made;  // moved away
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(prepared.path())) kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);  // the skipped row's decoded file is not kept
    EXPECT_EQ(test::ReadFile(kept[0]), "pcm of " + (dir / "track.aifc").string());
    EXPECT_NE(jobs[0].find(kept[0].string()), std::string::npos) << jobs[0];
    EXPECT_EQ(jobs[0].find((dir / "track.aifc").string()), std::string::npos) << jobs[0];
    EXPECT_NE(jobs[1].find((dir / "plain.avi").string()), std::string::npos) << jobs[1];

    // When the job file cannot be written, the list is not handed over and takes them along.
    fs::remove(kept[0]);
    {
        FileList list;
        AddSources(list, {"track.aifc"});
        list.Item(0).needsPreparation = true;
        std::string error;
        ASSERT_TRUE(Export(list, formats::FindFormat(catalogue, kMp4), jobs, error, prepare)) << error;
        EXPECT_FALSE(fs::is_empty(prepared.path()));
    }
    EXPECT_TRUE(fs::is_empty(prepared.path()));
}

TEST_F(JobExportTest, JobFileIsWholeOrNotWrittenAtAll) {
    const fs::path file = dir / "jobs.txt";
    std::string error;
    ASSERT_TRUE(WriteJobFile(file.string(), {"ferrox -i a", "ferrox -i 'b c'"}, error)) << error;
    EXPECT_EQ(test::ReadFile(file), "ferrox -i a\nferrox -i 'b c'\n");

    // A folder that is really a file.
    EXPECT_FALSE(WriteJobFile((file / "jobs.txt").string(), {"x"}, error));
    EXPECT_NE(error.find("Cannot write"), std::string::npos) << error;

    // A full disk: the earlier job file stays as it was and no temporary file is left.
    const std::vector<std::string> many(2000, std::string(100, 'j'));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string childError;
        _exit(WriteJobFile(file.string(), many, childError) ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(test::ReadFile(file), "ferrox -i a\nferrox -i 'b c'\n");
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path()))
        entries += e.path().filename().string().rfind(".jobs-", 0) == 0;
    EXPECT_EQ(entries, 0u);
}

}  // namespace
}  // namespace quillon::app
