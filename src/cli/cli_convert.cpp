// quillon-cli convert [--format ID] [--one OUTFILE] [--threads N] PATH...: adds the paths as the
// window's intake does, converts them with the same run, and prints each row's final status.
// --json prints JSON lines instead; --emit-jobs writes the run's engine commands to a file.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/conversion_run.h"
#include "app/desktop.h"
#include "app/file_list.h"
#include "app/intake.h"
#include "app/session.h"
#include "app/ui_dispatcher.h"
#include "audio/bass_startup.h"
#include "cli_batch_output.h"
#include "cli_command.h"
#include "engine/output_path.h"
#include "engine/probe_pool.h"
#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"
#include "platform/child_groups.h"
#include "platform/known_folders.h"
#include "util/numbers.h"
#include "util/paths.h"

namespace quillon::cli {

namespace {

constexpr const char* kUsage =
    "convert [--format ID] [--one OUTFILE] [--threads N] [--json] [--emit-jobs FILE [--prepared-dir DIR]] PATH...";

std::atomic<bool> gInterrupted{false};
// While the run's loop watches gInterrupted itself, the watcher leaves the engines to it, so
// the rows end as "Cancelled" and their partial outputs are removed.
std::atomic<bool> gRunLoopWatching{false};
int gWakePipe[2] = {-1, -1};

extern "C" void OnInterrupt(int) {
    gInterrupted = true;
    const char byte = 1;
    if (gWakePipe[1] >= 0) {
        [[maybe_unused]] const ssize_t n = write(gWakePipe[1], &byte, 1);
    }
}

// SIGINT, SIGTERM and SIGHUP cancel like the progress window's Cancel, in any phase. The
// children run in sessions of their own, so no terminal signal reaches them: once interrupted,
// a watcher thread ends whatever child is running (a probe waiting on a dead mount, say) until
// the program is gone, except while the run's loop cancels its engines itself.
void CatchInterrupt() {
    if (pipe2(gWakePipe, O_CLOEXEC) != 0) gWakePipe[0] = gWakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) sigaction(signo, &action, nullptr);
    if (gWakePipe[0] < 0) return;
    try {
        std::thread([] {
            char byte;
            while (read(gWakePipe[0], &byte, 1) < 0 && errno == EINTR) {
            }
            for (;;) {
                if (!gRunLoopWatching) platform::KillChildProcessGroups();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without the watcher an interrupt is still seen between files and by the run.
    }
}

void Say(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

class TerminalLoadingWindow : public engine::LoadingWindow {
public:
    void SetStatus(const std::string& text) override { Say(text); }
    void SetPercentText(const std::string&) override {}
    int BarWidth() const override { return 100; }
    void SetBarPosition(int) override {}
    bool Cancelled() const override { return gInterrupted; }
};

// Between files of the load it also lets the run, started with the first files, go on.
class FeedingLoadingWindow : public TerminalLoadingWindow {
public:
    explicit FeedingLoadingWindow(std::function<void()> between) : between_(std::move(between)) {}
    void ProcessPendingMessages() override { between_(); }

private:
    std::function<void()> between_;
};

class TerminalProgressWindow : public app::ProgressWindow {
public:
    void SetStatus(const std::string& text) override {
        // The combining pass repeats its status with the time; show only the changes in words.
        const std::string head = text.substr(0, text.find("  ["));
        if (head != lastStatus_) Say(head);
        lastStatus_ = head;
    }
    void SetPercentText(const std::string& text) override {
        if (text.empty() || text == lastPercent_) return;
        lastPercent_ = text;
        Say("  " + text);
    }
    int BarWidth() const override { return 200; }
    void SetBarPosition(int) override {}
    void SetBarStep(int) override {}
    void StepBar() override {}
    bool ShutdownChecked() const override { return false; }  // never from the command line

private:
    std::string lastStatus_;
    std::string lastPercent_;
};

// Messages go to stderr; the command line never opens a document or a file manager, nor
// powers the computer off.
class TerminalDesktop : public app::Desktop {
public:
    void ShowMessage(const std::string& text, app::MessageIcon) override { Say("Quillon: " + text); }
    int OpenDocument(const std::string&) override { return app::kOpenNoAssociation; }
    void ShowInFileManager(const std::string&) override {}
    bool PowerOff(std::string& error) override {
        error = "the command line does not power the computer off";
        return false;
    }
};

class TerminalHost : public app::RunHost {
public:
    TerminalHost(std::string oneOutput, bool json) : oneOutput_(std::move(oneOutput)), json_(json) {}

    std::optional<std::string> AskConvertToOneOutput(const formats::OutputFormat& format) override {
        std::string path = oneOutput_;
        if (util::ExtensionPart(path) == std::string::npos) path += "." + format.Extension;
        return path;
    }
    std::unique_ptr<app::ProgressWindow> OpenProgressWindow(const app::ProgressWindowSetup&) override {
        if (json_) return MakeJsonProgressWindow();
        return std::make_unique<TerminalProgressWindow>();
    }
    std::unique_ptr<engine::LoadingWindow> OpenLoadingWindow() override {
        return std::make_unique<TerminalLoadingWindow>();
    }
    void ShutdownAfterRun() override {}

private:
    std::string oneOutput_;
    bool json_;
};

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

int RunConvert(const std::vector<std::string>& args) {
    std::string formatText;
    std::string oneOutput;
    int threads = 0;
    std::vector<std::string> paths;
    JobExportRequest jobs;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a == "--format" && hasValue) {
            formatText = args[++i];
        } else if (!optionsEnded && a == "--one" && hasValue) {
            oneOutput = AbsolutePath(args[++i]);
        } else if (!optionsEnded && a == "--json") {
            jobs.json = true;
        } else if (!optionsEnded && a == "--emit-jobs" && hasValue) {
            jobs.jobFile = AbsolutePath(args[++i]);
        } else if (!optionsEnded && a == "--prepared-dir" && hasValue) {
            jobs.preparedDir = AbsolutePath(args[++i]);
        } else if (!optionsEnded && a == "--threads" && hasValue) {
            threads = util::LeadingInteger(args[++i]);
            if (threads < 1 || threads > 32) {
                std::fprintf(stderr, "quillon-cli convert: --threads takes 1 to 32\n");
                return 2;
            }
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-' && a[1] == '-') {
            std::fprintf(stderr, "usage: quillon-cli %s\n", kUsage);
            return 2;
        } else {
            paths.push_back(AbsolutePath(a));
        }
    }
    if (paths.empty()) {
        std::fprintf(stderr, "usage: quillon-cli %s\n", kUsage);
        return 2;
    }
    // The probe workers start while the settings and catalogue are read and folders walked;
    // a few files need one worker only.
    const bool onlyFiles =
        std::none_of(paths.begin(), paths.end(), [](const std::string& p) { return util::IsFolder(p); });
    engine::SharedProbePool().StartWorkers(onlyFiles ? paths.size() : engine::ProbePool::kUnknownCount);
    if (!jobs.jobFile.empty() && !oneOutput.empty()) {
        std::fprintf(stderr,
                     "quillon-cli convert: Convert to One cannot be exported as jobs: joining needs every "
                     "part converted first, so its steps cannot run independently\n");
        return 2;
    }
    if (jobs.jobFile.empty() && !jobs.preparedDir.empty()) {
        std::fprintf(stderr, "quillon-cli convert: --prepared-dir goes with --emit-jobs\n");
        return 2;
    }
    // As the save dialog insists, the output's folder must exist.
    if (!oneOutput.empty() && !util::IsFolder(util::FolderPart(oneOutput).value_or("."))) {
        std::fprintf(stderr, "quillon-cli convert: the folder of %s does not exist\n", oneOutput.c_str());
        return 2;
    }

    CatchInterrupt();
    app::Session session;
    // A store that is there but cannot be read stops the command rather than converting with
    // settings the user did not choose.
    if (!session.StoreReadable()) {
        std::fprintf(stderr, "quillon-cli convert: cannot read the settings store %s\n",
                     session.Store().FilePath().c_str());
        return 2;
    }
    session.Load();
    formats::FormatCatalogue& catalogue = session.Catalogue();
    formats::ConversionSettings& settings = session.Settings();
    const formats::CustomFormatList& groups = session.CustomGroups();
    if (threads > 0) settings.ConversionThreads = threads;

    int32_t formatId = settings.OutputFormat;
    if (!formatText.empty()) {
        const std::optional<int32_t> id = util::ReadInteger<int32_t>(formatText);
        formatId = -1;
        if (id) {
            formatId = *id;
        } else {
            for (std::size_t k = 0; k < groups.size(); ++k) {
                if (groups[k].name == formatText) formatId = formats::kFirstCustomGroupId + static_cast<int32_t>(k);
            }
        }
    }
    formats::OutputFormat groupRecord;
    formats::OutputFormat* format = app::ChosenOutputFormat(formatId, catalogue, groups, groupRecord);
    if (!format) {
        std::fprintf(stderr, "quillon-cli convert: no output format or custom group %s\n",
                     formatText.empty() ? std::to_string(formatId).c_str() : formatText.c_str());
        return 2;
    }
    if (format->Family == formats::FamilyCustomGroup &&
        (!format->CustomFormat || formats::ResolveCustomFormat(catalogue, *format->CustomFormat).empty())) {
        std::fprintf(stderr, "quillon-cli convert: custom group %s has no output formats\n",
                     format->CustomFormat ? format->CustomFormat->name.c_str() : "");
        return 2;
    }

    const bool bass = audio::StartBassLibrary(platform::ProgramFolder()) == audio::BassStartResult::Started;

    app::FileList list;
    app::SourceIndex index;
    app::EventQueue events;
    TerminalHost host(oneOutput, jobs.json);
    TerminalDesktop desktop;
    JsonRowStatusPrinter rowPrinter(list);
    int status = 0;
    {
        app::ConversionRun run({list, catalogue, settings, host, desktop, events, {}, {}, {}, {}, {}});
        auto startRun = [&] {
            if (jobs.json) list.SetObserver(&rowPrinter);
            gRunLoopWatching = true;
            run.StartRun(false, !oneOutput.empty(), format);
        };
        // A batch to one format starts converting its first files while the later ones are
        // still probed; Convert to One, groups and job files need every row first.
        const bool streaming =
            jobs.jobFile.empty() && oneOutput.empty() && format->Family != formats::FamilyCustomGroup;
        bool streamed = false;
        bool tried = false;  // one early start; a refused one is made again after the load
        {
            app::Intake intake(list, index, settings);
            std::vector<std::string> files;
            for (const std::string& path : paths) {
                if (util::IsFolder(path)) {
                    intake.CollectFolderFiles(files, path);
                } else {
                    files.push_back(path);
                }
            }
            FeedingLoadingWindow loading([&] {
                events.RunPending();
                if (!streaming || gInterrupted) return;
                if (streamed) {
                    run.AddNewRows();
                } else if (!tried && list.RowCount() > 0) {
                    tried = true;
                    run.ExpectMoreRows(files, static_cast<int>(files.size()));
                    startRun();
                    streamed = run.Active();
                }
            });
            const std::string failures = intake.LoadSources(files, &loading);
            if (!failures.empty() && !gInterrupted) {
                Say("Failed to load the following files.\n\n" + failures);
                status = 1;
            }
        }
        // After an interrupt nothing more starts: the loop below cancels the run.
        if (streamed && !gInterrupted) run.NoMoreRows();

        if (!jobs.jobFile.empty()) {
            TerminalLoadingWindow loading;
            const int exported = gInterrupted ? 130 : ExportBatch(jobs, list, catalogue, settings, format, loading);
            if (bass) audio::ReleaseBassLibrary();
            if (gInterrupted) return 130;
            return exported == 0 ? status : exported;
        }

        if (!gInterrupted && !streamed && list.RowCount() > 0) startRun();
        bool cancelled = false;
        while (run.Active()) {
            if (gInterrupted && !cancelled) {
                cancelled = true;
                run.OnCancel();
                break;
            }
            events.RunOne(100);
        }
        // The readers of killed engines still report; the queue must outlive them.
        while (run.ReportsOutstanding() > 0) events.RunOne(50);
        events.RunPending();
        gRunLoopWatching = false;
    }
    list.SetObserver(nullptr);
    if (bass) audio::ReleaseBassLibrary();

    const bool groupRun = format->Family == formats::FamilyCustomGroup;
    bool allWritten = list.RowCount() > 0;
    std::string lastShown;
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
        const engine::SourceItem& item = list.Item(row);
        const bool written = !item.outputPath.empty() && util::IsFile(item.outputPath);
        if (jobs.json) {
            PrintJsonRow(list, row, written);
        } else {
            std::printf("%s\t%s\n", list.FileText(row).c_str(), list.Status(row).c_str());
        }
        if (groupRun && !item.isFormatCopy) continue;
        if (list.Status(row) == engine::kTargetSkippedText) continue;  // left alone by the policy
        if (!written) {
            allWritten = false;
        } else if (item.outputPath != lastShown) {
            lastShown = item.outputPath;
            Say("Output: " + item.outputPath);
        }
    }
    std::fflush(stdout);
    if (gInterrupted) {
        platform::KillChildProcessGroups();  // anything started after the watcher's last look
        return 130;
    }
    return allWritten && status == 0 ? 0 : 1;
}

const CliCommandRegistration kRegistration({"convert", kUsage, RunConvert});

}  // namespace

}  // namespace quillon::cli
