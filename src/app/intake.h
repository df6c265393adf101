#pragma once
// Adding sources to the file list without any window: the folder scan, the extension filter,
// the probe (own readers for CD tracks, AIFC and voice-recorder files, the engine otherwise)
// and the duplicate check. The window's Add commands and the command line build on it.

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/file_list.h"
#include "engine/loading_window.h"
#include "engine/probe_pool.h"
#include "formats/conversion_settings.h"

namespace quillon::app {

// Keys of the sources in the list: canonical absolute paths (a file reached by two paths is
// one source; letter case matters), and "DVD:<folder><title>" for DVD titles. Each key remembers
// its item, so that removing a row frees its key even when the file has moved since.
class SourceIndex {
public:
    SourceIndex() { keys_.reserve(3000); }
    bool Contains(const std::string& key) const { return keys_.count(key) != 0; }
    void Add(const std::string& key, const engine::SourceItem* item = nullptr) { keys_[key] = item; }
    void Remove(const std::string& key) { keys_.erase(key); }
    void RemoveItem(const engine::SourceItem* item);
    void Clear() { keys_.clear(); }
    std::size_t Size() const { return keys_.size(); }

private:
    std::unordered_map<std::string, const engine::SourceItem*> keys_;
};

std::string SourceKey(const std::string& path);
std::string DvdTitleKey(const std::string& dvdFolder, int titleNumber);

enum class ProbeOutcome { Added, Duplicate, Failed };

// Fills item (path, extension, kind and its probed facts) the way a new row gets them: the
// program's own reader for CD tracks, AIFC and voice-recorder files, the engine (through a
// pool worker) otherwise. False when nothing could read it; a CD track that fails sets
// cdTrackFailed. `failure` tells why when no answer could be had (refused as not a regular
// file, the worker died or hung, the load was cancelled).
bool ProbeSourceItem(const std::string& path, engine::ProbeWorker& worker, const engine::ProbeBatch* batch,
                     engine::SourceItem& item, bool& cdTrackFailed, std::string& failure);
// The same for every path at once, in parallel through `pool`: items[i] for paths[i], and
// whether it could be read.
std::vector<bool> ProbeSourceItems(const std::vector<std::string>& paths, std::vector<engine::SourceItem>& items,
                                   engine::ProbePool& pool);

// Name order for folder walks: letters in either case alike, digit runs by their value (clip2
// before clip10); names equal that way keep a fixed order by their bytes.
bool NaturalNameLess(const std::string& a, const std::string& b);

class Intake {
public:
    // Probes go to `pool`, the shared pool when none is given.
    Intake(FileList& list, SourceIndex& index, const formats::ConversionSettings& settings, std::string enginePath = {},
           engine::ProbePool* pool = nullptr);

    // The accepted files below folder: the folder and all its subfolders (each followed by its
    // own subfolders), then the files of each in that order; each folder in NaturalNameLess order.
    // This and CollectDroppedPaths start the probe workers, so they are ready when the load begins.
    void CollectFolderFiles(std::vector<std::string>& paths, const std::string& folder) const;
    // The extension filter for scanned and dropped files (Add Files takes every file): the path
    // to load, which for a shortcut the filter does not pass is its target; nullopt when skipped.
    std::optional<std::string> AcceptedPath(const std::string& path) const;
    bool Accepted(const std::string& path) const { return AcceptedPath(path).has_value(); }
    // Dropped items in drop order: folders scanned, files through the filter.
    void CollectDroppedPaths(std::vector<std::string>& paths, const std::vector<std::string>& dropped) const;

    ProbeOutcome ProbeSource(const std::string& path);
    ProbeOutcome ProbeDvdTitle(const std::string& dvdFolder, int ordinal, int titleNumber);

    // Probes the paths in parallel and adds the rows in path order. Duplicates are found before
    // any probe; what is not a regular file (or a link to one) fails without a probe. While it
    // waits the window is kept repainting; its Cancel, or Cancel() below, kills the probes under
    // way and stops adding. Returns the failure report ("" when every path was added or was a
    // duplicate); a failure with a known reason reads "path (reason)".
    std::string LoadSources(const std::vector<std::string>& paths, engine::LoadingWindow* window);

    // Stops LoadSources as the window's Cancel does, from any thread or a signal handler; it
    // stays set for later loads of this intake.
    void Cancel() { cancelRequested_.store(true); }
    bool CancelRequested() const { return cancelRequested_.load(); }
    // The whole message for a failure text of LoadSources, with its closing hint.
    std::string FailureReport(const std::string& failures) const;

    // The titles of a DVD folder, menu-only title sets skipped. Returns the report of the titles
    // that failed, "" when none did.
    std::string AddDvdTitles(const std::string& dvdFolder);

    bool CdTrackFailed() const { return cdTrackFailed_; }
    int LastRow() const { return lastRow_; }

private:
    FileList& list_;
    SourceIndex& index_;
    const formats::ConversionSettings& settings_;
    std::string enginePath_;
    engine::ProbePool* pool_ = nullptr;
    std::atomic<bool> cancelRequested_{false};
    bool cdTrackFailed_ = false;
    bool lastAddedInLoad_ = false;
    int lastRow_ = -1;
};

// The folder holding VTS_01_1.VOB: chosen/VIDEO_TS/ or chosen/ itself, in any letter case.
std::optional<std::string> FindDvdVideoFolder(const std::string& chosen);
// "Quillon doesn't find any DVD video files at FOLDER."
std::string NoDvdMessage(const std::string& chosen);

// The remembered folders, each kept with a trailing "/".
void RememberAddFilesFolder(formats::ConversionSettings& settings, const std::vector<std::string>& chosenFiles);
void RememberFolder(std::string& setting, const std::string& chosen);
// Where Add Files opens: LastAddFileDir, or the documents folder when it names nothing.
std::string AddFilesStartFolder(formats::ConversionSettings& settings, const std::string& documentsFolder);

// The open-file dialog's filters in their order, "All Files (*.*)" first.
struct FileFilter {
    const char* description;
    const char* patterns;  // "*.a;*.b"
};
const std::vector<FileFilter>& AddFilesFilters();
// A filter as a Qt name filter: the description shown as it is, followed by the patterns in
// Qt's form, letters in either case; "*.*" matches names without a dot as well.
std::string QtNameFilter(const FileFilter& filter);

}  // namespace quillon::app
