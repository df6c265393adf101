#include "app/convert_to_one_job.h"

#include <cstdio>

#include "engine/convert_to_one.h"
#include "platform/known_folders.h"

namespace quillon::app {

using engine::SourceItem;

namespace {

constexpr int32_t kMpegTsFormatId = 170;

// Crop, rotation and the three time-range options: they apply once, to the joined result.
std::array<int32_t*, 5> OnceOnlyOptions(formats::ConversionSettings& s) {
    return {&s.CropPictures, &s.RotateFlip, &s.EnableSkipLength, &s.EnableConvertLength, &s.EnableIgnoreTheLast};
}

}  // namespace

formats::OutputFormat* ConvertToOneJob::Begin(std::vector<SourceItem*> queued, formats::ConversionSettings& settings,
                                              formats::FormatCatalogue& catalogue) {
    sources_ = std::move(queued);
    const auto options = OnceOnlyOptions(settings);
    for (std::size_t i = 0; i < options.size(); ++i) savedOptions_[i] = *options[i];
    if (!settings.NormalizeFile) {
        stage_ = ConvertToOneStage::Combining;
        return &finalFormat_;
    }
    const std::vector<const SourceItem*> sources(sources_.begin(), sources_.end());
    normalizationFormat_ = std::make_unique<formats::OutputFormat>(
        engine::BuildNormalizationFormat(sources, finalFormat_, formats::FindFormat(catalogue, kMpegTsFormatId)));
    for (int32_t* option : options) *option = 0;
    stage_ = ConvertToOneStage::Normalizing;
    return normalizationFormat_.get();
}

void ConvertToOneJob::RestoreOnceOnlyOptions(formats::ConversionSettings& settings) const {
    const auto options = OnceOnlyOptions(settings);
    for (std::size_t i = 0; i < options.size(); ++i) *options[i] = savedOptions_[i];
}

void ConvertToOneJob::BeginCombining(formats::ConversionSettings& settings) {
    stage_ = ConvertToOneStage::Combining;
    RestoreOnceOnlyOptions(settings);
    if (settings.NormalizeFile) {
        std::erase_if(sources_, [](const SourceItem* s) { return s->outputPath.empty(); });
    }
}

SourceItem* ConvertToOneJob::MakeConcatItem(const formats::ConversionSettings& settings, std::string& error) {
    if (sources_.empty()) {
        error = "No files need to be converted.";
        return nullptr;
    }
    std::vector<std::string> inputs;
    for (const SourceItem* s : sources_) {
        if (settings.NormalizeFile) {
            inputs.push_back(s->outputPath);
        } else if (s->needsPreparation && !s->preparedPath.empty()) {
            inputs.push_back(s->preparedPath);
        } else {
            inputs.push_back(s->path);
        }
    }
    for (std::string& input : inputs) {
        if (!engine::NeedsPlainNameLink(input)) continue;
        std::string link = engine::MakePlainNameLink(input, platform::TempFolder());
        if (link.empty()) {
            error = "Failed to create temporary file. Conversion failed.";
            return nullptr;
        }
        links_.push_back(link);
        input = std::move(link);
    }
    listFilePath_ = engine::WriteConcatListFile(inputs, platform::TempFolder());
    if (listFilePath_.empty()) {
        error = "Failed to create temporary file. Conversion failed.";
        return nullptr;
    }

    auto item = std::make_unique<SourceItem>();
    item->kind = engine::SourceKind::ConcatList;
    item->path = listFilePath_;
    item->outputPath = outputPath_;
    uint32_t duration = 0;
    for (const SourceItem* s : sources_) {
        if (s->durationSeconds == 0) {
            duration = 0;
            break;
        }
        duration += s->durationSeconds;
    }
    if (normalizationFormat_ && settings.NormalizeFile) {
        const formats::OutputFormat& n = *normalizationFormat_;
        item->selectedAudioStream = 0;
        if (n.AudioEnable) {
            item->audioBitRates = {static_cast<uint32_t>(n.AudioBitRate / 1000)};
            item->audioSampleRates = {static_cast<uint32_t>(n.AudioSampleRate)};
            item->audioChannels = {static_cast<uint32_t>(n.AudioChannels)};
        }
        item->width = n.VideoWidth;
        item->height = n.VideoHeight;
        item->frameRate = n.VideoFrameRate;
        item->displayAspectRatio = -1.0;
    } else {
        const SourceItem& first = *sources_.front();
        item->mediaInfo() = first.mediaInfo();
        item->selectedAudioStream = first.selectedAudioStream;
    }
    item->durationSeconds = duration;
    item->videoBitRate = 0;
    item->listRow = -1;
    concatItem_ = std::move(item);
    return concatItem_.get();
}

void ConvertToOneJob::DeleteFiles() {
    if (!listFilePath_.empty()) std::remove(listFilePath_.c_str());
    listFilePath_.clear();
    for (const std::string& link : links_) std::remove(link.c_str());
    links_.clear();
    // Intermediate files exist only with the normalization pass.
    if (normalizationFormat_) {
        for (SourceItem* s : sources_) {
            if (!s->outputPath.empty()) std::remove(s->outputPath.c_str());
            s->outputPath.clear();
        }
    }
}

void ConvertToOneJob::Finish() {
    const std::string combined = concatItem_ ? concatItem_->outputPath : std::string();
    DeleteFiles();
    for (SourceItem* s : sources_) s->outputPath = combined;
}

void ConvertToOneJob::Cancel(formats::ConversionSettings& settings) {
    RestoreOnceOnlyOptions(settings);
    DeleteFiles();
}

}  // namespace quillon::app
