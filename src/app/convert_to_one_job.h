#pragma once
// Convert to One within a run: the optional normalization pass, which converts every source to
// one intermediate format, then the combining pass, which joins the results (or the sources
// themselves) through the engine's concat list into the one output.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/source_item.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

namespace quillon::app {

enum class ConvertToOneStage {
    Chosen,       // the output is named; the sources are not yet queued
    Normalizing,  // the sources convert to the intermediate format
    Combining,    // the one engine joins them
};

class ConvertToOneJob {
public:
    ConvertToOneJob(formats::OutputFormat& finalFormat, std::string outputPath)
        : finalFormat_(finalFormat), outputPath_(std::move(outputPath)) {}

    ConvertToOneStage Stage() const { return stage_; }
    const formats::OutputFormat& FinalFormat() const { return finalFormat_; }
    // The rows being joined, in list order.
    const std::vector<engine::SourceItem*>& Sources() const { return sources_; }

    // Takes the queued rows and returns the format the run converts them to first: with
    // NormalizeFile the intermediate format (the once-only options set aside until the
    // combining pass), else the final format, whose pass then comes right away.
    formats::OutputFormat* Begin(std::vector<engine::SourceItem*> queued, formats::ConversionSettings& settings,
                                 formats::FormatCatalogue& catalogue);
    // The combining pass begins: the once-only options come back, and after normalization only
    // the sources that produced an intermediate file remain.
    void BeginCombining(formats::ConversionSettings& settings);
    // The concat list (with plain-named links to inputs it cannot name) and the item that
    // converts it; nullptr with the reason when they could not be made.
    engine::SourceItem* MakeConcatItem(const formats::ConversionSettings& settings, std::string& error);

    // After the combining pass: every source names the joined output; the intermediate files go.
    void Finish();
    // A cancelled run: the once-only options come back; the intermediate files go.
    void Cancel(formats::ConversionSettings& settings);
    // Removes the list, the links and (after normalization) the intermediate files.
    void DeleteFiles();

private:
    void RestoreOnceOnlyOptions(formats::ConversionSettings& settings) const;

    ConvertToOneStage stage_ = ConvertToOneStage::Chosen;
    formats::OutputFormat& finalFormat_;
    std::string outputPath_;
    std::unique_ptr<formats::OutputFormat> normalizationFormat_;
    std::unique_ptr<engine::SourceItem> concatItem_;
    std::array<int32_t, 5> savedOptions_{};  // the once-only options, as the run found them
    std::string listFilePath_;
    std::vector<std::string> links_;  // plain-named links to inputs the list cannot name
    std::vector<engine::SourceItem*> sources_;
};

}  // namespace quillon::app
