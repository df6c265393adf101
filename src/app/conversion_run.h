#pragma once
// The batch being converted: queues the list's rows, keeps at most threadCount engines
// running, follows their reports, and runs Convert to One's passes. Everything runs on
// the thread that owns the run; engine reports arrive through the UiDispatcher.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/convert_to_one_job.h"
#include "app/desktop.h"
#include "app/file_list.h"
#include "app/run_host.h"
#include "app/time_left_estimate.h"
#include "app/ui_dispatcher.h"
#include "engine/engine_reports.h"
#include "engine/output_path.h"
#include "engine/source_item.h"
#include "engine/source_preparation.h"
#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"

namespace quillon::app {

// How the items of the last run ended.
struct RunTally {
    int converted = 0;
    int skipped = 0;  // the target existed and the policy was to skip
    int failed = 0;
};

// Starts an engine in conversion mode; false when it could not be started.
using EngineLaunch = std::function<bool(std::string_view commandLine, engine::SourceItem* item, uint32_t priorityClass,
                                        engine::EngineReportSink* sink)>;

struct RunEnvironment {
    FileList& list;
    formats::FormatCatalogue& catalogue;
    formats::ConversionSettings& settings;
    RunHost& host;
    Desktop& desktop;  // messages and the file manager
    UiDispatcher& dispatcher;
    EngineLaunch launch;                           // LaunchEngine when empty
    std::function<std::string()> documentsFolder;  // the documents fallback; DocumentsFolder() when empty
    std::function<bool(engine::SourceItem&, engine::LoadingWindow&, std::string&)> prepare;  // PrepareSource when empty
    std::string enginePath;   // ferrox; EnginePath() when empty
    std::string encoderPath;  // tavrel; EncoderPath() when empty
};

// "[mm:ss.mmm]", or "[hh:mm:ss.mmm]" from one hour on.
std::string ElapsedTimeText(int64_t elapsedMs);

// A chosen entry of the output-format box: a catalogue record, or a group record (Family 4)
// made from a custom group. nullptr when the id names neither.
formats::OutputFormat* ChosenOutputFormat(int32_t id, formats::FormatCatalogue& catalogue,
                                          const formats::CustomFormatList& groups, formats::OutputFormat& groupRecord);

class ConversionRun {
public:
    explicit ConversionRun(RunEnvironment environment);
    ~ConversionRun();
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // format is the output-format box's selection; it must outlive the run.
    void StartRun(bool selectedOnly, bool convertToOne, formats::OutputFormat* format);
    bool Active() const { return active_; }

    // Lets the next run start before every source is in the list, so that the first files
    // convert while later ones are still probed (the command line). Called before StartRun;
    // for runs of all rows to one format (not Convert to One, not a group). `comingPaths`
    // are the files that may still become rows, kept from being overwritten like the list's
    // own sources; `expectedItems` is what the progress counts until NoMoreRows. Until then
    // an idle run waits for more rows instead of ending.
    void ExpectMoreRows(std::vector<std::string> comingPaths, int expectedItems);
    // Queues the rows added to the list since the run started or last looked.
    void AddNewRows();
    // Every row is in: the run counts what it has and ends once that is done.
    void NoMoreRows();

    // The progress window's requests.
    void OnCancel();
    void OnPriorityChange(uint32_t priorityClass);
    void OnThreadCountChange(int threadCount);

    // The engine's reports, on the run's thread.
    void OnEngineProgress(engine::SourceItem* item, int32_t percent, int64_t elapsedMs);
    void OnEngineFinished(engine::SourceItem* item, const std::string& lastLine);

    // Engines started by this run whose reader has not yet posted its finished report. The
    // dispatcher must outlive them: an owner going away cancels, then drains until this is 0.
    int ReportsOutstanding() const { return *outstanding_; }

    const RunQueues& Queues() const { return queues_; }
    int ThreadCount() const { return threadCount_; }
    int ItemCount() const { return itemCount_; }
    // The total shown by the percent label, 0..100.
    int OverallPercent() const { return overallPercent_; }
    const RunTally& Tally() const { return tally_; }
    // The last run ended by Cancel.
    bool Cancelled() const { return cancelled_; }

private:
    class LaunchSink;

    void StartNextItem();
    void StartItems();
    void SetItemCount(int count);
    std::string ConvertingText(int count) const;
    void UpdateOverallProgress();
    void KeepEngineOutput(engine::SourceItem* item, std::string text);
    bool Launch(engine::SourceItem& item, const formats::OutputFormat& format);
    void ItemRefused(engine::SourceItem& item, const std::string& message);
    // Ends the run once nothing is pending or running.
    void EndWhenIdle();
    void EndRun();
    void CloseRun();
    void MoveToFinished(engine::SourceItem* item);
    bool IsRunning(const engine::SourceItem* item) const;
    void SetItemStatus(engine::SourceItem* item, const std::string& text);
    void DeleteOutput(engine::SourceItem& item);

    // Convert to One's combining pass: one engine joins the sources, or what normalizing made.
    void StartCombiningPass();
    bool Combining() const { return convertToOne_ && convertToOne_->Stage() == ConvertToOneStage::Combining; }

    RunEnvironment env_;
    RunQueues queues_;
    engine::ClaimedOutputNames claimed_;
    engine::RunSourceFiles sourceFiles_;
    std::unique_ptr<ProgressWindow> progress_;
    formats::OutputFormat* runFormat_ = nullptr;
    int threadCount_ = 2;
    uint32_t priorityClass_ = 0x20;
    int doneProgress_ = 0;
    int itemCount_ = 0;
    double progressScale_ = 1.0;
    int overallPercent_ = 0;
    RunTally tally_;
    TimeLeftEstimate timeLeft_;
    bool cancelled_ = false;
    bool active_ = false;
    int lastShownRow_ = -1;
    // Rows still coming (ExpectMoreRows); the rows before queuedRows_ have been looked at.
    bool moreRowsComing_ = false;
    std::vector<std::string> comingPaths_;
    int expectedItems_ = 0;
    std::size_t queuedRows_ = 0;
    int queuedItems_ = 0;
    std::string runLabel_;
    std::unique_ptr<ConvertToOneJob> convertToOne_;
    // Reports of earlier runs (or of a run already cancelled) carry an older generation.
    uint64_t generation_ = 0;
    std::shared_ptr<ConversionRun*> self_;  // lets posted reports see whether the run still exists
    std::shared_ptr<std::atomic<int>> outstanding_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace quillon::app
