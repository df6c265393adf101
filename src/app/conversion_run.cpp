#include "app/conversion_run.h"

#include <fmt/format.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "app/engine_record.h"
#include "engine/engine_command_line.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/theora_command_line.h"
#include "platform/known_folders.h"
#include "platform/system_info.h"
#include "util/paths.h"

namespace quillon::app {

using engine::SourceItem;

namespace {

constexpr int kDoneItem = 100;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool OutputWritten(const std::string& path) {
    return !path.empty() && util::IsFile(path) && util::FileSize(path).value_or(0) > 0;
}

}  // namespace

std::string ElapsedTimeText(int64_t elapsedMs) {
    if (elapsedMs < 0) elapsedMs = 0;
    const auto ms = static_cast<int>(elapsedMs % 1000);
    const int64_t totalSeconds = elapsedMs / 1000;
    const auto seconds = static_cast<int>(totalSeconds % 60);
    const auto minutes = static_cast<int>(totalSeconds / 60 % 60);
    const auto hours = static_cast<long long>(totalSeconds / 3600);
    if (elapsedMs >= 3'600'000) return fmt::format("[{:02}:{:02}:{:02}.{:03}]", hours, minutes, seconds, ms);
    return fmt::format("[{:02}:{:02}.{:03}]", static_cast<int>(totalSeconds / 60), seconds, ms);
}

formats::OutputFormat* ChosenOutputFormat(int32_t id, formats::FormatCatalogue& catalogue,
                                          const formats::CustomFormatList& groups, formats::OutputFormat& groupRecord) {
    if (id >= formats::kFirstCustomGroupId) {
        const std::size_t index = static_cast<std::size_t>(id - formats::kFirstCustomGroupId);
        if (index >= groups.size()) return nullptr;
        formats::ResetFormat(groupRecord);
        groupRecord.FormatId = id;
        groupRecord.Family = formats::FamilyCustomGroup;
        groupRecord.CustomFormat = &groups[index];
        groupRecord.Label = groups[index].name;
        return &groupRecord;
    }
    return formats::FindFormat(catalogue, id);
}

// One per launch. The reader thread calls it; it posts each report to the run's thread. It
// owns itself until its finished report has been handed over, so it outlives the reader's last
// call even when the run is gone by then.
class ConversionRun::LaunchSink : public engine::EngineReportSink {
public:
    // lengthMs: how much of the source the line converts when that is not all of it (else 0);
    // the percent is then measured against it.
    static std::shared_ptr<LaunchSink> Create(UiDispatcher& dispatcher, std::weak_ptr<ConversionRun*> run,
                                              uint64_t generation, std::shared_ptr<std::atomic<int>> outstanding,
                                              long long lengthMs, std::string_view commandLine) {
        auto sink = std::shared_ptr<LaunchSink>(new LaunchSink(dispatcher, std::move(run), generation));
        sink->lengthMs_ = lengthMs;
        // The record starts with what was run, so a failure can be repeated by hand.
        sink->record_.Append("> ");
        sink->record_.Append(commandLine);
        sink->record_.Append("\n");
        sink->self_ = sink;
        sink->outstanding_ = std::move(outstanding);
        ++*sink->outstanding_;
        return sink;
    }

    void EngineProgress(SourceItem* item, int32_t percent, int64_t elapsedMs) override {
        if (percent >= 0 && lengthMs_ > 0) {
            percent =
                elapsedMs >= lengthMs_ ? 100 : static_cast<int32_t>(std::max<int64_t>(0, elapsedMs) * 100 / lengthMs_);
        }
        dispatcher_.Post([run = run_, generation = generation_, item, percent, elapsedMs] {
            if (auto alive = run.lock(); alive && (*alive)->generation_ == generation) {
                (*alive)->OnEngineProgress(item, percent, elapsedMs);
            }
        });
    }

    // On the reader thread, like the other reports: only the reader touches the record.
    void EngineOutput(SourceItem*, std::string_view bytes) override { record_.Append(bytes); }

    void EngineFinished(SourceItem* item, std::string lastLine) override {
        // After this call the reader never touches the sink again; the posted call keeps it.
        std::shared_ptr<LaunchSink> keep = std::move(self_);
        keep->dispatcher_.Post([keep, item, lastLine = std::move(lastLine)] {
            if (auto alive = keep->run_.lock(); alive && (*alive)->generation_ == keep->generation_) {
                (*alive)->KeepEngineOutput(item, keep->record_.Text());
                (*alive)->OnEngineFinished(item, lastLine);
            }
        });
        --*keep->outstanding_;  // only now: the report is in the dispatcher's hands
    }

private:
    LaunchSink(UiDispatcher& dispatcher, std::weak_ptr<ConversionRun*> run, uint64_t generation)
        : dispatcher_(dispatcher), run_(std::move(run)), generation_(generation) {}

    UiDispatcher& dispatcher_;
    std::weak_ptr<ConversionRun*> run_;
    uint64_t generation_;
    long long lengthMs_ = 0;
    std::shared_ptr<LaunchSink> self_;
    std::shared_ptr<std::atomic<int>> outstanding_;
    EngineRecord record_;
};

ConversionRun::ConversionRun(RunEnvironment environment)
    : env_(std::move(environment)), self_(std::make_shared<ConversionRun*>(this)) {
    if (!env_.launch) {
        env_.launch = [](std::string_view line, SourceItem* item, uint32_t priority, engine::EngineReportSink* sink) {
            return engine::LaunchEngine(line, item, false, priority, sink);
        };
    }
    if (!env_.documentsFolder) env_.documentsFolder = [] { return platform::DocumentsFolder(); };
    if (!env_.prepare) env_.prepare = PrepareSource;
    if (env_.enginePath.empty()) env_.enginePath = engine::EnginePath();
    if (env_.encoderPath.empty()) env_.encoderPath = engine::EncoderPath();
    threadCount_ = std::clamp(env_.settings.ConversionThreads, formats::kMinThreads, formats::kMaxThreads);
}

ConversionRun::~ConversionRun() {
    // No process may outlive the run, and no partial output either.
    if (active_) OnCancel();
}

void ConversionRun::StartRun(bool selectedOnly, bool convertToOne, formats::OutputFormat* format) {
    if (active_) return;
    // What ExpectMoreRows announced is for this start only, whether it goes ahead or not.
    const bool moreAnnounced = std::exchange(moreRowsComing_, false);
    const std::vector<std::string> comingPaths = std::exchange(comingPaths_, {});
    RunHost& host = env_.host;
    Desktop& desktop = env_.desktop;
    FileList& list = env_.list;
    if (selectedOnly && !list.AnySelected()) {
        desktop.ShowMessage("You should select a file at least.", MessageIcon::Information);
        return;
    }
    if (list.RowCount() == 0) {
        desktop.ShowMessage("There aren't files in list.", MessageIcon::Information);
        return;
    }
    if (!format || format->Family == formats::FamilyCustomizeEntry) return;

    if (convertToOne) {
        if (format->Family == formats::FamilyCustomGroup) {
            desktop.ShowMessage("Customized Output Format is not supported for \"Convert to One\".",
                                MessageIcon::Exclamation);
            return;
        }
        if (format->Family == formats::FamilyImageSequence) {
            desktop.ShowMessage("Image Sequence Format is not supported for \"Convert to One\".\n\n",
                                MessageIcon::Exclamation);
            return;
        }
        if (engine::UsesTheoraEncoder(format->FormatId)) {
            desktop.ShowMessage(
                "OGG/OGM/OGV (optimized) is not supported for \"Convert to One\".\n\nYou may "
                "convert all files to another format, and then convert the outputted file to the "
                "OGG/OGM/OGV (optimized).",
                MessageIcon::Information);
            return;
        }
        std::optional<std::string> output = host.AskConvertToOneOutput(*format);
        if (!output || output->empty()) return;
        convertToOne_ = std::make_unique<ConvertToOneJob>(*format, *output);
    }

    list.RemoveFormatCopies();
    if (list.NeedsPreparation(selectedOnly)) {
        host.SetMainWindowEnabled(false);
        std::unique_ptr<engine::LoadingWindow> loading = host.OpenLoadingWindow();
        const bool prepared = list.PrepareRows(selectedOnly, *loading, env_.prepare);
        loading.reset();
        host.SetMainWindowEnabled(true);
        host.ProcessPendingMessages();
        if (!prepared) {
            convertToOne_.reset();
            return;
        }
    }

    std::string label;
    const bool groupRun = format->Family == formats::FamilyCustomGroup;
    if (groupRun) {
        const formats::CustomOutputFormat* group = format->CustomFormat;
        std::vector<const formats::OutputFormat*> members;
        if (group) members = formats::ResolveCustomFormat(env_.catalogue, *group);
        const std::string name = group ? group->name : std::string();
        if (members.empty()) {
            desktop.ShowMessage("There're not any output formats associated with custom format \"" + name +
                                    "\". Please choose one or more output formats for the format before converting.",
                                MessageIcon::Exclamation);
            return;
        }
        list.AddFormatCopies(selectedOnly, members);
        label = name;
    } else {
        label = FormatLabel(*format);
    }

    ++generation_;
    claimed_.Clear();
    sourceFiles_.Clear();
    for (std::size_t row = 0; row < list.RowCount(); ++row) sourceFiles_.Add(list.Item(row).path);
    const bool streaming = moreAnnounced && !groupRun && !convertToOne_ && !selectedOnly;
    if (streaming) {
        for (const std::string& path : comingPaths) sourceFiles_.Add(path);
    }
    if (!list.QueueRows(selectedOnly, groupRun, queues_)) {
        convertToOne_.reset();
        return;
    }
    moreRowsComing_ = streaming;
    queuedRows_ = list.RowCount();
    runLabel_ = label;

    runFormat_ = format;
    threadCount_ = std::clamp(env_.settings.ConversionThreads, formats::kMinThreads, formats::kMaxThreads);
    priorityClass_ = static_cast<uint32_t>(env_.settings.ConversionPriority);
    queuedItems_ = static_cast<int>(queues_.pending.size());
    const int queued = moreRowsComing_ ? std::max(queuedItems_, expectedItems_) : queuedItems_;
    if (convertToOne_) runFormat_ = convertToOne_->Begin(queues_.pending, env_.settings, env_.catalogue);

    host.SetMainWindowEnabled(false);
    ProgressWindowSetup setup;
    setup.threadCount = threadCount_;
    setup.priorityClass = priorityClass_;
    if (env_.settings.DestOutputFolderOpt == formats::kOutputSpecificFolder) {
        setup.outputFolderLabel = env_.settings.DestSpecifiedFolder;
        setup.outputFolderButtonEnabled = true;
    } else {
        setup.outputFolderLabel = "Same as source file";
    }
    progress_ = host.OpenProgressWindow(setup);
    progress_->SetBarPosition(0);
    if (convertToOne_) {
        progress_->SetStatus(env_.settings.NormalizeFile ? "Normalizing files..." : "Combining files...");
    } else {
        progress_->SetStatus(ConvertingText(queued));
    }

    active_ = true;
    cancelled_ = false;
    doneProgress_ = 0;
    overallPercent_ = 0;
    tally_ = RunTally{};
    itemCount_ = Combining() ? 1 : queued;
    timeLeft_.Start(NowMs(), static_cast<int64_t>(itemCount_) * kDoneItem);
    progressScale_ = static_cast<double>(itemCount_) * 100.0 / std::max(1, progress_->BarWidth());

    if (Combining()) {
        StartCombiningPass();
        return;
    }
    StartItems();
    EndWhenIdle();
}

std::string ConversionRun::ConvertingText(int count) const {
    return "Converting " + std::to_string(count) + " file(s) to " + runLabel_ + "...";
}

void ConversionRun::ExpectMoreRows(std::vector<std::string> comingPaths, int expectedItems) {
    if (active_) return;
    moreRowsComing_ = true;
    comingPaths_ = std::move(comingPaths);
    expectedItems_ = expectedItems;
}

void ConversionRun::AddNewRows() {
    FileList& list = env_.list;
    if (!active_ || !moreRowsComing_ || queuedRows_ >= list.RowCount()) return;
    const std::size_t from = queuedRows_;
    queuedRows_ = list.RowCount();
    if (list.NeedsPreparation(false, from)) {
        std::unique_ptr<engine::LoadingWindow> loading = env_.host.OpenLoadingWindow();
        const bool prepared = list.PrepareRows(false, *loading, env_.prepare, from);
        loading.reset();
        env_.host.ProcessPendingMessages();
        if (!prepared) return;  // cancelled: the run's owner cancels the run
    }
    const std::size_t before = queues_.pending.size();
    list.QueueRows(false, false, queues_, from);
    queuedItems_ += static_cast<int>(queues_.pending.size() - before);
    if (queuedItems_ > itemCount_) SetItemCount(queuedItems_);
    StartItems();
}

void ConversionRun::NoMoreRows() {
    AddNewRows();
    if (!moreRowsComing_) return;
    moreRowsComing_ = false;
    if (!active_) return;
    // Files that failed to load, or repeated ones, leave fewer items than were expected.
    if (queuedItems_ != itemCount_) {
        SetItemCount(queuedItems_);
        if (progress_) progress_->SetStatus(ConvertingText(queuedItems_));
        UpdateOverallProgress();
    }
    EndWhenIdle();
}

void ConversionRun::SetItemCount(int count) {
    itemCount_ = count;
    timeLeft_.SetTotal(static_cast<int64_t>(itemCount_) * kDoneItem);
    if (progress_) progressScale_ = static_cast<double>(itemCount_) * 100.0 / std::max(1, progress_->BarWidth());
}

void ConversionRun::StartItems() {
    while (active_ && static_cast<int>(queues_.running.size()) < threadCount_ && !queues_.pending.empty()) {
        StartNextItem();
    }
}

void ConversionRun::StartNextItem() {
    SourceItem* item = queues_.pending.front();
    queues_.pending.erase(queues_.pending.begin());
    formats::OutputFormat* format =
        item->isFormatCopy && item->copyFormat ? const_cast<formats::OutputFormat*>(item->copyFormat) : runFormat_;
    if (item->listRow >= 0) {
        env_.list.ScrollIntoView(static_cast<std::size_t>(item->listRow));
        lastShownRow_ = item->listRow;
    }
    SetItemStatus(item, "Initialize...");
    item->engineOutput.clear();

    std::string message;
    const engine::OutputPathContext context{env_.settings, claimed_, env_.documentsFolder, &sourceFiles_};
    if (!engine::ResolveOutputPath(*format, *item, convertToOne_ != nullptr, context, message)) {
        ItemRefused(*item, message);
        return;
    }
    queues_.running.push_back(item);
    Launch(*item, *format);
}

bool ConversionRun::Launch(SourceItem& item, const formats::OutputFormat& constFormat) {
    // The builders adjust the format's derived values in place, as the format is the run's own.
    auto& format = const_cast<formats::OutputFormat&>(constFormat);
    const std::string line = engine::UsesTheoraEncoder(format.FormatId)
                                 ? engine::BuildTheoraCommandLine(format, item, env_.settings, env_.encoderPath)
                                 : engine::BuildEngineCommandLine(format, item, env_.settings, env_.enginePath);
    // With a time range the engine converts only part of the source; its percent counts the whole.
    const long long converted = engine::ConvertedLengthMs(env_.settings, item.durationSeconds);
    const long long lengthMs = converted != item.durationSeconds * 1000LL ? converted : 0;
    std::shared_ptr<LaunchSink> sink =
        LaunchSink::Create(env_.dispatcher, self_, generation_, outstanding_, lengthMs, line);
    if (env_.launch(line, &item, priorityClass_, sink.get())) return true;
    // A failed start ends the item like an engine that wrote nothing. The report is posted, so
    // the item ends after the loop that started it, as a real report would.
    sink->EngineFinished(&item, "");
    return false;
}

void ConversionRun::ItemRefused(SourceItem& item, const std::string& message) {
    item.outputPath.clear();
    SetItemStatus(&item, message);
    ++(message == engine::kTargetSkippedText ? tally_.skipped : tally_.failed);
    doneProgress_ += kDoneItem;
    UpdateOverallProgress();
}

void ConversionRun::UpdateOverallProgress() {
    if (!progress_) return;
    int total = doneProgress_;
    for (const SourceItem* item : queues_.running) total += item->progressPercent;
    progress_->SetBarPosition(static_cast<int>(total / progressScale_));
    overallPercent_ = std::min(100, itemCount_ > 0 ? total / itemCount_ : 0);
    progress_->SetPercentText(std::to_string(overallPercent_) + "%");
    progress_->SetOverallPercent(overallPercent_);
    timeLeft_.Update(NowMs(), total);
    progress_->SetTimeLeft(TimeLeftText(timeLeft_.LeftMs()));
}

bool ConversionRun::IsRunning(const SourceItem* item) const {
    return std::find(queues_.running.begin(), queues_.running.end(), item) != queues_.running.end();
}

void ConversionRun::KeepEngineOutput(SourceItem* item, std::string text) {
    if (!active_ || cancelled_ || !IsRunning(item)) return;
    if (item->listRow < 0 && convertToOne_) {
        for (SourceItem* row : convertToOne_->Sources()) row->engineOutput = text;
    }
    item->engineOutput = std::move(text);
}

void ConversionRun::SetItemStatus(SourceItem* item, const std::string& text) { env_.list.SetStatus(item, text); }

void ConversionRun::OnEngineProgress(SourceItem* item, int32_t percent, int64_t elapsedMs) {
    if (!active_ || cancelled_ || !IsRunning(item)) return;
    const std::string time = ElapsedTimeText(elapsedMs);
    if (item->listRow < 0) {
        progress_->SetStatus("Combining files...  " + time);
        if (percent < 0) {
            progress_->StepBar();
        } else {
            item->progressPercent = percent;
            UpdateOverallProgress();
        }
        return;
    }
    if (percent < 0) {
        SetItemStatus(item, time);
    } else {
        item->progressPercent = percent;
        SetItemStatus(item, fmt::format("{}% {}", percent, time));
        UpdateOverallProgress();
    }
    if (static_cast<int>(queues_.running.size()) < threadCount_ && !queues_.running.empty()) {
        const int row = queues_.running.back()->listRow;
        if (row >= 0 && row != lastShownRow_) {
            env_.list.ScrollIntoView(static_cast<std::size_t>(row));
            lastShownRow_ = row;
        }
    }
}

void ConversionRun::DeleteOutput(SourceItem& item) {
    if (!item.outputPath.empty() && item.outputPath != item.path && !platform::SameFile(item.outputPath, item.path)) {
        std::remove(item.outputPath.c_str());
    }
    item.outputPath.clear();
}

void ConversionRun::OnEngineFinished(SourceItem* item, const std::string& lastLine) {
    if (!active_ || cancelled_ || !IsRunning(item)) return;
    item->progressPercent = 100;
    item->process.Close();
    item->outputPipe.Close();

    const bool isConcat = item->listRow < 0;
    std::vector<SourceItem*> rows;
    if (isConcat && convertToOne_) {
        rows = convertToOne_->Sources();
    } else {
        rows.push_back(item);
    }

    if (OutputWritten(item->outputPath)) {
        if (env_.settings.KeepDateCreated || env_.settings.KeepDateModified) {
            const SourceItem& timeSource = isConcat && convertToOne_ && !convertToOne_->Sources().empty()
                                               ? *convertToOne_->Sources().front()
                                               : *item;
            engine::CopySourceFileTimes(timeSource, item->outputPath, env_.settings);
        }
        std::string status(util::FileNamePart(item->outputPath));
        if (!isConcat && convertToOne_ && convertToOne_->Stage() == ConvertToOneStage::Normalizing) {
            status = "Normalizing OK";
        } else {
            ++tally_.converted;
        }
        for (SourceItem* row : rows) SetItemStatus(row, status);
    } else {
        DeleteOutput(*item);
        std::string status = "Conversion failure";
        bool detailed = false;
        if (!util::IsFile(env_.enginePath)) {
            status += " (Some files of the program are missing or corrupted. Please reinstall the program)";
            detailed = true;
        } else if (!lastLine.empty()) {
            status += " (" + lastLine + ")";
            detailed = true;
        }
        ++tally_.failed;
        if (detailed && env_.list.StatusColumnWidth() < kWideStatusColumnWidth) {
            env_.list.SetStatusColumnWidth(kWideStatusColumnWidth);
        }
        for (SourceItem* row : rows) SetItemStatus(row, status);
    }

    UpdateOverallProgress();
    MoveToFinished(item);
    doneProgress_ += kDoneItem;
    StartItems();
    EndWhenIdle();
}

void ConversionRun::MoveToFinished(SourceItem* item) {
    queues_.running.erase(std::remove(queues_.running.begin(), queues_.running.end(), item), queues_.running.end());
    queues_.finished.push_back(item);
}

void ConversionRun::EndWhenIdle() {
    // The end-of-run actions follow also when the last items were refused at their start: a
    // normalization pass must still be combined, and its intermediate files removed.
    if (active_ && !moreRowsComing_ && queues_.pending.empty() && queues_.running.empty()) EndRun();
}

void ConversionRun::EndRun() {
    if (convertToOne_) {
        if (convertToOne_->Stage() == ConvertToOneStage::Normalizing) {
            StartCombiningPass();
            return;
        }
        convertToOne_->Finish();
    }
    const bool shutdown = progress_ && progress_->ShutdownChecked();
    std::string firstOutput;
    for (const SourceItem* item : queues_.finished) {
        if (!item->outputPath.empty() && util::Exists(item->outputPath)) {
            firstOutput = item->outputPath;
            break;
        }
    }
    const bool browse = env_.settings.BrowseOutputFolder != 0;
    CloseRun();
    if (browse && !firstOutput.empty()) env_.desktop.ShowInFileManager(firstOutput);
    if (shutdown) {
        env_.host.ProcessPendingMessages();
        env_.host.ShutdownAfterRun();
    }
    convertToOne_.reset();
    env_.host.RunEnded();
}

void ConversionRun::CloseRun() {
    progress_.reset();
    active_ = false;
    moreRowsComing_ = false;
    env_.host.SetMainWindowEnabled(true);
}

void ConversionRun::OnCancel() {
    // A run waiting for more rows may have nothing running.
    if (!active_ || (queues_.running.empty() && !moreRowsComing_)) return;
    for (SourceItem* item : queues_.running) {
        item->process.Terminate();
        item->process.Close();
        item->outputPipe.Close();
        DeleteOutput(*item);
        if (item->listRow >= 0) SetItemStatus(item, "Cancelled");
    }
    cancelled_ = true;
    ++generation_;  // what the killed engines still report is dropped
    if (convertToOne_) {
        convertToOne_->Cancel(env_.settings);
        for (SourceItem* s : convertToOne_->Sources()) SetItemStatus(s, "Cancelled");
        convertToOne_.reset();
    }
    queues_ = RunQueues{};
    CloseRun();
    env_.host.RunEnded();
}

void ConversionRun::OnPriorityChange(uint32_t priorityClass) {
    if (!active_ || queues_.running.empty()) return;
    priorityClass_ = priorityClass;
    env_.settings.ConversionPriority = static_cast<int32_t>(priorityClass);
    for (SourceItem* item : queues_.running) item->process.SetPriorityClass(priorityClass);
}

void ConversionRun::OnThreadCountChange(int threadCount) {
    threadCount = std::clamp(threadCount, formats::kMinThreads, formats::kMaxThreads);
    threadCount_ = threadCount;
    env_.settings.ConversionThreads = threadCount;
    if (!active_ || Combining()) return;
    StartItems();
    EndWhenIdle();
}

void ConversionRun::StartCombiningPass() {
    ConvertToOneJob& job = *convertToOne_;
    job.BeginCombining(env_.settings);
    progress_->SetBarPosition(0);
    progress_->SetBarStep(2);
    progress_->SetStatus("Combining files...");
    progress_->SetPercentText("");
    doneProgress_ = 0;
    itemCount_ = 1;
    overallPercent_ = 0;
    timeLeft_.Start(NowMs(), kDoneItem);
    progressScale_ = 100.0 / std::max(1, progress_->BarWidth());
    queues_ = RunQueues{};
    for (SourceItem* s : job.Sources()) SetItemStatus(s, "Combining...");
    std::string error;
    if (SourceItem* concat = job.MakeConcatItem(env_.settings, error)) {
        queues_.running.push_back(concat);
        Launch(*concat, job.FinalFormat());
        return;
    }
    // The rows say why nothing was joined instead of keeping "Combining...".
    for (SourceItem* s : job.Sources()) SetItemStatus(s, "Conversion failure (" + error + ")");
    CloseRun();
    env_.desktop.ShowMessage(error, MessageIcon::Exclamation);
    job.DeleteFiles();
    convertToOne_.reset();
    env_.host.RunEnded();
}

}  // namespace quillon::app
