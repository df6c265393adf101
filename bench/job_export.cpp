// Exporting a batch of 1,000 probed sources as shell jobs: output names resolved and claimed
// (each one created and removed once, as a run does), 1,000 command lines built and quoted, and
// the job file written. Probing is the intake's cost and is measured by intake_folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/job_export.h"
#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "util/paths.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSources = 1000;

class NoLoadingWindow : public quillon::engine::LoadingWindow {
public:
    void SetStatus(const std::string&) override {}
    void SetPercentText(const std::string&) override {}
    int BarWidth() const override { return 100; }
    void SetBarPosition(int) override {}
    bool Cancelled() const override { return false; }
};

void BM_ExportThousandSources(benchmark::State& state) {
    char name[] = "/tmp/bench_jobs_XXXXXX";
    if (!mkdtemp(name)) std::abort();
    const std::string folder = name;
    quillon::formats::FormatCatalogue catalogue;
    quillon::formats::BuildCatalogue(catalogue);
    quillon::formats::ConversionSettings settings = quillon::formats::DefaultSettings("");
    settings.DestOutputFolderOpt = quillon::formats::kOutputSpecificFolder;
    settings.DestSpecifiedFolder = folder + "/out/";
    quillon::app::FileList list;
    for (int i = 0; i < kSources; ++i) {
        auto item = std::make_unique<quillon::engine::SourceItem>();
        item->path = folder + "/source " + std::to_string(i) + ".mkv";
        item->extension = "mkv";
        item->durationSeconds = 60;
        item->width = 1280;
        item->height = 720;
        item->frameRate = 25;
        item->audioSampleRates = {48000};
        item->audioChannels = {2};
        item->audioBitRates = {192};
        item->audioStreamIds = {"0:1"};
        list.InsertRow(std::move(item), 1);
    }
    quillon::formats::OutputFormat* mp4 = quillon::formats::FindFormat(catalogue, 110);
    NoLoadingWindow loading;
    for (auto _ : state) {
        std::vector<std::string> jobs;
        std::string error;
        if (!quillon::app::ExportJobs({list,
                                       catalogue,
                                       settings,
                                       mp4,
                                       folder + "/prepared/",
                                       loading,
                                       {},
                                       {},
                                       "/usr/lib/quillon/ferrox",
                                       "/usr/lib/quillon/tavrel"},
                                      jobs, error) ||
            jobs.size() != kSources || !quillon::app::WriteJobFile(folder + "/jobs.txt", jobs, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kSources);
    fs::remove_all(folder);
}
BENCHMARK(BM_ExportThousandSources)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
