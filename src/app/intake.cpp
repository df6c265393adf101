#include "app/intake.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "audio/own_readers.h"
#include "engine/engine_launcher.h"
#include "engine/media_engine.h"
#include "engine/source_preparation.h"
#include "platform/system_info.h"
#include "util/paths.h"

namespace quillon::app {

namespace fs = std::filesystem;
using engine::SourceItem;
using engine::SourceKind;

namespace {

constexpr int kMaxReportedFailures = 30;

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

void ListFolders(const fs::path& folder, std::vector<fs::path>& folders) {
    folders.push_back(folder);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::error_code typeError;
        if (entry.is_directory(typeError) && !entry.is_symlink(typeError)) ListFolders(entry.path(), folders);
    }
}

SourceKind KindForReader(audio::OwnReaderKind kind) {
    switch (kind) {
    case audio::OwnReaderKind::Bass: return SourceKind::CdAudioTrack;
    case audio::OwnReaderKind::Aifc: return SourceKind::AiffFile;
    case audio::OwnReaderKind::Voice: return SourceKind::VocFile;
    case audio::OwnReaderKind::None: break;
    }
    return SourceKind::EngineFile;
}

}  // namespace

std::string SourceKey(const std::string& path) { return platform::CanonicalPath(path).value_or(path); }

std::string DvdTitleKey(const std::string& dvdFolder, int titleNumber) {
    return "DVD:" + WithSlash(platform::CanonicalPath(dvdFolder).value_or(dvdFolder)) + std::to_string(titleNumber);
}

Intake::Intake(FileList& list, SourceIndex& index, const formats::ConversionSettings& settings, std::string enginePath)
    : list_(list), index_(index), settings_(settings),
      enginePath_(enginePath.empty() ? engine::EnginePath() : std::move(enginePath)) {}

bool Intake::Accepted(const std::string& path) const {
    if (!settings_.EnableExtFilter) return true;
    if (util::ExtensionPart(path) == std::string::npos) return false;
    const std::string extension = util::LowerExtension(path);
    // Shortcut files are not followed here: a symbolic link is followed by the file system.
    return std::find(settings_.ExtensionFilter.begin(), settings_.ExtensionFilter.end(), extension) !=
           settings_.ExtensionFilter.end();
}

void Intake::CollectFolderFiles(std::vector<std::string>& paths, const std::string& folder) const {
    std::vector<fs::path> folders;
    ListFolders(fs::path(folder), folders);
    for (const fs::path& f : folders) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(f, ec)) {
            std::error_code typeError;
            if (entry.is_directory(typeError)) continue;
            const std::string path = entry.path().string();
            if (Accepted(path)) paths.push_back(path);
        }
    }
}

ProbeOutcome Intake::ProbeSource(const std::string& path) {
    const std::string key = SourceKey(path);
    if (index_.Contains(key)) return ProbeOutcome::Duplicate;

    auto item = std::make_unique<SourceItem>();
    item->path = path;
    item->extension = util::LowerExtension(path);
    item->kind = SourceKind::EngineFile;

    const audio::OwnReaderKind readerKind = audio::OwnReaderKindForExtension(item->extension);
    bool probed = false;
    if (readerKind != audio::OwnReaderKind::None) {
        audio::OwnReaderFacts facts;
        if (audio::ProbeWithOwnReader(path, readerKind, facts)) {
            item->kind = KindForReader(readerKind);
            item->durationSeconds = facts.durationSeconds;
            item->audioSampleRates.push_back(facts.sampleRate);
            item->audioBitRates.push_back(facts.bitrateKbps);
            item->audioChannels.push_back(facts.outputChannels);
            item->needsPreparation = true;
            probed = true;
        } else if (readerKind == audio::OwnReaderKind::Bass) {
            cdTrackFailed_ = true;
            return ProbeOutcome::Failed;
        }
    }
    if (!probed) {
        const std::string line = engine::BuildProbeCommandLine(enginePath_, path, item->extension);
        probed = engine::LaunchEngine(line, item.get(), true, 0, nullptr);
    }
    if (!probed) return ProbeOutcome::Failed;
    lastRow_ = static_cast<int>(list_.InsertRow(std::move(item), settings_.RequestAudioIndex));
    index_.Add(key);
    return ProbeOutcome::Added;
}

ProbeOutcome Intake::ProbeDvdTitle(const std::string& dvdFolder, int ordinal, int titleNumber) {
    const std::string key = DvdTitleKey(dvdFolder, titleNumber);
    if (index_.Contains(key)) return ProbeOutcome::Duplicate;
    auto item = std::make_unique<SourceItem>();
    item->kind = SourceKind::DvdTitle;
    item->dvdFolder = WithSlash(dvdFolder);
    item->dvdTitleNumber = titleNumber;
    item->dvdTitleOrdinal = ordinal;
    item->needsPreparation = true;
    const std::string firstVob = engine::FindDvdPiece(item->dvdFolder, titleNumber, 1);
    if (firstVob.empty()) return ProbeOutcome::Failed;
    if (!engine::LaunchEngine(engine::BuildDvdProbeCommandLine(enginePath_, firstVob), item.get(), true, 0, nullptr)) {
        return ProbeOutcome::Failed;
    }
    item->durationSeconds = 0;  // the first piece does not tell the title's length
    item->path = "DVD Title " + std::to_string(ordinal);
    lastRow_ = static_cast<int>(list_.InsertRow(std::move(item), settings_.RequestAudioIndex));
    index_.Add(key);
    return ProbeOutcome::Added;
}

std::string Intake::LoadSources(const std::vector<std::string>& paths, engine::LoadingWindow* window) {
    cdTrackFailed_ = false;
    std::string failures;
    int failureCount = 0;
    const std::size_t total = paths.size();
    for (std::size_t i = 0; i < total; ++i) {
        const std::string& path = paths[i];
        if (window) {
            char counter[64];
            std::snprintf(counter, sizeof counter, "[%zu/%zu] Adding file ", i + 1, total);
            window->SetStatus(counter + std::string(util::FileNamePart(path)) + "...");
            window->SetBarPosition(static_cast<int>((i + 1) * static_cast<std::size_t>(std::max(1, window->BarWidth())) / std::max<std::size_t>(1, total)));
        }
        if (ProbeSource(path) == ProbeOutcome::Failed) {
            if (failureCount < kMaxReportedFailures) {
                failures += path + "\n";
            } else if (failureCount == kMaxReportedFailures) {
                failures += "<more files>...\n";
            }
            ++failureCount;
        }
        if (window) {
            window->ProcessPendingMessages();
            if (window->Cancelled()) break;
        }
    }
    return failures;
}

}  // namespace quillon::app
